// The simulator backend: interface paths of simulated keyboards, opened in process (a transport
// waiting on the handle's signal and the cancel eventfd) or over a socketpair and the fd I/O
// code.
#include "sim/sim_backend.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>

#include "device/hid/fd_io.h"
#include "device/hid/interface_path.h"
#include "device/hid/report_descriptor.h"
#include "sim/keyboard_descriptors.h"
#include "sim/sim_socket_bridge.h"

namespace vorlin {
namespace {

using Clock = SimPort::Clock;

// Waits on the handle's signal and the cancel event; false when cancelled or the wait failed.
bool WaitForPort(SimPort& port, int cancelFd, std::optional<Clock::time_point> until,
                 bool& cancelled) {
    pollfd fds[2] = {{port.signalFd(), POLLIN, 0}, {cancelFd, POLLIN, 0}};
    timespec wait{};
    timespec* timeout = nullptr;
    if (until) {
        auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(*until - Clock::now());
        if (left.count() < 0) left = {};
        wait.tv_sec = static_cast<time_t>(left.count() / 1000000000);
        wait.tv_nsec = static_cast<long>(left.count() % 1000000000);
        timeout = &wait;
    }
    int n = ppoll(fds, cancelFd >= 0 ? 2 : 1, timeout, nullptr);
    if (n < 0) return errno == EINTR;
    if (cancelFd >= 0 && (fds[1].revents & POLLIN) && TakeCancelSignal(cancelFd)) {
        cancelled = true;
        return false;
    }
    return true;
}

class InProcessTransport final : public HidTransport {
  public:
    explicit InProcessTransport(std::shared_ptr<SimPort> port) : port_(std::move(port)) {}

    bool Read(uint8_t* buf, size_t len, size_t* transferred, int timeoutMs, int cancelFd) override {
        *transferred = 0;
        std::optional<Clock::time_point> deadline;
        if (timeoutMs >= 0) deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            port_->ClearSignal();
            Clock::time_point readyAt;
            switch (port_->TryRead(buf, len, transferred, &readyAt)) {
                case SimPort::ReadResult::Got:
                    return true;
                case SimPort::ReadResult::Dead:
                case SimPort::ReadResult::TooLong:  // never passed off as a whole report
                    return false;
                case SimPort::ReadResult::Empty:
                    readyAt = Clock::time_point::max();
                    break;
                case SimPort::ReadResult::NotYet:
                    break;
            }
            if (deadline && Clock::now() >= *deadline) return false;
            std::optional<Clock::time_point> until;
            if (readyAt != Clock::time_point::max()) until = readyAt;
            if (deadline && (!until || *deadline < *until)) until = deadline;
            bool cancelled = false;
            if (!WaitForPort(*port_, cancelFd, until, cancelled)) return false;
        }
    }

    bool Write(const uint8_t* buf, size_t len, size_t* transferred, int /*timeoutMs*/,
               int /*cancelFd*/) override {
        // The keyboard takes a report at once; the link delay is on the reply.
        *transferred = 0;
        if (!port_->Write(buf, len)) return false;
        *transferred = len;
        return true;
    }

  private:
    std::shared_ptr<SimPort> port_;
};

// The fd transport plus the bridge that serves its other end.
class BridgedTransport final : public HidTransport {
  public:
    BridgedTransport(std::unique_ptr<SimSocketBridge> bridge, std::unique_ptr<HidTransport> inner)
        : bridge_(std::move(bridge)), inner_(std::move(inner)) {}
    ~BridgedTransport() override {
        inner_.reset();
        bridge_->Stop();
    }
    bool Read(uint8_t* buf, size_t len, size_t* transferred, int timeoutMs, int cancelFd) override {
        return inner_->Read(buf, len, transferred, timeoutMs, cancelFd);
    }
    bool Write(const uint8_t* buf, size_t len, size_t* transferred, int timeoutMs,
               int cancelFd) override {
        return inner_->Write(buf, len, transferred, timeoutMs, cancelFd);
    }
    int NativeFd() const override { return inner_->NativeFd(); }

  private:
    std::unique_ptr<SimSocketBridge> bridge_;
    std::unique_ptr<HidTransport> inner_;
};

SimEndpoint EndpointOf(const HidCaps& caps) {
    if (caps.usagePage == 0xFF1C) return SimEndpoint::Vendor;
    if (caps.usagePage == 0x000C) return SimEndpoint::Consumer;
    return SimEndpoint::Keyboard;
}

// One path per top-level collection of each interface, as the hidraw backend spells them.
std::vector<SimBackend::Interface> InterfacesOf(int slot, const SimModelInfo& info) {
    std::vector<SimBackend::Interface> result;
    for (const KeyboardInterface& ki : KeyboardModelInterfaces(info.vendorId, info.productId)) {
        HidDescriptorInfo parsed;
        if (!ParseReportDescriptor(ki.reportDescriptor.data(), ki.reportDescriptor.size(), parsed))
            continue;
        const size_t collections = parsed.collections.size();
        std::vector<SimEndpoint> node;
        for (const auto& c : parsed.collections) node.push_back(EndpointOf(c->caps));
        for (size_t c = 0; c < collections; ++c) {
            const InterfacePath path{kSimPathPrefix + std::to_string(slot), info.vendorId,
                                     info.productId, ki.interfaceNumber,
                                     collections > 1 ? static_cast<int>(c + 1) : 0};
            result.push_back({path.Format(), EndpointOf(parsed.collections[c]->caps),
                              ki.reportDescriptor, static_cast<int>(c + 1),
                              InputReportIds(*parsed.collections[c]), node});
        }
    }
    return result;
}

}  // namespace

SimBackend::SimBackend(Transport transport) : transport_(transport) {}

int SimBackend::Add(std::shared_ptr<SimKeyboard> keyboard) {
    std::lock_guard<std::mutex> guard(lock_);
    const int slot = static_cast<int>(slots_.size());
    std::vector<Interface> interfaces = InterfacesOf(slot, keyboard->info());
    slots_.push_back({std::move(keyboard), std::move(interfaces)});
    return slot;
}

void SimBackend::Remove(int slot) {
    std::lock_guard<std::mutex> guard(lock_);
    if (slot < 0 || slot >= static_cast<int>(slots_.size()) || !slots_[slot].keyboard) return;
    slots_[slot].keyboard->Vanish();
    slots_[slot].keyboard.reset();
    slots_[slot].interfaces.clear();
}

std::shared_ptr<SimKeyboard> SimBackend::Keyboard(int slot) {
    std::lock_guard<std::mutex> guard(lock_);
    if (slot < 0 || slot >= static_cast<int>(slots_.size())) return nullptr;
    return slots_[slot].keyboard;
}

bool SimBackend::Enumerate(std::vector<std::string>& paths) {
    std::lock_guard<std::mutex> guard(lock_);
    paths.clear();
    for (const Slot& s : slots_) {
        if (!s.keyboard || !s.keyboard->Present()) continue;
        for (const Interface& i : s.interfaces) paths.push_back(i.path);
    }
    return true;
}

bool SimBackend::Find(const std::string& path, std::shared_ptr<SimKeyboard>& keyboard,
                      Interface& iface) {
    std::lock_guard<std::mutex> guard(lock_);
    for (const Slot& s : slots_) {
        if (!s.keyboard) continue;
        for (const Interface& i : s.interfaces) {
            if (i.path == path) {
                keyboard = s.keyboard;
                iface = i;
                return true;
            }
        }
    }
    return false;
}

std::unique_ptr<HidTransport> SimBackend::Open(const std::string& path, const HidOpenMode& /*mode*/,
                                               HidInterfaceInfo& info) {
    std::shared_ptr<SimKeyboard> keyboard;
    Interface iface;
    if (!Find(path, keyboard, iface)) return nullptr;
    const bool inProcess = transport_ == Transport::InProcess;
    std::shared_ptr<SimPort> port =
        keyboard->Open(iface.endpoint, inProcess ? std::vector<SimEndpoint>{} : iface.node);
    if (!port) return nullptr;
    info.attributes.vendorId = keyboard->info().vendorId;
    info.attributes.productId = keyboard->info().productId;
    info.attributes.versionNumber = 0x0100;
    info.reportDescriptor = iface.reportDescriptor;
    info.collectionIndex = iface.collectionIndex;
    if (inProcess) return std::make_unique<InProcessTransport>(port);

    int fds[2];
    if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, fds) != 0) return nullptr;
    auto bridge = std::make_unique<SimSocketBridge>(std::move(port), fds[1]);
    if (!bridge->ok()) {
        close(fds[0]);
        return nullptr;
    }
    std::unique_ptr<HidTransport> inner = MakeFdTransport(fds[0], true, iface.inputReportIds);
    if (!inner) return nullptr;
    return std::make_unique<BridgedTransport>(std::move(bridge), std::move(inner));
}

bool SimBackend::Exists(const std::string& path) {
    std::shared_ptr<SimKeyboard> keyboard;
    Interface iface;
    return Find(path, keyboard, iface) && keyboard->Present();
}

}  // namespace vorlin
