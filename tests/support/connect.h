// The connect sequence of the tests: the device layer finds and opens the vendor collection,
// then the link takes the model's sizes and raises ready, as a connection does.
#pragma once

#include "device/device_link.h"
#include "device/keyboard_open.h"

namespace vorlin::test {

enum class LearnEcho {
    No,   // no request reaches the keyboard: tests that count requests start from nothing
    Yes,  // one request learns what the replies repeat, as every real connection does
};

// false when no vendor collection of a known model was found.
inline bool ConnectLink(DeviceLink& link, LearnEcho learn) {
    const VendorSearch search = OpenVendorCollection(link);
    if (!search.model) return false;
    if (learn == LearnEcho::Yes) {
        TakeKeyboard(link, *search.model);
    } else {
        SetModelSizes(link, *search.model);
        link.ready.store(1);
    }
    return true;
}

}  // namespace vorlin::test
