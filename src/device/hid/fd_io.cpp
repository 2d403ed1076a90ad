// poll-based report transfers over hidraw nodes and socketpairs.
#include "device/hid/fd_io.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>

namespace vorlin {
namespace {

using Clock = std::chrono::steady_clock;

// Reports of other collections looked at after a read's deadline, at most: more than a node
// queues, so a read never runs on under a flood of them.
constexpr size_t kMaxSkippedLate = 256;

int RemainingMs(bool unlimited, Clock::time_point deadline) {
    if (unlimited) return -1;
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(std::min<long long>(left, INT32_MAX)) : 0;
}

class FdTransport final : public HidTransport {
  public:
    FdTransport(int fd, bool numbered, std::vector<uint8_t> accepted)
        : fd_(fd), numbered_(numbered) {
        for (uint8_t id : accepted) accepted_[id] = true;
        acceptAll_ = accepted.empty();
        // Transfers are tried before they are waited for; that must never block.
        const int flags = ::fcntl(fd_, F_GETFL);
        if (flags >= 0 && !(flags & O_NONBLOCK)) ::fcntl(fd_, F_SETFL, flags | O_NONBLOCK);
        struct stat st;
        isSocket_ = ::fstat(fd_, &st) == 0 && S_ISSOCK(st.st_mode);
    }
    ~FdTransport() override {
        if (fd_ >= 0) ::close(fd_);
    }

    bool Read(uint8_t* buf, size_t len, size_t* transferred, int timeoutMs, int cancelFd) override {
        if (transferred) *transferred = 0;
        if (fd_ < 0 || (!buf && len)) return false;
        bool unlimited = timeoutMs < 0;
        Clock::time_point deadline =
            Clock::now() + std::chrono::milliseconds(std::max(0, timeoutMs));
        // Room for the id byte we may add and one byte more, to notice oversized packets.
        uint8_t rx[kMaxFdReportBytes + 2];
        size_t skippedLate = 0;
        for (;;) {
            FdWait w = WaitForFd(fd_, POLLIN, cancelFd, RemainingMs(unlimited, deadline));
            if (w != FdWait::Ready) return false;
            uint8_t* dst = numbered_ ? rx : rx + 1;
            ssize_t n = ::read(fd_, dst, kMaxFdReportBytes + 1);
            if (n < 0) {
                if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) continue;
                return false;
            }
            if (n == 0) return false;  // peer gone
            size_t size = static_cast<size_t>(n);
            if (!numbered_) {
                rx[0] = 0;
                ++size;
            }
            if (!acceptAll_ && !accepted_[rx[0]]) {
                // Another collection's report: not ours, wait on within the same deadline. Once
                // it has passed, only what is already queued is looked at, and not forever.
                if (!unlimited && Clock::now() >= deadline && ++skippedLate > kMaxSkippedLate)
                    return false;
                continue;
            }
            if (size > len) return false;
            std::memcpy(buf, rx, size);
            if (transferred) *transferred = size;
            return true;
        }
    }

    bool Write(const uint8_t* buf, size_t len, size_t* transferred, int timeoutMs,
               int cancelFd) override {
        if (transferred) *transferred = 0;
        if (fd_ < 0 || !buf || len == 0) return false;
        // A node takes a report at once unless its queue is full: write first, and wait only
        // when it is (one system call per report on the usual path).
        bool unlimited = timeoutMs < 0;
        std::optional<Clock::time_point> deadline;
        for (;;) {
            // A socket whose peer is gone must fail the write, not raise SIGPIPE.
            ssize_t n = isSocket_ ? ::send(fd_, buf, len, MSG_NOSIGNAL) : ::write(fd_, buf, len);
            if (n >= 0) {
                if (transferred) *transferred = static_cast<size_t>(n);
                return static_cast<size_t>(n) == len;
            }
            if (errno == EINTR) continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) return false;
            if (!deadline)
                deadline = Clock::now() + std::chrono::milliseconds(std::max(0, timeoutMs));
            FdWait w = WaitForFd(fd_, POLLOUT, cancelFd, RemainingMs(unlimited, *deadline));
            if (w != FdWait::Ready) return false;
        }
    }

    int NativeFd() const override { return fd_; }

  private:
    int fd_;
    bool numbered_;
    bool isSocket_ = false;
    bool acceptAll_ = true;
    bool accepted_[256] = {};
};

}  // namespace

int MakeCancelEvent() {
    return ::eventfd(0, EFD_SEMAPHORE | EFD_NONBLOCK | EFD_CLOEXEC);
}

bool SignalCancelEvent(int fd, uint64_t count) {
    if (fd < 0 || count == 0) return false;
    for (;;) {
        ssize_t n = ::write(fd, &count, sizeof count);
        if (n == sizeof count) return true;
        if (n < 0 && errno == EINTR) continue;
        return false;
    }
}

bool TakeCancelSignal(int fd) {
    if (fd < 0) return false;
    uint64_t v = 0;
    for (;;) {
        ssize_t n = ::read(fd, &v, sizeof v);
        if (n == sizeof v) return true;
        if (n < 0 && errno == EINTR) continue;
        return false;  // EAGAIN: no signal, or another waiter took it
    }
}

FdWait WaitForFd(int fd, short events, int cancelFd, int timeoutMs) {
    bool unlimited = timeoutMs < 0;
    Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(std::max(0, timeoutMs));
    for (;;) {
        pollfd p[2] = {{fd, events, 0}, {cancelFd, POLLIN, 0}};
        int r = ::poll(p, cancelFd >= 0 ? 2 : 1, RemainingMs(unlimited, deadline));
        if (r < 0) {
            if (errno == EINTR) continue;
            return FdWait::Failed;
        }
        // Cancellation wins over a ready fd, so a signalled give-up is never ignored.
        if (cancelFd >= 0 && (p[1].revents & POLLIN) && TakeCancelSignal(cancelFd))
            return FdWait::Cancelled;
        if (cancelFd >= 0 && (p[1].revents & (POLLERR | POLLNVAL))) return FdWait::Failed;
        if (p[0].revents & POLLNVAL) return FdWait::Failed;
        if (p[0].revents & (events | POLLHUP | POLLERR)) return FdWait::Ready;
        if (r == 0 && !unlimited && Clock::now() >= deadline) return FdWait::TimedOut;
        // Otherwise another waiter took the signal first, or poll woke early: wait on.
    }
}

std::unique_ptr<HidTransport> MakeFdTransport(int fd, bool numbered,
                                              std::vector<uint8_t> acceptedInputIds) {
    if (fd < 0) return nullptr;
    return std::make_unique<FdTransport>(fd, numbered, std::move(acceptedInputIds));
}

}  // namespace vorlin
