// The keyboard's lighting area: what each field of a profile's record means and where it lies
// in the area. The record size and the default record are in device/lighting_area.h, shared
// with the simulated keyboard.
#pragma once

#include <array>
#include <cstdint>

#include "device/frame_layout.h"
#include "device/lighting_area.h"

namespace vorlin {

constexpr int kHardwareProfiles = 3;
constexpr int kLightingAreaSize = kHardwareProfiles * kLightingRecordSize;  // 126
// Each record is read with a full payload.
constexpr int kLightingReadLength = static_cast<int>(kFramePayload);

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

}  // namespace vorlin
