// The one way to the keyboard: find its vendor collection among the interfaces and open it on
// the device link, then make the link the keyboard's. The connection monitor, the single
// connection of the command-line tool, the tests and the benchmarks all come in here.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "device/device_link.h"
#include "device/keyboard_models.h"

namespace vorlin {

struct VendorSearch {
    const KeyboardModel* model = nullptr;  // whose vendor collection is now open on link.device
    bool enumerated = false;               // the interfaces could be listed at all
    int candidates = 0;                    // paths that passed the path filter
    std::vector<std::string> unopened;     // candidates that could not be opened
};

// Lists the interfaces and opens each candidate for read and write (under the link's I/O lock)
// until one is the vendor collection of a known model; the others are closed again. The path
// list is freed before returning. stopRequested, when given, ends the search early.
VendorSearch OpenVendorCollection(DeviceLink& link,
                                  const std::function<bool()>& stopRequested = {});

// The model's sizes on the link.
void SetModelSizes(DeviceLink& link, const KeyboardModel& model);

// The open vendor collection becomes the link's keyboard: sizes first (a command issued as soon
// as ready rises must chunk for this model, not the previous one), then which replies answer
// which request (one exchange with the keyboard), then ready.
void TakeKeyboard(DeviceLink& link, const KeyboardModel& model);

// Closes the device under the link's I/O lock.
void CloseShared(DeviceLink& link);

}  // namespace vorlin
