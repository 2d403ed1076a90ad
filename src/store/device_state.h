// The keyboard's device state block: active hardware profile, macro capacity and the lighting
// modes it offers, in the order the mode list shows them.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "device/device_link.h"
#include "device/frame_layout.h"
#include "device/protocol.h"

namespace vorlin {

struct DeviceStateBlock {
    // Laid out as frame_layout.h says; bytes 0..9 go back to the keyboard unchanged.
    std::array<uint8_t, kStateBlockSize> bytes{};

    int activeProfile() const { return bytes[kStateActiveProfile]; }
    unsigned macroCapacity() const { return bytes[kStateMacroUnits]; }  // in 128-byte units
    // Each non-zero byte is a mode number; zero marks an empty slot.
    std::span<const uint8_t, kOfferedModeSlots> offeredModes() const {
        return std::span<const uint8_t, kOfferedModeSlots>(bytes.data() + kStateModes,
                                                           kOfferedModeSlots);
    }
    void ClearOfferedModes();
};

// Clears the offered modes first, so a failed read leaves none. Returns ReadState's result.
int ReadDeviceState(DeviceLink& link, DeviceStateBlock& block);

}  // namespace vorlin
