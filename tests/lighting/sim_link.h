// A device link to one simulated keyboard, opened and sized as the connection monitor does it;
// its reports go over a socketpair so the real transport code runs too.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "device/connection_monitor.h"
#include "device/device_link.h"
#include "device/hid/sim_backend.h"
#include "sim/sim_keyboard.h"

namespace vorlin::test {

struct SimLink {
    explicit SimLink(SimModel model)
        : backend(SimBackend::Transport::Socketpair),
          keyboard(SimKeyboard::Create(model)),
          link(backend) {
        backend.Add(keyboard);
        ok = Connect();
    }

    SimBackend backend;
    std::shared_ptr<SimKeyboard> keyboard;
    DeviceLink link;
    bool ok = false;

  private:
    bool Connect() {
        std::vector<std::string> paths;
        backend.Enumerate(paths);
        for (const std::string& p : paths) {
            if (!link.device.Open(p, true, true, true, false)) continue;
            if (link.device.caps.usagePage == kVendorUsagePage &&
                link.device.caps.usage == kVendorUsage) {
                const AcceptedModel* m = FindAcceptedModel(link.device.attributes.vendorId,
                                                           link.device.attributes.productId);
                if (!m) return false;
                link.keyMapSize = m->keyMapSize;
                link.profileStride = m->keyMapSize;
                link.keyCount = m->keyCount;
                link.ready = 1;
                return true;
            }
            link.device.Close();
        }
        return false;
    }
};

}  // namespace vorlin::test
