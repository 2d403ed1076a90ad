// One running copy of the desktop application per user. The first copy holds an flock on
// "vorlin.lock" and listens on "vorlin.sock", both in a per-user runtime folder of mode 0700;
// later copies find the lock taken and pass their request over the socket. The kernel drops the
// lock with its holder, so a crashed run never blocks a new start, and a socket file it left is
// replaced by the next first copy.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace vorlin {

// What another process may ask of the running copy. Each travels as the window message the
// other side of the protocol knows (message number, then its parameter, both 32-bit LE).
enum class InstanceRequest {
    Open,                // 0x5350 'OPEN': show the main window
    Kill,                // 0x4D4B 'KILL': exit
    Exit,                // command 32779: exit
    OpenFirmwareDialog,  // command 32780
    Apply,               // posted 0x001E: run Apply
};

constexpr size_t kInstanceMessageSize = 8;
void EncodeInstanceRequest(InstanceRequest request, uint8_t (&frame)[kInstanceMessageSize]);
// nullopt for an unknown message number or a wrong tag.
std::optional<InstanceRequest> DecodeInstanceRequest(const uint8_t (&frame)[kInstanceMessageSize]);

// The folder of the lock and the socket: "vorlin" in the user's runtime folder, made private
// (mode 0700, ours). nullopt when it cannot be.
std::optional<std::filesystem::path> InstanceFolder(const std::filesystem::path& runtimeFolder);

// The first copy's lock and socket. Movable, not copyable; the destructor closes both and
// removes the socket file.
class InstanceServer {
  public:
    // Takes the lock and starts listening. nullopt when another copy holds the lock (why empty)
    // or on an error (why says what).
    static std::optional<InstanceServer> Claim(const std::filesystem::path& folder,
                                               std::string* why);
    InstanceServer(InstanceServer&& other) noexcept;
    InstanceServer& operator=(InstanceServer&& other) noexcept;
    InstanceServer(const InstanceServer&) = delete;
    InstanceServer& operator=(const InstanceServer&) = delete;
    ~InstanceServer();

    // The listening socket, non-blocking, for the event loop to watch for readability.
    int ListenFd() const { return listenFd_; }
    // Accepts one waiting peer and reads its request. nullopt when none waits, the peer is
    // another user, or it sent no valid request within a short time.
    std::optional<InstanceRequest> AcceptRequest();

  private:
    InstanceServer(int lockFd, int listenFd, std::filesystem::path socketPath);
    void Close();

    int lockFd_ = -1;
    int listenFd_ = -1;
    std::filesystem::path socketPath_;
};

// Sends request to the running copy. False when none answers (no copy, or it is still
// starting; callers retry for a while).
bool SignalRunningInstance(const std::filesystem::path& folder, InstanceRequest request);
// True when a copy holds the lock, whether or not it listens yet.
bool InstanceRunning(const std::filesystem::path& folder);

}  // namespace vorlin
