// A single search for the keyboard, for front ends without the monitor's threads.
#include "device/connect_once.h"

#include <mutex>

#include "device/protocol.h"

namespace vorlin {

ConnectOutcome ConnectOnce(MonitorContext& ctx) {
    ConnectOutcome outcome;
    DeviceLink& link = ctx.link;
    CHidDevice& device = link.device;
    if (!device.Enumerate()) return outcome;
    outcome.enumerated = true;
    while (const std::string* path = device.NextPath()) {
        if (!PathPassesFilter(*path)) continue;
        ++outcome.candidates;
        const std::string candidate = *path;
        bool opened;
        {
            // Open and the transfers share the device's handle.
            std::lock_guard<std::recursive_mutex> io(link.ioLock);
            opened = device.Open(candidate, true, true, true, false);
        }
        if (!opened) {
            outcome.unopened.push_back(candidate);
            continue;
        }
        const AcceptedModel* model =
            FindAcceptedModel(device.attributes.vendorId, device.attributes.productId);
        if (model && device.caps.usagePage == kVendorUsagePage &&
            device.caps.usage == kVendorUsage) {
            link.keyMapSize.store(model->keyMapSize);
            link.profileStride.store(model->keyMapSize);
            link.keyCount.store(model->keyCount);
            // Before anything else is asked: which replies answer which request.
            LearnReplyEcho(link);
            link.ready.store(1);
            outcome.found = true;
            break;
        }
        std::lock_guard<std::recursive_mutex> io(link.ioLock);
        device.Close();
    }
    device.FreePaths();
    if (outcome.found) OnConnectionChanged(ctx, 1);
    return outcome;
}

void DisconnectOnce(DeviceLink& link) {
    link.ready.store(0);
    std::lock_guard<std::recursive_mutex> io(link.ioLock);
    link.device.Close();
}

}  // namespace vorlin
