// The profile and apply commands against the simulated keyboard: what each writes to the
// keyboard and the files, the questions asked, and the changed state they leave.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <thread>

#include "store/profile_file.h"
#include "ui_fixture.h"

namespace vorlin {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;

constexpr KeyIndex kAEntry = 0x1E;
const KeyAction kToB{kActionKey, 0, 0x30};

// Runs `during` inside its first question, as a nested command would.
class NestingPrompter final : public Prompter {
  public:
    std::function<void()> during;
    test::ScriptedPrompter inner;
    bool Ask(const std::string& key, PromptButtons buttons, const std::string& argument) override {
        const bool result = inner.Ask(key, buttons, argument);
        if (auto run = std::exchange(during, nullptr)) run();
        return result;
    }
};

class ProfileCommandsTest : public test::UiTest {
  protected:
    // An edit not yet applied, as an editor leaves it.
    void Edit(int table) {
        Entry(table, kAEntry) = kToB;
        commands.SetChanged(true);
    }
    bool Has(const std::vector<int>& commands, int command) {
        return std::find(commands.begin(), commands.end(), command) != commands.end();
    }
    ImageFileFault FileFault(const fs::path& path) { return CheckImageBytes(ReadFile(path)); }
};

TEST_F(ProfileCommandsTest, ApplyWritesTheMacrosAndOnlyTheActiveKeyMap) {
    for (int active : {0, 1, 2}) {
        SCOPED_TRACE(active);
        StartOnProfile(active);
        Edit(active);
        s.work.macros.push_back(test::MakeMacro(3, u"m", {{10, 0x1E, 0}, {10, 0x1E, 1}}));
        const size_t macros = s.work.macros.size();
        s.keyboard->RecordRequests(true);
        const ApplyOutcome applied = commands.Apply();
        EXPECT_TRUE(applied.attempted);
        EXPECT_TRUE(applied.ok);
        EXPECT_EQ(s.KeyMapsWritten(), std::vector<int>{active});
        EXPECT_FALSE(commands.Changed());

        // The backing file holds the edit.
        ConfigStore back;
        ASSERT_EQ(LoadImageFile(back, ProfileFilePath(s.paths, active)), 1);
        EXPECT_EQ(back.image->tables[active][kAEntry].type, kActionKey);
        EXPECT_EQ(back.macros.size(), macros);
    }
}

TEST_F(ProfileCommandsTest, ApplyWritesTheMacroArea) {
    Edit(0);
    s.keyboard->RecordRequests(true);
    ASSERT_TRUE(commands.Apply().ok);
    const std::vector<int> sent = RecordedCommands();
    EXPECT_TRUE(Has(sent, CMD_WRITE_MACROS));
    EXPECT_EQ(sent.front(), CMD_CONFIG_BEGIN);
    EXPECT_EQ(sent.back(), CMD_CONFIG_END);

    // Nothing changed: nothing to write.
    const ApplyOutcome again = commands.Apply();
    EXPECT_FALSE(again.attempted);
    EXPECT_TRUE(RecordedCommands().empty());
}

TEST_F(ProfileCommandsTest, FailedApplyKeepsTheChanges) {
    Edit(0);
    s.keyboard->RefuseCommand(CMD_WRITE_KEYMAP);
    EXPECT_FALSE(commands.Apply().ok);
    EXPECT_TRUE(commands.Changed());

    s.keyboard->ClearRefusals();
    fs::remove(ProfileFilePath(s.paths, 0));  // the backing file is part of an apply
    EXPECT_FALSE(commands.Apply().ok);
    EXPECT_TRUE(commands.Changed());
}

TEST_F(ProfileCommandsTest, PostedTimeChangeRunsApply) {
    Edit(0);
    s.keyboard->RecordRequests(true);
    EXPECT_FALSE(commands.OnPostedMessage(0x001F));
    EXPECT_TRUE(s.KeyMapsWritten().empty());
    const auto applied = commands.OnPostedMessage(kApplyMessage);
    ASSERT_TRUE(applied);
    EXPECT_TRUE(applied->ok);
    EXPECT_EQ(s.KeyMapsWritten(), std::vector<int>{0});
}

TEST_F(ProfileCommandsTest, ResetToDefaultAsksFirst) {
    Entry(0, kAEntry) = kToB;
    s.prompter.answer = false;
    s.keyboard->RecordRequests(true);
    EXPECT_FALSE(commands.ResetToDefault().confirmed);
    ASSERT_EQ(s.prompter.Questions().size(), 1u);
    EXPECT_EQ(s.prompter.Questions()[0].key, kTextMainPromptDefault);
    EXPECT_EQ(s.prompter.Questions()[0].buttons, PromptButtons::YesNoDefaultNo);
    EXPECT_EQ(Entry(0, kAEntry).type, kActionKey);
    EXPECT_EQ(window.lightingDefaults, 0);
    EXPECT_TRUE(RecordedCommands().empty());

    s.prompter.answer = true;
    const DefaultOutcome reset = commands.ResetToDefault();
    EXPECT_TRUE(reset.confirmed);
    EXPECT_EQ(Entry(0, kAEntry).type, 0);
    EXPECT_EQ(window.lightingDefaults, 1);
    EXPECT_TRUE(reset.apply.ok);
    EXPECT_EQ(s.KeyMapsWritten(), std::vector<int>{0});
    EXPECT_FALSE(commands.Changed());
}

TEST_F(ProfileCommandsTest, SwitchAnsweredYesAppliesToTheOldProfileFirst) {
    Edit(0);
    s.prompter.answer = true;
    s.keyboard->RecordRequests(true);
    const SwitchOutcome out = commands.SwitchProfile(1, {});
    EXPECT_EQ(out.result, 1);
    EXPECT_EQ(s.prompter.Keys(), std::vector<std::string>{kTextProfileSelectPrompt});
    EXPECT_EQ(s.prompter.Questions()[0].buttons, PromptButtons::YesNoDefaultNo);

    const std::vector<int> sent = RecordedCommands();
    const auto keyMap = std::find(sent.begin(), sent.end(), CMD_WRITE_KEYMAP);
    const auto state = std::find(sent.begin(), sent.end(), CMD_WRITE_STATE);
    ASSERT_NE(keyMap, sent.end());
    ASSERT_NE(state, sent.end());
    EXPECT_LT(keyMap, state);
    EXPECT_EQ(KeyboardActiveProfile(), 1);
    EXPECT_FALSE(commands.Changed());
    EXPECT_FALSE(commands.switchGuard());

    ConfigStore back;
    ASSERT_EQ(LoadImageFile(back, ProfileFilePath(s.paths, 0)), 1);
    EXPECT_EQ(back.image->tables[0][kAEntry].type, kActionKey);
    ASSERT_TRUE(out.refreshed);
    EXPECT_EQ(out.menu.managerCaption, "$Profile1");
}

TEST_F(ProfileCommandsTest, SwitchAnsweredNoReloadsTheOldBackingFile) {
    const std::vector<uint8_t> before = ReadFile(ProfileFilePath(s.paths, 0));
    Edit(0);
    s.prompter.answer = false;
    s.keyboard->RecordRequests(true);
    const SwitchOutcome out = commands.SwitchProfile(1, {});
    EXPECT_EQ(out.result, 1);
    EXPECT_EQ(Entry(0, kAEntry).type, 0);  // the edit is gone
    EXPECT_FALSE(commands.Changed());
    EXPECT_TRUE(s.KeyMapsWritten().empty());
    EXPECT_EQ(KeyboardActiveProfile(), 1);
    EXPECT_EQ(ReadFile(ProfileFilePath(s.paths, 0)), before);
}

TEST_F(ProfileCommandsTest, SwitchWithoutChangesAsksNothing) {
    s.keyboard->RecordRequests(true);
    const SwitchOutcome out = commands.SwitchProfile(2, {.managerOpen = true});
    EXPECT_EQ(out.result, 1);
    EXPECT_TRUE(s.prompter.Questions().empty());
    EXPECT_EQ(out.managerActiveRow, 2);
    EXPECT_EQ(KeyboardActiveProfile(), 2);
    EXPECT_TRUE(s.KeyMapsWritten().empty());

    // The profile manager's unapplied changes count as changes.
    s.prompter.answer = false;
    EXPECT_EQ(commands.SwitchProfile(0, {.managerHasChanges = true}).result, 1);
    EXPECT_EQ(s.prompter.Keys(), std::vector<std::string>{kTextProfileSelectPrompt});
}

TEST_F(ProfileCommandsTest, SwitchIsRefusedWhileTheEditorIsOpen) {
    Edit(0);
    s.keyboard->RecordRequests(true);
    const SwitchOutcome out = commands.SwitchProfile(1, {.editorOpen = true});
    EXPECT_EQ(out.result, 0);
    EXPECT_FALSE(out.refreshed);
    EXPECT_EQ(s.prompter.Keys(), std::vector<std::string>{kTextProfileSelectPrompt2});
    EXPECT_EQ(s.prompter.Questions()[0].buttons, PromptButtons::Ok);
    EXPECT_FALSE(Has(RecordedCommands(), CMD_WRITE_STATE));
    EXPECT_EQ(KeyboardActiveProfile(), 0);
    EXPECT_EQ(Entry(0, kAEntry).type, kActionKey);
    EXPECT_TRUE(commands.Changed());
}

TEST_F(ProfileCommandsTest, NestedSwitchSkipsTheQuestion) {
    NestingPrompter nesting;
    StoreContext ctx{s.work,  s.apply,         s.link, s.connection, s.writeAllProfiles, nesting,
                     s.paths, s.languageIndex, s.ui,   s.texts,      s.iniLock};
    KeyPanel nestedPanel(ctx);
    ProfileCommands nested(ctx, nestedPanel, window, changed);
    Edit(0);
    nesting.inner.answer = false;
    nesting.during = [&] { EXPECT_EQ(nested.SwitchProfile(2, {}).result, 1); };
    EXPECT_EQ(nested.SwitchProfile(1, {}).result, 1);
    EXPECT_EQ(nesting.inner.Keys(), std::vector<std::string>{kTextProfileSelectPrompt});
    EXPECT_EQ(KeyboardActiveProfile(), 1);  // the outer switch ends last
    EXPECT_FALSE(nested.switchGuard());
}

TEST_F(ProfileCommandsTest, SwitchTheKeyboardRefusesIsNoSwitch) {
    s.keyboard->RefuseCommand(CMD_WRITE_STATE);
    const SwitchOutcome out = commands.SwitchProfile(1, {.managerOpen = true});
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(out.managerActiveRow, -1);
    EXPECT_EQ(KeyboardActiveProfile(), 0);
}

TEST_F(ProfileCommandsTest, ActiveProfileButtonChangesOnlyTheLighting) {
    Edit(0);
    s.keyboard->RecordRequests(true);
    const ProfileButtonOutcome out = commands.ProfileButton(0, {});
    EXPECT_FALSE(out.switched);
    EXPECT_EQ(out.pressedButton, -1);
    EXPECT_EQ(window.lightingShown, std::vector<int>{0});
    EXPECT_TRUE(s.prompter.Questions().empty());
    EXPECT_TRUE(RecordedCommands().empty());
    EXPECT_TRUE(commands.Changed());
}

TEST_F(ProfileCommandsTest, OtherProfileButtonShowsItsLightingThenSwitches) {
    panel.ToggleSwitchView();
    const ProfileButtonOutcome out = commands.ProfileButton(2, {});
    EXPECT_TRUE(out.switched);
    EXPECT_EQ(out.pressedButton, 2);
    EXPECT_EQ(window.lightingShown, std::vector<int>{2});
    EXPECT_EQ(window.activeWhenShown, std::vector<int>{0});  // before the keyboard switched
    EXPECT_EQ(KeyboardActiveProfile(), 2);
    EXPECT_FALSE(panel.switchView());
    EXPECT_EQ(out.change.panel.keys.front().look, KeyLook::Normal);
    EXPECT_EQ(commands.MarkActiveProfileButton(), 2);
}

TEST_F(ProfileCommandsTest, ProfileMenuNamesTheActiveProfile) {
    // Built when the window opens, so the manager button has its caption from the start.
    ProfileMenu menu = commands.RebuildProfileMenu();
    ASSERT_EQ(menu.items.size(), 5u);
    const int ids[] = {9000, 0, 9001, 9002, 9003};
    for (size_t i = 0; i < 5; ++i) EXPECT_EQ(menu.items[i].id, ids[i]);
    EXPECT_EQ(menu.items[0].text, T(kTextDefaultProfileName));
    EXPECT_EQ(menu.items[3].text, "$Profile1");
    EXPECT_TRUE(menu.items[2].checked);
    EXPECT_EQ(menu.managerCaption, "$Profile0");
    EXPECT_EQ(menu.managerTooltip, T(kTextProfileTip) + "$Profile0");

    // An active profile that cannot be read checks the default item.
    s.keyboard->Vanish();
    s.connection.activeProfileCache = -1;
    menu = commands.RebuildProfileMenu();
    EXPECT_TRUE(menu.items[0].checked);
    EXPECT_EQ(menu.managerCaption, T(kTextDefaultProfileName));
    EXPECT_FALSE(commands.MarkActiveProfileButton());

    EXPECT_EQ(ProfileCommands::ProfileMenuTarget(9000), -1);
    EXPECT_EQ(ProfileCommands::ProfileMenuTarget(9003), 2);
    EXPECT_FALSE(ProfileCommands::ProfileMenuTarget(8999));
    EXPECT_FALSE(ProfileCommands::ProfileMenuTarget(9201));
}

TEST_F(ProfileCommandsTest, ExportSavesAndSaysWhenItCannot) {
    Entry(1, kAEntry) = kToB;
    const fs::path file = s.dir / "out.fwc";
    test::WriteFile(file, {1, 2, 3});  // the dialog asked before overwriting
    EXPECT_EQ(commands.Export(file), 1);
    EXPECT_TRUE(s.prompter.Questions().empty());
    EXPECT_EQ(FileFault(file), ImageFileFault::None);

    const fs::path nowhere = s.dir / "missing" / "out.fwc";
    EXPECT_EQ(commands.Export(nowhere), 0);
    ASSERT_EQ(s.prompter.Keys(), std::vector<std::string>{kTextMainPromptExportFailed});
    EXPECT_EQ(s.prompter.Questions()[0].argument, nowhere.string());
    EXPECT_NE(T(kTextMainPromptExportFailed), "#Error");
}

TEST_F(ProfileCommandsTest, ImportWritesAllThreeProfiles) {
    Entry(2, kAEntry) = kToB;  // only one profile differs
    const fs::path file = s.dir / "in.fwc";
    ASSERT_EQ(commands.Export(file), 1);
    Entry(2, kAEntry) = {};
    commands.SetChanged(true);

    s.keyboard->RecordRequests(true);
    const ImportOutcome out = commands.Import(file);
    EXPECT_EQ(out.result, 1);
    EXPECT_TRUE(s.prompter.Questions().empty());
    std::vector<int> written = s.KeyMapsWritten();
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(Entry(2, kAEntry).type, kActionKey);
    EXPECT_FALSE(commands.Changed());

    ConfigStore back;
    ASSERT_EQ(LoadImageFile(back, ProfileFilePath(s.paths, 0)), 1);
    EXPECT_EQ(back.image->tables[2][kAEntry].type, kActionKey);
}

TEST_F(ProfileCommandsTest, ImportRefusesFaultyFiles) {
    Entry(0, kAEntry) = kToB;
    std::vector<uint8_t> image(kImageSize, 0);  // long enough, no valid header
    const fs::path faulty = s.dir / "faulty.fwc";
    const fs::path shortFile = s.dir / "short.fwc";
    test::WriteFile(faulty, image);
    test::WriteFile(shortFile, {1, 2, 3});
    struct Case {
        fs::path path;
        std::vector<std::string> asked;
    };
    const Case cases[] = {
        {faulty, {kTextProfileFormatError, kTextMainPromptImport}},
        {shortFile, {kTextMainPromptImport}},
        {s.dir / "absent.fwc", {kTextMainPromptImport}},
    };
    s.keyboard->RecordRequests(true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.string());
        s.prompter.Clear();
        EXPECT_EQ(commands.Import(c.path).result, 0);
        EXPECT_EQ(s.prompter.Keys(), c.asked);
    }
    EXPECT_TRUE(RecordedCommands().empty());
    EXPECT_EQ(Entry(0, kAEntry).type, kActionKey);
}

TEST_F(ProfileCommandsTest, ImportOfAVanishedFileFallsBackToADefaultImage) {
    Entry(0, kAEntry) = kToB;
    const fs::path file = s.dir / "in.fwc";
    ASSERT_EQ(commands.Export(file), 1);
    const std::vector<uint8_t> backing = ReadFile(ProfileFilePath(s.paths, 0));

    ASSERT_TRUE(commands.ImportCheck(file));
    fs::remove(file);
    s.keyboard->RecordRequests(true);
    const ImportOutcome out = commands.ImportLoad(file);
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(s.prompter.Keys(), std::vector<std::string>{kTextMainPromptImport});
    ASSERT_TRUE(s.work.image);
    EXPECT_EQ(Entry(0, kAEntry).type, 0);
    EXPECT_TRUE(std::none_of(out.panel.keys.begin(), out.panel.keys.end(),
                             [](const KeyButtonView& v) { return v.assigned; }));
    EXPECT_TRUE(RecordedCommands().empty());
    EXPECT_EQ(ReadFile(ProfileFilePath(s.paths, 0)), backing);
    EXPECT_TRUE(commands.Changed());
}

TEST_F(ProfileCommandsTest, ApplyRunsOffTheWindowThread) {
    Edit(0);
    ApplyOutcome applied;
    std::thread worker([&] { applied = commands.Apply(); });
    // The window keeps drawing meanwhile (this prompter needs no window thread): it waits for
    // the work lock while the apply holds it, and gets it back afterwards.
    for (int i = 0; i < 20; ++i) EXPECT_EQ(commands.RefreshPanel().keys.size(), 113u);
    worker.join();
    EXPECT_TRUE(applied.ok);
    EXPECT_FALSE(commands.Changed());
}

}  // namespace
}  // namespace vorlin
