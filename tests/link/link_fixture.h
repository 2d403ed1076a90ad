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
#include "device/protocol.h"
#include "sim/sim_backend.h"
#include "sim/sim_keyboard.h"
#include "support/connect.h"

namespace vorlin {

using Frame = std::array<uint8_t, 64>;

struct SimLink {
    explicit SimLink(SimModel model,
                     SimBackend::Transport transport = SimBackend::Transport::InProcess)
        : backend(transport), keyboard(SimKeyboard::Create(model)), link(backend) {
        backend.Add(keyboard);
    }

    // Opens the vendor collection and sets the sizes and ready flag as the monitor would.
    bool Connect() { return test::ConnectLink(link, test::LearnEcho::No); }

    // Connect, then learn what the keyboard's replies repeat, as a connection does. One more
    // request reaches the keyboard.
    bool ConnectAndLearn() { return test::ConnectLink(link, test::LearnEcho::Yes); }

    std::vector<Frame> Requests() { return keyboard->TakeRecordedRequests(); }

    SimBackend backend;
    std::shared_ptr<SimKeyboard> keyboard;
    DeviceLink link;
};

}  // namespace vorlin
