// The simulated keyboard's whole memory in a versioned little-endian file:
// "VSIM", u16 version, u16 vendor id, u16 product id, u16 0, then six blocks (state, lighting,
// key colours, key maps, factory map, macros), each a u32 length and its bytes.
#include "sim/sim_state_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/file_read.h"

namespace vorlin {
namespace {

constexpr char kMagic[4] = {'V', 'S', 'I', 'M'};
constexpr uint16_t kFileVersion = 1;

void PutU16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
template <size_t N>
void PutBlock(std::vector<uint8_t>& out, const std::array<uint8_t, N>& block, size_t length = N) {
    PutU32(out, static_cast<uint32_t>(length));
    out.insert(out.end(), block.begin(), block.begin() + length);
}

class Reader {
  public:
    explicit Reader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    bool U16(uint16_t& v) {
        if (bytes_.size() - pos_ < 2) return false;
        v = static_cast<uint16_t>(bytes_[pos_] | bytes_[pos_ + 1] << 8);
        pos_ += 2;
        return true;
    }
    bool U32(uint32_t& v) {
        if (bytes_.size() - pos_ < 4) return false;
        v = 0;
        for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(bytes_[pos_ + i]) << (8 * i);
        pos_ += 4;
        return true;
    }
    bool Bytes(uint8_t* dst, size_t n) {
        if (bytes_.size() - pos_ < n) return false;
        std::memcpy(dst, bytes_.data() + pos_, n);
        pos_ += n;
        return true;
    }
    // A block of exactly N bytes, or up to N bytes when partial is allowed (rest zero).
    template <size_t N>
    bool Block(std::array<uint8_t, N>& block, bool partial, std::string* why) {
        uint32_t length = 0;
        if (!U32(length)) return Fail(why, "file ends inside a block header");
        if (partial ? length > N : length != N) return Fail(why, "block has the wrong length");
        block.fill(0);
        if (!Bytes(block.data(), length)) return Fail(why, "file ends inside a block");
        return true;
    }
    bool AtEnd() const { return pos_ == bytes_.size(); }
    static bool Fail(std::string* why, const char* text) {
        if (why) *why = text;
        return false;
    }

  private:
    std::span<const uint8_t> bytes_;
    size_t pos_ = 0;
};

// Why a state file could not be written, in words; WriteFileAtomically only says that it failed.
std::string WhySaveFailed(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path target(path);
    if (fs::is_directory(target, ec)) return "it is a folder";
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    if (!fs::is_directory(folder, ec)) return "its folder " + folder.string() + " does not exist";
    if (::access(folder.c_str(), W_OK) != 0) return "its folder cannot be written";
    return "writing it failed";
}

// The whole file through the one bounded reader (a FIFO never hangs the program, only a regular
// file is read, a longer one is known to be too long), with the reasons this file's errors give.
bool ReadStateBytes(const std::string& path, size_t limit, std::vector<uint8_t>& bytes,
                    std::string* why) {
    const FileReadResult r = ReadFileBounded(path, limit, bytes);
    switch (r.status) {
        case FileReadStatus::Ok:
            return true;
        case FileReadStatus::Missing:
            return Reader::Fail(why, std::strerror(r.error ? r.error : ENOENT));
        case FileReadStatus::NotRegular:
            return Reader::Fail(why,
                                r.kind == S_IFDIR ? "it is a folder" : "it is not a regular file");
        case FileReadStatus::TooLarge:
            return Reader::Fail(why, "it is larger than any simulated keyboard state file");
        case FileReadStatus::Unreadable:
            return Reader::Fail(why, std::strerror(r.error));
        case FileReadStatus::NoMemory:
            return Reader::Fail(why, std::strerror(ENOMEM));
    }
    return Reader::Fail(why, "it cannot be read");
}

}  // namespace

bool SaveSimMemory(const SimMemory& memory, const std::string& path, std::string* error) {
    std::vector<uint8_t> out(std::begin(kMagic), std::end(kMagic));
    const SimModelInfo& info = memory.info();
    PutU16(out, kFileVersion);
    PutU16(out, info.vendorId);
    PutU16(out, info.productId);
    PutU16(out, 0);
    PutBlock(out, memory.state);
    PutBlock(out, memory.lighting);
    PutBlock(out, memory.keyColours);
    PutBlock(out, memory.keyMaps);
    PutBlock(out, memory.factoryMap);
    // Trailing zeros of the macro memory are implied, which keeps files small.
    size_t used = memory.macros.size();
    while (used > 0 && memory.macros[used - 1] == 0) --used;
    PutBlock(out, memory.macros, used);
    if (!WriteFileAtomically(path, std::span<const uint8_t>(out))) {
        if (error) *error = WhySaveFailed(path);
        return false;
    }
    return true;
}

bool LoadSimMemory(const std::string& path, SimMemory& memory, std::string* error) {
    std::vector<uint8_t> bytes;
    if (!ReadStateBytes(path, kSimStateFileLargest, bytes, error)) return false;
    return ParseSimMemory(bytes, memory, error);
}

bool ParseSimMemory(std::span<const uint8_t> bytes, SimMemory& memory, std::string* error) {
    Reader r(bytes);
    char magic[4];
    if (!r.Bytes(reinterpret_cast<uint8_t*>(magic), 4) || std::memcmp(magic, kMagic, 4) != 0)
        return Reader::Fail(error, "not a simulated keyboard state file");
    uint16_t version = 0, vid = 0, pid = 0, reserved = 0;
    if (!r.U16(version) || !r.U16(vid) || !r.U16(pid) || !r.U16(reserved))
        return Reader::Fail(error, "file ends inside its header");
    if (version != kFileVersion) return Reader::Fail(error, "unsupported state file version");
    std::optional<SimModel> model = ModelByIds(vid, pid);
    if (!model) return Reader::Fail(error, "unknown keyboard model in the state file");

    SimMemory loaded;
    loaded.model = *model;
    if (!r.Block(loaded.state, false, error) || !r.Block(loaded.lighting, false, error) ||
        !r.Block(loaded.keyColours, false, error) || !r.Block(loaded.keyMaps, false, error) ||
        !r.Block(loaded.factoryMap, false, error) || !r.Block(loaded.macros, true, error))
        return false;
    if (!r.AtEnd()) return Reader::Fail(error, "unexpected bytes after the last block");
    if (loaded.state[kStateActiveProfile] > 2)
        return Reader::Fail(error, "active profile out of range");
    memory = loaded;
    return true;
}

}  // namespace vorlin
