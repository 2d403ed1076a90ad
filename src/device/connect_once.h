// One search for the keyboard, done the way the connection monitor searches, for front ends
// that talk to the keyboard once and do not run the monitor's threads.
#pragma once

#include <string>
#include <vector>

#include "device/connection_monitor.h"

namespace vorlin {

struct ConnectOutcome {
    bool found = false;
    bool enumerated = false;            // the interfaces could be listed at all
    int candidates = 0;                 // paths that passed the path filter
    std::vector<std::string> unopened;  // candidates that could not be opened
};

// Lists the interfaces; opens each candidate for read and write until the vendor collection of
// an accepted model is found; sets the model's sizes and ready; then runs the connection
// handler (factory key map, state block, the main window's reload). The device stays open on
// ctx.link until DisconnectOnce.
ConnectOutcome ConnectOnce(MonitorContext& ctx);

// Lowers ready and closes the device.
void DisconnectOnce(DeviceLink& link);

}  // namespace vorlin
