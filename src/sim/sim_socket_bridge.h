// Serves one open handle of a simulated keyboard over one end of a SOCK_SEQPACKET socketpair,
// one packet per report, so the host side can use the same fd I/O code as for a hidraw node.
// When the keyboard vanishes the socket is shut down, as a removed node stops working.
#pragma once

#include <memory>
#include <thread>

#include "sim/sim_keyboard.h"

namespace vorlin {

class SimSocketBridge {
  public:
    // Takes ownership of fd. Serving starts at once on a thread of its own.
    SimSocketBridge(std::shared_ptr<SimPort> port, int fd);
    ~SimSocketBridge();
    SimSocketBridge(const SimSocketBridge&) = delete;
    SimSocketBridge& operator=(const SimSocketBridge&) = delete;

    // Ends serving and joins the thread; the socket is closed.
    void Stop();
    bool ok() const { return fd_ >= 0 && stopFd_ >= 0; }

  private:
    void Run();

    std::shared_ptr<SimPort> port_;
    int fd_ = -1;
    int stopFd_ = -1;
    std::thread thread_;
};

}  // namespace vorlin
