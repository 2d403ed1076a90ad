// A single search for the keyboard, for front ends without the monitor's threads.
#include "device/connect_once.h"

#include "device/keyboard_open.h"

namespace vorlin {

ConnectOutcome ConnectOnce(MonitorContext& ctx) {
    const VendorSearch search = OpenVendorCollection(ctx.link);
    ConnectOutcome outcome;
    outcome.enumerated = search.enumerated;
    outcome.candidates = search.candidates;
    outcome.unopened = search.unopened;
    if (!search.model) return outcome;
    TakeKeyboard(ctx.link, *search.model);
    outcome.found = true;
    OnConnectionChanged(ctx, 1);
    return outcome;
}

void DisconnectOnce(DeviceLink& link) {
    link.ready.store(0);
    CloseShared(link);
}

}  // namespace vorlin
