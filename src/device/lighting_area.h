// The keyboard's lighting area as the lighting commands address it: one record per hardware
// profile, the record of profile p at p × kLightingRecordSize, and the record the default reset
// writes. The simulated keyboard leaves the factory with the same record, so a reset to
// defaults and a new keyboard look alike. What each field means is the store's business
// (store/lighting_record.h).
#pragma once

#include <array>
#include <cstdint>

namespace vorlin {

constexpr int kLightingRecordSize = 42;

// Mode 1, brightness 5, speed 3, direction 0, multicolour on, red, report-rate byte 0xFF,
// ripple and ribbon white with their multicolour flags off. Bytes 35..41 are not written.
constexpr int kDefaultLightingRecordSize = 35;
inline constexpr std::array<uint8_t, kDefaultLightingRecordSize> kDefaultLightingRecord = {
    0x01, 0x05, 0x03, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x08, 0xFF, 0xFF, 0xFF,
    0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00,
    0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00};
static_assert(kDefaultLightingRecordSize <= kLightingRecordSize);

}  // namespace vorlin
