// Mode parameter sets, record offsets and the default record.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "sim/sim_memory.h"
#include "store/lighting_modes.h"
#include "store/lighting_record.h"

namespace vorlin {
namespace {

std::set<int> ModesWhere(bool (*test)(const ModeParameters&)) {
    std::set<int> modes;
    for (int m = 0; m <= 255; ++m)
        if (const ModeParameters* p = FindModeParameters(m); p && test(*p)) modes.insert(m);
    return modes;
}

TEST(LightingModes, ParameterSets) {
    using S = std::set<int>;
    EXPECT_EQ(ModesWhere([](const ModeParameters&) { return true; }),
              (S{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 20}));
    EXPECT_EQ(ModesWhere([](const ModeParameters& p) { return p.sendsMulticolour; }),
              (S{1, 2, 3, 5, 7, 8, 9, 13, 14, 15}));
    EXPECT_EQ(ModesWhere([](const ModeParameters& p) { return p.speed; }),
              (S{1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12, 13, 14, 15}));
    EXPECT_EQ(
        ModesWhere([](const ModeParameters& p) { return p.direction != ModeDirection::kNone; }),
        (S{1, 2, 3, 12, 18}));
    EXPECT_EQ(ModesWhere([](const ModeParameters& p) { return p.colour == ModeColour::kFixed; }),
              (S{6, 16}));
    EXPECT_EQ(ModesWhere([](const ModeParameters& p) { return p.colour == ModeColour::kEffect; }),
              (S{1, 2, 3, 5, 7, 8, 9, 10, 13, 14, 15}));
    EXPECT_EQ(FindModeParameters(17)->extra, ModeExtra::kColourChoice);
    EXPECT_EQ(FindModeParameters(20)->extra, ModeExtra::kUserColours);
    EXPECT_EQ(FindModeParameters(12)->direction, ModeDirection::kUpDown);
    EXPECT_EQ(FindModeParameters(18)->direction, ModeDirection::kSpreadConverge);
}

TEST(LightingModes, DirectionPicturesAndPlaces) {
    EXPECT_STREQ(DirectionPicturesOf(12).forLeft[0], "updown.bmp");
    EXPECT_STREQ(DirectionPicturesOf(18).forRight[1], "julongdown.bmp");
    EXPECT_STREQ(DirectionPicturesOf(2).forLeft[1], "rightup.bmp");
    EXPECT_STREQ(DirectionPlaceSuffix(3), "2");
    EXPECT_STREQ(DirectionPlaceSuffix(12), "3");
    EXPECT_STREQ(DirectionPlaceSuffix(18), "");
}

TEST(LightingRecord, OffsetsAndDefaultRecord) {
    EXPECT_EQ(LightingOffset(2, lightfield::kColour), 89);
    EXPECT_EQ(LightingOffset(2, lightfield::kReportRate), 99);
    EXPECT_EQ(LightingOffset(1, lightfield::kMode), 42);

    const auto& d = kDefaultLightingRecord;
    EXPECT_EQ(d[lightfield::kMode], 1);
    EXPECT_EQ(d[lightfield::kBrightness], 5);
    EXPECT_EQ(d[lightfield::kSpeed], 3);
    EXPECT_EQ(d[lightfield::kDirection], 0);
    EXPECT_NE(d[lightfield::kMulticolour], 0);
    EXPECT_EQ(d[lightfield::kColour], 0xFF);
    EXPECT_EQ(d[lightfield::kColour + 1], 0);
    EXPECT_EQ(d[lightfield::kColour + 2], 0);
    EXPECT_EQ(d[lightfield::kReportRate], 0xFF);
    for (int f : {lightfield::kRippleColour, lightfield::kRibbonColour})
        for (int i = 0; i < 3; ++i) EXPECT_EQ(d[f + i], 0xFF) << f;
    EXPECT_EQ(d[lightfield::kRippleMulticolour], 0);
    EXPECT_EQ(d[lightfield::kRibbonMulticolour], 0);
}

// The reset and a keyboard fresh from the factory write the same bytes, given here whole.
TEST(LightingRecord, DefaultRecordIsTheKnownBytesOnTheResetAndTheFactoryKeyboard) {
    const std::vector<uint8_t> known = {0x01, 0x05, 0x03, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x08,
                                        0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00,
                                        0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF,
                                        0xFF, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00};
    EXPECT_EQ(std::vector<uint8_t>(kDefaultLightingRecord.begin(), kDefaultLightingRecord.end()),
              known);
    for (SimModel model : {SimModel::k0C45_5004, SimModel::k320F_5000}) {
        const SimMemory m = FactoryMemory(model);
        ASSERT_EQ(m.lighting.size(), size_t{kLightingAreaSize});
        for (int p = 0; p < kHardwareProfiles; ++p) {
            const auto record = m.lighting.begin() + LightingOffset(p, 0);
            EXPECT_EQ(std::vector<uint8_t>(record, record + known.size()), known) << p;
            EXPECT_TRUE(std::all_of(record + known.size(), record + kLightingRecordSize,
                                    [](uint8_t b) { return b == 0; }))
                << p;
        }
    }
}

}  // namespace
}  // namespace vorlin
