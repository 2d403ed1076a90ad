// Bounded whole-file reads on an opened descriptor.
#include "platform/file_read.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

namespace vorlin {
namespace {

// sysfs and procfs give sizes that are not their content's (4096 or 0): only the bound counts.
bool SizeIsMeaningful(int fd) {
    struct statfs fs {};
    if (::fstatfs(fd, &fs) != 0) return true;
    return fs.f_type != SYSFS_MAGIC && fs.f_type != PROC_SUPER_MAGIC;
}

template <typename Bytes>
FileReadResult ReadInto(const std::filesystem::path& file, size_t limit, Bytes& out) {
    FileReadResult r;
    r.limit = limit;
    out.clear();
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        r.error = errno;
        r.status = errno == ENOENT || errno == ENOTDIR ? FileReadStatus::Missing
                                                       : FileReadStatus::Unreadable;
        return r;
    }
    auto finish = [&](FileReadStatus status, int error = 0) {
        ::close(fd);
        r.status = status;
        r.error = error;
        if (status != FileReadStatus::Ok) out.clear();
        return r;
    };
    struct stat st {};
    if (::fstat(fd, &st) != 0) return finish(FileReadStatus::Unreadable, errno);
    r.kind = st.st_mode & S_IFMT;
    r.size = st.st_size > 0 ? static_cast<uint64_t>(st.st_size) : 0;
    if (!S_ISREG(st.st_mode)) return finish(FileReadStatus::NotRegular);
    const bool sized = SizeIsMeaningful(fd);
    if (sized && r.size > limit) return finish(FileReadStatus::TooLarge);
    // Reads of a regular file do not block anyway; the flag only had to protect the open.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);

    try {
        // One byte past the bound tells a file that grew (or lied about its size) from one that
        // fits exactly.
        out.resize(sized ? static_cast<size_t>(r.size) + 1 : (limit < 65536 ? limit + 1 : 65536));
    } catch (const std::bad_alloc&) {
        return finish(FileReadStatus::NoMemory);
    }
    size_t got = 0;
    for (;;) {
        if (got == out.size()) {
            if (got > limit) break;
            try {
                out.resize(std::min(limit + 1, out.size() * 2));
            } catch (const std::bad_alloc&) {
                return finish(FileReadStatus::NoMemory);
            }
        }
        const ssize_t n = ::read(fd, out.data() + got, out.size() - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            return finish(FileReadStatus::Unreadable, errno);
        }
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    if (got > limit) {
        r.size = got;
        return finish(FileReadStatus::TooLarge);
    }
    out.resize(got);
    return finish(FileReadStatus::Ok);
}

const char* KindName(uint32_t kind) {
    switch (kind) {
        case S_IFDIR:
            return "a folder";
        case S_IFIFO:
            return "a FIFO";
        case S_IFSOCK:
            return "a socket";
        case S_IFCHR:
            return "a character device";
        case S_IFBLK:
            return "a block device";
        default:
            return "something else";
    }
}

}  // namespace

FileReadResult ReadFileBounded(const std::filesystem::path& file, size_t limit,
                               std::vector<uint8_t>& out) {
    return ReadInto(file, limit, out);
}

FileReadResult ReadFileBounded(const std::filesystem::path& file, size_t limit, std::string& out) {
    return ReadInto(file, limit, out);
}

std::string DescribeFileRead(const FileReadResult& r) {
    switch (r.status) {
        case FileReadStatus::Ok:
            return "";
        case FileReadStatus::Missing:
            return "does not exist";
        case FileReadStatus::NotRegular:
            return std::string("is not a regular file (it is ") + KindName(r.kind) + ")";
        case FileReadStatus::TooLarge:
            return "is larger than " + std::to_string(r.limit) + " bytes";
        case FileReadStatus::Unreadable:
            return std::string("cannot be read: ") + std::strerror(r.error);
        case FileReadStatus::NoMemory:
            return "is too large for the memory available";
    }
    return "cannot be read";
}

bool ReadFileLimited(const std::string& file, std::string& out, size_t limit) {
    return ReadFileBounded(file, limit, out).ok();
}

}  // namespace vorlin
