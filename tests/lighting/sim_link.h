// A device link to a simulated keyboard for tests: its vendor collection is served over a
// socketpair, so every command runs through the real protocol and transport code.
#pragma once

#include <sys/socket.h>

#include <memory>
#include <string>
#include <vector>

#include "device/device_link.h"
#include "device/hid/fd_io.h"
#include "device/hid/hid_backend.h"
#include "device/hid/keyboard_descriptors.h"
#include "device/hid/report_descriptor.h"
#include "sim/sim_keyboard.h"
#include "sim/sim_socket_bridge.h"

namespace vorlin::test {

class SimVendorBackend : public HidBackend {
  public:
    static constexpr const char* kPath = "sim:vendor";

    explicit SimVendorBackend(std::shared_ptr<SimKeyboard> keyboard)
        : keyboard_(std::move(keyboard)) {}

    bool Enumerate(std::vector<std::string>& paths) override {
        paths = {kPath};
        return true;
    }

    std::unique_ptr<HidTransport> Open(const std::string& path, const HidOpenMode&,
                                       HidInterfaceInfo& info) override {
        if (path != kPath) return nullptr;
        std::shared_ptr<SimPort> port = keyboard_->Open(SimEndpoint::Vendor);
        if (!port) return nullptr;
        auto descriptor = VendorCollectionDescriptor();
        HidDescriptorInfo parsed;
        if (!ParseReportDescriptor(descriptor.data(), descriptor.size(), parsed)) return nullptr;
        int sv[2];
        if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, sv) != 0)
            return nullptr;
        bridges_.push_back(std::make_unique<SimSocketBridge>(port, sv[1]));
        info.attributes = {keyboard_->info().vendorId, keyboard_->info().productId, 0x0107};
        info.reportDescriptor.assign(descriptor.begin(), descriptor.end());
        info.collectionIndex = 1;
        const auto& collection = *parsed.collections[0];
        return MakeFdTransport(sv[0], collection.numbered, InputReportIds(collection));
    }

    bool Exists(const std::string& path) override { return path == kPath; }

  private:
    std::shared_ptr<SimKeyboard> keyboard_;
    std::vector<std::unique_ptr<SimSocketBridge>> bridges_;
};

// A connected keyboard of the given model, as the connection monitor leaves the link.
struct SimLink {
    explicit SimLink(SimModel model)
        : keyboard(SimKeyboard::Create(model)), backend(keyboard), link(backend) {
        ok = link.device.Open(SimVendorBackend::kPath, true, true, true, false);
        link.keyMapSize = keyboard->info().keyMapSize;
        link.profileStride = keyboard->info().keyMapSize;
        link.keyCount = keyboard->info().keyCount;
        link.ready = ok ? 1 : 0;
    }

    std::shared_ptr<SimKeyboard> keyboard;
    SimVendorBackend backend;
    DeviceLink link;
    bool ok = false;
};

}  // namespace vorlin::test
