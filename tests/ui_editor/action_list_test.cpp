// The action list on its own: moves, deletion, the row limit and the texts it shows.
#include <gtest/gtest.h>

#include <vector>

#include "store/store_fixtures.h"
#include "ui/composite_placement.h"
#include "ui/macro_editing.h"

namespace vorlin {
namespace {

std::vector<KeyCode> Keys(const ActionList& list) {
    std::vector<KeyCode> keys;
    for (const ActionRow& r : list.rows()) keys.push_back(r.action.keyCode);
    return keys;
}

ActionList ListOf(std::vector<KeyCode> keys) {
    MacroRecord r = test::MakeMacro(1, u"m", {});
    for (KeyCode k : keys) r.actions[r.actionCount++] = MacroAction{k, k, 0};
    ActionList list;
    list.Load(r);
    return list;
}

struct MoveCase {
    int selected;
    ActionMove move;
    std::vector<KeyCode> keys;
    int selectedAfter;
};

TEST(ActionListTest, MovesCarryTheRowWithItsDelay) {
    const MoveCase cases[] = {
        {2, ActionMove::Top, {3, 1, 2, 4}, 0},   {2, ActionMove::Up, {1, 3, 2, 4}, 1},
        {1, ActionMove::Down, {1, 3, 2, 4}, 2},  {0, ActionMove::Bottom, {2, 3, 4, 1}, 3},
        {0, ActionMove::Up, {1, 2, 3, 4}, 0},    {3, ActionMove::Down, {1, 2, 3, 4}, 3},
        {-1, ActionMove::Top, {1, 2, 3, 4}, -1},
    };
    for (const MoveCase& c : cases) {
        SCOPED_TRACE(c.selected);
        ActionList list = ListOf({1, 2, 3, 4});
        list.Select(c.selected);
        list.MoveSelected(c.move);
        EXPECT_EQ(Keys(list), c.keys);
        EXPECT_EQ(list.selected(), c.selectedAfter);
        for (const ActionRow& r : list.rows()) EXPECT_EQ(r.action.delayMs, r.action.keyCode);
    }
}

TEST(ActionListTest, LoadingAndSavingKeepRowsAsTheRecordCanHoldThem) {
    MacroRecord r = test::MakeMacro(1, u"m", {{10, 0x1E, 7}, {99999, 0x1E, 1}});
    ActionList list;
    list.Load(r);
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list.rows()[0].action.release, 0) << "anything above 1 is a press";
    EXPECT_EQ(list.rows()[1].action.delayMs, 40000);
    EXPECT_FALSE(list.rows()[0].recorded);
    list.Select(0);
    EXPECT_TRUE(list.DeleteSelected());
    EXPECT_EQ(list.selected(), 0) << "the row that took its place";
    MacroRecord out = r;
    list.SaveInto(out);
    EXPECT_EQ(out.actionCount, 1);
    EXPECT_EQ(out.actions[0].release, 1);
    EXPECT_EQ(out.actions[1].keyCode, 0) << "rows past the list are zeroed";
}

TEST(ActionListTest, AtMost2000Rows) {
    ActionList list;
    for (int i = 0; i < kMaxMacroActions; ++i) {
        ASSERT_EQ(list.InsertRecorded({0, 0x1E, 0}, 10), i);
    }
    EXPECT_EQ(list.InsertRecorded({0, 0x1E, 0}, 10), -1);
    EXPECT_EQ(list.size(), kMaxMacroActions);
}

TEST(ActionListTest, StateTextsAndColumns) {
    EXPECT_STREQ(ActionStateText(0), "\u2193");
    EXPECT_STREQ(ActionStateText(1), "  \u2191");
    ASSERT_EQ(ActionColumnHeadings().size(), 3u);
    EXPECT_STREQ(ActionColumnHeadings()[0].textKey, "MACRO_KEYS_TISHI");
    EXPECT_STREQ(ActionColumnHeadings()[1].textKey, "MACRO_ACTION_TISHI");
    EXPECT_STREQ(ActionColumnHeadings()[2].textKey, "MACRO_DELAY_MS");
    EXPECT_EQ(ActionColumnHeadings()[2].width, 70);
}

struct PlaceCase {
    const char* what;
    ScreenRect button;
    bool centred;
    ScreenPoint expected;
};

TEST(CompositePlacementTest, BesideTheButtonWhereThereIsRoom) {
    const ScreenRect screen{0, 0, 1366, 768};
    constexpr int w = 400, h = 300;
    const PlaceCase cases[] = {
        {"right and below", {100, 100, 40, 40}, false, {140, 140}},
        {"left when the right is short", {1000, 100, 40, 40}, false, {600, 140}},
        {"above when below is short", {100, 500, 40, 40}, false, {140, 200}},
        {"left and above", {1000, 500, 40, 40}, false, {600, 200}},
        {"exactly fitting on the right", {926, 0, 40, 40}, false, {966, 40}},
        {"no room either side: right", {300, 100, 800, 40}, false, {1100, 140}},
        {"no room above or below: below", {100, 250, 40, 300}, false, {140, 550}},
        {"the macro button: centred", {1000, 500, 40, 40}, true, {483, 234}},
    };
    for (const PlaceCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(PlaceCompositeDialog(c.button, w, h, screen, c.centred), c.expected);
    }
    // A screen that does not start at the origin (a second monitor).
    const ScreenRect second{1366, -200, 1024, 768};
    EXPECT_EQ(PlaceCompositeDialog({2300, 0, 40, 40}, w, h, second, false),
              (ScreenPoint{1900, 40}));
    EXPECT_EQ(PlaceCompositeDialog({2300, 400, 40, 40}, w, h, second, false),
              (ScreenPoint{1900, 100}));
}

}  // namespace
}  // namespace vorlin
