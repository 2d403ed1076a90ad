// The firmware dialog's update and backup steps against the simulated keyboard.
#include "ui/firmware_update.h"

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <thread>

#include "device/connect_once.h"
#include "platform/text_key_names.h"
#include "store/config_device.h"
#include "store/profile_file.h"
#include "store/sim_store.h"

extern char** environ;

namespace vorlin {
namespace {

using test::SimStore;
namespace fs = std::filesystem;

// Runs the program to its end, so a test sees what it did.
bool RunToEnd(const fs::path& program) {
    pid_t pid = 0;
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    if (::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) return false;
    int status = 0;
    return ::waitpid(pid, &status, 0) == pid && WIFEXITED(status);
}

class FirmwareUpdateTest : public ::testing::Test {
  protected:
    FirmwareUpdateTest() {
        sim.Connect();
        sim.keyboard->RecordRequests(true);
    }
    // A script that appends one line to a file each time it runs.
    fs::path Script(bool runnable = true) {
        const fs::path script = sim.dir / "updater.sh";
        std::ofstream(script) << "#!/bin/sh\necho ran >> '" << ranFile.string() << "'\n";
        fs::permissions(script, runnable ? fs::perms::owner_all : fs::perms::owner_read);
        return script;
    }
    std::vector<std::array<uint8_t, kSimReportSize>> Sent() {
        return sim.keyboard->TakeRecordedRequests();
    }

    SimStore sim;
    fs::path ranFile = sim.dir / "ran.txt";
    int starts = 0;
    FirmwareUpdate firmware{sim.link, sim.work, sim.prompter, [this](const fs::path& p) {
                                ++starts;
                                return RunToEnd(p);
                            }};
};

TEST_F(FirmwareUpdateTest, WithoutAProgramThatCanRunNothingIsSent) {
    EXPECT_TRUE(firmware.UpdaterPath().empty());
    EXPECT_EQ(firmware.Update(), UpdateOutcome::NoFile);

    // Chosen, then the chooser cancelled: the choice is gone.
    firmware.Choose(Script());
    EXPECT_EQ(firmware.UpdaterPath(), sim.dir / "updater.sh");
    firmware.Choose(std::nullopt);
    EXPECT_TRUE(firmware.UpdaterPath().empty());
    EXPECT_EQ(firmware.Update(), UpdateOutcome::NoFile);

    // A file that cannot be run would leave the keyboard in its boot loader with no updater.
    firmware.Choose(Script(/*runnable=*/false));
    EXPECT_EQ(firmware.Update(), UpdateOutcome::NoFile);
    EXPECT_TRUE(firmware.UpdaterPath().empty());
    firmware.Choose(sim.dir / "missing.sh");
    EXPECT_EQ(firmware.Update(), UpdateOutcome::NoFile);

    EXPECT_EQ(sim.prompter.Keys(), std::vector<std::string>(4, kTextFirmwareNoFile));
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(starts, 0);
    EXPECT_FALSE(sim.keyboard->InBootMode());
}

TEST_F(FirmwareUpdateTest, AnUnpluggedKeyboardGetsNoBootModeAndNothingStarts) {
    // Gone, and the link closed as the monitor closes it on the loss.
    sim.keyboard->Vanish();
    DisconnectOnce(sim.link);
    firmware.Choose(Script());
    EXPECT_EQ(firmware.Update(), UpdateOutcome::NoBootMode);
    EXPECT_EQ(sim.prompter.Keys(), std::vector<std::string>{kTextFirmwareNoBootMode});
    EXPECT_EQ(starts, 0);
    EXPECT_FALSE(fs::exists(ranFile));
    EXPECT_TRUE(firmware.UpdaterPath().empty());
}

TEST_F(FirmwareUpdateTest, APluggedKeyboardGetsExactlyTheBootFrameAndTheProgramRunsOnce) {
    firmware.Choose(Script());
    EXPECT_EQ(firmware.Update(), UpdateOutcome::Started);

    // The frame crosses the socket on its own time: no reply says it arrived.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!sim.keyboard->InBootMode() && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    const auto sent = Sent();
    ASSERT_EQ(sent.size(), 1u);
    std::array<uint8_t, kSimReportSize> boot{};
    boot[framebyte::kId] = kReportId;
    boot[framebyte::kCommand] = 0xEE;
    boot[framebyte::kLength] = 0xEE;
    EXPECT_EQ(sent[0], boot);
    EXPECT_TRUE(sim.keyboard->InBootMode());
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(test::ReadBytes(ranFile), "ran\n");
    EXPECT_TRUE(sim.prompter.Keys().empty());
    EXPECT_TRUE(firmware.UpdaterPath().empty());
}

TEST_F(FirmwareUpdateTest, AProgramThatDoesNotStartIsReported) {
    FirmwareUpdate failing{sim.link, sim.work, sim.prompter, [](const fs::path&) { return false; }};
    failing.Choose(Script());
    EXPECT_EQ(failing.Update(), UpdateOutcome::NotStarted);
    EXPECT_EQ(sim.prompter.Keys(), std::vector<std::string>{kTextFirmwareNotStarted});
    EXPECT_TRUE(failing.UpdaterPath().empty());

    failing.Choose(Script());
    failing.CancelUpdate();
    EXPECT_TRUE(failing.UpdaterPath().empty());
}

TEST_F(FirmwareUpdateTest, BackupWritesAFileImportAcceptsThatReproducesTheWorkStore) {
    ASSERT_EQ(ReloadFromKeyboard(sim.ctx), 1);
    {
        std::lock_guard guard(sim.work.lock);
        sim.work.macros.push_back(test::MakeMacro(1, u"Backed up", {{10, 4, 0}, {0, 4, 1}}));
        sim.work.image->tables[1][3].value = 0x1234;
    }
    const fs::path file = sim.dir / "backup.fwc";
    EXPECT_EQ(firmware.Backup(file), 1);
    EXPECT_EQ(sim.prompter.Keys(), std::vector<std::string>{kTextFirmwareBackupDone});
    EXPECT_EQ(ValidateImageFile(file, sim.prompter), 1);

    ConfigStore restored;
    ASSERT_EQ(LoadImageFile(restored, file), 1);
    std::lock_guard guard(sim.work.lock);
    EXPECT_EQ(restored.macroCount(), 1);
    EXPECT_EQ(BuildImageFile(restored), BuildImageFile(sim.work));
}

TEST_F(FirmwareUpdateTest, AFailedBackupLeavesTheEarlierFileUntouched) {
    const fs::path file = sim.dir / "backup.fwc";
    test::WriteBytes(file, "earlier backup");
    {
        std::lock_guard guard(sim.work.lock);
        FreeStoreContents(sim.work);  // nothing to save
    }
    EXPECT_EQ(firmware.Backup(file), 0);
    EXPECT_EQ(sim.prompter.Keys(), std::vector<std::string>{kTextFirmwareBackupFailed});
    EXPECT_EQ(test::ReadBytes(file), "earlier backup");
    EXPECT_TRUE(Sent().empty());
}

}  // namespace
}  // namespace vorlin
