// Plain descriptions of one HID top-level collection, shaped like the Windows HID structures
// the rest of the device link was designed around (HIDP_CAPS, HIDP_BUTTON_CAPS, ...).
#pragma once

#include <cstdint>
#include <vector>

namespace vorlin {

enum class HidReportType : int { Input = 0, Output = 1, Feature = 2 };

// Status values of the HidP_* stand-ins.
enum class HidStatus : uint32_t {
    Success = 0x00110000,
    InvalidReportType = 0xC0110002,
    InvalidReportLength = 0xC0110003,
    IncompatibleReportId = 0xC0110010,
    UsageNotFound = 0xC0110004,
    BufferTooSmall = 0xC0110007,
    ValueOutOfRange = 0xC0110005,
    NullValue = 0xC011000B,
    BadLogPhyValues = 0xC0110006,
};

struct HidAttributes {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t versionNumber = 0;
};

// HIDP_CAPS: byte lengths count the report id byte, as Windows does.
struct HidCaps {
    uint16_t usage = 0;
    uint16_t usagePage = 0;
    uint16_t inputReportByteLength = 0;
    uint16_t outputReportByteLength = 0;
    uint16_t featureReportByteLength = 0;
    uint16_t numberLinkCollectionNodes = 0;
    uint16_t numberInputButtonCaps = 0;
    uint16_t numberInputValueCaps = 0;
    uint16_t numberInputDataIndices = 0;
    uint16_t numberOutputButtonCaps = 0;
    uint16_t numberOutputValueCaps = 0;
    uint16_t numberOutputDataIndices = 0;
    uint16_t numberFeatureButtonCaps = 0;
    uint16_t numberFeatureValueCaps = 0;
    uint16_t numberFeatureDataIndices = 0;
};

// HIDP_BUTTON_CAPS / HIDP_VALUE_CAPS, with the bit position the parser needs to decode reports.
struct HidButtonCaps {
    uint16_t usagePage = 0;
    uint8_t reportId = 0;
    bool isRange = false;
    bool isAbsolute = true;
    uint16_t usageMin = 0;  // the single usage twice when not a range
    uint16_t usageMax = 0;
    uint16_t linkCollection = 0;
    uint16_t bitField = 0;  // main item flags
    // Decoding: an array field (indices into [usageMin..usageMax], reportCount slots of
    // bitSize bits) or a bitmap (one bit per usage) starting at bitOffset after the id byte.
    bool isArray = false;
    uint32_t bitOffset = 0;
    uint16_t bitSize = 0;
    uint16_t reportCount = 0;
    int32_t logicalMin = 0;
    int32_t logicalMax = 0;
};

struct HidValueCaps {
    uint16_t usagePage = 0;
    uint8_t reportId = 0;
    bool isRange = false;
    bool isAbsolute = true;
    bool hasNull = false;
    uint16_t usageMin = 0;  // the single usage twice when not a range
    uint16_t usageMax = 0;
    uint16_t linkCollection = 0;
    uint16_t bitField = 0;
    uint32_t bitOffset = 0;
    uint16_t bitSize = 0;
    uint16_t reportCount = 0;
    int32_t logicalMin = 0;
    int32_t logicalMax = 0;
    int32_t physicalMin = 0;
    int32_t physicalMax = 0;
    uint32_t units = 0;
    uint32_t unitsExp = 0;
};

// One button capability or one value usage of a report type, filled by ParseReport.
struct HidUsageDescriptor {
    uint8_t isButton = 0;
    uint16_t usagePage = 0;
    uint32_t status = static_cast<uint32_t>(HidStatus::Success);
    uint8_t reportId = 0;
    uint8_t updated = 0;
    uint16_t usageMin = 0;         // value item: the usage
    uint32_t usageMax = 0;         // value item: raw value
    uint32_t maxUsages = 0;        // value item: scaled value
    std::vector<uint16_t> usages;  // button item only

    uint16_t& usage() { return usageMin; }
    uint32_t& rawValue() { return usageMax; }
    uint32_t& scaledValue() { return maxUsages; }
};

struct HidReportLayout {
    std::vector<uint8_t> reportBuffer;
    std::vector<HidButtonCaps> buttonCaps;
    std::vector<HidValueCaps> valueCaps;
    std::vector<HidUsageDescriptor> descriptors;
    int descriptorCount = 0;
};

}  // namespace vorlin
