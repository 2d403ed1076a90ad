// vorlinctl against a misbehaving keyboard, served over a socketpair so the real fd I/O runs:
// the keyboard disappears at every exchange of each command, drops or delays replies, or
// refuses. Every case must end with a clear error, in bounded time, with no file half written.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <optional>
#include <sstream>

#include "cli/cli_fixture.h"
#include "device/protocol.h"
#include "sim/sim_keyboard.h"
#include "sim/sim_memory.h"
#include "store/lighting_record.h"
#include "support/scripted_prompter.h"

namespace vorlin::test {
namespace {

namespace fs = std::filesystem;

class Faults : public CliFixture {
  protected:
    void SetUp() override {
        CliFixture::SetUp();
        socket = true;
        WriteSampleProfile(dir / "sample.fwc");
        // The temporary files of this test's runs, apart from those of tests running beside
        // it: the shared temp folder holds theirs too.
        if (const char* old = std::getenv("TMPDIR")) oldTmp = old;
        fs::create_directories(dir / "tmp");
        setenv("TMPDIR", (dir / "tmp").c_str(), 1);
    }
    void TearDown() override {
        if (oldTmp)
            setenv("TMPDIR", oldTmp->c_str(), 1);
        else
            unsetenv("TMPDIR");
    }
    std::optional<std::string> oldTmp;

    struct Command {
        const char* name;
        std::vector<std::string> args;
    };
    std::vector<Command> Commands() const {
        return {
            {"backup", {"backup", (dir / "out.fwc").string()}},
            {"restore", {"restore", (dir / "sample.fwc").string()}},
            {"assign", {"assign", "A", "B"}},
            {"lighting", {"lighting", "mode=5", "brightness=2", "colour=#00FF00"}},
        };
    }

    // A fresh keyboard and user folder, as before any run.
    void Fresh() {
        std::error_code ec;
        fs::remove(State(), ec);
        fs::remove_all(dir / "data", ec);
        fs::remove(dir / "out.fwc", ec);
    }

    // Every profile file left behind is whole, and nothing was left beside a target.
    void ExpectNoHalfWrittenFiles(const std::string& context) {
        ScriptedPrompter quiet;
        std::vector<fs::path> files;
        for (const fs::path& folder : {dir.path(), UserFolder()}) {
            std::error_code ec;
            if (!fs::exists(folder, ec)) continue;
            for (const auto& e : fs::directory_iterator(folder)) {
                const std::string name = e.path().filename().string();
                if (name.rfind("$Profile", 0) == 0 || e.path().extension() == ".fwc") {
                    EXPECT_EQ(ValidateImageFile(e.path(), quiet), 1) << context << ": " << name;
                }
                EXPECT_EQ(name.find(".tmp"), std::string::npos) << context << ": " << name;
            }
        }
        for (const auto& e : fs::directory_iterator(dir / "tmp"))
            EXPECT_EQ(e.path().filename().string().rfind("vorlinctl-read-", 0), std::string::npos)
                << context << ": " << e.path();
    }

    CliRun RunWith(const std::vector<std::string>& args, std::function<void(SimKeyboard&)> fault) {
        CliHooks hooks;
        hooks.beforeCommand = [&](CliSession& s) { fault(*s.sim); };
        return Run(args, hooks);
    }
};

TEST_F(Faults, KeyboardVanishingAtEveryExchangeEndsWithAClearError) {
    for (const Command& c : Commands()) {
        Fresh();
        uint64_t exchanges = 0;
        CliHooks count;
        count.afterCommand = [&](CliSession& s) { exchanges = s.sim->RequestsReceived(); };
        ASSERT_EQ(Run(c.args, count).code, kExitOk) << c.name;
        ASSERT_GT(exchanges, 3u);
        for (uint64_t n = 1; n <= exchanges; ++n) {
            Fresh();
            const std::string context = std::string(c.name) + " vanishing at exchange " +
                                        std::to_string(n) + " of " + std::to_string(exchanges);
            CliRun r = RunWith(c.args, [n](SimKeyboard& k) { k.VanishAtExchange(int(n)); });
            EXPECT_NE(r.code, kExitOk) << context;
            EXPECT_NE(r.err.find("vorlinctl: "), std::string::npos) << context;
            EXPECT_EQ(r.out.find("Restored"), std::string::npos) << context;
            EXPECT_FALSE(c.name == std::string("backup") && fs::exists(dir / "out.fwc")) << context;
            ExpectNoHalfWrittenFiles(context);
        }
    }
}

TEST_F(Faults, RefusalsAreReportedWithTheirCode) {
    struct Case {
        std::vector<std::string> args;
        uint8_t command, status;
        std::string message;
    };
    const Case cases[] = {
        {{"assign", "A", "B"}, 8, 255, "refused command 8 (status 255, code -102)"},
        {{"restore", (dir / "sample.fwc").string()},
         10,
         254,
         "refused command 10 (status 254, code -103)"},
        {{"lighting", "brightness=1"}, 6, 254, "refused command 6 (status 254, code -103)"},
        {{"backup", (dir / "out.fwc").string()}, 7, 255, "refused command 7"},
        {{"profile", "1"}, 4, 255, "refused command 4"},
        {{"info"}, 3, 254, "refused command 3"},
    };
    for (const Case& c : cases) {
        Fresh();
        CliRun r = RunWith(c.args, [&](SimKeyboard& k) { k.RefuseCommand(c.command, c.status); });
        EXPECT_EQ(r.code, kExitRefused) << c.message << "\n" << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(dir / "out.fwc"));
        ExpectNoHalfWrittenFiles(c.message);
    }
}

TEST_F(Faults, RefusalsAreReportedAlsoWhenRepliesComeAfterTheFirstTimeOut) {
    // As on a loaded machine: every reply comes after its exchange has written again, so each
    // exchange leaves a second reply on its way. A refusal must be the refused command's, not
    // turn up as the answer to the next one (nor be hidden by the previous one's reply).
    struct Case {
        std::vector<std::string> args;
        uint8_t command;
        std::string message;
    };
    const Case cases[] = {
        {{"info"}, CMD_READ_STATE, "refused command 3 (status 254, code -103)"},
        {{"lighting", "brightness=1"}, CMD_WRITE_LIGHTING, "refused command 6 (status 254"},
    };
    for (const Case& c : cases) {
        Fresh();
        CliRun r = RunWith(c.args, [&](SimKeyboard& k) {
            k.SetReplyDelay(std::chrono::milliseconds(350));
            k.RefuseCommand(c.command, 254);
        });
        EXPECT_EQ(r.code, kExitRefused) << c.message << "\n" << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
}

TEST_F(Faults, EachLinkFailureIsToldFromTheLinksRecord) {
    // The fault comes once the keyboard is connected, so the command's own exchange meets it.
    struct Case {
        std::vector<std::string> args;
        std::function<void(SimKeyboard&)> fault;
        int code;
        std::string line;
        // A request that expects no reply is only seen to fail where the write itself fails:
        // in process, not into a socket's buffer.
        bool overSocket = true;
    };
    const Case cases[] = {
        {{"info"},
         [](SimKeyboard& k) { k.Vanish(); },
         kExitFailed,
         "vorlinctl: reading the keyboard's state failed: command 3 could not be written to the "
         "keyboard (code -1); it may have been unplugged.\n"},
        {{"info"},
         [](SimKeyboard& k) { k.DropReplies(4); },
         kExitFailed,
         "vorlinctl: reading the keyboard's state failed: the keyboard did not answer command 3 "
         "(4 attempts, code 0).\n"},
        {{"info"},
         [](SimKeyboard& k) { k.RefuseCommand(CMD_READ_STATE, 255); },
         kExitRefused,
         "vorlinctl: reading the keyboard's state failed: the keyboard refused command 3 (status "
         "255, code -102).\n"},
        {{"profile", "2"},
         [](SimKeyboard& k) { k.RefuseCommand(CMD_WRITE_STATE, 254); },
         kExitRefused,
         "vorlinctl: switching to profile 2 failed: the keyboard refused command 4 (status 254, "
         "code -103).\n"},
        {{"--yes", "boot"},
         [](SimKeyboard& k) { k.Vanish(); },
         kExitFailed,
         "vorlinctl: the boot-loader request failed: command 238 could not be written to the "
         "keyboard (code -1); it may have been unplugged.\n",
         false},
    };
    for (const Case& c : cases) {
        Fresh();
        socket = c.overSocket;
        CliHooks hooks;
        hooks.beforeCommand = [&](CliSession& s) {
            ASSERT_EQ(s.Connect(), kExitOk);
            c.fault(*s.sim);
        };
        CliRun r = Run(c.args, hooks);
        EXPECT_EQ(r.code, c.code) << c.line;
        EXPECT_TRUE(r.err.ends_with(c.line)) << r.err;
        EXPECT_EQ(r.out, "") << c.line;
    }
    EXPECT_EQ(Keyboard().state[kStateActiveProfile], 0) << "a refused switch leaves the profile";
}

TEST_F(Faults, AFailureWithNoKeyboardOpenSaysSo) {
    std::ostringstream out, err;
    std::istringstream in;
    CliSession s(out, err, in, false);
    s.options.simulate = true;
    s.options.dataFolder = VORLIN_ASSETS_DIR;
    ASSERT_EQ(s.Prepare(), kExitOk);
    uint8_t block[44];
    EXPECT_EQ(ReadState(*s.link, block), kFailed);
    EXPECT_TRUE(s.LinkFailed());
    EXPECT_EQ(s.FailDevice("reading the keyboard's state"), kExitFailed);
    EXPECT_EQ(err.str(),
              "vorlinctl: reading the keyboard's state failed: the keyboard is not "
              "connected.\n");
    s.ClearLinkFailure();
    EXPECT_FALSE(s.LinkFailed());
}

TEST_F(Faults, ASilentKeyboardFailsWithinTheProtocolsTimeOuts) {
    for (const Command& c : Commands()) {
        Fresh();
        const auto start = std::chrono::steady_clock::now();
        CliRun r = RunWith(c.args, [](SimKeyboard& k) { k.DropReplies(1000000); });
        const auto seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start);
        EXPECT_NE(r.code, kExitOk) << c.name;
        EXPECT_NE(r.err.find("did not answer"), std::string::npos) << c.name << ": " << r.err;
        // Connection (factory map and state block) and one exchange of the command, each
        // 4 x 300 ms: a run that went on past its first failure would take many times that.
        EXPECT_LT(seconds.count(), 15.0) << c.name;
        ExpectNoHalfWrittenFiles(c.name);
    }
}

TEST_F(Faults, LostAndLateRepliesWithinTheRetriesStillSucceed) {
    CliRun dropped = RunWith({"assign", "A", "B"}, [](SimKeyboard& k) { k.DropReplies(3); });
    EXPECT_EQ(dropped.code, kExitOk) << dropped.err;
    CliRun late = RunWith({"lighting", "brightness=1"},
                          [](SimKeyboard& k) { k.SetReplyDelay(std::chrono::milliseconds(120)); });
    EXPECT_EQ(late.code, kExitOk) << late.err;
    EXPECT_EQ(Keyboard().lighting[lightfield::kBrightness], 1);
}

TEST_F(Faults, RepliesLaterThanTheTimeOutFailClearly) {
    CliRun r = RunWith({"lighting", "brightness=1"},
                       [](SimKeyboard& k) { k.SetReplyDelay(std::chrono::milliseconds(1500)); });
    EXPECT_NE(r.code, kExitOk);
    EXPECT_NE(r.err.find("did not answer"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace vorlin::test
