// The work store's macro list: lookups, the delete check and the commit of the editor's list.
#include <gtest/gtest.h>

#include <vector>

#include "platform/settings.h"
#include "store/macro_list.h"
#include "store_fixtures.h"

namespace vorlin {
namespace {

using test::MakeMacro;

struct MacroListTest : ::testing::Test {
    ConfigStore work;
    test::ScriptedPrompter prompter;
    test::RecordingUi ui;
    int writeAll = 0;

    void SetUp() override {
        work.image = MakeDefaultImage();
        work.macros = {MakeMacro(4, u"four", {}), MakeMacro(2, u"two", {}),
                       MakeMacro(9, u"nine", {})};
    }
    void Assign(int table, KeyIndex index, uint32_t macroId) {
        work.image->tables[table][index] = KeyAction{kActionMacro, 1, macroId, 0, 0};
    }
};

TEST_F(MacroListTest, LookupsByIdAndPosition) {
    EXPECT_EQ(FindMacroIndex(work, 4), 0);
    EXPECT_EQ(FindMacroIndex(work, 9), 2);
    EXPECT_EQ(FindMacroIndex(work, 55), 0);
    EXPECT_EQ(FindMacroIndex(work, 0x10009), 2) << "the id is the low 16 bits";
    EXPECT_EQ(MacroIdAt(work, 1), 2);
    EXPECT_EQ(MacroIdAt(work, -1), 0);
    EXPECT_EQ(MacroIdAt(work, 3), 0);
    EXPECT_EQ(SmallestFreeMacroId(work.macros), 1);
    work.macros.push_back(MakeMacro(1, u"one", {}));
    EXPECT_EQ(SmallestFreeMacroId(work.macros), 3);
}

TEST_F(MacroListTest, DeletingAMacroKeysUseAsksAndForcesAllProfiles) {
    Assign(2, 30, 2);  // a key of profile 2 plays macro 2
    for (bool yes : {false, true}) {
        prompter.Clear();
        prompter.answer = yes;
        writeAll = 0;
        EXPECT_EQ(MacroInUse(work, work.macros[1], writeAll, prompter), yes);
        EXPECT_EQ(prompter.Keys(), std::vector<std::string>{"MACRO_DELETE_CONFIRM_OF_KEYS"});
        EXPECT_EQ(prompter.Questions().at(0).buttons, PromptButtons::YesNoDefaultNo);
        EXPECT_EQ(writeAll, 1) << "even on No";
    }
}

TEST_F(MacroListTest, DeletingWithoutQuestion) {
    Assign(1, 40, 9);
    MacroRecord fresh = MakeMacro(9, u"new", {});
    fresh.newFlag = 1;
    for (const MacroRecord* r : {&work.macros[0], &work.macros[1], &fresh}) {
        EXPECT_TRUE(MacroInUse(work, *r, writeAll, prompter)) << r->macroId;
    }
    EXPECT_TRUE(prompter.Keys().empty());
    EXPECT_EQ(writeAll, 0);
    // G1 of the first profile counts like every other key: its macro is not lost unasked.
    for (int table : {0, 3}) {
        Assign(table, 256, 4);
        prompter.answer = false;
        EXPECT_FALSE(MacroInUse(work, work.macros[0], writeAll, prompter)) << table;
        work.image->tables[table][256] = KeyAction{};
    }
}

TEST_F(MacroListTest, CommitDropsKeysOfDeletedOrReusedIds) {
    Assign(0, 30, 4);   // kept macro
    Assign(1, 31, 2);   // deleted, id reused by a new macro
    Assign(2, 257, 9);  // deleted
    Assign(0, 32, 0);   // no id yet: gets the first macro's
    work.image->tables[1][31].switchFlag = 1;

    // The editor deleted 2 and 9 and added a new macro that took id 2.
    std::vector<MacroRecord> edited = {work.macros[0], MakeMacro(2, u"fresh", {})};
    edited[1].newFlag = 1;
    ASSERT_EQ(CommitMacroList(work, edited, ui), 1);

    EXPECT_EQ(work.image->tables[0][30].type, kActionMacro);
    EXPECT_EQ(work.image->tables[0][30].value, 4u);
    EXPECT_EQ(work.image->tables[0][32].value, 4u);
    for (auto [table, index] : {std::pair{1, 31}, std::pair{2, 257}}) {
        EXPECT_EQ(work.image->tables[table][index].type, kActionDefault);
        EXPECT_EQ(work.image->tables[table][index].value, 0u);
    }
    EXPECT_EQ(work.image->tables[1][31].switchFlag, 1u) << "only the assignment is dropped";
    EXPECT_EQ(ui.resetButtons, (std::vector<std::pair<int, KeyIndex>>{{1, 31}, {2, 257}}));
    EXPECT_EQ(ui.changedOn, 3);

    ASSERT_EQ(work.macros.size(), 2u);
    EXPECT_EQ(work.macros[1].macroId, 2);
    EXPECT_EQ(work.macros[1].newFlag, 0);
    EXPECT_EQ(edited[1].newFlag, 0) << "the editor's copies are cleared too";
}

TEST_F(MacroListTest, CommitOfAnEmptyListLeavesUnassignedKeysAlone) {
    Assign(0, 30, 0);
    Assign(0, 31, 4);
    std::vector<MacroRecord> none;
    ASSERT_EQ(CommitMacroList(work, none, ui), 1);
    EXPECT_EQ(work.image->tables[0][30].type, kActionMacro);
    EXPECT_EQ(work.image->tables[0][30].value, 0u);
    EXPECT_EQ(work.image->tables[0][31].type, kActionDefault);
    EXPECT_TRUE(work.macros.empty());
}

}  // namespace
}  // namespace vorlin

namespace vorlin {
namespace {

TEST(RecordDelaySetting, KeptPerLanguageUnderItsText) {
    test::TempFolder dir;
    const AppPaths paths = test::PathsIn(dir.path());
    const LanguageCache texts(paths);
    IniLock lock;
    std::filesystem::create_directories(paths.exeFolder);
    const std::string english = "[TEXT]\nMACRO_ACTION_RECORD_DELAY=Record delays\n";
    const std::string portuguese = "[TEXT]\nMACRO_ACTION_RECORD_DELAY=Gravar atrasos\n";
    test::WriteFile(paths.exeFolder / "Lang0409.ini", {english.begin(), english.end()});
    test::WriteFile(paths.exeFolder / "Lang0416.ini", {portuguese.begin(), portuguese.end()});

    EXPECT_EQ(ReadRecordDelaySetting(paths, texts, 0), 0);
    ASSERT_TRUE(WriteRecordDelaySetting(paths, lock, texts, 0, 1));
    EXPECT_EQ(ReadRecordDelaySetting(paths, texts, 0), 1);
    EXPECT_EQ(ReadRecordDelaySetting(paths, texts, 1), 0) << "each language keeps its own";
    EXPECT_EQ(SettingsReadString(paths, "PROFILES", "Record delays", ""), "1");

    ASSERT_TRUE(WriteRecordDelaySetting(paths, lock, texts, 0, 5));
    EXPECT_EQ(SettingsReadString(paths, "PROFILES", "Record delays", ""), "0");
    EXPECT_EQ(ReadRecordDelaySetting(paths, texts, 0), 0);
}

}  // namespace
}  // namespace vorlin
