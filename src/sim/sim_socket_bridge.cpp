// The bridge thread: requests from the socket go to the keyboard, reports from the keyboard
// go out on the socket when the link delay says they have arrived.
#include "sim/sim_socket_bridge.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <optional>

namespace vorlin {
namespace {

// When the packet of msg was sent, on the steady clock; now when the socket did not say.
SimPort::Clock::time_point SentAt(msghdr& msg) {
    const auto now = SimPort::Clock::now();
    for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c; c = CMSG_NXTHDR(&msg, c)) {
        if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_TIMESTAMPNS) continue;
        timespec sent, wall;
        std::memcpy(&sent, CMSG_DATA(c), sizeof sent);
        clock_gettime(CLOCK_REALTIME, &wall);
        const auto ago = std::chrono::seconds(wall.tv_sec - sent.tv_sec) +
                         std::chrono::nanoseconds(wall.tv_nsec - sent.tv_nsec);
        // A wall clock set back or far ahead tells nothing: ignore it.
        if (ago < std::chrono::nanoseconds(0) || ago > std::chrono::seconds(1)) return now;
        return now - std::chrono::duration_cast<SimPort::Clock::duration>(ago);
    }
    return now;
}

}  // namespace

SimSocketBridge::SimSocketBridge(std::shared_ptr<SimPort> port, int fd)
    : port_(std::move(port)), fd_(fd) {
    stopFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (ok() && port_) thread_ = std::thread([this] { Run(); });
}

SimSocketBridge::~SimSocketBridge() {
    Stop();
}

void SimSocketBridge::Stop() {
    if (thread_.joinable()) {
        uint64_t one = 1;
        ssize_t n = write(stopFd_, &one, sizeof one);
        (void)n;
        thread_.join();
    }
    if (fd_ >= 0) close(fd_);
    if (stopFd_ >= 0) close(stopFd_);
    fd_ = stopFd_ = -1;
}

void SimSocketBridge::Run() {
    using Clock = SimPort::Clock;
    // Replies are due at exact instants; the default 50 us timer slack would stretch every
    // simulated report by that much.
    prctl(PR_SET_TIMERSLACK, 1UL, 0, 0, 0);

    // The link delay counts from when the host sent a request, as on a wire, not from when
    // this thread woke up to take it.
    const int on = 1;
    setsockopt(fd_, SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on);

    std::optional<Clock::time_point> due;
    bool serving = true;  // false once the keyboard is gone: the socket is shut down
    uint8_t buffer[kSimReportSize * 2];
    for (;;) {
        pollfd fds[3] = {{stopFd_, POLLIN, 0}, {fd_, POLLIN, 0}, {port_->signalFd(), POLLIN, 0}};
        const nfds_t count = serving ? 3 : 1;
        timespec wait{};
        timespec* timeout = nullptr;
        if (serving && due) {
            auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(*due - Clock::now());
            if (left.count() < 0) left = {};
            wait.tv_sec = static_cast<time_t>(left.count() / 1000000000);
            wait.tv_nsec = static_cast<long>(left.count() % 1000000000);
            timeout = &wait;
        }
        if (ppoll(fds, count, timeout, nullptr) < 0 && errno != EINTR) return;
        if (fds[0].revents) return;
        if (!serving) continue;

        if (fds[1].revents & POLLIN) {
            iovec io{buffer, sizeof buffer};
            alignas(cmsghdr) char control[CMSG_SPACE(sizeof(timespec))];
            msghdr msg{};
            msg.msg_iov = &io;
            msg.msg_iovlen = 1;
            msg.msg_control = control;
            msg.msg_controllen = sizeof control;
            ssize_t n = recvmsg(fd_, &msg, MSG_DONTWAIT);
            if (n > 0) {
                port_->Write(buffer, static_cast<size_t>(n), SentAt(msg));
            } else if (n == 0) {
                serving = false;  // the host closed its end
                continue;
            }
        } else if (fds[1].revents & (POLLHUP | POLLERR)) {
            serving = false;
            continue;
        }

        port_->ClearSignal();
        due.reset();
        for (;;) {
            size_t got = 0;
            Clock::time_point readyAt;
            SimPort::ReadResult r = port_->TryRead(buffer, sizeof buffer, &got, &readyAt);
            if (r == SimPort::ReadResult::TooLong) continue;
            if (r == SimPort::ReadResult::Got) {
                // A host that does not read loses reports, as with a full hidraw buffer.
                send(fd_, buffer, got, MSG_DONTWAIT | MSG_NOSIGNAL);
                continue;
            }
            if (r == SimPort::ReadResult::NotYet) due = readyAt;
            if (r == SimPort::ReadResult::Dead) {
                shutdown(fd_, SHUT_RDWR);
                serving = false;
            }
            break;
        }
    }
}

}  // namespace vorlin
