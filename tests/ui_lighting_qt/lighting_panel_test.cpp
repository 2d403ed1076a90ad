// The lighting panel on a skinned window over the real generated skin, offscreen: where its
// controls sit, which ones each mode shows, and what the preview paints on the key buttons.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <cstdlib>

#include "platform/ini_file.h"
#include "skin/qt/bitmap_slider.h"
#include "store/lighting_keys.h"
#include "store/lighting_modes.h"
#include "ui/keyboard_layout.h"
#include "ui_lighting_qt/panel_window.h"

namespace vorlin {
namespace {

using namespace keyctl;

// The same numbers after every reseed, so two engines fed alike agree.
class FixedRandom : public PreviewRandom {
  public:
    void Reseed() override { next_ = 0; }
    unsigned Next() override { return (next_++ * 7919u + 13u) % 32768u; }

  private:
    unsigned next_ = 0;
};

QColor Q(Rgb c) {
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

QRect RectOf(const LayoutRect& r) {
    return QRect(r.x, r.y, r.w, r.h);
}

class LightingPanelQtTest : public ::testing::Test {
  protected:
    LightingPanelQtTest() : window_(&random_) { window_.Dialog().show(); }

    void ViewOn() {
        if (!window_.Model().lightingView) window_.Panel().ClickPicture(lightctl::kViewSwitch);
        ASSERT_TRUE(window_.Model().lightingView);
    }
    void Mode(int mode) {
        auto* list = qobject_cast<QComboBox*>(window_.Panel().Control(lightctl::kModeList));
        ASSERT_NE(list, nullptr);
        const int position = ModePosition(window_.Model(), mode);
        ASSERT_GE(position, 0) << mode;
        if (list->currentIndex() == position)
            window_.Panel().ModeChosen(position);
        else
            list->setCurrentIndex(position);  // as the user's selection does
        ASSERT_EQ(window_.Model().mode, mode);
    }
    bool Shown(int id) { return window_.Panel().Control(id)->isVisibleTo(&window_.Dialog()); }
    QColor OutlineOf(int id) { return QColor::fromRgb(window_.Button(id)->Outline().colour); }

    FixedRandom random_;
    test::PanelWindow window_;
};

TEST_F(LightingPanelQtTest, ControlsSitAtTheirLayoutPlacesWithTheirCaptions) {
    for (const LightingControl& c : LightingPanelControls()) {
        if (!c.id) continue;
        QWidget* w = window_.Panel().Control(c.id);
        ASSERT_NE(w, nullptr) << c.key;
        if (c.group != LightingGroup::kDirection) {
            EXPECT_EQ(w->geometry(), RectOf(window_.Layout(c.key))) << c.key;
        }
        if (c.caption) {
            auto* label = qobject_cast<QLabel*>(w);
            ASSERT_NE(label, nullptr) << c.key;
            EXPECT_EQ(label->text().toStdString(),
                      LookupLightText(window_.Core().texts, c.caption, 0));
        }
    }
    EXPECT_EQ(qobject_cast<QLabel*>(window_.Panel().Control(lightctl::kViewCaption))->text(),
              "Lighting");
    // Mode names from the language file, in the keyboard's order.
    auto* list = qobject_cast<QComboBox*>(window_.Panel().Control(lightctl::kModeList));
    ASSERT_EQ(list->count(), int(window_.Model().modeIndexTable.size()));
    EXPECT_EQ(list->itemText(0).toStdString(), LookupModeName(window_.Core().texts, 1, 0));
}

TEST_F(LightingPanelQtTest, EveryModeShowsItsControlsOnTheWindow) {
    ViewOn();
    for (const ModeIndexEntry& e : std::vector<ModeIndexEntry>(window_.Model().modeIndexTable)) {
        Mode(e.mode);
        for (const LightingControl& c : LightingPanelControls())
            if (c.id) {
                EXPECT_EQ(Shown(c.id), GroupVisible(c.group, e.mode, true))
                    << c.key << " mode " << e.mode;
            }
        // The direction controls move to the places of the mode, keeping their size.
        const auto keys = DirectionLayoutKeys(e.mode);
        const int ids[] = {lightctl::kDirectionCaption, lightctl::kDirectionFirst,
                           lightctl::kDirectionSecond};
        for (int i = 0; i < 3; ++i) {
            const LayoutRect r = window_.Layout(keys[size_t(i)]);
            EXPECT_EQ(window_.Panel().Control(ids[i])->pos(), QPoint(r.x, r.y)) << e.mode;
        }
        for (int id : lightctl::kReport)
            EXPECT_TRUE(window_.Button(id)->isVisibleTo(&window_.Dialog()));
    }
    // With the view off only the switch, its caption and the report-rate row stay.
    window_.Panel().ClickPicture(lightctl::kViewSwitch);
    for (const LightingControl& c : LightingPanelControls())
        if (c.id) {
            EXPECT_EQ(Shown(c.id), c.group == LightingGroup::kAlways) << c.key;
        }
}

TEST_F(LightingPanelQtTest, PreviewOutlinesFollowTheEnginesFrame) {
    ViewOn();
    // A second engine fed the same settings and numbers tells what every step must show.
    FixedRandom random;
    const std::vector<int> ids = PictureControlIds();
    PreviewEngine expected(ids, random);
    const int chosen[] = {kEsc, kA, kSpace, kNumEnter, kF12, kG1, kFn};
    for (int mode : {4, 1, 10, 7}) {
        Mode(mode);
        expected.SelectMode();
        for (int step = 0; step < 5; ++step) {
            window_.Panel().PreviewStep();
            ASSERT_TRUE(expected.Tick(PreviewSettingsOf(window_.Model()), true));
        }
        for (int id : chosen) {
            const KeyOutline* o = expected.Outline(id);
            ASSERT_NE(o, nullptr);
            const ButtonOutline& shown = window_.Button(id)->Outline();
            if (o->op == KeyOutline::kOutline) {
                EXPECT_TRUE(shown.on) << "mode " << mode << " key " << id;
                EXPECT_EQ(shown.strength, kOutlineStrength);
                EXPECT_EQ(OutlineOf(id), Q(o->colour)) << "mode " << mode << " key " << id;
            } else if (o->op == KeyOutline::kClear) {
                EXPECT_FALSE(shown.on) << "mode " << mode << " key " << id;
            }
        }
    }
    // Mode 7 clears every overlay.
    for (int id : ids) EXPECT_FALSE(window_.Button(id)->Outline().on) << id;
}

TEST_F(LightingPanelQtTest, UserColourModeShowsThePageAndAHiddenWindowIsNotPainted) {
    ViewOn();
    Mode(20);
    const KeyColourPage& page = window_.Model().keyColours[size_t(ProfileIndex(window_.Model()))];
    for (int id : {kEsc, kFn, kG3, kEnter}) {
        const Rgb c = PageColour(page, LightPositionOf(id));
        EXPECT_TRUE(window_.Button(id)->Outline().on);
        EXPECT_EQ(OutlineOf(id), Q(c)) << id;
    }
    window_.Panel().PreviewStep();  // mode 20 paints nothing over them
    EXPECT_EQ(OutlineOf(kEsc), Q(PageColour(page, LightPositionOf(kEsc))));

    Mode(4);
    window_.Panel().PreviewStep();
    const ButtonOutline before = window_.Button(kEsc)->Outline();
    window_.Dialog().hide();
    for (int i = 0; i < 3; ++i) window_.Panel().PreviewStep();
    EXPECT_EQ(window_.Button(kEsc)->Outline(), before);
    window_.Dialog().show();
    window_.Panel().PreviewStep();
    EXPECT_NE(window_.Button(kEsc)->Outline(), before);
}

TEST_F(LightingPanelQtTest, ClicksReachTheKeyboardAndTheUserFiles) {
    // Report rate through the window's button command, whatever the view.
    ASSERT_TRUE(window_.Panel().OnCommand(lightctl::kReport[2]));
    EXPECT_FALSE(window_.Panel().OnCommand(1006));
    const int profile = ProfileIndex(window_.Model());
    EXPECT_EQ(window_.Core().sim->Memory().lighting[size_t(profile * 42 + 15)], 2);
    EXPECT_TRUE(window_.Button(lightctl::kReport[2])->Selected());
    EXPECT_FALSE(window_.Button(lightctl::kReport[0])->Selected());
    // With the view off a key click is the key editor's.
    EXPECT_FALSE(window_.Panel().OnKeyClick(kA));

    ViewOn();
    EXPECT_EQ(IniRead(window_.Core().paths.userSettings, "KEYCOLOR", "DengCheck", ""), "1");
    Mode(20);
    window_.Panel().ClickPicture(lightctl::kTool0);
    window_.Panel().ColourChosen(lightctl::kFreeColour, 0x102030);
    EXPECT_TRUE(window_.Panel().OnKeyClick(kA));
    EXPECT_EQ(OutlineOf(kA), QColor(0x10, 0x20, 0x30));

    // Typing in the user-mode list renames the current user mode at once.
    auto* modes = qobject_cast<QComboBox*>(window_.Panel().Control(lightctl::kUserModes));
    ASSERT_NE(modes, nullptr);
    const int entry = window_.Model().userMode;
    window_.Panel().UserModeEdited("Evening");
    EXPECT_EQ(modes->itemText(entry), "Evening");
    EXPECT_EQ(window_.Model().userModeNames[size_t(entry)], "Evening");
    EXPECT_EQ(ReadUserModeName(ActiveUserColourFile(window_.Model(), window_.Core().paths), entry),
              "Evening");

    // The speed slider shows 5 - speed and writes only changes.
    auto* speed = window_.Panel().Control(lightctl::kSpeed);
    window_.Panel().SliderNotified(lightctl::kSpeed, 1);
    EXPECT_EQ(window_.Model().speed, 4);
    EXPECT_EQ(static_cast<CBitmapSlider*>(speed)->GetPos(), 1);
}

// The picture as the user sees it: the outline of a key is drawn in the key's colour on the
// window. With VORLIN_SCREENSHOT_DIR set, the two views are also written there as PNGs.
class LightingPanelPictureTest : public LightingPanelQtTest {
  protected:
    QImage Render(const char* file) {
        QCoreApplication::processEvents();
        QImage image = window_.Dialog().grab().toImage();
        if (const char* dir = std::getenv("VORLIN_SCREENSHOT_DIR")) {
            EXPECT_TRUE(image.save(QString::fromUtf8(dir) + "/" + file)) << file;
        }
        return image;
    }
    // The pixel on the middle of a key button's left edge, inside its outline.
    QColor EdgeOf(const QImage& image, int id) {
        const QRect r = window_.Button(id)->geometry();
        return image.pixelColor(r.left(), r.center().y());
    }
};

TEST_F(LightingPanelPictureTest, KeyOutlinesShowOnTheRenderedWindow) {
    ViewOn();
    Mode(20);
    QImage image = Render("lighting-mode20.png");
    const KeyColourPage& page = window_.Model().keyColours[size_t(ProfileIndex(window_.Model()))];
    for (int id : {kEsc, kQ, kSpace, kG1})
        EXPECT_EQ(EdgeOf(image, id), Q(PageColour(page, LightPositionOf(id)))) << id;
    EXPECT_TRUE(window_.Panel().Control(lightctl::kUserModes)->isVisible());

    window_.Model().multicolour = true;
    Mode(10);
    for (int i = 0; i < 12; ++i) window_.Panel().PreviewStep();
    image = Render("lighting-twinkle.png");
    int lit = 0;
    for (int id : PictureControlIds()) {
        const ButtonOutline& o = window_.Button(id)->Outline();
        if (!o.on) continue;
        ++lit;
        EXPECT_EQ(EdgeOf(image, id), QColor::fromRgb(o.colour)) << id;
    }
    EXPECT_GT(lit, 0);
    EXPECT_TRUE(window_.Panel().Control(lightctl::kEffectColour)->isVisible());
    EXPECT_FALSE(window_.Panel().Control(lightctl::kUserModes)->isVisible());
}

}  // namespace
}  // namespace vorlin
