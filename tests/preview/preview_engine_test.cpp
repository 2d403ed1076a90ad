// Steps of the lighting preview checked against the effects' own numbers.
#include <gtest/gtest.h>

#include <vector>

#include "store/lighting_keys.h"
#include "ui/keyboard_layout.h"
#include "ui/preview_engine.h"

namespace vorlin {
namespace {

using namespace keyctl;

// Replays a fixed list from its start after every reseed, as a clock-seeded generator does
// within one second.
class ScriptedRandom : public PreviewRandom {
  public:
    explicit ScriptedRandom(std::vector<unsigned> values = {0}) : values_(std::move(values)) {}
    void Reseed() override {
        ++reseeds;
        next_ = 0;
    }
    unsigned Next() override { return values_[next_++ % values_.size()]; }
    int reseeds = 0;

  private:
    std::vector<unsigned> values_;
    size_t next_ = 0;
};

constexpr Rgb kRed = MakeRgb(255, 0, 0);
constexpr Rgb kTeal = MakeRgb(20, 200, 120);

Rgb Pal(int i) {
    return PreviewPalette()[i];
}

class PreviewTest : public ::testing::Test {
  protected:
    PreviewTest() : ids_(PictureControlIds()), engine_(ids_, random_) {}

    void Steps(const PreviewSettings& s, int n) {
        for (int i = 0; i < n; ++i) engine_.Step(s);
    }
    // The colour a key shows; fails when the step did not outline it.
    Rgb At(int id) {
        const KeyOutline* o = engine_.Outline(id);
        EXPECT_NE(o, nullptr);
        if (!o) return 0;
        EXPECT_EQ(o->op, KeyOutline::kOutline) << "key " << id;
        return o->colour;
    }
    KeyOutline::Op Op(int id) { return engine_.Outline(id)->op; }

    std::vector<int> ids_;
    ScriptedRandom random_;
    PreviewEngine engine_;
};

TEST(PreviewFade, Steps) {
    struct Case {
        int from, to, scriptedTo;
    } cases[] = {
        {255, 235, 225}, {130, 110, 100}, {128, 108, 98}, {127, 111, 107},
        {64, 48, 44},    {63, 53, 53},    {32, 22, 22},   {31, 26, 26},
        {17, 12, 12},    {16, 15, 15},    {1, 0, 0},      {0, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FadeIntensity(c.from, false), c.to) << c.from;
        EXPECT_EQ(FadeIntensity(c.from, true), c.scriptedTo) << c.from;
    }
    EXPECT_EQ(ScaleColour(MakeRgb(255, 100, 7), 128), MakeRgb(128, 50, 3));
}

TEST_F(PreviewTest, CycleWrapsAfter96StepsAndRunsBackwardsForDirection0) {
    PreviewSettings s{.mode = 4, .direction = 255};
    engine_.Step(s);
    for (int id : SpiralOrder()) EXPECT_EQ(At(id), Pal(2));
    engine_.Step(s);
    EXPECT_EQ(At(kEsc), Pal(4));
    Steps(s, 94);
    for (int id : SpiralOrder()) EXPECT_EQ(At(id), Pal(0));
    // Keys the effect does not animate keep what they show.
    EXPECT_EQ(Op(kG1), KeyOutline::kKeep);
    EXPECT_EQ(Op(kRWin), KeyOutline::kKeep);

    s.direction = 0;
    engine_.Step(s);
    EXPECT_EQ(At(kSpace), Pal(190));
}

TEST_F(PreviewTest, ViewOffChangesNothingAndKeepsTheState) {
    PreviewSettings s{.mode = 4, .direction = 255};
    engine_.Step(s);
    for (int i = 0; i < 5; ++i) {
        EXPECT_FALSE(engine_.Tick(s, false));
        for (const KeyOutline& o : engine_.Frame()) EXPECT_EQ(o.op, KeyOutline::kKeep);
    }
    EXPECT_TRUE(engine_.Tick(s, true));
    EXPECT_EQ(At(kEsc), Pal(4));
}

TEST_F(PreviewTest, WaveByColumn) {
    // Esc is in column 2, Num - in column 22, Backspace covers columns 14 and 15.
    PreviewSettings s{.mode = 1, .direction = 255, .multicolour = true};
    engine_.Step(s);
    EXPECT_EQ(At(kEsc), Pal(27));
    EXPECT_EQ(At(kNumMinus), Pal((9 + 198) % 192));
    EXPECT_EQ(At(kLCtrl), Pal(9));

    PreviewSettings single{.mode = 1, .direction = 0, .colour = kTeal};
    engine_.Step(single);  // 9 - 7 = 2
    EXPECT_EQ(At(kEsc), ScaleColour(kTeal, WaveCurve()[16]));
    EXPECT_EQ(At(kNumMinus), ScaleColour(kTeal, WaveCurve()[(2 + 154) % 96]));
}

TEST_F(PreviewTest, RippleSingleColourStepsAlongTheRow) {
    PreviewSettings s{.mode = 2, .direction = 255, .colour = kRed};
    engine_.Step(s);  // phase 4; column c uses 4 + 5 (c + 1)
    EXPECT_EQ(At(kLCtrl), ScaleColour(kRed, PulseCurve()[9]));
    EXPECT_EQ(At(kEsc), ScaleColour(kRed, 234));  // index 19
    s.direction = 0;
    engine_.Step(s);  // phase 8 whatever the direction; 8 - 5 for column 0
    EXPECT_EQ(At(kLCtrl), ScaleColour(kRed, PulseCurve()[3]));
    EXPECT_EQ(At(kLWin), ScaleColour(kRed, 0));  // 8 - 10 wraps to 126

    s.multicolour = true;
    s.direction = 255;
    engine_.Step(s);  // 8 + 4
    EXPECT_EQ(At(kEsc), Pal(12 + 10));
}

TEST_F(PreviewTest, SpiralAndRainbowFollowTheSpiralOrder) {
    PreviewSettings s{.mode = 3, .direction = 255, .multicolour = true};
    engine_.Step(s);
    EXPECT_EQ(At(kPause), Pal(4));
    EXPECT_EQ(At(kScrollLock), Pal(9));
    EXPECT_EQ(At(kEnter), Pal((4 + 5 * 103) % 192));
    s.multicolour = false;
    s.colour = kTeal;
    engine_.Step(s);
    EXPECT_EQ(At(kScrollLock), ScaleColour(kTeal, WaveCurve()[13]));

    PreviewSettings rainbow{.mode = 11};
    engine_.Step(rainbow);
    EXPECT_EQ(At(kPause), Pal(36));            // 33 + 3
    EXPECT_EQ(At(kF10), Pal(6 + 3));           // 198 - 192
    EXPECT_EQ(At(SpiralOrder()[63]), Pal(0));  // starts at 192 exactly, so 195 becomes 0
    engine_.Step(rainbow);
    EXPECT_EQ(At(kPause), Pal(39));
}

TEST_F(PreviewTest, BreathingStillAndRows) {
    PreviewSettings breathe{.mode = 5, .direction = 0, .colour = kTeal};
    engine_.Step(breathe);
    EXPECT_EQ(At(kA), ScaleColour(kTeal, 4));
    breathe.multicolour = true;
    engine_.Step(breathe);  // phase 4
    EXPECT_EQ(At(kEsc), ScaleColour(Pal(14), 6));

    PreviewSettings still{.mode = 6, .multicolour = true};
    engine_.Step(still);
    EXPECT_EQ(At(kNumStar), Pal(189));
    EXPECT_EQ(At(kNumMinus), Pal(0));
    still.multicolour = false;
    still.colour = kTeal;
    engine_.Step(still);
    EXPECT_EQ(At(kSpace), kTeal);

    PreviewSettings rows{.mode = 12, .direction = 255};
    engine_.Step(rows);
    EXPECT_EQ(At(kEsc), Pal(3));
    EXPECT_EQ(At(kLCtrl), Pal(3 + 160));
    rows.direction = 0;
    engine_.Step(rows);
    engine_.Step(rows);
    EXPECT_EQ(At(kEsc), Pal(189));
}

TEST_F(PreviewTest, RingsFromTheCentre) {
    PreviewSettings s{.mode = 18, .direction = 255};
    engine_.Step(s);
    EXPECT_EQ(At(kO), Pal(23));
    EXPECT_EQ(At(kP), Pal(44));
    EXPECT_EQ(At(kNumEnter), Pal((2 + 252) % 192));

    PreviewEngine down(ids_, random_);
    s.direction = 0;
    down.Step(s);  // below 0 the phase becomes 192
    EXPECT_EQ(down.Outline(kO)->colour, Pal(21));
    down.Step(s);
    EXPECT_EQ(down.Outline(kO)->colour, Pal(19));
}

TEST_F(PreviewTest, ClearingAndStillModes) {
    for (int mode : {7, 8, 9, 17, 19}) {
        engine_.Step({.mode = mode});
        for (const KeyOutline& o : engine_.Frame()) EXPECT_EQ(o.op, KeyOutline::kClear) << mode;
    }
    for (int mode : {20, 0, 21, 255}) {
        engine_.Step({.mode = mode});
        for (const KeyOutline& o : engine_.Frame()) EXPECT_EQ(o.op, KeyOutline::kKeep) << mode;
    }
}

TEST_F(PreviewTest, SparkleLightsThreeKeysOfTheSequencePerStep) {
    random_ = ScriptedRandom({300, 7});
    PreviewSettings s{.mode = 10, .colour = kRed};
    engine_.Step(s);
    EXPECT_EQ(random_.reseeds, 1);
    // Places 24, 101 and 57 of the spiral.
    for (int id : {kRAlt, kSemicolon, kZ}) EXPECT_EQ(At(id), ScaleColour(kRed, 235));
    EXPECT_EQ(At(kEsc), 0u);  // dark keys are drawn black
    engine_.Step(s);
    EXPECT_EQ(random_.reseeds, 2);
    EXPECT_EQ(At(kRAlt), ScaleColour(kRed, 215));

    s.multicolour = true;
    engine_.Step(s);  // places 34, 36, 51 take random 300 % 255, 7, 300 % 255
    EXPECT_EQ(At(kNumPlus), ScaleColour(Pal(45), 235));
    EXPECT_EQ(At(kNumStar), ScaleColour(Pal(7), 235));
    EXPECT_EQ(At(k4), ScaleColour(Pal(45), 235));
}

TEST_F(PreviewTest, SparkleCounterWrapsAfter103) {
    PreviewSettings s{.mode = 10, .colour = kRed};
    Steps(s, 35);  // places 1..103 and 0..1 of the sequence
    EXPECT_EQ(At(SpiralOrder()[SparkleSequence()[0]]), ScaleColour(kRed, 235));
    EXPECT_EQ(At(SpiralOrder()[SparkleSequence()[1]]), ScaleColour(kRed, 235));
}

TEST(PreviewFronts, SpreadingGrowsADiamond) {
    PreviewFronts f;
    f.Seed(9, 3);
    for (int t = 1; t <= 4; ++t) {
        f.Spread();
        for (int c = 0; c < kFrontColumns; ++c)
            for (int r = 0; r < kFrontRows; ++r)
                EXPECT_EQ(f.Holds(c, r), std::abs(c - 9) + std::abs(r - 3) == t)
                    << "t " << t << " cell " << c << "," << r;
    }
    // Each quarter is carried by its own layer.
    EXPECT_EQ(f.LayerColumn(PreviewFronts::kUpLeft, 5), 1u << 3);
    EXPECT_EQ(f.LayerColumn(PreviewFronts::kDownRight, 5), 0u);
    EXPECT_EQ(f.LayerColumn(PreviewFronts::kDownRight, 13), 1u << 3);
}

TEST(PreviewFronts, FallingMovesStraightAndDropsAtTheEdges) {
    PreviewFronts f;
    f.Seed(22, 0);
    f.Seed(0, 7);
    f.Seed(99, 0);  // off the grid: ignored
    f.Fall();
    EXPECT_EQ(f.Column(22), 1u << 1);
    EXPECT_EQ(f.Column(0), 1u << 6);
    EXPECT_EQ(f.LayerColumn(PreviewFronts::kUpLeft, 0), 1u << 6);
    EXPECT_EQ(f.LayerColumn(PreviewFronts::kDownLeft, 0), 0u);
    EXPECT_EQ(f.Column(21), 0u);
}

TEST_F(PreviewTest, RainStartsInColumns10_13_16) {
    PreviewSettings s{.mode = 15, .colour = kRed};
    const Rgb lit = ScaleColour(kRed, 235);
    engine_.Step(s);
    // Row 0, columns 10, 13 and 16: F7, F10, Print Screen.
    for (int id : {kF7, kF10, kPrintScreen}) EXPECT_EQ(At(id), lit);
    for (int id : {kF6, kF8, kF12, kEsc, kRAlt}) EXPECT_EQ(At(id), 0u);
    engine_.Step(s);
    // Next drops in columns 3, 6, 9; the first ones fell to row 1; the spark rose to row 5.
    for (int id : {kF1, kF4, kF6, k9, kEqual, kInsert, kRAlt}) EXPECT_EQ(At(id), lit) << id;
    EXPECT_EQ(At(kF7), ScaleColour(kRed, 215));
}

TEST_F(PreviewTest, DiamondsAlternateBetweenBottomAndTop) {
    PreviewSettings s{.mode = 13, .colour = kRed};
    engine_.Step(s);  // the first seed lies below the keyboard
    for (int id : SpiralOrder()) EXPECT_EQ(At(id), 0u);
    engine_.Step(s);
    EXPECT_EQ(At(kRAlt), ScaleColour(kRed, 235));  // (9, 5)
    Steps(s, 6);
    // The bottom diamond reached the top row at step 7, which plants a seed there; at step 8
    // it lights 8 (9, 1) again, which the bottom diamond passed at step 6.
    EXPECT_EQ(At(k8), ScaleColour(kRed, 235));
}

TEST_F(PreviewTest, CornerDiamondsUseTripledColourIndexes) {
    random_ = ScriptedRandom({100});
    PreviewSettings s{.mode = 16, .multicolour = true};
    engine_.Step(s);  // (1, 0) holds no key
    EXPECT_EQ(At(kEsc), 0u);
    engine_.Step(s);
    EXPECT_EQ(At(kEsc), ScaleColour(Pal(300 % 256), 235));
    EXPECT_EQ(At(kGrave), ScaleColour(Pal(300 % 256), 235));
}

TEST_F(PreviewTest, ScriptLightsRowsWithTheCounterThenLoops) {
    PreviewSettings s{.mode = 14, .multicolour = true};
    engine_.Step(s);  // counter 1, then + 11 per key
    EXPECT_EQ(At(kEsc), ScaleColour(Pal(12), 225));
    EXPECT_EQ(At(kNumEnter), ScaleColour(Pal(23), 225));
    engine_.Step(s);
    EXPECT_EQ(At(kF1), ScaleColour(Pal(35), 225));
    EXPECT_EQ(At(kEsc), ScaleColour(Pal(12), 195));

    // Rows, pairs, the diamond from P down to Left Ctrl, and back to the first row.
    bool ctrlLit = false;
    int restart = 0;
    for (int step = 3; step < 400 && !restart; ++step) {
        engine_.Step(s);
        Rgb ctrl = At(kLCtrl);
        if (ctrl != 0) ctrlLit = true;
        if (ctrlLit && ctrl == 0 && At(kEsc) != 0 && At(kF1) == 0) restart = step;
    }
    EXPECT_TRUE(ctrlLit);
    EXPECT_GT(restart, 0);
}

TEST_F(PreviewTest, ResetRulesOnModeSelection) {
    PreviewSettings rain{.mode = 15, .colour = kRed};
    Steps(rain, 5);
    engine_.SelectMode();
    engine_.Step(rain);  // starts over: the first drops again, nothing else lit
    for (int id : {kF7, kF10, kPrintScreen}) EXPECT_EQ(At(id), ScaleColour(kRed, 235));
    EXPECT_EQ(At(kF1), 0u);

    // Mode 13 keeps its fronts and keys: the same frames as a run without a selection.
    ScriptedRandom otherRandom;
    PreviewEngine straight(ids_, otherRandom);
    PreviewSettings diamonds{.mode = 13, .multicolour = true};
    Steps(diamonds, 3);
    engine_.SelectMode();
    engine_.Step(diamonds);
    for (int i = 0; i < 4; ++i) straight.Step(diamonds);
    for (int id : SpiralOrder()) EXPECT_EQ(At(id), straight.Outline(id)->colour) << id;

    // Phases keep too.
    PreviewSettings cycle{.mode = 4, .direction = 255};
    Steps(cycle, 3);
    engine_.SelectMode();
    engine_.Step(cycle);
    EXPECT_EQ(At(kEsc), Pal(8));

    // The script restarts at its first row.
    PreviewSettings script{.mode = 14, .colour = kRed};
    Steps(script, 5);
    engine_.SelectMode();
    engine_.Step(script);
    EXPECT_EQ(At(kEsc), ScaleColour(kRed, 225));
}

TEST_F(PreviewTest, ResetWaitsForTheFirstStepWithTheViewOn) {
    PreviewSettings rain{.mode = 15, .colour = kRed};
    Steps(rain, 3);
    engine_.SelectMode();
    engine_.Tick(rain, false);
    engine_.Tick(rain, true);
    EXPECT_EQ(At(kF7), ScaleColour(kRed, 235));
    EXPECT_EQ(At(kF1), 0u);
}

TEST(PreviewRandomTest, ClockSeededRepeatsWithinOneSecond) {
    int64_t now = 1000;
    ClockSeededRandom random([&] { return now; });
    random.Reseed();
    unsigned a = random.Next(), b = random.Next();
    random.Reseed();
    EXPECT_EQ(random.Next(), a);
    EXPECT_EQ(random.Next(), b);
    now = 1001;
    random.Reseed();
    EXPECT_NE(random.Next(), a);
}

}  // namespace
}  // namespace vorlin
