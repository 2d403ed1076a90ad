// The keyboard panel: where clicks go in each view, the switch flags, what the buttons show, the
// reset of a profile's keys and the "Flip" setting.
#include <gtest/gtest.h>

#include <algorithm>

#include "keys/key_codes.h"
#include "keys/key_table.h"
#include "platform/settings.h"
#include "skin/key_names.h"
#include "ui_fixture.h"

namespace vorlin {
namespace {

constexpr int kA = 1058, kF = 1061, kF1 = 1010, kF4 = 1013, kF5 = 1014, kG1 = 1000, kG6 = 1140,
              kG9 = 1143, kFn = 1174, kK45 = 1222, kK56 = 1223;
constexpr KeyIndex kAEntry = 0x1E;
constexpr KeyIndex kMuteEntry = 160;  // a multimedia key: no button on the panel

class KeyPanelTest : public test::UiTest {
  protected:
    const KeyButtonView& View(const std::vector<KeyButtonView>& views, int id) {
        auto it = std::find_if(views.begin(), views.end(),
                               [&](const KeyButtonView& v) { return v.controlId == id; });
        EXPECT_NE(it, views.end()) << id;
        return *it;
    }
    int MediaIndexOfMute() {
        for (int i = 0; i < kMediaCount; ++i) {
            if (KeyIndexOf(MediaList()[i].code) == kMuteEntry) return i;
        }
        ADD_FAILURE() << "no Mute in the multimedia list";
        return 0;
    }
};

TEST_F(KeyPanelTest, ClicksGoWhereTheViewSays) {
    struct Case {
        int id;
        bool colourView;
        KeyClickKind kind;
        int light;  // PaintKey
    };
    const Case cases[] = {
        {kG1, false, KeyClickKind::None, -1},       {kG1, true, KeyClickKind::PaintKey, 125},
        {kFn, false, KeyClickKind::None, -1},       {kFn, true, KeyClickKind::PaintKey, 110},
        {kK45, false, KeyClickKind::None, -1},      {kK45, true, KeyClickKind::PaintKey, 85},
        {kK56, false, KeyClickKind::None, -1},      {kK56, true, KeyClickKind::PaintKey, 96},
        {kG6, false, KeyClickKind::OpenEditor, -1}, {kG6, true, KeyClickKind::OpenEditor, -1},
        {kA, false, KeyClickKind::OpenEditor, -1},  {kA, true, KeyClickKind::PaintKey, 64},
        {1016, false, KeyClickKind::None, -1},      {1007, true, KeyClickKind::OpenEditor, -1},
        {1500, false, KeyClickKind::None, -1},      {1057, false, KeyClickKind::None, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.id << (c.colourView ? " colour view" : ""));
        const KeyClick click = panel.OnKeyButton(c.id, c.colourView);
        EXPECT_EQ(click.kind, c.kind);
        if (c.kind == KeyClickKind::PaintKey) {
            EXPECT_EQ(click.lightPosition, c.light);
        }
    }
    EXPECT_EQ(s.ui.changedOn, 0);
}

TEST_F(KeyPanelTest, SelectionSetsTheEditorTarget) {
    struct Case {
        int id;
        KeyIndex entry;
        int targetId;
        bool macroOnly;
    };
    const Case cases[] = {
        {kA, kAEntry, kA, false},
        {kG6, 261, kG6, false},
        {kG9, 264, kG9, true},
        {1007, 264, kG9, true},  // the macro edit button is G9
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        ASSERT_EQ(panel.OnKeyButton(c.id, false).kind, KeyClickKind::OpenEditor);
        ASSERT_TRUE(panel.editorTarget());
        EXPECT_EQ(panel.editorTarget()->entry, c.entry);
        EXPECT_EQ(panel.editorTarget()->controlId, c.targetId);
        EXPECT_EQ(panel.editorTarget()->macroOnly, c.macroOnly);
    }
    EXPECT_EQ(panel.SelectKey(1016).kind, KeyClickKind::None);  // 1016..1021 select nothing
}

TEST_F(KeyPanelTest, SwitchViewFlipsTheFlagOfTheListPosition) {
    EXPECT_EQ(panel.SwitchCaption(), T(kTextMainSwitchFunctionText));
    EXPECT_EQ(panel.ToggleSwitchView(), T(kTextMainSwitchColorText));
    ASSERT_TRUE(panel.switchView());

    const KeyClick a = panel.OnKeyButton(kA, false);
    EXPECT_EQ(a.kind, KeyClickKind::SwitchFlag);
    EXPECT_TRUE(a.switchOn);
    EXPECT_EQ(Entry(0, 0).switchFlag, 1u);  // A is at list position 0
    EXPECT_EQ(Entry(0, kAEntry).switchFlag, 0u);
    EXPECT_EQ(panel.OnKeyButton(kG6, false).kind, KeyClickKind::SwitchFlag);
    EXPECT_EQ(Entry(0, 261).switchFlag, 1u);
    EXPECT_EQ(Entry(0, 5).switchFlag, 0u);  // F, position 5
    EXPECT_EQ(s.ui.changedOn, 2);

    PanelView view = panel.RefreshKeyButtons(0);
    EXPECT_EQ(View(view.keys, kA).look, KeyLook::SwitchOn);
    EXPECT_EQ(View(view.keys, kG6).look, KeyLook::SwitchOn);
    EXPECT_EQ(View(view.keys, kF).look, KeyLook::SwitchOff);

    // A flag other than 0 and 1 is inverted to 0; the editor target still follows the click.
    Entry(0, 0).switchFlag = 7;
    EXPECT_FALSE(panel.OnKeyButton(kA, false).switchOn);
    EXPECT_EQ(Entry(0, 0).switchFlag, 0u);
    EXPECT_EQ(panel.editorTarget()->entry, kAEntry);

    EXPECT_EQ(panel.ToggleSwitchView(), T(kTextMainSwitchFunctionText));
    view = panel.RefreshKeyButtons(0);
    EXPECT_EQ(View(view.keys, kG6).look, KeyLook::Normal);
}

TEST_F(KeyPanelTest, TooltipsSayWhatAKeyIsAssignedTo) {
    s.work.macros.push_back(test::MakeMacro(7, u"Boss fight", {}));
    const std::string name = "A";
    const std::string set = name + T(kTextKeyPromptSet);
    const std::string mute = KeyName(s.texts, 0, MediaList()[MediaIndexOfMute()].code);
    ASSERT_FALSE(mute.empty());
    struct Case {
        KeyAction action;
        bool assigned;
        std::string tooltip;
    };
    const Case cases[] = {
        {{kActionDefault, 0, 0}, false, name},
        {{kActionDisabled, 0, 0}, true, set},
        {{kActionLaunch, 0, 0}, true, set},
        {{kActionKey, 0, 0x30},
         true,
         set + T(kTextKeyPromptSingle) + KeyName(s.texts, 0, 0x30) + ")"},
        {{kActionMacro, 1, 7}, true, set + T(kTextKeyPromptMacro) + "Boss fight)"},
        {{kActionMacro, 1, 8}, true, set + T(kTextKeyPromptMacro) + ")"},  // no such macro
        {{kActionMedia, 0, static_cast<uint32_t>(MediaIndexOfMute())},
         true,
         set + T(kTextKeyPromptMedia) + mute + ")"},
        {{kActionMedia, 0, 99}, true, set + T(kTextKeyPromptMedia) + ")"},
        {{kActionFunction, 0, 0},
         true,
         set + T(kTextKeyPromptFunction) + T(FunctionNameKey(0)) + ")"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tooltip);
        const KeyTip tip = KeyTooltip(s.ctx, name, c.action);
        EXPECT_EQ(tip.assigned, c.assigned);
        EXPECT_EQ(tip.tooltip, c.tooltip);
    }

    // The buttons take their names and entries from the panel's lists.
    Entry(0, kAEntry) = {kActionMedia, 0, static_cast<uint32_t>(MediaIndexOfMute())};
    Entry(0, 258).type = kActionMacro;
    Entry(0, 258).value = 7;
    const std::vector<KeyButtonView> tips = panel.RefreshKeyTooltips(0);
    ASSERT_EQ(tips.size(), 113u);
    EXPECT_EQ(View(tips, kA).tooltip, KeyName(s.texts, 0, 0x1E) + T(kTextKeyPromptSet) +
                                          T(kTextKeyPromptMedia) + mute + ")");
    EXPECT_EQ(View(tips, 1002).tooltip,
              "G3" + T(kTextKeyPromptSet) + T(kTextKeyPromptMacro) + "Boss fight)");
    EXPECT_TRUE(View(tips, 1002).assigned);
    EXPECT_EQ(View(tips, kF).tooltip, KeyName(s.texts, 0, 0x21));
    EXPECT_FALSE(View(tips, kF).assigned);

    const std::vector<KeyButtonView> reset = panel.ResetKeyButton(kAEntry);
    ASSERT_EQ(reset.size(), 1u);
    EXPECT_EQ(reset[0].controlId, kA);
    EXPECT_FALSE(reset[0].assigned);
    EXPECT_EQ(reset[0].tooltip, KeyName(s.texts, 0, 0x1E));
}

TEST_F(KeyPanelTest, ResettingAProfileLeavesOffPanelKeysAndOtherProfiles) {
    StartOnProfile(1);
    for (int table : {0, 1}) {
        Entry(table, kAEntry) = {kActionKey, 0, 0x30};
        Entry(table, 257) = {kActionDisabled, 0x0302, 0};
        Entry(table, kMuteEntry) = {kActionDisabled, 0, 0};
    }
    SetKeyString(s.work, 1 * kKeyActionsPerTable + kMuteEntry, u"kept");
    const int changedBefore = s.ui.changedOn;

    const std::vector<KeyButtonView> views = panel.ResetProfileKeys(1);
    EXPECT_EQ(Entry(1, kAEntry).type, 0);
    EXPECT_EQ(Entry(1, 257).type, 0);
    EXPECT_EQ(Entry(1, 257).extra, 0);  // all 16 bytes
    EXPECT_EQ(Entry(1, kMuteEntry).type, kActionDisabled);
    EXPECT_EQ(s.work.strings.Text(1 * kKeyActionsPerTable + kMuteEntry), u"kept");
    EXPECT_EQ(Entry(0, kAEntry).type, kActionKey);
    EXPECT_EQ(s.ui.changedOn, changedBefore + 1);
    EXPECT_TRUE(std::none_of(views.begin(), views.end(),
                             [](const KeyButtonView& v) { return v.assigned; }));
    EXPECT_EQ(View(views, kA).tooltip, KeyName(s.texts, 0, 0x1E));
}

TEST_F(KeyPanelTest, LedMessageMarksTheGKeys) {
    Entry(0, 256).type = kActionMacro;
    Entry(0, 263).type = kActionDisabled;
    Entry(1, 257).type = kActionDisabled;  // another profile's
    const auto marks = panel.LedMarks(kLedTag, 0);
    ASSERT_EQ(marks.size(), 9u);
    for (int n = 0; n < 9; ++n) {
        EXPECT_EQ(marks[n].first, kGKeyControlIds[n]);
        EXPECT_EQ(marks[n].second, n == 0 || n == 7) << n;
    }
    EXPECT_TRUE(panel.LedMarks(0x004C4543, 0).empty());
}

TEST_F(KeyPanelTest, FlipSwapsTheFunctionKeys) {
    const auto enabled = [](const FlipView& v, int id) {
        for (auto [control, on] : v.enabled) {
            if (control == id) return on;
        }
        ADD_FAILURE() << id;
        return false;
    };
    ASSERT_TRUE(SettingsWriteString(s.paths, s.iniLock, "PROFILES", "Flip", "1"));
    FlipView flip = ApplyFlip(s.paths);
    EXPECT_EQ(flip.indicatorCopy, 1);
    for (int id = kF1; id <= kF4; ++id) EXPECT_FALSE(enabled(flip, id)) << id;
    for (int id = 1016; id <= 1021; ++id) EXPECT_TRUE(enabled(flip, id)) << id;
    PanelView view = panel.RefreshKeyButtons(0);
    EXPECT_FALSE(View(view.keys, kF1).enabled);
    EXPECT_FALSE(View(view.keys, kF4).enabled);
    EXPECT_TRUE(View(view.keys, kF5).enabled);

    flip = ClickFlipButton(s.paths, s.iniLock);
    EXPECT_EQ(SettingsReadString(s.paths, "PROFILES", "Flip", ""), "0");
    EXPECT_EQ(flip.indicatorCopy, 0);
    EXPECT_TRUE(enabled(flip, kF1));
    EXPECT_FALSE(enabled(flip, 1016));
    EXPECT_TRUE(View(panel.RefreshKeyButtons(0).keys, kF1).enabled);

    // Anything but 0 inverts to 0 and counts as 0 meanwhile.
    ASSERT_TRUE(SettingsWriteString(s.paths, s.iniLock, "PROFILES", "Flip", "7"));
    EXPECT_EQ(ApplyFlip(s.paths).flip, 0);
    ClickFlipButton(s.paths, s.iniLock);
    EXPECT_EQ(ReadFlipSetting(s.paths), 0);
    EXPECT_TRUE(WriteFlipSetting(s.paths, s.iniLock, 3));
    EXPECT_EQ(SettingsReadString(s.paths, "PROFILES", "Flip", ""), "0");
}

TEST_F(KeyPanelTest, FlipArrowsFollowTheSetting) {
    struct Case {
        int button;
        bool over;
        int flip;
        int arrow;  // 0: not placed
        const char* layoutKey;
        const char* secondKey;
    };
    const Case cases[] = {
        {1130, true, 1, 1132, "LEFT_ARROW", "UP_ARROW_LEFT1"},
        {1130, true, 0, 1132, "LEFT_ARROW", "DOWN_ARROW_LEFT1"},
        {1131, true, 1, 1133, "RIGHT_ARROW", "UP_ARROW_RIGHT1"},
        {1131, true, 0, 1133, "RIGHT_ARROW", "DOWN_ARROW_RIGHT1"},
        {1130, false, 1, 0, "", ""},
        {1129, true, 1, 0, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.button << " " << c.over << " " << c.flip);
        WriteFlipSetting(s.paths, s.iniLock, c.flip);
        const auto placed = FlipArrowPlacement(c.button, c.over, s.paths);
        ASSERT_EQ(placed.has_value(), c.arrow != 0);
        if (!placed) continue;
        EXPECT_EQ(placed->arrowId, c.arrow);
        EXPECT_EQ(placed->layoutKey, c.layoutKey);
        EXPECT_EQ(placed->secondKey, c.secondKey);
    }
}

}  // namespace
}  // namespace vorlin
