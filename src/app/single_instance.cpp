#include "app/single_instance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/app_paths.h"
#include "platform/le_bytes.h"

namespace vorlin {

namespace fs = std::filesystem;

namespace {

struct WireMessage {
    InstanceRequest request;
    uint32_t message;
    uint32_t parameter;
};

// The window messages of the main window that other processes may send: the two tagged ones,
// and the commands and the posted message that are accepted from any sender.
constexpr uint32_t kWmCommand = 0x0111;
constexpr WireMessage kWire[] = {
    {InstanceRequest::Open, 0x5350, 0x4F50454E},
    {InstanceRequest::Kill, 0x4D4B, 0x4C4C494B},
    {InstanceRequest::Exit, kWmCommand, 32779},
    {InstanceRequest::OpenFirmwareDialog, kWmCommand, 32780},
    {InstanceRequest::Apply, 0x001E, 0},
};

constexpr char kLockName[] = "vorlin.lock";
constexpr char kSocketName[] = "vorlin.sock";
// A peer that connects must say what it wants at once; the running copy does not wait longer.
constexpr int kPeerTimeoutMs = 200;

std::string Errno(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

bool SocketAddress(const fs::path& path, sockaddr_un& addr) {
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    const std::string s = path.string();
    if (s.size() >= sizeof addr.sun_path) return false;
    std::memcpy(addr.sun_path, s.c_str(), s.size() + 1);
    return true;
}

int OpenLock(const fs::path& folder, std::string* why) {
    const fs::path path = folder / kLockName;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0 && why) *why = Errno("cannot open " + path.string());
    return fd;
}

}  // namespace

void EncodeInstanceRequest(InstanceRequest request, uint8_t (&frame)[kInstanceMessageSize]) {
    for (const WireMessage& w : kWire) {
        if (w.request != request) continue;
        PutU32(frame, w.message);
        PutU32(frame + 4, w.parameter);
        return;
    }
}

std::optional<InstanceRequest> DecodeInstanceRequest(const uint8_t (&frame)[kInstanceMessageSize]) {
    const uint32_t message = GetU32(frame);
    const uint32_t parameter = GetU32(frame + 4);
    for (const WireMessage& w : kWire)
        if (w.message == message && w.parameter == parameter) return w.request;
    return std::nullopt;
}

std::optional<fs::path> InstanceFolder(const fs::path& runtimeFolder) {
    const fs::path folder = runtimeFolder / "vorlin";
    if (!EnsurePrivateFolder(runtimeFolder) || !EnsurePrivateFolder(folder)) return std::nullopt;
    return folder;
}

InstanceServer::InstanceServer(int lockFd, int listenFd, fs::path socketPath)
    : lockFd_(lockFd), listenFd_(listenFd), socketPath_(std::move(socketPath)) {}

InstanceServer::InstanceServer(InstanceServer&& other) noexcept
    : lockFd_(other.lockFd_),
      listenFd_(other.listenFd_),
      socketPath_(std::move(other.socketPath_)) {
    other.lockFd_ = other.listenFd_ = -1;
    other.socketPath_.clear();
}

InstanceServer& InstanceServer::operator=(InstanceServer&& other) noexcept {
    if (this != &other) {
        Close();
        lockFd_ = other.lockFd_;
        listenFd_ = other.listenFd_;
        socketPath_ = std::move(other.socketPath_);
        other.lockFd_ = other.listenFd_ = -1;
        other.socketPath_.clear();
    }
    return *this;
}

InstanceServer::~InstanceServer() {
    Close();
}

void InstanceServer::Close() {
    if (listenFd_ >= 0) {
        ::close(listenFd_);
        // Only the lock holder ever binds the socket, so the file is ours to remove.
        ::unlink(socketPath_.c_str());
    }
    if (lockFd_ >= 0) ::close(lockFd_);
    lockFd_ = listenFd_ = -1;
}

std::optional<InstanceServer> InstanceServer::Claim(const fs::path& folder, std::string* why) {
    if (why) why->clear();
    const int lockFd = OpenLock(folder, why);
    if (lockFd < 0) return std::nullopt;
    if (::flock(lockFd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && why)
            *why = Errno("cannot lock " + (folder / kLockName).string());
        ::close(lockFd);
        return std::nullopt;
    }
    const fs::path socketPath = folder / kSocketName;
    sockaddr_un addr{};
    if (!SocketAddress(socketPath, addr)) {
        if (why) *why = "the path " + socketPath.string() + " is too long for a socket";
        ::close(lockFd);
        return std::nullopt;
    }
    // A socket file left by a run that crashed: we hold the lock, so nobody listens on it.
    ::unlink(socketPath.c_str());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(fd, 8) != 0) {
        if (why) *why = Errno("cannot listen on " + socketPath.string());
        if (fd >= 0) ::close(fd);
        ::close(lockFd);
        return std::nullopt;
    }
    return InstanceServer(lockFd, fd, socketPath);
}

std::optional<InstanceRequest> InstanceServer::AcceptRequest() {
    if (listenFd_ < 0) return std::nullopt;
    const int peer = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (peer < 0) return std::nullopt;
    std::optional<InstanceRequest> request;
    ucred cred{};
    socklen_t len = sizeof cred;
    if (::getsockopt(peer, SOL_SOCKET, SO_PEERCRED, &cred, &len) == 0 && len == sizeof cred &&
        cred.uid == ::geteuid()) {
        uint8_t frame[kInstanceMessageSize];
        size_t got = 0;
        while (got < sizeof frame) {
            pollfd p{peer, POLLIN, 0};
            if (::poll(&p, 1, kPeerTimeoutMs) <= 0) break;
            const ssize_t n = ::read(peer, frame + got, sizeof frame - got);
            if (n <= 0) break;
            got += static_cast<size_t>(n);
        }
        if (got == sizeof frame) request = DecodeInstanceRequest(frame);
    }
    ::close(peer);
    return request;
}

bool SignalRunningInstance(const fs::path& folder, InstanceRequest request) {
    sockaddr_un addr{};
    if (!SocketAddress(folder / kSocketName, addr)) return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    bool sent = false;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
        uint8_t frame[kInstanceMessageSize];
        EncodeInstanceRequest(request, frame);
        sent = ::send(fd, frame, sizeof frame, MSG_NOSIGNAL) == static_cast<ssize_t>(sizeof frame);
    }
    ::close(fd);
    return sent;
}

bool InstanceRunning(const fs::path& folder) {
    const int fd = ::open((folder / kLockName).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return false;
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

}  // namespace vorlin
