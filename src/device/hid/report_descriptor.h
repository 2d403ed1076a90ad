// HID report-descriptor parser and the HidP-style queries built on it: caps of each top-level
// collection, button and value capabilities with their bit positions, and decoding of reports.
// The input is untrusted device data: every size is bounded and bad descriptors are refused.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/hid/hid_types.h"

namespace vorlin {

// Limits a descriptor must stay within; larger ones are refused rather than parsed.
struct HidParseLimits {
    static constexpr size_t kMaxDescriptorBytes = 4096;  // the kernel's limit too
    static constexpr int kMaxDepth = 32;                 // collection nesting
    static constexpr int kMaxPushDepth = 16;             // global item stack
    static constexpr size_t kMaxUsageEntries = 1024;     // local usages before one main item
    static constexpr uint32_t kMaxReportSize = 256;      // bits per field
    static constexpr uint32_t kMaxReportCount = 4096;
    static constexpr uint32_t kMaxReportBytes = 4096;  // data bytes of one report, without id
    static constexpr size_t kMaxCapsPerType = 256;     // per collection and report type
    // Data slots (report counts of fields that are not padding) per collection and report type;
    // this also bounds the usages a report can carry and the value usages a layout lists.
    static constexpr uint32_t kMaxSlotsPerType = 16384;
    static constexpr size_t kMaxCollections = 256;  // link collections per top-level one
};

// What one report type of a collection holds.
struct HidReportTypeData {
    std::vector<HidButtonCaps> buttonCaps;
    std::vector<HidValueCaps> valueCaps;
    // For each button cap: position of its first usage in the usage list of its main item
    // (array fields map logical values to usages through it), and the main item it came from.
    std::vector<uint32_t> buttonIndexBase;
    std::vector<uint32_t> buttonFieldId;
    std::vector<uint8_t> reportIds;  // ids with data of this type, ascending
    uint32_t maxReportBits = 0;      // largest report, without the id byte
    bool present = false;            // any main item of this type, padding included
};

// Everything kept about one top-level collection.
struct HidPreparsedData {
    HidCaps caps;
    bool numbered = false;  // the descriptor uses report ids
    std::array<HidReportTypeData, 3> types;

    const HidReportTypeData& of(HidReportType t) const { return types[static_cast<int>(t)]; }
};

struct HidDescriptorInfo {
    bool numbered = false;
    std::vector<std::shared_ptr<const HidPreparsedData>> collections;  // top-level, in order
};

// false (with a reason in *error when given) for a malformed or out-of-bounds descriptor.
bool ParseReportDescriptor(const uint8_t* data, size_t size, HidDescriptorInfo& out,
                           std::string* error = nullptr);

// Input report ids of a collection, as a filter for reads on its node (empty: unnumbered).
std::vector<uint8_t> InputReportIds(const HidPreparsedData& pd);

// Stand-ins for the HidP_* functions. usagePage/linkCollection/usage of 0 mean "any" in the
// capability queries; reports are in the Windows layout (byte 0 the report id).
namespace hidp {

HidStatus GetCaps(const HidPreparsedData* pd, HidCaps& caps);
HidStatus GetSpecificButtonCaps(HidReportType type, uint16_t usagePage, uint16_t linkCollection,
                                uint16_t usage, std::vector<HidButtonCaps>& out,
                                const HidPreparsedData* pd);
HidStatus GetSpecificValueCaps(HidReportType type, uint16_t usagePage, uint16_t linkCollection,
                               uint16_t usage, std::vector<HidValueCaps>& out,
                               const HidPreparsedData* pd);
// Most usages GetUsages can return for the page (0: every page).
uint32_t MaxUsageListLength(HidReportType type, uint16_t usagePage, const HidPreparsedData* pd);
// Pressed buttons of the page. *length is the room on entry and the count on return;
// BufferTooSmall when more were pressed than fit (the first *length are still stored).
HidStatus GetUsages(HidReportType type, uint16_t usagePage, uint16_t linkCollection,
                    uint16_t* usageList, uint32_t* length, const HidPreparsedData* pd,
                    const uint8_t* report, size_t reportLength);
HidStatus GetUsageValue(HidReportType type, uint16_t usagePage, uint16_t linkCollection,
                        uint16_t usage, uint32_t* value, const HidPreparsedData* pd,
                        const uint8_t* report, size_t reportLength);
HidStatus GetScaledUsageValue(HidReportType type, uint16_t usagePage, uint16_t linkCollection,
                              uint16_t usage, int32_t* value, const HidPreparsedData* pd,
                              const uint8_t* report, size_t reportLength);

}  // namespace hidp
}  // namespace vorlin
