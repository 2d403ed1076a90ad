// A device link wired to one simulated keyboard, opened the way the connection monitor opens
// it, for tests that drive the command protocol directly.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "device/connection_monitor.h"
#include "device/device_link.h"
#include "device/hid/sim_backend.h"
#include "device/protocol.h"
#include "sim/sim_keyboard.h"

namespace vorlin {

using Frame = std::array<uint8_t, 64>;

struct SimLink {
    explicit SimLink(SimModel model,
                     SimBackend::Transport transport = SimBackend::Transport::InProcess)
        : backend(transport), keyboard(SimKeyboard::Create(model)), link(backend) {
        backend.Add(keyboard);
    }

    // Opens the vendor collection and sets the sizes and ready flag as the monitor would.
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

    // Connect, then learn what the keyboard's replies repeat, as a connection does. One more
    // request reaches the keyboard.
    bool ConnectAndLearn() {
        if (!Connect()) return false;
        link.ready = 0;
        LearnReplyEcho(link);
        link.ready = 1;
        return true;
    }

    std::vector<Frame> Requests() { return keyboard->TakeRecordedRequests(); }

    SimBackend backend;
    std::shared_ptr<SimKeyboard> keyboard;
    DeviceLink link;
};

}  // namespace vorlin
