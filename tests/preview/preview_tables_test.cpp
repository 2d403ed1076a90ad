// The preview's tables against their published values, and the key sets they share.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "store/lighting_keys.h"
#include "ui/preview_tables.h"

namespace vorlin {
namespace {

using namespace keyctl;

TEST(PreviewPalette, RunBoundariesAndTwinkleExtension) {
    const auto& p = PreviewPalette();
    struct Case {
        int index;
        int r, g, b;
    } cases[] = {
        {0, 255, 1, 0},   {9, 255, 32, 0},  {31, 255, 255, 0},  {32, 248, 255, 0},
        {63, 0, 255, 0},  {64, 0, 255, 1},  {95, 0, 255, 255},  {96, 0, 248, 255},
        {127, 0, 0, 255}, {128, 1, 0, 255}, {159, 255, 0, 255}, {160, 255, 0, 248},
        {191, 255, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(p[c.index], MakeRgb(c.r, c.g, c.b)) << "entry " << c.index;
    for (int i = 0; i < 64; ++i) EXPECT_EQ(p[kPaletteSize + i], p[i]) << "entry " << i;
}

TEST(PreviewCurves, PublishedValues) {
    const auto& wave = WaveCurve();
    EXPECT_EQ(wave[0], 22);
    EXPECT_EQ(wave[9], 49);
    EXPECT_EQ(wave[47], 255);
    EXPECT_EQ(wave[48], 255);
    EXPECT_EQ(wave[95], 22);
    EXPECT_TRUE(std::equal(wave.begin(), wave.begin() + 48, wave.rbegin()));

    const auto& pulse = PulseCurve();
    EXPECT_EQ(pulse[0], 0);
    EXPECT_EQ(pulse[16], 255);
    EXPECT_EQ(pulse[17], 248);
    EXPECT_EQ(pulse[78], 2);
    EXPECT_EQ(pulse[79], 1);
    EXPECT_TRUE(std::all_of(pulse.begin() + 80, pulse.end(), [](int v) { return v == 0; }));

    const auto& breath = BreathingCurve();
    EXPECT_EQ(breath[0], 3);
    EXPECT_EQ(breath[17], 24);
    EXPECT_EQ(breath[18], 27);
    EXPECT_EQ(breath[63], 255);
    EXPECT_EQ(breath[64], 255);
    EXPECT_EQ(breath[127], 3);
    EXPECT_TRUE(std::equal(breath.begin(), breath.begin() + 64, breath.rbegin()));
}

std::set<int> GridKeys() {
    std::set<int> keys;
    for (const GridCell& c : PreviewGridCells()) keys.insert(c.controlId);
    return keys;
}

TEST(PreviewKeys, GridSpiralAndRingsCoverTheSame104Keys) {
    auto spiral = SpiralOrder();
    std::set<int> spiralKeys(spiral.begin(), spiral.end());
    EXPECT_EQ(spiralKeys.size(), size_t(kPreviewKeyCount));  // no key twice
    EXPECT_EQ(GridKeys(), spiralKeys);

    std::set<int> ringKeys;
    size_t ringEntries = 0;
    for (int ring = 1; ring <= kRingCount; ++ring) {
        auto keys = RingKeys(ring);
        ringEntries += keys.size();
        ringKeys.insert(keys.begin(), keys.end());
    }
    EXPECT_EQ(ringEntries, size_t(kPreviewKeyCount));
    EXPECT_EQ(ringKeys, spiralKeys);

    // Every animated key carries a light; Right Win is the one key the preview leaves out.
    for (int id : spiralKeys) EXPECT_GE(LightKeyIndex(id), 0) << id;
    EXPECT_EQ(spiralKeys.count(kRWin), 0u);
    EXPECT_EQ(spiralKeys.count(kFn), 1u);

    auto sparkle = SparkleSequence();
    std::set<int> places(sparkle.begin(), sparkle.end());
    EXPECT_EQ(places.size(), size_t(kPreviewKeyCount));
    EXPECT_EQ(*places.rbegin(), kPreviewKeyCount - 1);
}

TEST(PreviewKeys, GridCells) {
    struct Case {
        int column, row, id;
    } cases[] = {
        {2, 0, kEsc},       {18, 0, kPause}, {14, 1, kBackspace}, {15, 1, kBackspace},
        {22, 1, kNumMinus}, {11, 2, kP},     {22, 3, kNumPlus},   {13, 3, kEnter},
        {22, 4, kNumEnter}, {0, 5, kLCtrl},  {11, 5, kFn},        {20, 5, kNum0},
        {0, 0, 0},          {7, 0, 0},       {22, 2, 0},          {23, 0, 0},
        {5, 6, 0},          {-1, 3, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PreviewGridAt(c.column, c.row), c.id) << c.column << "," << c.row;
}

TEST(PreviewKeys, ScriptRowsAndPairs) {
    auto row16 = ScriptRow(16);
    EXPECT_EQ(std::vector<int>(row16.begin(), row16.end()),
              (std::vector<int>{kK, kEqual, kK, kP, kP, kK}));
    EXPECT_EQ(ScriptRow(0).size(), 2u);
    EXPECT_EQ(ScriptRow(19).size(), 2u);
    EXPECT_TRUE(ScriptRow(20).empty());
    EXPECT_EQ(ScriptPair(0), (std::array<int, 2>{k9, kSlash}));
    EXPECT_EQ(ScriptPair(15), (std::array<int, 2>{kL, kLBracket}));
    EXPECT_EQ(ScriptPair(16), ScriptPair(0));
}

}  // namespace
}  // namespace vorlin
