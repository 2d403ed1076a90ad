// The keyboard's lighting area: one 42-byte record per hardware profile, the meaning of its
// fields, and the record the default reset writes.
#pragma once

#include <array>
#include <cstdint>

namespace vorlin {

constexpr int kHardwareProfiles = 3;
constexpr int kLightingRecordSize = 42;
constexpr int kLightingAreaSize = kHardwareProfiles * kLightingRecordSize;  // 126
constexpr int kLightingReadLength = 56;  // each record is read with a full payload

// Field offsets within a record.
namespace lightfield {
inline constexpr int kMode = 0;
inline constexpr int kBrightness = 1;  // 0..5
inline constexpr int kSpeed = 2;       // 0..5
inline constexpr int kDirection = 3;   // 255 or 0
inline constexpr int kMulticolour = 4;
inline constexpr int kColour = 5;         // R, G, B
inline constexpr int kReportRate = 15;    // 0..3; larger values mean 3
inline constexpr int kColourChoice = 17;  // 0 red, 1 yellow, 2 green, 3 blue
inline constexpr int kMode7Flag = 18;
inline constexpr int kTrigger = 19;
inline constexpr int kRippleColour = 25;
inline constexpr int kRippleMulticolour = 28;
inline constexpr int kRibbonColour = 30;
inline constexpr int kRibbonMulticolour = 33;
}  // namespace lightfield

constexpr int kDirectionLeft = 255;  // also up (mode 12) and spread (mode 18)
constexpr int kDirectionRight = 0;   // also down and converge
constexpr int kMaxBrightness = 5;
constexpr int kMaxSpeed = 5;
constexpr int kReportRates = 4;
constexpr int kColourChoices = 4;

using LightingRecord = std::array<uint8_t, kLightingRecordSize>;
using LightingArea = std::array<LightingRecord, kHardwareProfiles>;

// Lighting-area offset of a field of a profile's record.
constexpr int LightingOffset(int profile, int field) {
    return profile * kLightingRecordSize + field;
}

// Mode 1, brightness 5, speed 3, direction 0, multicolour on, red, report-rate byte 0xFF,
// ripple and ribbon white with their multicolour flags off. Bytes 35..41 are not written.
constexpr int kDefaultLightingRecordSize = 35;
inline constexpr std::array<uint8_t, kDefaultLightingRecordSize> kDefaultLightingRecord = {
    0x01, 0x05, 0x03, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x08, 0xFF, 0xFF, 0xFF,
    0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00,
    0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00};

}  // namespace vorlin
