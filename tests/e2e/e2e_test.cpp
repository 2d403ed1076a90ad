// vorlinctl as a user runs it: separate processes sharing one simulated keyboard through its
// state file, with their own user folders.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "cli/cli_context.h"
#include "cli/cli_fixture.h"

namespace vorlin::test {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

class EndToEnd : public CliFixture {
  protected:
    // Runs the program with the scratch folder's environment; stdin is empty.
    CliRun Process(const std::string& args) {
        const fs::path out = dir / "stdout", err = dir / "stderr";
        const std::string command =
            "env XDG_DATA_HOME='" + (dir / "data").string() + "' XDG_CONFIG_HOME='" +
            (dir / "config").string() +
            "' LANG=en_US.UTF-8 '" VORLINCTL_PATH "' --simulate --sim-state '" + State().string() +
            "' " + args + " </dev/null >'" + out.string() + "' 2>'" + err.string() + "'";
        const int status = std::system(command.c_str());
        CliRun r;
        r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.out = Text(out);
        r.err = Text(err);
        return r;
    }
    static std::string Text(const fs::path& file) {
        std::ifstream in(file);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    std::string Quoted(const std::string& name) const { return "'" + (dir / name).string() + "'"; }
};

TEST_F(EndToEnd, BackupThenRestoreReproducesTheKeyboard) {
    WriteSampleProfile(dir / "sample.fwc");
    ASSERT_EQ(Process("restore " + Quoted("sample.fwc")).code, kExitOk);
    ASSERT_EQ(Process("assign --profile 2 Tab media:Mute").code, kExitOk);
    const CliRun before = Process("show --keyboard --json");
    ASSERT_EQ(before.code, kExitOk) << before.err;
    ASSERT_EQ(Process("backup " + Quoted("backup.fwc")).code, kExitOk);

    fs::remove(State());
    const CliRun fresh = Process("show --keyboard --json");
    EXPECT_NE(json::parse(fresh.out), json::parse(before.out));
    const CliRun restore = Process("restore " + Quoted("backup.fwc"));
    ASSERT_EQ(restore.code, kExitOk) << restore.err;
    EXPECT_EQ(json::parse(Process("show --keyboard --json").out), json::parse(before.out));
}

TEST_F(EndToEnd, AssignThenShow) {
    const CliRun assign = Process("assign 'Right Ctrl' mouse:middle");
    ASSERT_EQ(assign.code, kExitOk) << assign.err;
    EXPECT_EQ(assign.out, "Profile 0: Right Ctrl -> mouse:middle\n");
    const CliRun show = Process("show --keyboard --profile 0");
    EXPECT_EQ(show.out, "Profile 0:\n  Right Ctrl -> mouse:middle\nMacros: none\n");
}

TEST_F(EndToEnd, LightingSetThenReadBack) {
    const CliRun set = Process("lighting mode=Static colour=#ABCDEF brightness=4");
    ASSERT_EQ(set.code, kExitOk) << set.err;
    const json j = json::parse(Process("lighting --json").out);
    EXPECT_EQ(j["modeName"], "Static");
    EXPECT_EQ(j["colour"], "#ABCDEF");
    EXPECT_EQ(j["brightness"], 4);
}

TEST_F(EndToEnd, BadFilesAndMissingKeyboardGiveTheirExitCodes) {
    std::ofstream(dir / "junk.fwc") << std::string(40000, 'x');
    const CliRun junk = Process("restore " + Quoted("junk.fwc"));
    EXPECT_EQ(junk.code, kExitBadFile);
    EXPECT_NE(junk.err.find("is not a valid profile file: its header"), std::string::npos)
        << junk.err;
    EXPECT_TRUE(junk.out.empty());

    fs::create_directories(dir / "empty");
    const std::string command = "'" VORLINCTL_PATH "' --sysfs-root " + Quoted("empty") +
                                " info >/dev/null 2>" + Quoted("err");
    const int status = std::system(command.c_str());
    EXPECT_EQ(WEXITSTATUS(status), kExitNoKeyboard);
    EXPECT_NE(Text(dir / "err").find("no keyboard found"), std::string::npos);
}

}  // namespace
}  // namespace vorlin::test
