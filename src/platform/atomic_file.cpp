// Atomic whole-file replacement: a temporary file beside the target, fsync, rename, fsync of
// the folder. The target keeps its permission bits; a symbolic link keeps pointing at the file.
#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <random>
#include <string>

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

// Opens a fresh temporary file in the target's folder.
int OpenTemporary(const fs::path& target, fs::path& tempPath) {
    static std::atomic<unsigned> counter{0};
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = target;
        tempPath += ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" +
                    std::to_string(rd() & 0xFFFFFF);
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
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

    fs::path tempPath;
    const int fd = OpenTemporary(target, tempPath);
    if (fd < 0) return false;
    bool ok = fill(fd);
    if (ok && hadTarget) ok = ::fchmod(fd, existing.st_mode & 07777) == 0;
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

bool CopyFileAtomically(const std::filesystem::path& source, const std::filesystem::path& target) {
    const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return false;
    struct stat st {};
    if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(in);
        return false;
    }
    const bool ok = ReplaceWith(target, [&](int out) {
        uint8_t buffer[1 << 16];
        for (;;) {
            const ssize_t n = ::read(in, buffer, sizeof buffer);
            if (n == 0) return true;
            if (n < 0) {
                if (errno == EINTR) continue;
                return false;
            }
            if (!WriteAll(out, buffer, static_cast<size_t>(n))) return false;
        }
    });
    ::close(in);
    return ok;
}

}  // namespace vorlin
