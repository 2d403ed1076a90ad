// The keyboards the application talks to, one row per model. The path filter, the connection,
// the diagnostics (and the udev rule lines they offer) and the simulated keyboard all read it.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace vorlin {

// The collection of the command protocol, and the one the keyboard's notifications arrive on.
constexpr uint16_t kVendorUsagePage = 0xFF1C;
constexpr uint16_t kVendorUsage = 0x0092;
constexpr uint16_t kConsumerUsagePage = 0x000C;
constexpr uint16_t kConsumerUsage = 0x0001;

struct KeyboardModel {
    uint16_t vendorId;
    uint16_t productId;
    unsigned keyMapSize;  // bytes of one profile's key map; also the profile stride
    unsigned keyCount;
    // The USB interfaces of the two collections. When they share one, the consumer collection
    // is its first top-level collection and the vendor collection its second.
    int consumerInterface;
    int vendorInterface;
    // As the keyboard leaves the factory: macro capacity in units of 128 bytes, and whether its
    // mode list offers the user colours.
    uint8_t macroUnits;
    bool offersUserColours;
};

std::span<const KeyboardModel> KeyboardModels();
// The model with these ids; nullptr for any other device.
const KeyboardModel* FindKeyboardModel(uint16_t vendorId, uint16_t productId);

// Does an interface path name one of the models? The numbers after "vid_" and "pid_" (any
// case, 0 when absent) are compared in their low 16 bits.
bool PathPassesFilter(std::string_view path);

}  // namespace vorlin
