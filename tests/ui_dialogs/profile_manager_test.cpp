// The profile manager's steps against the simulated keyboard.
#include "ui/profile_manager.h"

#include <gtest/gtest.h>

#include "platform/settings.h"
#include "platform/text_key_names.h"
#include "store/config_device.h"
#include "store/profile_file.h"
#include "store/sim_store.h"

namespace vorlin {
namespace {

using test::SimStore;

class ProfileManagerTest : public ::testing::Test {
  protected:
    ProfileManagerTest() {
        WriteLanguage();
        sim.Connect();
        sim.SetActiveOnKeyboard(2);
    }
    void WriteLanguage() {
        std::ofstream(sim.paths.exeFolder / "Lang0409.ini") << "[TEXT]\nPROFILE_NEW=New Profile\n";
    }
    int KeyboardProfile() {
        int p = -1;
        sim.keyboard->EditMemory([&](SimMemory& m) { p = m.state[kStateActiveProfile]; });
        return p;
    }
    std::string Setting(int number) {
        return SettingsReadString(sim.paths, kProfilesSection, ProfileSettingName(number), "?");
    }
    // The work store as a file, and what the keyboard holds now as one.
    std::vector<uint8_t> WorkBytes() {
        std::lock_guard guard(sim.work.lock);
        return BuildImageFile(sim.work);
    }
    std::vector<uint8_t> KeyboardBytes() {
        std::vector<uint8_t> bytes;
        EXPECT_EQ(ReadDeviceImage(sim.ctx, bytes), 1);
        ConfigStore store;
        EXPECT_EQ(LoadImageBytes(store, bytes), 1);
        return BuildImageFile(store);
    }
    // A work store that is plainly not the keyboard's.
    void SpoilWorkStore() {
        std::lock_guard guard(sim.work.lock);
        sim.work.image->tables[0][7].value = 0xDEADBEEF;
        ASSERT_NE(WorkBytes(), KeyboardBytes());
    }
    std::vector<std::string> Names() {
        std::vector<std::string> names;
        for (const ProfileRow& r : manager.Rows()) names.push_back(r.name);
        return names;
    }

    SimStore sim;
    IniLock iniLock;
    ProfileManager manager{sim.ctx, iniLock};
};

TEST_F(ProfileManagerTest, OpeningListsTheBackingFilesWithTheActiveProfileTicked) {
    manager.Open();
    EXPECT_EQ(manager.OpenCount(), 1);
    EXPECT_EQ(Names(), (std::vector<std::string>{"$Profile0", "$Profile1", "$Profile2"}));
    for (const ProfileRow& r : manager.Rows())
        EXPECT_EQ(r.folder, sim.paths.userFolder.string() + "/");
    EXPECT_EQ(manager.TickedRow(), 2);
    EXPECT_FALSE(manager.ApplyEnabled());
    manager.Close();
    EXPECT_EQ(manager.OpenCount(), 0);

    // A keyboard that cannot say its profile leaves every row unticked.
    sim.keyboard->Vanish();
    sim.connection.activeProfileCache = -1;
    manager.Open();
    EXPECT_EQ(manager.Rows().size(), 3u);
    EXPECT_EQ(manager.TickedRow(), -1);
}

TEST_F(ProfileManagerTest, AtMostOneRowIsTickedAndEveryTickChangeEnablesApply) {
    manager.Open();
    manager.SetTicked(0, true);
    EXPECT_EQ(manager.TickedRow(), 0);
    EXPECT_FALSE(manager.Rows()[2].ticked);
    EXPECT_TRUE(manager.ApplyEnabled());

    manager.FillList(0);
    manager.SetTicked(2, false);
    EXPECT_EQ(manager.TickedRow(), -1);
    EXPECT_TRUE(manager.ApplyEnabled());

    // The main window switched profile: that row ticked, nothing left to apply.
    manager.SwitchProfile(1);
    EXPECT_EQ(manager.TickedRow(), 1);
    EXPECT_FALSE(manager.ApplyEnabled());
    manager.Close();
    manager.SwitchProfile(0);
    EXPECT_EQ(manager.TickedRow(), 1);
}

TEST_F(ProfileManagerTest, ApplyingAnotherTickedRowMakesItTheKeyboardsProfileAndReloads) {
    manager.Open();
    manager.SetTicked(0, true);
    SpoilWorkStore();
    sim.ui.changedOff = 0;

    EXPECT_EQ(manager.Apply(), 1);
    EXPECT_EQ(KeyboardProfile(), 0);
    EXPECT_EQ(GetActiveProfile(sim.ctx), 0);
    EXPECT_EQ(WorkBytes(), KeyboardBytes());
    EXPECT_TRUE(std::filesystem::exists(ProfileFilePath(sim.paths, 0)));
    EXPECT_GE(sim.ui.changedOff, 1);
    EXPECT_EQ(sim.ui.changedOn, 0);
    EXPECT_FALSE(manager.ApplyEnabled());

    const std::string folder = sim.paths.userFolder.string() + "/";
    EXPECT_EQ(Setting(0), "3");
    EXPECT_EQ(Setting(1), folder + "$Profile0.fwc");
    EXPECT_EQ(Setting(3), folder + "$Profile2.fwc");
    EXPECT_TRUE(sim.prompter.Keys().empty());
}

TEST_F(ProfileManagerTest, ApplyWithNoRowTickedKeepsTheProfileAndStillReloads) {
    manager.Open();
    manager.SetTicked(2, false);
    SpoilWorkStore();
    sim.keyboard->RecordRequests(true);

    manager.Apply();
    bool stateWritten = false;
    for (const auto& frame : sim.keyboard->TakeRecordedRequests())
        stateWritten |= frame[framebyte::kCommand] == CMD_WRITE_STATE;
    EXPECT_FALSE(stateWritten);
    EXPECT_EQ(KeyboardProfile(), 2);
    EXPECT_EQ(WorkBytes(), KeyboardBytes());
    EXPECT_EQ(Setting(0), "3");
    EXPECT_EQ(Setting(2), sim.paths.userFolder.string() + "/$Profile1.fwc");
}

TEST_F(ProfileManagerTest, AddLoadAndDeleteChangeRowsNotFiles) {
    manager.Open();
    const std::filesystem::path added = manager.SuggestedNewFile();
    EXPECT_EQ(added, sim.paths.userFolder / "New Profile.fwc");
    EXPECT_EQ(manager.Add(added), 1);
    EXPECT_EQ(ValidateImageFile(added, sim.prompter), 1);

    const std::filesystem::path loaded = sim.dir / "elsewhere" / "mine.fwc";  // never read
    manager.Load(loaded);
    EXPECT_EQ(Names(), (std::vector<std::string>{"$Profile0", "$Profile1", "$Profile2",
                                                 "New Profile", "mine"}));
    EXPECT_EQ(manager.Rows()[4].folder, (sim.dir / "elsewhere").string() + "/");
    EXPECT_TRUE(manager.ApplyEnabled());

    manager.Delete(3);
    manager.Delete(7);  // no such row
    EXPECT_EQ(Names(), (std::vector<std::string>{"$Profile0", "$Profile1", "$Profile2", "mine"}));
    EXPECT_TRUE(std::filesystem::exists(added));

    // A file that cannot be written gives no row and says so.
    const std::filesystem::path blocked = sim.dir / "no-such-folder" / "x.fwc";
    EXPECT_EQ(manager.Add(blocked), 0);
    EXPECT_EQ(manager.Rows().size(), 4u);
    ASSERT_EQ(sim.prompter.Keys(), std::vector<std::string>{kTextProfileNewFailed});
    EXPECT_EQ(sim.prompter.Questions()[0].argument, blocked.string());

    // Reopening starts again from the three backing files.
    manager.Close();
    manager.Open();
    EXPECT_EQ(manager.Rows().size(), 3u);
}

TEST_F(ProfileManagerTest, ATickedRowBeyondTheThirdLeavesTheProfileAndSaysSo) {
    manager.Open();
    manager.Load(sim.dir / "fourth.fwc");
    manager.SetTicked(3, true);
    sim.keyboard->RecordRequests(true);

    manager.Apply();
    EXPECT_EQ(sim.prompter.Keys(), std::vector<std::string>{kTextProfileNotHardware});
    EXPECT_EQ(KeyboardProfile(), 2);
    for (const auto& frame : sim.keyboard->TakeRecordedRequests())
        EXPECT_NE(frame[framebyte::kCommand], CMD_WRITE_STATE);
    EXPECT_EQ(Setting(0), "4");
    EXPECT_EQ(Setting(4), sim.dir.path().string() + "/fourth.fwc");
    EXPECT_FALSE(manager.ApplyEnabled());
}

}  // namespace
}  // namespace vorlin
