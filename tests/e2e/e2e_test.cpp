// vorlinctl as a user runs it: separate processes sharing one simulated keyboard through its
// state file, with their own user folders.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "cli/cli_context.h"
#include "cli/cli_fixture.h"
#include "platform/keyboard_lock.h"
#include "sim/keyboard_descriptors.h"

namespace vorlin::test {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class EndToEnd : public CliFixture {
  protected:
    // The shell command of one run with the scratch folder's environment and empty stdin; its
    // output goes to stdout<tag> and stderr<tag>. A run that hangs is killed after a minute.
    std::string Command(const std::string& globals, const std::string& args,
                        const std::string& tag = "") {
        return "env XDG_DATA_HOME='" + (dir / "data").string() + "' XDG_CONFIG_HOME='" +
               (dir / "config").string() +
               "' LANG=en_US.UTF-8 timeout -s KILL 60 '" VORLINCTL_PATH "' " + globals + " " +
               args + " </dev/null >'" + (dir / ("stdout" + tag)).string() + "' 2>'" +
               (dir / ("stderr" + tag)).string() + "'";
    }
    std::string SimGlobals() const { return "--simulate --sim-state '" + State().string() + "'"; }
    CliRun Result(int status, const std::string& tag = "") {
        CliRun r;
        r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.out = Text(dir / ("stdout" + tag));
        r.err = Text(dir / ("stderr" + tag));
        return r;
    }
    CliRun Process(const std::string& args, const std::string& globals = "") {
        const std::string command = Command(globals.empty() ? SimGlobals() : globals, args);
        return Result(std::system(command.c_str()));
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

// Separate processes on one simulated keyboard: each load, change and save must follow the one
// before it, or an assignment is lost.
TEST_F(EndToEnd, ConcurrentAssignmentsAllSurvive) {
    const char* const keys[] = {"F1", "F2",  "F3",  "F4",  "F5", "F6", "F7", "F8",
                                "F9", "F10", "F11", "F12", "Q",  "W",  "E",  "R",
                                "T",  "Y",   "U",   "I",   "O",  "P",  "H",  "J"};
    constexpr int kProcesses = 3;
    std::vector<std::string> assigned;
    for (int round = 0; round * kProcesses < static_cast<int>(std::size(keys)); ++round) {
        std::string script;
        for (int p = 0; p < kProcesses; ++p) {
            const std::string key = keys[round * kProcesses + p], tag = std::to_string(p);
            script += "(" + Command(SimGlobals(), "assign " + key + " mouse:middle", tag) +
                      "; echo $? >'" + (dir / ("code" + tag)).string() + "') & ";
            assigned.push_back(key);
        }
        script += "wait";
        ASSERT_EQ(std::system(script.c_str()), 0);
        for (int p = 0; p < kProcesses; ++p) {
            const std::string tag = std::to_string(p);
            EXPECT_EQ(Text(dir / ("code" + tag)), "0\n")
                << "round " << round << ": " << Text(dir / ("stderr" + tag));
            EXPECT_EQ(Text(dir / ("stdout" + tag)),
                      "Profile 0: " + assigned[round * kProcesses + p] + " -> mouse:middle\n");
        }
        const CliRun show = Process("show --keyboard --profile 0");
        ASSERT_EQ(show.code, kExitOk) << show.err;
        for (const std::string& key : assigned)
            EXPECT_NE(show.out.find("  " + key + " -> mouse:middle\n"), std::string::npos)
                << "round " << round << " lost " << key << ":\n"
                << show.out;
    }
}

std::string OwnProgram() {
    std::ifstream in("/proc/self/comm");
    std::string name;
    std::getline(in, name);
    return name;
}

// The last line of a run's stderr, which must be the whole error.
std::string LastLine(const std::string& text) {
    const size_t end = text.empty() ? 0 : text.size() - 1;
    const size_t start = text.rfind('\n', end == 0 ? 0 : end - 1);
    return text.substr(start == std::string::npos ? 0 : start + 1);
}

// Another process holding the keyboard: a simulated one by the lock file beside its state
// file, a real one by its hidraw node. The second process waits, then gives up naming it.
TEST_F(EndToEnd, AHeldKeyboardMakesTheNextProcessWaitThenNameTheHolder) {
    const std::string holderText =
        "process " + std::to_string(::getpid()) + " (" + OwnProgram() + ")";
    KeyboardLock holder;
    ASSERT_EQ(holder.LockFile(State().string() + ".lock", 0ms), KeyboardLock::kTaken);
    Clock::time_point start = Clock::now();
    CliRun busy = Process("--lock-wait 700 assign F5 mouse:left");
    EXPECT_GE(Clock::now() - start, 700ms);
    EXPECT_EQ(busy.code, kExitFailed);
    EXPECT_EQ(LastLine(busy.err), "vorlinctl: the simulated keyboard of " + State().string() +
                                      " is in use by " + holderText +
                                      "; gave up after waiting 700 ms.\n")
        << busy.err;
    EXPECT_TRUE(busy.out.empty());
    EXPECT_FALSE(fs::exists(State()));  // nothing loaded, nothing saved
    holder.Release();
    const CliRun free = Process("--lock-wait 700 assign F5 mouse:left");
    EXPECT_EQ(free.code, kExitOk) << free.err;
    EXPECT_TRUE(free.err.empty()) << free.err;

    // A real 0x320F keyboard in a sysfs tree; its node is a plain file here.
    AddSysfsKeyboard(dir / "sys");
    fs::create_directories(dir / "dev");
    const fs::path node = dir / "dev/hidraw5";
    std::ofstream{node};
    ASSERT_EQ(holder.LockNode(node.string(), 0ms), KeyboardLock::kTaken);
    start = Clock::now();
    busy = Process("--lock-wait 300 info", "--sysfs-root '" + (dir / "sys").string() +
                                               "' --dev-root '" + (dir / "dev").string() + "'");
    EXPECT_GE(Clock::now() - start, 300ms);
    EXPECT_EQ(busy.code, kExitFailed);
    EXPECT_EQ(busy.err, "vorlinctl: the keyboard at " + node.string() + " is in use by " +
                            holderText + "; waiting up to 300 ms.\nvorlinctl: the keyboard at " +
                            node.string() + " is in use by " + holderText +
                            "; gave up after waiting 300 ms.\n");
}

// A --sim-state that is not a state file is refused at once, in one sentence saying why.
TEST_F(EndToEnd, ASimStateThatIsNoStateFileIsRefused) {
    fs::create_directories(dir / "folder");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    std::ofstream(dir / "big", std::ios::binary) << std::string(1 << 20, 'V');
    struct Case {
        std::string file, why;
    };
    const Case cases[] = {
        {(dir / "folder").string(), "it is a folder"},
        {(dir / "fifo").string(), "it is not a regular file"},
        {"/dev/zero", "it is not a regular file"},
        {(dir / "big").string(), "it is larger than any simulated keyboard state file"},
    };
    for (const Case& c : cases) {
        const Clock::time_point start = Clock::now();
        const CliRun r = Process("info", "--simulate --sim-state '" + c.file + "'");
        EXPECT_LT(Clock::now() - start, 20s) << c.file;
        EXPECT_EQ(r.code, kExitBadFile) << c.file << ": " << r.err;
        EXPECT_EQ(r.err, "vorlinctl: the simulated keyboard's state file " + c.file +
                             " cannot be read: " + c.why + ".\n");
        EXPECT_TRUE(r.out.empty()) << c.file;
    }
    EXPECT_FALSE(fs::exists("/dev/zero.lock"));
}

// A model named on the command line must be the state file's; plain --simulate takes the file's.
TEST_F(EndToEnd, ANamedModelRefusesAStateFileOfTheOtherModel) {
    struct Case {
        const char *made, *named;
    };
    for (const Case c : {Case{"0c45:5004", "320f:5000"}, Case{"320f:5000", "0c45:5004"}}) {
        fs::remove(State());
        const std::string file = "--sim-state '" + State().string() + "'";
        ASSERT_EQ(Process("info", std::string("--simulate=") + c.made + " " + file).code, kExitOk);
        const SimMemory before = Keyboard();
        const CliRun named =
            Process("assign F1 mouse:left", std::string("--simulate=") + c.named + " " + file);
        EXPECT_EQ(named.code, kExitUsage) << c.named;
        EXPECT_EQ(named.err, "vorlinctl: the simulated keyboard's state file " + State().string() +
                                 " belongs to the other model (" + c.made + "), not to " + c.named +
                                 ".\n");
        EXPECT_TRUE(Keyboard() == before);
        const CliRun plain = Process("info --json", "--simulate " + file);
        ASSERT_EQ(plain.code, kExitOk) << plain.err;
        EXPECT_EQ(json::parse(plain.out)["model"], c.made);
    }
}

// The state cannot be saved: the command's output claiming success is not printed.
TEST_F(EndToEnd, AStateFileThatCannotBeSavedFailsTheCommand) {
    CliHooks hooks;
    hooks.afterCommand = [this](CliSession&) {
        fs::remove(State());
        fs::create_directory(State());  // the save's rename cannot replace a folder
    };
    const CliRun r = Run({"assign", "F1", "mouse:left"}, hooks);
    EXPECT_EQ(r.code, kExitFailed);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "vorlinctl: the simulated keyboard's state could not be saved to " +
                         State().string() + ": it is a folder.\n");
}

}  // namespace
}  // namespace vorlin::test
