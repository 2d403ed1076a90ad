#include "skin/button_look.h"

#include <gtest/gtest.h>

namespace vorlin {
namespace {

TEST(ButtonLook, FirstApplyingRuleChoosesImageAndCaptionColour) {
    using I = ButtonImage;
    const struct {
        ButtonState s;
        ButtonLook expected;
        const char* why;
    } cases[] = {
        {{}, {I::Normal, 0}, "nothing set"},
        {{.selected = true}, {I::Selected, 4}, "selected"},
        {{.hover = true, .selected = true}, {I::Over, 1}, "hover over selected"},
        {{.pressed = true, .hover = true, .selected = true}, {I::Down, 2}, "pressed over hover"},
        {{.altOn = true, .pressed = true, .hover = true}, {I::AltA, 0}, "alt pair over pressed"},
        {{.altOn = true, .altSelector = true, .hover = true}, {I::AltB, 0}, "selector picks B"},
        {{.altSelector = true}, {I::Normal, 0}, "selector alone does nothing"},
        {{.enabled = false, .hover = true}, {I::Disabled, 3}, "disabled over hover"},
        {{.enabled = false, .altOn = true, .pressed = true}, {I::Disabled, 3}, "disabled over alt"},
    };
    for (const auto& c : cases) EXPECT_EQ(ChooseButtonLook(c.s), c.expected) << c.why;
}

TEST(ButtonLook, OutlineStrengthIsLimitedOnlyWhenSwitchedOn) {
    EXPECT_EQ(MakeOutline(0xFF0000, 150, true), (ButtonOutline{0xFF0000, 100, true}));
    EXPECT_EQ(MakeOutline(0x00FF00, 100, true).strength, 100);
    EXPECT_EQ(MakeOutline(0x00FF00, -5, true).strength, 0);
    EXPECT_EQ(MakeOutline(0, 50, false), (ButtonOutline{0, 50, false}));
    EXPECT_EQ(MakeOutline(0, 150, false).strength, 150);
    EXPECT_EQ(MakeOutline(0xAB123456, 1, true).colour, 0x123456u);
}

TEST(ButtonLook, CaptionRectangleIsTheClientShrunkByTheMargins) {
    EXPECT_EQ(CaptionRect(40, 20, {}), (CaptionBox{0, 0, 40, 20}));
    EXPECT_EQ(CaptionRect(40, 20, {3, 5, 2, 4}), (CaptionBox{3, 2, 32, 14}));
    EXPECT_EQ(CaptionRect(10, 10, {8, 8, 0, 0}), (CaptionBox{8, 0, 0, 10}));
}

TEST(ButtonLook, TextFormatFlags) {
    EXPECT_EQ(DecodeTextFormat(kDefaultTextFormat),
              (CaptionAlignment{HAlign::Center, VAlign::Center, true, false}));
    EXPECT_EQ(kDefaultTextFormat, 37u);
    EXPECT_EQ(DecodeTextFormat(kTextRight | kTextBottom | kTextSingleLine),
              (CaptionAlignment{HAlign::Right, VAlign::Bottom, true, false}));
    // Vertical placement needs a single line.
    EXPECT_EQ(DecodeTextFormat(kTextVCenter | kTextWordBreak),
              (CaptionAlignment{HAlign::Left, VAlign::Top, false, true}));
}

TEST(ButtonLook, CaptionFont) {
    EXPECT_EQ(CaptionPixelSize(8, 96), 11);
    EXPECT_EQ(CaptionPixelSize(9, 72), 9);
    EXPECT_EQ(CaptionPixelSize(0, 96), 1);
    EXPECT_EQ(CaptionWeight(false), 400);
    EXPECT_EQ(CaptionWeight(true), 956);
}

TEST(ButtonLook, RotatedCaptionIsCentredOnTheBox) {
    const CaptionBox box{0, 0, 20, 100};
    const struct {
        int escapement;
        double x, y;
    } cases[] = {
        {0, -20, 45},    // unturned: centred the usual way
        {900, 5, 80},    // a quarter turn counter-clockwise: reads bottom to top
        {-900, 15, 20},  // clockwise: reads top to bottom
        {1800, 40, 55},
    };
    for (const auto& c : cases) {
        const CaptionOrigin o = RotatedCaptionOrigin(box, 60, 10, c.escapement);
        EXPECT_NEAR(o.x, c.x, 1e-9) << c.escapement;
        EXPECT_NEAR(o.y, c.y, 1e-9) << c.escapement;
    }
}

}  // namespace
}  // namespace vorlin
