// Atomic whole-file replacement: a temporary file beside the target, fsync, rename, fsync of
// the folder. The target keeps its permission bits (a new one gets those the umask allows); a
// symbolic link keeps pointing at the file. The temporary file is the owner's alone until the
// rename, and those of writers that were killed are cleared away by the next write.
#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_read.h"

namespace vorlin {
namespace {

namespace fs = std::filesystem;

bool WriteAll(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Where the bytes must end up: the file a symbolic link points to, not the link itself.
fs::path ResolveTarget(const fs::path& target) {
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        const fs::path resolved = fs::weakly_canonical(target, ec);
        if (!ec) return resolved;
    }
    return target;
}

constexpr std::string_view kTempMarker = ".tmp-";

// Reads a decimal number at the front of text, moving past it; false when there is none.
bool TakeNumber(std::string_view& text, unsigned long& value) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end == text.data()) return false;
    text.remove_prefix(static_cast<size_t>(end - text.data()));
    return true;
}

// The writer's pid when name is one of our temporary files ("<target>.tmp-PID-N-R"), else 0.
pid_t TemporaryWriter(std::string_view name, std::string_view targetName) {
    const size_t at = name.rfind(kTempMarker);
    if (at == std::string_view::npos || at == 0) return 0;
    if (!targetName.empty() && name.substr(0, at) != targetName) return 0;
    std::string_view rest = name.substr(at + kTempMarker.size());
    unsigned long pid = 0, n = 0, r = 0;
    if (!TakeNumber(rest, pid) || rest.empty() || rest[0] != '-') return 0;
    rest.remove_prefix(1);
    if (!TakeNumber(rest, n) || rest.empty() || rest[0] != '-') return 0;
    rest.remove_prefix(1);
    if (!TakeNumber(rest, r) || !rest.empty() || pid == 0 || pid > 0x7FFFFFFF) return 0;
    return static_cast<pid_t>(pid);
}

bool ProcessRuns(pid_t pid) {
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

// The process's umask, without changing it (other threads may be creating files).
mode_t CurrentUmask() {
    std::string status;
    if (ReadFileLimited("/proc/self/status", status, 64 * 1024)) {
        const size_t at = status.find("\nUmask:");
        if (at != std::string::npos) {
            std::string_view rest(status);
            rest.remove_prefix(at + 7);
            while (!rest.empty() && (rest[0] == '\t' || rest[0] == ' ')) rest.remove_prefix(1);
            unsigned value = 0;
            auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), value, 8);
            if (ec == std::errc() && end != rest.data()) return static_cast<mode_t>(value & 0777);
        }
    }
    return 077;  // unknown: keep the file the owner's
}

// Opens a fresh temporary file in the target's folder.
int OpenTemporary(const fs::path& target, fs::path& tempPath) {
    static std::atomic<unsigned> counter{0};
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = target;
        tempPath += ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" +
                    std::to_string(rd() & 0xFFFFFF);
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

void SyncFolder(const fs::path& folder) {
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Streams the content through `fill` into a temporary file and renames it over the target.
template <typename Fill>
bool ReplaceWith(const fs::path& requested, Fill fill) {
    const fs::path target = ResolveTarget(requested);
    struct stat existing {};
    const bool hadTarget = ::stat(target.c_str(), &existing) == 0;
    if (hadTarget && !S_ISREG(existing.st_mode)) return false;

    RemoveStaleTemporaries(target.parent_path(), target);
    fs::path tempPath;
    const int fd = OpenTemporary(target, tempPath);
    if (fd < 0) return false;
    bool ok = fill(fd);
    if (ok) {
        const mode_t mode = hadTarget ? existing.st_mode & 07777 : 0666 & ~CurrentUmask();
        ok = ::fchmod(fd, mode) == 0;
    }
    if (ok) ok = ::fsync(fd) == 0;
    if (::close(fd) != 0) ok = false;
    if (ok) ok = ::rename(tempPath.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(tempPath.c_str());
        return false;
    }
    SyncFolder(target.parent_path());
    return true;
}

}  // namespace

bool WriteFileAtomically(const std::filesystem::path& target, std::span<const uint8_t> bytes) {
    return ReplaceWith(target, [&](int fd) { return WriteAll(fd, bytes.data(), bytes.size()); });
}

bool WriteFileAtomically(const std::filesystem::path& target, std::string_view text) {
    return WriteFileAtomically(
        target,
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

bool CopyFileAtomically(const std::filesystem::path& source, const std::filesystem::path& target,
                        size_t maxBytes) {
    std::vector<uint8_t> bytes;
    if (!ReadFileBounded(source, maxBytes, bytes).ok()) return false;
    return WriteFileAtomically(target, bytes);
}

int RemoveStaleTemporaries(const std::filesystem::path& folder,
                           const std::filesystem::path& target) {
    const std::string targetName = target.empty() ? std::string() : target.filename().string();
    const fs::path where = folder.empty() ? fs::path(".") : folder;
    const auto oldest = fs::file_time_type::clock::now() - kStaleTemporaryAge;
    int removed = 0;
    std::error_code ec;
    for (fs::directory_iterator it(where, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const pid_t writer = TemporaryWriter(name, targetName);
        if (writer == 0) continue;
        std::error_code fileEc;
        if (!it->is_regular_file(fileEc) || it->is_symlink(fileEc)) continue;
        const bool old = it->last_write_time(fileEc) < oldest && !fileEc;
        if (!old && ProcessRuns(writer)) continue;
        if (fs::remove(it->path(), fileEc)) ++removed;
    }
    return removed;
}

}  // namespace vorlin
