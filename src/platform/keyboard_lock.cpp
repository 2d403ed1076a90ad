// The keyboard lock: flock with a bounded wait, and who holds it from /proc/locks or the pid
// its lock file records.
#include "platform/keyboard_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <thread>

namespace vorlin {
namespace {

using Clock = std::chrono::steady_clock;

// Up to limit bytes of a file that may be a pseudo file without a size.
std::string ReadSmall(const std::string& path, size_t limit) {
    std::string text;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return text;
    char buf[4096];
    while (text.size() < limit) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        text.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    if (text.size() > limit) text.resize(limit);
    return text;
}

std::string ProgramOf(int pid) {
    const std::string proc = "/proc/" + std::to_string(pid);
    std::string name = ReadSmall(proc + "/comm", 64);
    while (!name.empty() && (name.back() == '\n' || name.back() == '\0')) name.pop_back();
    if (!name.empty()) return name;
    char exe[4096];
    const ssize_t n = ::readlink((proc + "/exe").c_str(), exe, sizeof exe - 1);
    if (n <= 0) return {};
    std::string path(exe, static_cast<size_t>(n));
    return path.substr(path.rfind('/') + 1);
}

// The process holding an flock on the file open at fd, as the kernel lists it; 0 when not
// found (another pid namespace, or a file system whose ids differ from what stat reports).
int FlockHolderOf(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return 0;
    std::istringstream lines(ReadSmall("/proc/locks", 4u << 20));
    std::string line;
    // "1: FLOCK  ADVISORY  WRITE 1234 fe:00:10952766 0 EOF"; waiters have "->" after the number.
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string number, kind, mode, access, id;
        int pid = 0;
        if (!(words >> number >> kind >> mode >> access >> pid >> id) || kind != "FLOCK") continue;
        unsigned major = 0, minor = 0;
        unsigned long long inode = 0;
        if (std::sscanf(id.c_str(), "%x:%x:%llu", &major, &minor, &inode) != 3) continue;
        if (major == ::major(st.st_dev) && minor == ::minor(st.st_dev) && inode == st.st_ino)
            return pid;
    }
    return 0;
}

int RecordedPid(int fd) {
    char buf[24] = {};
    const ssize_t n = ::pread(fd, buf, sizeof buf - 1, 0);
    if (n <= 0) return 0;
    int pid = 0;
    for (ssize_t i = 0; i < n && buf[i] >= '0' && buf[i] <= '9' && pid < 100000000; ++i)
        pid = pid * 10 + (buf[i] - '0');
    return pid;
}

LockHolder FindHolder(int fd, bool lockFile) {
    LockHolder holder;
    holder.pid = FlockHolderOf(fd);
    if (holder.pid == 0 && lockFile) holder.pid = RecordedPid(fd);
    if (holder.pid > 0) holder.program = ProgramOf(holder.pid);
    return holder;
}

}  // namespace

std::string DescribeLockHolder(const LockHolder& holder) {
    if (holder.pid <= 0) return "another process";
    std::string text = "process " + std::to_string(holder.pid);
    if (!holder.program.empty()) text += " (" + holder.program + ")";
    return text;
}

int KeyboardLock::LockNode(const std::string& node, std::chrono::milliseconds wait,
                           const WaitNote& note) {
    Release();
    const int fd = ::open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error_ = std::strerror(errno);
        return kFailed;
    }
    return Take(fd, false, wait, note);
}

int KeyboardLock::LockFile(const std::string& file, std::chrono::milliseconds wait,
                           const WaitNote& note) {
    Release();
    // Not through a link, and never a FIFO or device: the file is truncated once locked.
    const int fd =
        ::open(file.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) {
        error_ = errno == ELOOP ? "it is a symbolic link" : std::strerror(errno);
        return kFailed;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        error_ = "it is not a regular file";
        return kFailed;
    }
    return Take(fd, true, wait, note);
}

int KeyboardLock::Take(int fd, bool recordPid, std::chrono::milliseconds wait,
                       const WaitNote& note) {
    const Clock::time_point deadline = Clock::now() + wait;
    bool noted = false;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) break;
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK) {
            error_ = std::strerror(errno);
            ::close(fd);
            return kFailed;
        }
        const Clock::time_point now = Clock::now();
        if (now >= deadline) {
            holder_ = FindHolder(fd, recordPid);
            ::close(fd);
            return kBusy;
        }
        if (!noted && note) note(FindHolder(fd, recordPid));
        noted = true;
        // flock has no time-out of its own; a short poll keeps the wait bounded.
        std::this_thread::sleep_for(
            std::min<Clock::duration>(std::chrono::milliseconds(50), deadline - now));
    }
    if (recordPid) {
        const std::string pid = std::to_string(::getpid()) + "\n";
        // Only informative: a lock whose pid cannot be written still excludes.
        [[maybe_unused]] const bool recorded =
            ::ftruncate(fd, 0) == 0 &&
            ::pwrite(fd, pid.data(), pid.size(), 0) == static_cast<ssize_t>(pid.size());
    }
    fd_ = fd;
    holder_ = {};
    error_.clear();
    return kTaken;
}

void KeyboardLock::Release() {
    if (fd_ < 0) return;
    // The pid stays in the file; whoever takes the lock next writes its own.
    ::close(fd_);
    fd_ = -1;
}

}  // namespace vorlin
