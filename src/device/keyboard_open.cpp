// Finding and opening the keyboard's vendor collection.
#include "device/keyboard_open.h"

#include <mutex>

#include "device/protocol.h"

namespace vorlin {

VendorSearch OpenVendorCollection(DeviceLink& link, const std::function<bool()>& stopRequested) {
    VendorSearch search;
    CHidDevice& device = link.device;
    if (!device.Enumerate()) return search;
    search.enumerated = true;
    while (const std::string* path = device.NextPath()) {
        if (stopRequested && stopRequested()) break;
        if (!PathPassesFilter(*path)) continue;
        ++search.candidates;
        const std::string candidate = *path;
        bool opened;
        {
            // Open, Close and the transfers share the device's handle, so they never overlap.
            std::lock_guard<std::recursive_mutex> io(link.ioLock);
            opened = device.Open(candidate, kOpenReadWrite);
        }
        if (!opened) {
            search.unopened.push_back(candidate);
            continue;
        }
        const KeyboardModel* model =
            FindKeyboardModel(device.attributes().vendorId, device.attributes().productId);
        if (model && device.caps().usagePage == kVendorUsagePage &&
            device.caps().usage == kVendorUsage) {
            search.model = model;
            break;
        }
        CloseShared(link);
    }
    device.FreePaths();
    return search;
}

void SetModelSizes(DeviceLink& link, const KeyboardModel& model) {
    link.keyMapSize.store(model.keyMapSize);
    link.profileStride.store(model.keyMapSize);
    link.keyCount.store(model.keyCount);
}

void TakeKeyboard(DeviceLink& link, const KeyboardModel& model) {
    SetModelSizes(link, model);
    LearnReplyEcho(link);
    link.ready.store(1);
}

void CloseShared(DeviceLink& link) {
    std::lock_guard<std::recursive_mutex> io(link.ioLock);
    link.device.Close();
}

}  // namespace vorlin
