// The macro page: the list of macros, their names, deleting, recording and editing actions.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "editor_fixture.h"
#include "keys/key_codes.h"
#include "platform/text_key_names.h"
#include "store/config_device.h"
#include "store/macro_list.h"

namespace vorlin {
namespace {

using test::kA;
using test::kB;
using test::kPrint;
using test::MakeMacro;
using K = KeyTransition;

std::vector<MacroRecord> Named(const std::vector<std::u16string>& names, uint16_t firstId = 1) {
    std::vector<MacroRecord> list;
    for (const auto& n : names) list.push_back(MakeMacro(firstId++, n, {}));
    return list;
}

struct MacroPageTest : test::EditorFixture {
    // Opens on an unassigned key and shows the macro page (which selects the first macro).
    void OpenMacroPage(CompositeEditor& e) {
        ASSERT_TRUE(e.Open(30, test::kKeyButton, false, 0));
        e.PressPageButton(CompositePage::Macro);
    }
    std::vector<std::u16string> NamesOf(const CompositeEditor& e) const {
        std::vector<std::u16string> names;
        for (const MacroRecord& r : e.macros()) names.emplace_back(r.Name());
        return names;
    }
};

TEST_F(MacroPageTest, TheHundredAndFirstMacroIsRefused) {
    std::vector<std::u16string> names;
    for (int i = 0; i < kMaxMacros; ++i) names.push_back(u"m" + std::u16string(1, u'a' + i % 26));
    sim.work.macros = Named(names);
    OpenMacroPage(editor);
    editor.AddMacro();
    EXPECT_EQ(editor.macros().size(), 100u);
    ASSERT_EQ(sim.prompter.Questions().size(), 1u);
    EXPECT_EQ(sim.prompter.Questions()[0].key, kTextMacroErrMax);
    EXPECT_EQ(sim.prompter.Questions()[0].argument, "100");
    EXPECT_EQ(sim.prompter.Questions()[0].buttons, PromptButtons::Ok);
}

struct AddCase {
    std::vector<std::u16string> existing;
    std::u16string added;
};

TEST_F(MacroPageTest, AddedNamesSkipNamesAMacroBeginsWith) {
    const AddCase cases[] = {
        {{}, u"Macro 1"},
        {{u"Macro 1"}, u"Macro 2"},
        {{u"MACRO 1 long"}, u"Macro 2"},
        {{u"Macro 10"}, u"Macro 2"},
        {{u"Macro 1", u"Macro 3", u"Macro 2"}, u"Macro 4"},
        {{u"Boss", u"Macro"}, u"Macro 1"},
    };
    for (const AddCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.existing.size()));
        sim.work.macros = Named(c.existing, 2);
        CompositeEditor e{sim.ctx, host};
        OpenMacroPage(e);
        e.AddMacro();
        ASSERT_EQ(e.macros().size(), c.existing.size() + 1);
        const MacroRecord& added = e.macros().back();
        EXPECT_EQ(added.Name(), c.added);
        EXPECT_EQ(added.macroId, 1) << "the smallest free id";
        EXPECT_EQ(added.newFlag, 1);
        EXPECT_EQ(added.repeatCount, 1);
        EXPECT_EQ(added.actionCount, 0);
        EXPECT_EQ(e.selectedMacro(), static_cast<int>(c.existing.size()));
        EXPECT_EQ(e.actions().size(), 0);
        EXPECT_TRUE(e.dirty());
    }
}

TEST_F(MacroPageTest, NameCounterGoesOnAndRestartsOnAnEmptyList) {
    sim.work.macros.clear();
    OpenMacroPage(editor);
    editor.AddMacro();
    editor.AddMacro();
    EXPECT_EQ(NamesOf(editor), (std::vector<std::u16string>{u"Macro 1", u"Macro 2"}));
    editor.DeleteMacro();
    editor.DeleteMacro();
    EXPECT_TRUE(sim.prompter.Questions().empty()) << "new macros go without a question";
    EXPECT_EQ(editor.selectedMacro(), -1);
    editor.AddMacro();
    EXPECT_EQ(NamesOf(editor), std::vector<std::u16string>{u"Macro 1"});
}

struct NameCase {
    const char* what;
    std::vector<std::u16string> existing;
    std::u16string typed;
    std::vector<std::u16string> expected;
};

TEST_F(MacroPageTest, TypingAName) {
    const std::u16string longName(300, u'x');
    const NameCase cases[] = {
        {"creates the first macro", {}, u"Boss", {u"Boss"}},
        {"an empty name is generated", {}, u"", {u"Macro 1"}},
        {"so is a space-led one", {}, u" x", {u"Macro 1"}},
        {"renames the selected macro", {u"Old", u"Two"}, u"New", {u"New", u"Two"}},
        {"its own name is no clash", {u"Old"}, u"Ol", {u"Ol"}},
        {"a name another begins with is generated",
         {u"Old", u"Boss"},
         u"bo",
         {u"Macro 1", u"Boss"}},
        {"an empty rename is generated", {u"Old"}, u"", {u"Macro 1"}},
        {"a generated name that exists adds and keeps the old name",
         {u"Old", u"Macro 1"},
         u"",
         {u"Old", u"Macro 1", u"Macro 2"}},
        {"long names are cut", {}, longName, {std::u16string(249, u'x')}},
    };
    for (const NameCase& c : cases) {
        SCOPED_TRACE(c.what);
        sim.work.macros = Named(c.existing);
        CompositeEditor e{sim.ctx, host};
        OpenMacroPage(e);
        e.TypeMacroName(c.typed);
        EXPECT_EQ(NamesOf(e), c.expected);
        EXPECT_TRUE(e.dirty());
        for (size_t i = 0; i < c.existing.size() && i < e.macros().size(); ++i) {
            EXPECT_EQ(e.macros()[i].macroId, i + 1) << "ids stay with their macros";
        }
    }
}

TEST_F(MacroPageTest, SelectingKeepsEachMacrosActionsAndRepeatCount) {
    sim.work.macros = {MakeMacro(1, u"one", {{10, kA, 0}}, 4), MakeMacro(2, u"two", {})};
    OpenMacroPage(editor);
    EXPECT_EQ(editor.repeatText(), "4");
    editor.SelectAction(0);
    editor.DeleteAction();
    editor.SetRepeatText("9");
    editor.SelectMacro(1);
    EXPECT_EQ(editor.repeatText(), "1");
    editor.SelectMacro(0);
    EXPECT_EQ(editor.actions().size(), 0);
    EXPECT_EQ(editor.repeatCount(), 9);
    editor.Ok();
    EXPECT_EQ(sim.work.macros[0].actionCount, 0);
    EXPECT_EQ(sim.work.macros[0].repeatCount, 9);
}

TEST_F(MacroPageTest, DeletingAMacroOfAnotherProfileAsksAndStillForcesAllProfilesOnNo) {
    sim.Connect();
    sim.SetActiveOnKeyboard(0);
    sim.work.macros = {MakeMacro(1, u"a", {{10, kA, 0}}), MakeMacro(2, u"b", {{10, kB, 0}})};
    Entry(2, 40) = KeyAction{kActionMacro, 1, 2};
    OpenMacroPage(editor);
    editor.SelectMacro(1);
    sim.prompter.answer = false;
    editor.DeleteMacro();
    EXPECT_EQ(sim.prompter.Keys(), std::vector<std::string>{kTextMacroDeleteConfirmOfKeys});
    EXPECT_EQ(editor.macros().size(), 2u) << "No keeps it";
    EXPECT_EQ(sim.writeAllProfiles, 1);
    editor.Ok();
    EXPECT_EQ(Entry(2, 40).type, kActionMacro);

    sim.keyboard->RecordRequests(true);
    ASSERT_EQ(SnapshotAndApply(sim.ctx, false), 1);
    EXPECT_EQ(sim.KeyMapsWritten(), (std::vector<int>{0, 1, 2}));
}

TEST_F(MacroPageTest, ANewMacroTakingADeletedIdDoesNotInheritItsKeys) {
    sim.work.macros = Named({u"one", u"two", u"three"});
    Entry(1, 40) = KeyAction{kActionMacro, 1, 3};
    Entry(0, 41) = KeyAction{kActionMacro, 1, 2};
    OpenMacroPage(editor);
    editor.SelectMacro(2);
    sim.prompter.answer = true;
    editor.DeleteMacro();
    EXPECT_EQ(editor.selectedMacro(), 1) << "the previous macro";
    editor.AddMacro();
    ASSERT_EQ(editor.macros().back().macroId, 3);
    editor.Apply();
    EXPECT_EQ(Entry(1, 40).type, kActionDefault);
    EXPECT_EQ(Entry(0, 41).type, kActionMacro);
    EXPECT_EQ(sim.ui.resetButtons, (std::vector<std::pair<int, KeyIndex>>{{1, 40}}));
    ASSERT_EQ(sim.work.macros.size(), 3u);
    EXPECT_EQ(sim.work.macros[2].Name(), u"Macro 1");
    for (const MacroRecord& r : sim.work.macros) EXPECT_EQ(r.newFlag, 0);
    for (const MacroRecord& r : editor.macros()) EXPECT_EQ(r.newFlag, 0);
    EXPECT_EQ(Entry(0, 30).type, kActionMacro) << "the edited key plays the new macro";
    EXPECT_EQ(Entry(0, 30).value, 3u);
}

struct Event {
    uint32_t input;
    KeyTransition transition;
    uint64_t timeMs;
};
struct Row {
    KeyCode key;
    uint16_t release;
    int32_t delay;
    bool operator==(const Row&) const = default;
};
void PrintTo(const Row& r, std::ostream* os) {
    *os << "(" << r.key << (r.release ? " up " : " down ") << r.delay << ")";
}

struct RecordCase {
    const char* what;
    int recordDelays;
    std::vector<MacroAction> before;  // the macro's rows before recording
    int selectedRow;
    std::vector<Event> events;
    std::vector<Row> rows;
};

TEST_F(MacroPageTest, Recording) {
    using namespace test;
    const RecordCase cases[] = {
        {"delays measured",
         1,
         {},
         -1,
         {{kInA, K::Press, 1040}, {kInA, K::Release, 1140}},
         {{kA, 0, 100}, {kA, 1, 0}}},
        {"fixed delays",
         0,
         {},
         -1,
         {{kInA, K::Press, 1040}, {kInA, K::Release, 1140}},
         {{kA, 0, 50}, {kA, 1, 0}}},
        {"Print Screen: a press 2 ms before its release",
         1,
         {},
         -1,
         {{kInSysRq, K::Press, 1500}, {kInSysRq, K::Release, 1600}},
         {{kPrint, 0, 2}, {kPrint, 1, 0}}},
        {"Print Screen after a key",
         1,
         {},
         -1,
         {{kInB, K::Press, 1100}, {kInSysRq, K::Release, 1600}},
         {{kB, 0, 500}, {kPrint, 0, 2}, {kPrint, 1, 0}}},
        {"auto-repeat swallowed",
         1,
         {},
         -1,
         {{kInA, K::Press, 1000},
          {kInA, K::AutoRepeat, 1030},
          {kInA, K::Press, 1060},
          {kInA, K::Release, 1090}},
         {{kA, 0, 90}, {kA, 1, 0}}},
        {"multimedia keys unrecorded",
         1,
         {},
         -1,
         {{kInVolumeUp, K::Press, 1010}, {kInB, K::Press, 1020}},
         {{kB, 0, 0}}},
        {"Win keys recorded", 0, {}, -1, {{kInLeftMeta, K::Press, 1010}}, {{0x15B, 0, 0}}},
        {"after the selected row, taking over its delay",
         1,
         {{10, kA, 0}, {20, kA, 1}},
         0,
         {{kInB, K::Press, 1030}},
         {{kA, 0, 30}, {kB, 0, 10}, {kA, 1, 20}}},
        {"at the end when none is selected",
         1,
         {{10, kA, 0}},
         -1,
         {{kInB, K::Press, 1030}},
         {{kA, 0, 30}, {kB, 0, 10}}},
        {"a long pause is cut to what a row holds",
         1,
         {},
         -1,
         {{kInA, K::Press, 1000}, {kInA, K::Release, 91000}},
         {{kA, 0, 40000}, {kA, 1, 0}}},
    };
    for (const RecordCase& c : cases) {
        SCOPED_TRACE(c.what);
        sim.work.macros = {MakeMacro(1, u"m", c.before)};
        CompositeEditor e{sim.ctx, host};
        OpenMacroPage(e);
        if (e.recordDelays() != c.recordDelays) e.ToggleRecordDelays();
        e.SelectAction(c.selectedRow);
        e.ToggleRecord(1000);
        ASSERT_TRUE(e.recording());
        EXPECT_STREQ(e.recordCaptionKey(), kTextMacroActionStopRecord);
        EXPECT_FALSE(e.listControlsEnabled());
        for (const Event& ev : c.events) {
            const KeyVerdict v = e.OnKey({ev.input, ev.transition, ev.timeMs});
            EXPECT_EQ(v, ev.input == kInVolumeUp ? KeyVerdict::Pass : KeyVerdict::Swallow);
        }
        e.ToggleRecord(0);
        EXPECT_FALSE(e.recording());
        EXPECT_STREQ(e.recordCaptionKey(), kTextMacroActionRecord);
        std::vector<Row> rows;
        for (const ActionRow& r : e.actions().rows()) {
            rows.push_back({r.action.keyCode, r.action.release, r.action.delayMs});
        }
        EXPECT_EQ(rows, c.rows);
        EXPECT_EQ(e.actions().selected(), e.actions().size() - (c.selectedRow >= 0 ? 2 : 1));
        EXPECT_TRUE(e.actions().rows()[e.actions().selected()].recorded);
        e.Ok();
        ASSERT_EQ(sim.work.macros[0].actionCount, c.rows.size());
    }
}

TEST_F(MacroPageTest, RecordDelaysSettingIsStoredPerLanguage) {
    sim.work.macros = Named({u"m"});
    OpenMacroPage(editor);
    ASSERT_EQ(editor.recordDelays(), 0);
    editor.ToggleRecordDelays();
    EXPECT_EQ(ReadRecordDelaySetting(sim.paths, sim.texts, 0), 1);
    editor.Cancel();
    OpenMacroPage(editor);
    EXPECT_EQ(editor.recordDelays(), 1) << "read back at the next opening";
    editor.ToggleRecordDelays();
    EXPECT_EQ(ReadRecordDelaySetting(sim.paths, sim.texts, 0), 0);
}

TEST_F(MacroPageTest, RecordingNeedsAMacroAndStopsOnLeavingThePage) {
    sim.work.macros.clear();
    OpenMacroPage(editor);
    editor.ToggleRecord(0);
    EXPECT_FALSE(editor.recording());
    editor.AddMacro();
    editor.ToggleRecord(0);
    ASSERT_TRUE(editor.recording());
    editor.AddMacro();
    EXPECT_EQ(editor.macros().size(), 1u) << "disabled while recording";
    editor.PressPageButton(CompositePage::Media);
    EXPECT_FALSE(editor.recording());
    EXPECT_EQ(editor.OnKey({test::kInA, K::Press, 5}), KeyVerdict::Pass);
}

TEST_F(MacroPageTest, EditingCells) {
    sim.work.macros = {MakeMacro(1, u"m", {{10, kA, 0}, {20, kA, 1}})};
    OpenMacroPage(editor);
    EXPECT_EQ(editor.BeginCellEdit(0, 0), CellEditor::KeyList);
    editor.SetActionKey(0, DisplayIdOf(kB));
    EXPECT_EQ(editor.actions().rows()[0].action.keyCode, kB);
    EXPECT_TRUE(editor.dirty());
    EXPECT_EQ(editor.BeginCellEdit(1, 1), CellEditor::StateList);
    editor.SetActionState(1, 0);
    EXPECT_EQ(editor.actions().rows()[1].action.release, 0);

    const std::pair<const char*, int32_t> delays[] = {
        {"125", 120},     {"40000", 40000},          {"7", 0},
        {"40001", 40000}, {"99999999999999", 40000}, {"x", 40000}};
    for (auto [typed, value] : delays) {
        SCOPED_TRACE(typed);
        sim.prompter.Clear();
        editor.SetActionDelay(0, typed);
        EXPECT_EQ(editor.actions().rows()[0].action.delayMs, value);
        const bool tooLong = std::string(typed).size() >= 5 && std::string(typed) != "40000";
        EXPECT_EQ(sim.prompter.Keys(), tooLong
                                           ? std::vector<std::string>{kTextMacroActionErrDelayMax}
                                           : std::vector<std::string>{});
        if (tooLong) {
            EXPECT_EQ(sim.prompter.Questions()[0].argument, "40000");
        }
    }

    sim.prompter.Clear();
    EXPECT_EQ(editor.BeginCellEdit(0, 3), CellEditor::None);
    EXPECT_EQ(sim.prompter.Keys(), std::vector<std::string>{kTextMacroActionErrModify});
    editor.SelectAction(1);
    editor.ToggleRecord(0);
    EXPECT_EQ(editor.BeginCellEdit(0, 2), CellEditor::DelayEdit);
    EXPECT_FALSE(editor.recording()) << "a delay edit stops recording";
}

TEST_F(MacroPageTest, ClearAsksFirst) {
    sim.work.macros = {MakeMacro(1, u"m", {{10, kA, 0}, {20, kA, 1}}), MakeMacro(2, u"e", {})};
    OpenMacroPage(editor);
    sim.prompter.answer = false;
    editor.ClearActions();
    EXPECT_EQ(editor.actions().size(), 2);
    EXPECT_EQ(sim.prompter.Keys(), std::vector<std::string>{kTextMacroActionClearConfirm});
    EXPECT_EQ(sim.prompter.Questions()[0].buttons, PromptButtons::YesNoDefaultNo);
    sim.prompter.answer = true;
    editor.ClearActions();
    EXPECT_EQ(editor.actions().size(), 0);
    editor.SelectMacro(1);
    sim.prompter.Clear();
    editor.ClearActions();
    EXPECT_TRUE(sim.prompter.Questions().empty()) << "nothing to clear";
}

TEST_F(MacroPageTest, RepeatCountIsKeptInRange) {
    sim.work.macros = Named({u"m"});
    OpenMacroPage(editor);
    const std::pair<const char*, const char*> cases[] = {
        {"0", "1"},   {"300", "255"}, {"12", "12"},   {"", "1"},
        {"abc", "1"}, {"-4", "1"},    {"255", "255"}, {"99999999999999999999", "255"}};
    for (auto [typed, shown] : cases) {
        SCOPED_TRACE(typed);
        EXPECT_EQ(editor.SetRepeatText(typed), shown);
    }
    editor.SetRepeatText("300");
    editor.Ok();
    EXPECT_EQ(sim.work.macros[0].repeatCount, 255);
    EXPECT_EQ(Entry(0, 30).extra, 255);
}

}  // namespace
}  // namespace vorlin
