// One process talks to a keyboard at a time. Two programs exchanging frames with one keyboard
// take each other's replies, and two runs that read, change and write back one simulated
// keyboard's state file lose each other's changes. Whoever holds this lock owns the keyboard
// for a whole command sequence, the backing files it writes included.
//
// The lock is an flock: the kernel drops it when the holder exits or is killed, so a lock file
// left behind never blocks anyone. The pid recorded in a lock file only names the holder to a
// process that waits.
#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace vorlin {

struct LockHolder {
    int pid = 0;          // 0: not known
    std::string program;  // from /proc/PID/comm or exe; empty when not readable
};

// "process 1234 (vorlinctl)", "process 1234", or "another process".
std::string DescribeLockHolder(const LockHolder& holder);

// How long a second process waits for a keyboard before it gives up.
constexpr std::chrono::milliseconds kKeyboardLockWait{10000};

class KeyboardLock {
  public:
    enum : int { kTaken = 1, kBusy = 0, kFailed = -1 };
    // Called once, when the first attempt finds the keyboard taken.
    using WaitNote = std::function<void(const LockHolder&)>;

    KeyboardLock() = default;
    ~KeyboardLock() { Release(); }
    KeyboardLock(const KeyboardLock&) = delete;
    KeyboardLock& operator=(const KeyboardLock&) = delete;

    // Locks the device node itself (a hidraw node), opened without blocking; nothing is written
    // to it. kTaken, kBusy after waiting up to `wait` (holder() says who has it), or kFailed
    // when the node cannot be opened (error() says why).
    int LockNode(const std::string& node, std::chrono::milliseconds wait,
                 const WaitNote& note = {});
    // Locks a lock file, created (0600) when missing, and records this process's pid in it.
    // Refuses a path that is not a regular file or is a symbolic link.
    int LockFile(const std::string& file, std::chrono::milliseconds wait,
                 const WaitNote& note = {});

    bool Held() const { return fd_ >= 0; }
    void Release();

    const LockHolder& holder() const { return holder_; }
    const std::string& error() const { return error_; }

  private:
    int Take(int fd, bool recordPid, std::chrono::milliseconds wait, const WaitNote& note);

    int fd_ = -1;
    LockHolder holder_;
    std::string error_;
};

}  // namespace vorlin
