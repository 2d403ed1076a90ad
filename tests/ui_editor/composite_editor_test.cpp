// The composite editor's pages, single-key capture and what Apply and OK write.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "editor_fixture.h"
#include "keys/key_codes.h"
#include "platform/text_key_names.h"
#include "store/config_device.h"

namespace vorlin {
namespace {

using test::kA;
using test::kB;
using test::kKeyButton;
using test::kPrint;
using test::MakeMacro;
using K = KeyTransition;

struct EditorTest : test::EditorFixture {
    void SetUp() override {
        EditorFixture::SetUp();
        sim.work.macros = {MakeMacro(5, u"Five", {{30, kA, 0}, {0, kA, 1}}, 3),
                           MakeMacro(7, u"Seven", {})};
    }
};

struct CaptureCase {
    const char* what;
    KeyIndex entry;
    std::vector<std::pair<uint32_t, KeyTransition>> events;
    uint16_t type;
    uint32_t value;
};

TEST_F(EditorTest, SingleKeyCapture) {
    using namespace test;
    const CaptureCase cases[] = {
        {"another key", 30, {{kInB, K::Press}}, kActionKey, kB},
        {"the edited key itself stays default", 30, {{kInA, K::Press}}, kActionDefault, 0},
        {"an E0 key itself", KeyIndexOf(0x11D), {{kInRightCtrl, K::Press}}, kActionDefault, 0},
        {"releases and repeats capture nothing",
         30,
         {{kInB, K::Release}, {kInB, K::AutoRepeat}},
         kActionDefault,
         0},
        {"the last first press wins",
         30,
         {{kInB, K::Press}, {kInEnter, K::Press}},
         kActionKey,
         0x1C},
        {"Print Screen counts on its release", 30, {{kInSysRq, K::Release}}, kActionKey, kPrint},
        {"left Win", 30, {{kInLeftMeta, K::Press}}, kActionKey, 0x15B},
        {"right Win on its release", 30, {{kInRightMeta, K::Release}}, kActionKey, 0x15C},
        {"App", 30, {{kInCompose, K::Press}}, kActionKey, 0x15D},
        {"a multimedia key passes", 30, {{kInVolumeUp, K::Press}}, kActionDefault, 0},
    };
    for (const CaptureCase& c : cases) {
        SCOPED_TRACE(c.what);
        Entry(0, c.entry) = KeyAction{};
        OpenOn(c.entry);
        ASSERT_TRUE(editor.captureActive());
        for (auto [input, transition] : c.events) Key(input, transition);
        editor.Ok();
        EXPECT_EQ(Entry(0, c.entry).type, c.type);
        EXPECT_EQ(Entry(0, c.entry).value, c.value);
        EXPECT_FALSE(editor.isOpen());
    }
}

TEST_F(EditorTest, CaptureSwallowsKeysButMultimediaAndOtherPages) {
    OpenOn(30);
    EXPECT_EQ(Key(test::kInA, K::Press), KeyVerdict::Swallow);
    EXPECT_EQ(editor.keyEditText(), "A");
    EXPECT_TRUE(editor.dirty());
    EXPECT_EQ(Key(test::kInEnter, K::Press), KeyVerdict::Swallow);
    EXPECT_EQ(Key(test::kInVolumeUp, K::Press), KeyVerdict::Pass);
    EXPECT_EQ(Key(84, K::Press), KeyVerdict::Pass) << "no key of the table";
    editor.PressPageButton(CompositePage::Media);
    EXPECT_FALSE(editor.captureActive());
    EXPECT_EQ(Key(test::kInB, K::Press), KeyVerdict::Pass);
    // The mouse choice ignores ordinary keys; the Win keys are still taken.
    editor.PressPageButton(CompositePage::Key);
    editor.Choose(KeyChoice::Mouse);
    Key(test::kInB, K::Press);
    EXPECT_EQ(editor.capturedKey(), 0x1C);
    EXPECT_EQ(Key(test::kInLeftMeta, K::Press), KeyVerdict::Swallow);
    EXPECT_EQ(editor.capturedKey(), 0x15B);
}

struct OpenCase {
    const char* what;
    KeyAction stored;
    CompositePage page;
    KeyCode captured;
    KeyChoice choice;
    std::string keyText;
    int selectedMacro;
    int media;
    int function;
    int mouse;
};

TEST_F(EditorTest, PageAtOpening) {
    const OpenCase cases[] = {
        {"default key", {}, CompositePage::Key, 0, KeyChoice::Keyboard, "", -1, 0, 0, 0},
        {"another key",
         {kActionKey, 0, kB},
         CompositePage::Key,
         kB,
         KeyChoice::Keyboard,
         "B",
         -1,
         0,
         0,
         0},
        {"a mouse button",
         {kActionKey, 0, 0x172},
         CompositePage::Key,
         0x172,
         KeyChoice::Mouse,
         "",
         -1,
         0,
         0,
         1},
        {"wheel down",
         {kActionKey, 0, 0x162},
         CompositePage::Key,
         0x162,
         KeyChoice::Mouse,
         "",
         -1,
         0,
         0,
         4},
        {"a macro by its id",
         {kActionMacro, 1, 7},
         CompositePage::Macro,
         0,
         KeyChoice::Keyboard,
         "",
         1,
         0,
         0,
         0},
        {"a macro no longer there",
         {kActionMacro, 1, 9},
         CompositePage::Macro,
         0,
         KeyChoice::Keyboard,
         "",
         0,
         0,
         0,
         0},
        {"multimedia",
         {kActionMedia, 0, 5},
         CompositePage::Media,
         0,
         KeyChoice::Keyboard,
         "",
         -1,
         5,
         0,
         0},
        {"function",
         {kActionFunction, 0, 3},
         CompositePage::Function,
         0,
         KeyChoice::Keyboard,
         "",
         -1,
         0,
         3,
         0},
        {"launch program: its value is no key",
         {kActionLaunch, 0, 0x40},
         CompositePage::Key,
         0,
         KeyChoice::Keyboard,
         "",
         -1,
         0,
         0,
         0},
    };
    for (const OpenCase& c : cases) {
        SCOPED_TRACE(c.what);
        Entry(0, 30) = c.stored;
        OpenOn(30);
        EXPECT_EQ(editor.shownPage(), c.page);
        EXPECT_EQ(editor.page(), c.stored.type);
        EXPECT_EQ(editor.captureActive(), c.page == CompositePage::Key);
        EXPECT_EQ(editor.capturedKey(), c.captured);
        EXPECT_EQ(editor.choice(), c.choice);
        EXPECT_EQ(editor.keyEditText(), c.keyText);
        EXPECT_EQ(editor.selectedMacro(), c.selectedMacro);
        EXPECT_EQ(editor.mediaIndex(), c.media);
        EXPECT_EQ(editor.functionIndex(), c.function);
        EXPECT_EQ(editor.mouseIndex(), c.mouse);
        EXPECT_FALSE(editor.dirty());
        EXPECT_TRUE(editor.otherPagesEnabled());
        EXPECT_TRUE(editor.hintsVisible());
        EXPECT_EQ(editor.openCount(), 1);
        editor.Cancel();
        EXPECT_EQ(editor.openCount(), 0);
    }
}

TEST_F(EditorTest, FirstMacroPageSelectsTheFirstMacroOnlyForAnUnassignedKey) {
    for (uint32_t value : {0u, uint32_t{kB}}) {
        SCOPED_TRACE(value);
        Entry(0, 30) = KeyAction{static_cast<uint16_t>(value ? kActionKey : 0), 0, value};
        OpenOn(30);
        editor.PressPageButton(CompositePage::Macro);
        EXPECT_EQ(editor.selectedMacro(), value == 0 ? 0 : -1);
        EXPECT_EQ(editor.actions().size(), value == 0 ? 2 : 0);
        EXPECT_EQ(editor.actionButtonsEnabled(), value == 0);
        editor.Cancel();
    }
    // Only the first time.
    OpenOn(31);
    editor.PressPageButton(CompositePage::Macro);
    editor.SelectMacro(1);
    editor.PressPageButton(CompositePage::Key);
    editor.PressPageButton(CompositePage::Macro);
    EXPECT_EQ(editor.selectedMacro(), 1);
}

TEST_F(EditorTest, MacroButtonOkAssignsTheSelectedMacroToG9) {
    constexpr KeyIndex kG9 = 264;
    ASSERT_TRUE(editor.Open(kG9, kMacroEditButtonId, true, 0));
    EXPECT_EQ(editor.shownPage(), CompositePage::Macro);
    EXPECT_FALSE(editor.otherPagesEnabled());
    EXPECT_FALSE(editor.hintsVisible());
    EXPECT_STREQ(editor.headingTextKey(), kTextMacroEditHint);
    EXPECT_EQ(editor.selectedMacro(), 0);
    editor.PressPageButton(CompositePage::Key);
    EXPECT_EQ(editor.shownPage(), CompositePage::Macro) << "the other pages are disabled";

    editor.SelectMacro(1);
    editor.Ok();
    const KeyAction& g9 = Entry(0, kG9);
    EXPECT_EQ(g9.type, kActionMacro);
    EXPECT_EQ(g9.value, 7u);
    EXPECT_EQ(g9.extra, 1) << "the repeat count shown";
    EXPECT_EQ(host.marks, (std::vector<std::pair<int, bool>>{{kMacroEditButtonId, true}}));
    EXPECT_EQ(host.tooltipRefreshes, 1);
    EXPECT_EQ(host.restored, std::vector<int>{kMacroEditButtonId});
    EXPECT_GE(sim.ui.changedOn, 1);
    EXPECT_FALSE(editor.isOpen());
}

struct ApplyCase {
    const char* what;
    KeyIndex entry;
    KeyAction stored;
    std::function<void(CompositeEditor&)> edit;
    KeyAction expected;
};

TEST_F(EditorTest, ApplyWritesThePage) {
    const ApplyCase cases[] = {
        {"multimedia",
         30,
         {},
         [](CompositeEditor& e) {
             e.PressPageButton(CompositePage::Media);
             e.SelectMedia(4);
         },
         {kActionMedia, 0, 4}},
        {"function on G2 keeps its identifier",
         257,
         {0, 0x0302, 0},
         [](CompositeEditor& e) {
             e.PressPageButton(CompositePage::Function);
             e.SelectFunction(10);
         },
         {kActionFunction, 0x0302, 10}},
        {"mouse",
         30,
         {},
         [](CompositeEditor& e) {
             e.Choose(KeyChoice::Mouse);
             e.SelectMouse(4);
         },
         {kActionKey, 0, 0x162}},
        {"clear", 30, {kActionKey, 0, kB}, [](CompositeEditor& e) { e.Clear(); }, {}},
        {"clear from the macro page",
         30,
         {kActionMacro, 3, 5},
         [](CompositeEditor& e) { e.Clear(); },
         {}},
        {"macro with its repeat count",
         30,
         {},
         [](CompositeEditor& e) {
             e.PressPageButton(CompositePage::Macro);
             e.SetRepeatText("7");
         },
         {kActionMacro, 7, 5}},
    };
    for (const ApplyCase& c : cases) {
        SCOPED_TRACE(c.what);
        Entry(0, c.entry) = c.stored;
        OpenOn(c.entry);
        c.edit(editor);
        EXPECT_TRUE(editor.dirty());
        editor.Apply();
        EXPECT_FALSE(editor.dirty());
        const KeyAction& a = Entry(0, c.entry);
        EXPECT_EQ(a.type, c.expected.type);
        EXPECT_EQ(a.extra, c.expected.extra);
        EXPECT_EQ(a.value, c.expected.value);
        EXPECT_EQ(host.marks.back().second, c.expected.type != kActionDefault);
        editor.Cancel();
    }
}

TEST_F(EditorTest, MacroPageWithoutMacrosStoresDefault) {
    sim.work.macros.clear();
    Entry(0, 30) = KeyAction{kActionKey, 0, kB};
    OpenOn(30);
    editor.PressPageButton(CompositePage::Macro);
    editor.Ok();
    EXPECT_EQ(Entry(0, 30).type, kActionDefault);
}

TEST_F(EditorTest, RewritingKeepsSwitchFlagAndReserved) {
    Entry(1, 30) = KeyAction{kActionKey, 0, 0x1C, 1, 9};
    OpenOn(30, 1);
    Key(test::kInB, K::Press);
    editor.Ok();
    const KeyAction& a = Entry(1, 30);
    EXPECT_EQ(a.type, kActionKey);
    EXPECT_EQ(a.value, kB);
    EXPECT_EQ(a.switchFlag, 1u);
    EXPECT_EQ(a.reserved, 9u);
    EXPECT_EQ(Entry(0, 30).type, kActionDefault) << "only the current profile's table";
}

TEST_F(EditorTest, KindsWithoutAPageKeepTheirActionWhenLeftAlone) {
    const int slot = 30;  // profile 0, entry 30
    for (uint16_t type : {kActionDisabled, kActionLaunch, kActionStopMacro, kActionText}) {
        SCOPED_TRACE(type);
        Entry(0, 30) = KeyAction{type, 0, 0x40, 0, 0};
        SetKeyString(sim.work, slot, u"/usr/bin/true");
        OpenOn(30);
        editor.PressPageButton(CompositePage::Key);  // already shown: nothing
        editor.Ok();
        EXPECT_EQ(Entry(0, 30).type, type);
        EXPECT_EQ(Entry(0, 30).value, 0x40u);
        EXPECT_EQ(sim.work.strings.Text(slot), u"/usr/bin/true");
    }
    // Touched, the key takes the new action and its text is released.
    OpenOn(30);
    Key(test::kInB, K::Press);
    editor.Ok();
    EXPECT_EQ(Entry(0, 30).type, kActionKey);
    EXPECT_EQ(sim.work.strings.Length(slot), 0u);
    EXPECT_EQ(sim.work.stringBytes, 0);
}

TEST_F(EditorTest, CancelLeavesTheStoreAlone) {
    OpenOn(30);
    Key(test::kInB, K::Press);
    editor.PressPageButton(CompositePage::Macro);
    editor.AddMacro();
    editor.Cancel();
    EXPECT_EQ(Entry(0, 30).type, kActionDefault);
    EXPECT_EQ(sim.work.macros.size(), 2u);
    EXPECT_EQ(host.restored, std::vector<int>{kKeyButton});
    EXPECT_TRUE(host.marks.empty());
    editor.CloseIfOpen();
    EXPECT_EQ(host.restored.size(), 1u) << "closed already";
    OpenOn(30);
    editor.CloseIfOpen();
    EXPECT_FALSE(editor.isOpen());
}

TEST_F(EditorTest, OpeningRefusesASecondOpeningAndEntriesOutsideTheImage) {
    EXPECT_FALSE(editor.Open(512, kKeyButton, false, 0));
    EXPECT_FALSE(editor.Open(30, kKeyButton, false, 3));
    OpenOn(30);
    EXPECT_FALSE(editor.Open(31, kKeyButton, false, 0));
    EXPECT_EQ(editor.openCount(), 1);
}

}  // namespace
}  // namespace vorlin
