// The real program, started as a launcher would start it: one copy per user, the companion
// daemon started once per first copy, "/Kill".
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/single_instance.h"
#include "support/qt_app.h"
#include "support/temp_folder.h"

namespace vorlin {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using test::BuildFolder;

// A folder that looks like an installation beside the executable: the program, its data, and a
// daemon that notes each start.
class ProcessTest : public ::testing::Test {
  protected:
    ProcessTest() {
        const fs::path build = BuildFolder();
        fs::copy_file(build / "vorlin", dir_.path() / "vorlin");
        for (const char* data : {"Skins", "Help", "Lang0409.ini", "Lang0416.ini"})
            fs::create_symlink(build / data, dir_.path() / data);
        test::WriteBytes(dir_.path() / "Zentrel",
                         "#!/bin/sh\necho \"$#\" >> '" + Marker().string() + "'\n");
        fs::permissions(dir_.path() / "Zentrel", fs::perms::owner_all);
        fs::create_directories(dir_.path() / "home" / "run");
        fs::permissions(dir_.path() / "home" / "run", fs::perms::owner_all);
    }
    ~ProcessTest() override {
        for (pid_t p : running_) {
            ::kill(p, SIGKILL);
            ::waitpid(p, nullptr, 0);
        }
    }

    fs::path Marker() const { return dir_.path() / "daemon-starts"; }
    fs::path InstanceDir() const { return dir_.path() / "home" / "run" / "vorlin"; }
    int DaemonStarts() const {
        const std::string s = test::ReadBytes(Marker());
        return static_cast<int>(std::count(s.begin(), s.end(), '\n'));
    }

    pid_t Launch(std::vector<std::string> args) {
        const fs::path home = dir_.path() / "home";
        std::vector<std::string> env = {
            "HOME=" + home.string(),
            "XDG_RUNTIME_DIR=" + (home / "run").string(),
            "XDG_CONFIG_HOME=" + (home / "config").string(),
            "XDG_DATA_HOME=" + (home / "data").string(),
            "QT_QPA_PLATFORM=offscreen",
            "ASAN_OPTIONS=detect_leaks=0",
            "PATH=/usr/bin:/bin",
        };
        args.insert(args.begin(), (dir_.path() / "vorlin").string());
        std::vector<char*> argv, envp;
        for (std::string& a : args) argv.push_back(a.data());
        for (std::string& e : env) envp.push_back(e.data());
        argv.push_back(nullptr);
        envp.push_back(nullptr);
        pid_t pid = 0;
        EXPECT_EQ(::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()), 0);
        running_.push_back(pid);
        return pid;
    }
    // The exit code, or -1 when it did not end in time.
    int WaitExit(pid_t pid, std::chrono::milliseconds limit = 10s) {
        const auto until = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < until) {
            int status = 0;
            if (::waitpid(pid, &status, WNOHANG) == pid) {
                std::erase(running_, pid);
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(20ms);
        }
        return -1;
    }
    bool WaitListening(std::chrono::milliseconds limit = 10s) {
        const auto until = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < until) {
            if (fs::exists(InstanceDir() / "vorlin.sock")) return true;
            std::this_thread::sleep_for(20ms);
        }
        return false;
    }

    test::TempFolder dir_;
    std::vector<pid_t> running_;
};

TEST_F(ProcessTest, OneCopyPerUserDaemonOncePerFirstCopyAndKill) {
    const pid_t first = Launch({"--simulate", "/Start", "-psn_0_1234"});
    ASSERT_TRUE(WaitListening());
    // A second start hands over to the first and ends at once with 0.
    EXPECT_EQ(WaitExit(Launch({"--simulate"})), 0);
    EXPECT_EQ(WaitExit(first, 300ms), -1) << "the first copy must still run";
    EXPECT_EQ(DaemonStarts(), 1);
    EXPECT_EQ(test::ReadBytes(Marker()), "0\n") << "the daemon gets no arguments";

    EXPECT_EQ(WaitExit(Launch({"/KILL"})), 0);
    EXPECT_EQ(WaitExit(first), 0);
    EXPECT_FALSE(InstanceRunning(InstanceDir()));

    // With no copy running "/Kill" is ignored and the program starts, daemon and all.
    const pid_t again = Launch({"--kill", "--simulate"});
    ASSERT_TRUE(WaitListening());
    EXPECT_EQ(WaitExit(again, 300ms), -1);
    EXPECT_EQ(WaitExit(Launch({"--kill"})), 0);
    EXPECT_EQ(WaitExit(again), 0);
    EXPECT_EQ(DaemonStarts(), 2);
}

TEST_F(ProcessTest, AMissingSkinImageIsNamedAndEndsTheProgramWithAnError) {
    fs::remove(dir_.path() / "Skins");
    fs::create_directory(dir_.path() / "Skins");
    for (const auto& e : fs::directory_iterator(BuildFolder() / "Skins"))
        if (e.path().filename() != "main_over.jpg")
            fs::create_symlink(e.path(), dir_.path() / "Skins" / e.path().filename());
    EXPECT_NE(WaitExit(Launch({"--simulate"})), 0);
}

}  // namespace
}  // namespace vorlin
