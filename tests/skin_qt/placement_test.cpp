#include <gtest/gtest.h>

#include "qt_fixture.h"
#include "skin/qt/skin_placement.h"

namespace vorlin {
namespace {

using namespace vorlin::testing;

// A window picture whose every pixel tells where it is: red = x, green = y.
QPixmap CoordinatePicture() {
    QImage image(220, 120, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, qRgb(x, y, 77));
    return QPixmap::fromImage(image);
}

class Placement : public QtTest {
  protected:
    void SetUp() override {
        App();
        layout_ = folder_.Write("Win.ini",
                                "[BUTTONINFO]\n"
                                "AT_100=100,50,30,20\n"
                                "AT_ONE=1,1,40,20\n"
                                "TRAILING=10,20,30,40,x\n"
                                "SPACED= 12, 7,5,6 junk\n"
                                "[BUTTONINFO2]\n"
                                "UP_ARROW_LEFT1=150,60,9,9\n");
    }
    TempFolder folder_;
    std::filesystem::path layout_;
    QWidget window_;
};

TEST_F(Placement, ImageButtonTakesRectangleLookAndEnabledState) {
    const QPixmap picture = CoordinatePicture();
    const struct {
        const char* key;
        QRect geometry;
        bool enabled;
    } cases[] = {
        {"AT_100", {100, 50, 30, 20}, true},
        {"AT_ONE", {1, 1, 40, 20}, false},  // (1, 1) disables whatever the size
        {"TRAILING", {10, 20, 30, 40}, true},
        {"SPACED", {12, 7, 5, 6}, true},
        {"MISSING", {1, 1, 1, 1}, false},
    };
    for (const auto& c : cases) {
        CPngButton button(&window_);
        PlaceImageButton(button, layout_, "BUTTONINFO", c.key,
                         {picture, picture, picture, picture, picture});
        EXPECT_EQ(button.geometry(), c.geometry) << c.key;
        EXPECT_EQ(button.isEnabled(), c.enabled) << c.key;
        // The look is cut one pixel up and left of the layout position.
        const QImage drawn = Render(button);
        const QRect g = c.geometry;
        EXPECT_EQ(drawn.pixel(0, 0), qRgb(g.x() - 1, g.y() - 1, 77)) << c.key;
        if (g.width() > 1) {
            EXPECT_EQ(drawn.pixel(g.width() - 1, g.height() - 1),
                      qRgb(g.x() + g.width() - 2, g.y() + g.height() - 2, 77))
                << c.key;
        }
    }
}

TEST_F(Placement, AtOneHundredFiftyDrawsPixels99To128And49To68) {
    const QPixmap picture = CoordinatePicture();
    CPngButton button(&window_);
    PlaceImageButton(button, layout_, "BUTTONINFO", "AT_100",
                     {picture, picture, picture, picture, picture});
    const QImage drawn = Render(button);
    EXPECT_EQ(drawn.pixel(0, 0), qRgb(99, 49, 77));
    EXPECT_EQ(drawn.pixel(29, 19), qRgb(128, 68, 77));
    EXPECT_EQ(drawn.pixel(15, 10), qRgb(114, 59, 77));
}

TEST_F(Placement, ControlsAreMovedOrSizedOnly) {
    QWidget placed(&window_);
    placed.setGeometry(5, 5, 70, 30);
    PlaceControl(placed, layout_, "BUTTONINFO", "TRAILING");
    EXPECT_EQ(placed.geometry(), QRect(10, 20, 30, 40));
    EXPECT_TRUE(placed.isEnabled());
    PlaceControl(placed, layout_, "BUTTONINFO", "MISSING");
    EXPECT_EQ(placed.geometry(), QRect(1, 1, 1, 1));

    QWidget moved(&window_);
    moved.setGeometry(5, 5, 70, 30);
    MoveControlTo(moved, layout_, "BUTTONINFO", "AT_100");
    EXPECT_EQ(moved.geometry(), QRect(100, 50, 70, 30));
}

TEST_F(Placement, ArrowButtonTakesItsLookFromTheSecondKey) {
    CPngButton arrow(&window_);
    PlaceArrowButton(arrow, layout_, "BUTTONINFO", "AT_100", "BUTTONINFO2", "UP_ARROW_LEFT1",
                     CoordinatePicture());
    EXPECT_EQ(arrow.geometry(), QRect(100, 50, 30, 20));
    EXPECT_TRUE(arrow.isEnabled());
    EXPECT_EQ(Render(arrow).pixel(0, 0), qRgb(149, 59, 77));
    EXPECT_EQ(Render(arrow).pixel(3, 2), qRgb(152, 61, 77));
}

}  // namespace
}  // namespace vorlin
