#include "app/app_arguments.h"

#include <gtest/gtest.h>

#include <vector>

namespace vorlin {
namespace {

AppArguments Parse(std::vector<std::string_view> args) {
    return ParseAppArguments(args);
}

TEST(AppArgumentsTest, StartAndKillInAnyCaseAndSpelling) {
    struct Case {
        std::vector<std::string_view> args;
        bool start, kill;
    };
    const Case cases[] = {
        {{"/Start"}, true, false},    {{"/START"}, true, false}, {{"--start"}, true, false},
        {{"/kill"}, false, true},     {{"--KILL"}, false, true}, {{"/Start", "/Kill"}, true, true},
        {{"/Starter"}, false, false}, {{}, false, false},
    };
    for (const Case& c : cases) {
        const AppArguments a = Parse(c.args);
        EXPECT_EQ(a.start, c.start) << (c.args.empty() ? "" : c.args[0]);
        EXPECT_EQ(a.kill, c.kill) << (c.args.empty() ? "" : c.args[0]);
    }
}

TEST(AppArgumentsTest, SimulatedKeyboardAsVorlinctlTakesIt) {
    AppArguments a = Parse({"--simulate", "--sim-state", "/tmp/k.state"});
    EXPECT_TRUE(a.simulate);
    EXPECT_EQ(a.simulateModel, "");
    ASSERT_TRUE(a.simState);
    EXPECT_EQ(*a.simState, "/tmp/k.state");

    a = Parse({"--simulate=0c45:5004", "--sim-state=s"});
    EXPECT_TRUE(a.simulate);
    EXPECT_EQ(a.simulateModel, "0c45:5004");
    EXPECT_EQ(a.simState.value_or(""), "s");
    EXPECT_TRUE(a.unknown.empty());
}

TEST(AppArgumentsTest, UnknownArgumentsAreKeptInOrderAndIgnored) {
    const AppArguments a = Parse({"-session", "/Start", "--simulatex", "--sim-state"});
    EXPECT_TRUE(a.start);
    EXPECT_FALSE(a.simulate);
    // "--sim-state" without its file is no option either.
    EXPECT_EQ(a.unknown, (std::vector<std::string>{"-session", "--simulatex", "--sim-state"}));
    EXPECT_FALSE(a.simState.has_value());
}

}  // namespace
}  // namespace vorlin
