#include "skin/slider_math.h"

#include <gtest/gtest.h>

namespace vorlin {
namespace {

// The lighting panel's sliders: range 0..5, page size 10, on a 120-pixel picture.
SliderLogic PanelSlider(int position = 2) {
    SliderLogic s;
    s.SetRange(0, 5);
    s.SetPageSize(10);
    s.SetWidth(120);
    s.SetPos(position);
    return s;
}

TEST(SliderMath, PixelAndPositionTruncate) {
    SliderLogic s = PanelSlider();
    const struct { int position, pixel; } pixels[] = {{0, 0}, {1, 24}, {3, 72}, {5, 120}};
    for (const auto& c : pixels) EXPECT_EQ(s.PixelOf(c.position), c.pixel) << c.position;
    const struct {
        int x, position;
    } positions[] = {{-10, 0}, {0, 0},   {13, 0},  {14, 1},  {37, 1},
                     {38, 2},  {110, 5}, {200, 8}, {-40, -1}};  // truncation toward zero, not down;
                                                                // SetPos clamps later
    for (const auto& c : positions) EXPECT_EQ(s.PositionAt(c.x), c.position) << c.x;

    s.SetRange(10, 13);
    s.SetWidth(7);
    EXPECT_EQ(s.PixelOf(12), 4);      // 2 / 3 * 7 = 4.67
    EXPECT_EQ(s.PositionAt(-3), 13);  // 10 + 7 / 7 * 3
    EXPECT_EQ(s.PositionAt(-9), 10);  // 10 + 1 / 7 * 3 = 10.43
}

TEST(SliderMath, DegenerateRangeAndWidthDoNotDivideByZero) {
    SliderLogic s;
    s.SetRange(4, 4);
    s.SetWidth(50);
    EXPECT_EQ(s.PixelOf(4), 0);
    EXPECT_EQ(s.PositionAt(30), 4);
    s.SetRange(0, 5);
    s.SetWidth(0);
    EXPECT_EQ(s.PositionAt(30), 0);
}

TEST(SliderMath, RangeAndPageSize) {
    SliderLogic s = PanelSlider(4);
    EXPECT_EQ(s.SetPageSize(3), 10);
    EXPECT_EQ(s.SetPageSize(7), 3);
    s.SetPos(9);
    EXPECT_EQ(s.Position(), 5);
    s.SetPos(-1);
    EXPECT_EQ(s.Position(), 0);
    s.SetRange(8, 2);  // put in order
    EXPECT_EQ(s.Minimum(), 2);
    EXPECT_EQ(s.Maximum(), 8);
    EXPECT_EQ(s.Position(), 2);
}

TEST(SliderMath, KeysMoveAndAlwaysNotify) {
    const struct {
        SliderKey key;
        int from, to;
    } cases[] = {
        {SliderKey::PageUp, 4, 0}, {SliderKey::PageDown, 1, 5}, {SliderKey::End, 2, 5},
        {SliderKey::Home, 3, 0},   {SliderKey::Left, 3, 2},     {SliderKey::Up, 3, 2},
        {SliderKey::Right, 3, 4},  {SliderKey::Down, 3, 4},     {SliderKey::Left, 0, 0},
        {SliderKey::Right, 5, 5},  {SliderKey::End, 5, 5},
    };
    for (const auto& c : cases) {
        SliderLogic s = PanelSlider(c.from);
        EXPECT_TRUE(s.Key(c.key)) << static_cast<int>(c.key) << " from " << c.from;
        EXPECT_EQ(s.Position(), c.to) << static_cast<int>(c.key) << " from " << c.from;
    }
    SliderLogic s = PanelSlider(2);
    s.SetPageSize(2);
    s.Key(SliderKey::PageDown);
    EXPECT_EQ(s.Position(), 4);
}

TEST(SliderMath, WheelWhileFocusedAlwaysNotifies) {
    const struct {
        int delta, from, to;
    } cases[] = {
        {+120, 3, 2}, {-120, 3, 4}, {+60, 3, 3},  {-60, 3, 4},
        {+120, 0, 0}, {-120, 5, 5}, {+240, 3, 1}, {-240, 3, 4},
    };
    for (const auto& c : cases) {
        SliderLogic s = PanelSlider(c.from);
        s.Press(s.PixelOf(c.from));  // takes the focus
        s.Release();
        EXPECT_TRUE(s.Wheel(c.delta)) << c.delta;
        EXPECT_EQ(s.Position(), c.to) << c.delta << " from " << c.from;
    }
    SliderLogic unfocused = PanelSlider(3);
    EXPECT_FALSE(unfocused.Wheel(120));
    EXPECT_EQ(unfocused.Position(), 3);
}

TEST(SliderMath, PressDragRelease) {
    SliderLogic s = PanelSlider(2);
    EXPECT_FALSE(s.Move(100)) << "no drag before a press";
    EXPECT_FALSE(s.Press(48)) << "on the position's own pixel";
    EXPECT_TRUE(s.Focused());
    EXPECT_TRUE(s.Dragging());
    EXPECT_TRUE(s.Move(60));  // a different pixel notifies though the position stays 2
    EXPECT_EQ(s.Position(), 2);
    EXPECT_TRUE(s.Move(100));
    EXPECT_EQ(s.Position(), 4);
    EXPECT_TRUE(s.Move(500));
    EXPECT_EQ(s.Position(), 5);
    EXPECT_FALSE(s.Move(120)) << "on the pixel of 5";
    EXPECT_TRUE(s.Release());
    EXPECT_FALSE(s.Dragging());
    EXPECT_FALSE(s.Move(0));
    EXPECT_EQ(s.Position(), 5);
    s.Leave();
    EXPECT_FALSE(s.Focused());
    EXPECT_FALSE(s.Wheel(-120));
}

TEST(SliderMath, DisabledSliderIgnoresPointerAndKeys) {
    SliderLogic s = PanelSlider(2);
    s.SetEnabled(false);
    EXPECT_FALSE(s.Press(100));
    EXPECT_FALSE(s.Key(SliderKey::End));
    EXPECT_FALSE(s.Release());
    EXPECT_EQ(s.Position(), 2);
}

}  // namespace
}  // namespace vorlin
