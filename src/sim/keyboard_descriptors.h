// The report descriptors of the two keyboard models, as the keyboards present them (the
// simulated keyboard serves the same bytes).
//
// Both models have two top-level collections:
//   vendor collection, usage page 0xFF1C usage 0x92: input and output report id 4, 64 bytes
//     with the id byte (the command protocol's frames);
//   consumer control, usage page 0x0C usage 1: input report id 3, one 16-bit consumer usage
//     (0 when nothing is pressed), 3 bytes with the id byte.
// Which interface holds which is the model table's (device/keyboard_models.h): the 0x320F/0x5000
// model has both on interface 1 ("...&mi_01&col01", "...&mi_01&col02"); the 0x0C45/0x5004 model
// has consumer control on interface 1 and the vendor collection on 2 ("...&mi_01", "...&mi_02").
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "device/frame_layout.h"

namespace vorlin {

constexpr uint8_t kVendorReportId = kReportId;
constexpr uint8_t kConsumerReportId = 3;
constexpr size_t kVendorReportBytes = kFrameSize;
constexpr size_t kConsumerReportBytes = 3;

std::span<const uint8_t> VendorCollectionDescriptor();
std::span<const uint8_t> ConsumerCollectionDescriptor();

struct KeyboardInterface {
    int interfaceNumber = 0;
    std::vector<uint8_t> reportDescriptor;
};

// The HID interfaces of a model of the table, by interface number; empty for any other device.
std::vector<KeyboardInterface> KeyboardModelInterfaces(uint16_t vendorId, uint16_t productId);

}  // namespace vorlin
