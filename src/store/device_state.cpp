// Reading the device state block.
#include "store/device_state.h"

#include <algorithm>

namespace vorlin {

void DeviceStateBlock::ClearOfferedModes() {
    std::fill(bytes.begin() + kStateModes, bytes.end(), 0);
}

int ReadDeviceState(DeviceLink& link, DeviceStateBlock& block) {
    block.ClearOfferedModes();
    std::array<uint8_t, kStateBlockSize> read = block.bytes;
    int result = ReadState(link, read.data());
    // Only a complete answer replaces what we hold.
    if (result == kDone) block.bytes = read;
    return result;
}

}  // namespace vorlin
