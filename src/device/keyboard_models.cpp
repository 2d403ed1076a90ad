// The model table.
#include "device/keyboard_models.h"

#include "device/hid/interface_path.h"

namespace vorlin {
namespace {

constexpr KeyboardModel kModels[] = {
    {0x0C45, 0x5004, 378, 126, 1, 2, 32, false},
    {0x320F, 0x5000, 512, 128, 1, 1, 64, true},
};

}  // namespace

std::span<const KeyboardModel> KeyboardModels() {
    return kModels;
}

const KeyboardModel* FindKeyboardModel(uint16_t vendorId, uint16_t productId) {
    for (const KeyboardModel& m : kModels)
        if (m.vendorId == vendorId && m.productId == productId) return &m;
    return nullptr;
}

bool PathPassesFilter(std::string_view path) {
    const auto vendor = static_cast<uint16_t>(HexFieldAfter(path, "vid_") & 0xFFFF);
    const auto product = static_cast<uint16_t>(HexFieldAfter(path, "pid_") & 0xFFFF);
    return FindKeyboardModel(vendor, product) != nullptr;
}

}  // namespace vorlin
