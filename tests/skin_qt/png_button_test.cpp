#include <gtest/gtest.h>
#include <QEnterEvent>
#include <QMouseEvent>

#include "qt_fixture.h"
#include "skin/qt/png_button.h"

namespace vorlin {
namespace {

using namespace vorlin::testing;

const QColor kSlot[5] = {QColor(10, 0, 0), QColor(0, 20, 0), QColor(0, 0, 30), QColor(40, 40, 0),
                         QColor(0, 50, 50)};
const QColor kAltA(60, 0, 60);
const QColor kAltB(70, 70, 70);

class PngButton : public QtTest {
  protected:
    void SetUp() override {
        App();
        window_.resize(100, 60);
        button_ = new CPngButton(&window_);
        button_->setGeometry(10, 10, 20, 12);
        ButtonImageSet set;
        for (int i = 0; i < 5; ++i) set[i] = FlatPixmap(100, 60, kSlot[i]);
        button_->SetImages(10, 10, set);
    }
    void Hover() {
        QEnterEvent enter(QPointF(2, 2), QPointF(12, 12), QPointF(12, 12));
        QCoreApplication::sendEvent(button_, &enter);
    }
    QRgb Middle() { return Render(*button_).pixel(10, 6); }

    QWidget window_;
    CPngButton* button_ = nullptr;
};

TEST_F(PngButton, FirstApplyingStateChoosesTheImage) {
    const struct {
        bool disabled, alt, selector, pressed, hover, selected;
        QColor expected;
        const char* why;
    } cases[] = {
        {false, false, false, false, false, false, kSlot[0], "normal"},
        {false, false, false, false, false, true, kSlot[4], "selected"},
        {false, false, false, false, true, true, kSlot[1], "hover over selected"},
        {false, false, false, true, true, true, kSlot[2], "pressed over hover"},
        {false, true, false, true, true, true, kAltA, "alt pair over pressed"},
        {false, true, true, false, false, false, kAltB, "selector shows B"},
        {true, true, true, true, true, true, kSlot[3], "disabled over everything"},
        {true, false, false, false, true, false, kSlot[3], "disabled while the pointer is over"},
    };
    for (const auto& c : cases) {
        SetUp();
        button_->SetAltImages(FlatPixmap(100, 60, kAltA), FlatPixmap(100, 60, kAltB), c.alt,
                              c.selector);
        button_->SetSelected(c.selected);
        if (c.hover) Hover();
        button_->setDown(c.pressed);
        button_->setEnabled(!c.disabled);
        EXPECT_EQ(Middle(), Rgb(c.expected)) << c.why;
        delete button_;
    }
    SetUp();
}

TEST_F(PngButton, SettingImagesClearsHoverAndPressed) {
    Hover();
    button_->setDown(true);
    EXPECT_EQ(Middle(), Rgb(kSlot[2]));
    ButtonImageSet set;
    for (int i = 0; i < 5; ++i) set[i] = FlatPixmap(100, 60, kSlot[i]);
    button_->SetImageSet(set);
    EXPECT_FALSE(button_->Hovered());
    EXPECT_FALSE(button_->isDown());
    EXPECT_EQ(Middle(), Rgb(kSlot[0]));

    Hover();
    EXPECT_EQ(Middle(), Rgb(kSlot[1]));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(button_, &leave);
    EXPECT_EQ(Middle(), Rgb(kSlot[0]));
}

TEST_F(PngButton, OutlineReplacesTheImageAndIsLimitedTo100) {
    button_->SetOutline(QColor(255, 0, 0), 150, true);
    EXPECT_EQ(button_->Outline().strength, 100);
    const QImage outlined = Render(*button_);
    // Two pixels all round in the outline colour; inside, nothing is drawn.
    for (QPoint p :
         {QPoint(0, 0), QPoint(1, 1), QPoint(19, 11), QPoint(18, 10), QPoint(10, 0), QPoint(0, 6)})
        EXPECT_EQ(outlined.pixel(p), qRgb(255, 0, 0)) << p.x() << "," << p.y();
    EXPECT_EQ(outlined.pixel(10, 6), 0u);
    EXPECT_EQ(outlined.pixel(2, 2), 0u);

    button_->SetOutline(QColor(0, 0, 0), 50, false);
    EXPECT_EQ(button_->Outline().strength, 50);
    EXPECT_EQ(Render(*button_).pixel(0, 0), Rgb(kSlot[0]));
    EXPECT_EQ(Middle(), Rgb(kSlot[0]));
}

TEST_F(PngButton, RedrawHookTellsWhetherTheOverLookWasDrawn) {
    std::vector<bool> calls;
    button_->SetRedrawHook([&](CPngButton* b, bool over) {
        EXPECT_EQ(b, button_);
        calls.push_back(over);
    });
    Render(*button_);
    Hover();
    Render(*button_);
    ASSERT_GE(calls.size(), 2u);
    EXPECT_FALSE(calls.front());
    EXPECT_TRUE(calls.back());
}

TEST_F(PngButton, DoubleClickCountsAsASecondPress) {
    int clicks = 0;
    QObject::connect(button_, &QAbstractButton::clicked, [&] { ++clicks; });
    const QPointF at(5, 5);
    const QPointF global = button_->mapToGlobal(at);
    auto send = [&](QEvent::Type type) {
        QMouseEvent e(type, at, global, Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
        QCoreApplication::sendEvent(button_, &e);
    };
    send(QEvent::MouseButtonPress);
    send(QEvent::MouseButtonRelease);
    send(QEvent::MouseButtonDblClick);
    EXPECT_TRUE(button_->isDown());
    send(QEvent::MouseButtonRelease);
    EXPECT_EQ(clicks, 2);
}

TEST_F(PngButton, CaptionInTheStateColourAndTurnedWhenRotated) {
    button_->setGeometry(10, 10, 60, 40);
    button_->SetCaption(QStringLiteral("WWW"));
    ButtonTextColours colours;
    for (auto& c : colours) c = QColor(250, 250, 250);
    colours[1] = QColor(255, 255, 0);
    button_->SetTextStyle(true, 12, QStringLiteral("DejaVu Sans"), colours);
    auto inked = [&](QRgb colour) {
        const QImage img = Render(*button_);
        QRect box;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (img.pixel(x, y) == colour) box |= QRect(x, y, 1, 1);
        return box;
    };
    const QRect upright = inked(qRgb(250, 250, 250));
    ASSERT_FALSE(upright.isEmpty());
    EXPECT_GT(upright.width(), upright.height());
    EXPECT_NEAR(upright.center().x(), 30, 3);

    Hover();
    EXPECT_FALSE(inked(qRgb(255, 255, 0)).isEmpty()) << "over caption colour";
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(button_, &leave);

    button_->SetTextAngle(900, true);
    const QRect turned = inked(qRgb(250, 250, 250));
    ASSERT_FALSE(turned.isEmpty());
    EXPECT_GT(turned.height(), turned.width());
    EXPECT_NEAR(turned.center().x(), 30, 3);
    EXPECT_NEAR(turned.center().y(), 20, 3);
}

TEST_F(PngButton, AccessibleNameIsTheCaptionElseTheTooltip) {
    button_->SetTooltip(QStringLiteral("Caps Lock: Left Ctrl"));
    EXPECT_EQ(button_->toolTip(), QStringLiteral("Caps Lock: Left Ctrl"));
    EXPECT_EQ(button_->accessibleName(), QStringLiteral("Caps Lock: Left Ctrl"));
    button_->SetCaption(QStringLiteral("Apply"));
    EXPECT_EQ(button_->accessibleName(), QStringLiteral("Apply"));
    button_->SetCaption(QString());
    button_->RemoveTooltip();
    EXPECT_TRUE(button_->toolTip().isEmpty());
    EXPECT_TRUE(button_->accessibleName().isEmpty());
}

}  // namespace
}  // namespace vorlin
