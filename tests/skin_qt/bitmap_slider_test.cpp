#include <gtest/gtest.h>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include <utility>
#include <vector>

#include "qt_fixture.h"
#include "skin/qt/bitmap_slider.h"

namespace vorlin {
namespace {

using namespace vorlin::testing;

constexpr int kId = 1061;

class BitmapSlider : public QtTest {
  protected:
    void SetUp() override {
        App();
        slider_ = new CBitmapSlider(kId, &window_);
        slider_->move(30, 40);
        slider_->Init(FlatPixmap(120, 16, Qt::gray));
        slider_->SetRange(0, 5);
        slider_->SetPageSize(10);
        slider_->SetPos(2);
        QObject::connect(slider_, &CBitmapSlider::notified,
                         [this](int id, int pos) { notes_.emplace_back(id, pos); });
    }
    void Mouse(QEvent::Type type, int x) {
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
        QMouseEvent e(type, QPointF(x, 8), slider_->mapToGlobal(QPointF(x, 8)),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held,
                      Qt::NoModifier);
        QCoreApplication::sendEvent(slider_, &e);
    }
    void Key(int key) {
        QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(slider_, &e);
    }
    void Wheel(int delta) {
        QWheelEvent e(QPointF(5, 5), slider_->mapToGlobal(QPointF(5, 5)), QPoint(),
                      QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(slider_, &e);
    }
    // Pressed and released on its own pixel: focused, one notification, position unchanged.
    void Focus() {
        Mouse(QEvent::MouseButtonPress, slider_->Logic().PixelOf(slider_->GetPos()));
        Mouse(QEvent::MouseButtonRelease, 0);
        notes_.clear();
    }

    QWidget window_;
    CBitmapSlider* slider_ = nullptr;
    std::vector<std::pair<int, int>> notes_;
};

TEST_F(BitmapSlider, InitTakesThePictureSizeAndKeepsThePosition) {
    EXPECT_EQ(slider_->geometry(), QRect(30, 40, 120, 16));
    EXPECT_EQ(slider_->Logic().Width(), 120);
    EXPECT_EQ(slider_->SetPageSize(3), 10);
    slider_->SetTrackImage(FlatPixmap(120, 16, QColor(1, 2, 3)));
    EXPECT_EQ(Render(*slider_).pixel(60, 8), qRgb(1, 2, 3));
}

TEST_F(BitmapSlider, EveryKeyNotifiesWithIdAndPosition) {
    const struct {
        int key, from, to;
    } cases[] = {
        {Qt::Key_PageUp, 4, 0}, {Qt::Key_PageDown, 1, 5}, {Qt::Key_End, 1, 5},
        {Qt::Key_Home, 4, 0},   {Qt::Key_Left, 2, 1},     {Qt::Key_Up, 2, 1},
        {Qt::Key_Right, 2, 3},  {Qt::Key_Down, 2, 3},     {Qt::Key_Left, 0, 0},
        {Qt::Key_End, 5, 5},
    };
    for (const auto& c : cases) {
        slider_->SetPos(c.from);
        notes_.clear();
        Key(c.key);
        EXPECT_EQ(slider_->GetPos(), c.to) << c.key << " from " << c.from;
        ASSERT_EQ(notes_.size(), 1u) << c.key << " from " << c.from;
        EXPECT_EQ(notes_[0], std::make_pair(kId, c.to));
    }
    notes_.clear();
    Key(Qt::Key_A);
    EXPECT_TRUE(notes_.empty());
}

TEST_F(BitmapSlider, EveryWheelTurnNotifiesWhileFocused) {
    Focus();
    slider_->SetPos(3);
    Wheel(+120);
    Wheel(-120);
    Wheel(+60);
    const std::vector<std::pair<int, int>> expected = {{kId, 2}, {kId, 3}, {kId, 3}};
    EXPECT_EQ(notes_, expected);

    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(slider_, &leave);
    notes_.clear();
    Wheel(-120);
    EXPECT_TRUE(notes_.empty()) << "not focused after the pointer left";
    EXPECT_EQ(slider_->GetPos(), 3);
}

TEST_F(BitmapSlider, PressDragAndReleaseFollowThePointer) {
    Mouse(QEvent::MouseButtonPress, 100);  // (100 + 10) / 120 * 5 = 4.58
    Mouse(QEvent::MouseMove, 60);
    Mouse(QEvent::MouseMove, 48);  // the pixel of 2: nothing to report
    Mouse(QEvent::MouseButtonRelease, 48);
    Mouse(QEvent::MouseMove, 110);  // no longer dragging
    const std::vector<std::pair<int, int>> expected = {{kId, 4}, {kId, 2}, {kId, 2}};
    EXPECT_EQ(notes_, expected);
    EXPECT_EQ(slider_->GetPos(), 2);
}

}  // namespace
}  // namespace vorlin
