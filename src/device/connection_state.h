// What the connection monitor learns about the keyboard besides the device link itself.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>

namespace vorlin {

struct ConnectionState {
    ConnectionState();

    std::atomic<int> connectionState{0};  // last state reported to the handler
    std::atomic<int> connectionBusy{0};
    std::atomic<int> startupReported{0};
    std::atomic<int> activeProfileCache{-1};
    std::atomic<unsigned> macroCapacity{0};
    // Guards defaultKeyMap: the monitor thread refreshes it on connection.
    std::mutex defaultKeyMapLock;
    std::array<uint8_t, 512> defaultKeyMap;  // factory key map; built-in content until read
};

}  // namespace vorlin
