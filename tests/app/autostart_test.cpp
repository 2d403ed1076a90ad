// The autostart entry: which file decides, what turning it on and off writes, the folders the
// environment names and the command the entry runs.
#include "app/autostart.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <optional>

#include "support/scoped_env.h"
#include "support/temp_folder.h"

namespace vorlin {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::WriteBytes;

constexpr const char* kStarts = "[Desktop Entry]\nType=Application\nExec=vorlin /Start\n";
constexpr const char* kHidden = "[Desktop Entry]\nType=Application\nExec=vorlin\nHidden=true\n";

// A user's autostart folder and two system ones in a temporary folder.
struct Machine {
    Machine() {
        folders.user = dir / "home/autostart";
        folders.system = {dir / "xdg1/autostart", dir / "xdg2/autostart"};
    }
    // Folder 0 is the user's, 1 and 2 the system's.
    void Put(int folder, const std::string& text) const {
        const fs::path f = folder == 0 ? folders.user : folders.system.at(folder - 1);
        fs::create_directories(f);
        WriteBytes(f / "vorlin.desktop", text);
    }
    fs::path UserFile() const { return folders.user / "vorlin.desktop"; }

    test::TempFolder dir{"vorlin-autostart"};
    AutostartFolders folders;
};

class Autostart : public ::testing::Test {
  protected:
    void Put(int folder, const std::string& text) { m_.Put(folder, text); }
    fs::path UserFile() const { return m_.UserFile(); }
    static AutostartEntry Entry() { return {"Vorlin Gaming Keyboard", "vorlin /Start", {}}; }

    Machine m_;
    AutostartFolders& folders_ = m_.folders;
};

TEST(AutostartState, TheFirstEntryFoundDecides) {
    struct Case {
        const char* what;
        std::optional<std::string> user, system1, system2;
        bool enabled;
    } cases[] = {
        {"no entry anywhere", {}, {}, {}, false},
        {"the user's entry", kStarts, {}, {}, true},
        {"a system entry", {}, {}, kStarts, true},
        {"the user's hidden entry hides the system's", kHidden, kStarts, {}, false},
        {"the user's entry starts over a hidden system one", kStarts, kHidden, {}, true},
        {"the first system folder hides the second", {}, kHidden, kStarts, false},
        {"GNOME's switch off",
         std::string(kStarts) + "X-GNOME-Autostart-enabled=false\n",
         {},
         {},
         false},
        {"Hidden in another group does not count",
         std::string(kStarts) + "[Desktop Action x]\nHidden=true\n",
         {},
         {},
         true},
        {"Hidden=false", std::string(kStarts) + "Hidden=false\n", {}, {}, true},
        {"spaces around the key and a capital True",
         std::string(kStarts) + "Hidden = True\n",
         {},
         kStarts,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Machine m;
        if (c.user) m.Put(0, *c.user);
        if (c.system1) m.Put(1, *c.system1);
        if (c.system2) m.Put(2, *c.system2);
        EXPECT_EQ(AutostartEnabled(m.folders), c.enabled);
    }
}

TEST_F(Autostart, AnUnreadableUserEntryStillHidesTheSystemOne) {
    Put(2, kStarts);
    fs::create_directories(UserFile());  // a folder where the file should be
    EXPECT_FALSE(AutostartEnabled(folders_));
}

TEST_F(Autostart, OnWritesTheUserEntryAndOffRemovesIt) {
    std::string why;
    ASSERT_TRUE(SetAutostart(folders_, true, Entry(), &why)) << why;
    EXPECT_TRUE(AutostartEnabled(folders_));
    const std::string text = ReadBytes(UserFile());
    EXPECT_EQ(text.rfind("[Desktop Entry]\nType=Application\n", 0), 0u) << text;
    EXPECT_NE(text.find("\nName=Vorlin Gaming Keyboard\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nExec=vorlin /Start\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("Hidden"), std::string::npos) << text;

    ASSERT_TRUE(SetAutostart(folders_, false, Entry(), &why)) << why;
    EXPECT_FALSE(fs::exists(UserFile()));
    EXPECT_FALSE(AutostartEnabled(folders_));
    // Off again with nothing there is no error.
    EXPECT_TRUE(SetAutostart(folders_, false, Entry(), &why)) << why;
}

TEST_F(Autostart, OffOverASystemEntryWritesAHiddenUserEntry) {
    Put(1, kStarts);
    std::string why;
    ASSERT_TRUE(SetAutostart(folders_, false, Entry(), &why)) << why;
    EXPECT_NE(ReadBytes(UserFile()).find("\nHidden=true\n"), std::string::npos);
    EXPECT_FALSE(AutostartEnabled(folders_));
    EXPECT_EQ(ReadBytes(folders_.system[0] / "vorlin.desktop"), kStarts) << "never touched";

    ASSERT_TRUE(SetAutostart(folders_, true, Entry(), &why)) << why;
    EXPECT_TRUE(AutostartEnabled(folders_));
    EXPECT_EQ(ReadBytes(UserFile()).find("Hidden"), std::string::npos);

    // A hidden system entry needs no user entry to stay off.
    Put(1, kHidden);
    ASSERT_TRUE(SetAutostart(folders_, false, Entry(), &why)) << why;
    EXPECT_FALSE(fs::exists(UserFile()));
}

TEST_F(Autostart, AFailedWriteSaysWhereAndWhy) {
    fs::create_directories(folders_.user.parent_path());
    WriteBytes(folders_.user, "a file where the folder should be");
    std::string why;
    EXPECT_FALSE(SetAutostart(folders_, true, Entry(), &why));
    EXPECT_NE(why.find(folders_.user.string()), std::string::npos) << why;

    // A folder named like the entry cannot be replaced by a file.
    fs::remove(folders_.user);
    fs::create_directories(UserFile() / "inside");
    why.clear();
    EXPECT_FALSE(SetAutostart(folders_, true, Entry(), &why));
    EXPECT_NE(why.find("cannot write " + UserFile().string()), std::string::npos) << why;
    EXPECT_FALSE(AutostartEnabled(folders_));
}

TEST_F(Autostart, EntryValuesAreEscaped) {
    std::string why;
    ASSERT_TRUE(SetAutostart(folders_, true, {" Vor\\lin\nx", "vorlin /Start", "/opt/v lin"}, &why))
        << why;
    const std::string text = ReadBytes(UserFile());
    EXPECT_NE(text.find("\nName=\\sVor\\\\lin\\nx\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nTryExec=/opt/v lin\n"), std::string::npos) << text;
}

TEST(AutostartFolders, FollowTheXdgVariables) {
    test::ScopedEnv env;
    env.Set("HOME", "/home/u");
    env.Set("XDG_CONFIG_HOME", "/cfg");
    env.Set("XDG_CONFIG_DIRS", "/etc/one:relative/two::/usr/three");
    AutostartFolders f = AutostartFoldersFromEnvironment();
    EXPECT_EQ(f.user, fs::path("/cfg/autostart"));
    EXPECT_EQ(f.system, (std::vector<fs::path>{"/etc/one/autostart", "/usr/three/autostart"}));

    env.Set("XDG_CONFIG_HOME", "relative");
    env.Set("XDG_CONFIG_DIRS", nullptr);
    f = AutostartFoldersFromEnvironment();
    EXPECT_EQ(f.user, fs::path("/home/u/.config/autostart"));
    EXPECT_EQ(f.system, (std::vector<fs::path>{"/etc/xdg/autostart"}));
}

TEST(AutostartCommand, ByNameWhenThePathFindsThisProgramElseByFullPath) {
    test::TempFolder dir("vorlin-autostart-cmd");
    for (const char* folder : {"bin", "other", "my $dir"}) {
        fs::create_directories(dir / folder);
        WriteBytes(dir / folder / "vorlin", "#!/bin/sh\n");
    }
    const fs::path installed = dir / "bin" / "vorlin";
    const std::string bin = (dir / "bin").string(), other = (dir / "other").string();
    EXPECT_EQ(AutostartCommand(installed, "relative:" + bin + ":/usr/bin"), "vorlin /Start");
    // Another vorlin found first would be the one started.
    EXPECT_EQ(AutostartCommand(installed, other + ":" + bin), installed.string() + " /Start");
    EXPECT_EQ(AutostartCommand(installed, ""), installed.string() + " /Start");
    // Reserved characters quote the path; '$' is escaped inside the quotes, '%' doubled.
    EXPECT_EQ(AutostartCommand(dir / "my $dir" / "vorlin", bin),
              "\"" + dir.path().string() + "/my \\$dir/vorlin\" /Start");
    EXPECT_EQ(AutostartCommand("/opt/100%/vorlin", ""), "/opt/100%%/vorlin /Start");
}

}  // namespace
}  // namespace vorlin
