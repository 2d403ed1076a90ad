// vorlinctl's colours and user-mode commands against the simulated keyboard: the key-colour
// pages it holds and the user-colour files beside the backing files.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "cli/cli_fixture.h"
#include "store/lighting_keys.h"
#include "store/user_colour_file.h"

namespace vorlin::test {
namespace {

class CliColours : public CliFixture {
  protected:
    std::filesystem::path ColourFile(int profile) const {
        return UserFolder() / ("UserDengColor_" + std::to_string(profile) + ".userd");
    }
    // The keyboard's colour of a light in a profile's page.
    Rgb PageColour(int profile, int position) const {
        const SimMemory m = Keyboard();
        const uint8_t* p = &m.keyColours[profile * kSimKeyColourPage + position * 3];
        return MakeRgb(p[0], p[1], p[2]);
    }
    KeyColourEntry FileEntry(int profile, int position) const {
        const std::filesystem::path file = ColourFile(profile);
        return ReadKeyColour(file, ReadPresentMode(file), position);
    }
    void Must(const std::vector<std::string>& args) {
        CliRun r = Run(args);
        ASSERT_EQ(r.code, kExitOk) << args[0] << ": " << r.err;
    }
};

constexpr int kEsc = 0, kF12 = 12, kW = 44, kG = 125;

TEST_F(CliColours, PaintingWritesThePageAndTheFileAsTheLightingViewDoes) {
    // Key colour by key colour; the shipped layout of user mode 0 has no key following its white
    // base colour.
    Must({"colours", "Esc=#00FF00", "w=#0000ff"});
    for (auto [position, colour] :
         {std::pair{kEsc, MakeRgb(0, 255, 0)}, {kW, MakeRgb(0, 0, 255)}}) {
        EXPECT_EQ(PageColour(0, position), colour);
        EXPECT_EQ(FileEntry(0, position).colour, colour);
        EXPECT_FALSE(FileEntry(0, position).baseFlag);
    }
    UserModeSettings settings = ReadUserModeSettings(ColourFile(0), 0);
    EXPECT_EQ(settings.tool, kToolFreeColour);
    EXPECT_EQ(settings.userColour, MakeRgb(0, 0, 255)) << "the last colour picked";

    Must({"colours", "G1=base"});
    EXPECT_EQ(PageColour(0, kG), MakeRgb(255, 255, 255));
    EXPECT_TRUE(FileEntry(0, kG).baseFlag);
    EXPECT_EQ(ReadUserModeSettings(ColourFile(0), 0).tool, kToolBaseColour);

    // A new base colour moves exactly the keys that follow it.
    const KeyColourEntry f1 = FileEntry(0, 1);
    CliRun base = Run({"colours", "--base", "#102030"});
    ASSERT_EQ(base.code, kExitOk) << base.err;
    // G1..G9 share one light, so all nine follow it now.
    EXPECT_NE(base.out.find("keys following it: 9"), std::string::npos) << base.out;
    EXPECT_EQ(PageColour(0, kG), MakeRgb(0x10, 0x20, 0x30));
    EXPECT_EQ(FileEntry(0, kG).colour, MakeRgb(0x10, 0x20, 0x30));
    EXPECT_EQ(PageColour(0, kEsc), MakeRgb(0, 255, 0));
    // The whole page went to the keyboard: F1 shows its own colour of the layout.
    EXPECT_EQ(PageColour(0, 1), f1.colour);
    EXPECT_EQ(FileEntry(0, 1).colour, f1.colour);
    EXPECT_EQ(ReadUserModeSettings(ColourFile(0), 0).baseColour, MakeRgb(0x10, 0x20, 0x30));
    // The same colour again writes nothing.
    const SimMemory before = Keyboard();
    CliRun same = Run({"colours", "--base", "#102030"});
    EXPECT_NE(same.out.find("already; nothing written"), std::string::npos) << same.out;
    EXPECT_TRUE(Keyboard() == before);

    // Another profile's page and file; profile 0 stays.
    Must({"colours", "--profile", "2", "F12=#0A0B0C"});
    EXPECT_EQ(PageColour(2, kF12), MakeRgb(10, 11, 12));
    EXPECT_EQ(FileEntry(2, kF12).colour, MakeRgb(10, 11, 12));
    EXPECT_NE(FileEntry(0, kF12).colour, MakeRgb(10, 11, 12));

    Must({"colours", "--all", "#445566"});
    for (const LightKey& k : LightKeys()) {
        EXPECT_EQ(PageColour(0, k.lightPosition), MakeRgb(0x44, 0x55, 0x66)) << k.lightPosition;
        EXPECT_EQ(FileEntry(0, k.lightPosition).colour, MakeRgb(0x44, 0x55, 0x66));
        EXPECT_FALSE(FileEntry(0, k.lightPosition).baseFlag);
    }

    CliRun show = Run({"colours", "show", "--json"});
    ASSERT_EQ(show.code, kExitOk) << show.err;
    nlohmann::json j = nlohmann::json::parse(show.out);
    EXPECT_EQ(j["userModeName"], "Rainbow");
    EXPECT_EQ(j["tool"], "free");
    EXPECT_EQ(j["baseColour"], "#102030");
    ASSERT_EQ(j["keys"].size(), static_cast<size_t>(kLightKeyCount));
    EXPECT_EQ(j["keys"][0], nlohmann::json::parse(
                                R"({"key":"Esc","position":0,"colour":"#445566","base":false})"));
}

TEST_F(CliColours, SelectingAUserModeSendsItsLayoutAndRenamingKeepsTheRest) {
    CliRun select = Run({"user-mode", "select", "3"});
    ASSERT_EQ(select.code, kExitOk) << select.err;
    EXPECT_NE(select.out.find("* 3  Gaming"), std::string::npos) << select.out;
    EXPECT_EQ(ReadPresentMode(ColourFile(0)), 3);
    for (const LightKey& k : LightKeys())
        EXPECT_EQ(PageColour(0, k.lightPosition),
                  ReadKeyColour(ColourFile(0), 3, k.lightPosition).colour)
            << k.lightPosition;

    Must({"user-mode", "rename", "4", "Night", "Sky"});
    Must({"user-mode", "--profile", "1", "rename", "0", "Mine"});
    EXPECT_EQ(ReadUserModeName(ColourFile(0), 4), "Night Sky");
    EXPECT_EQ(ReadPresentMode(ColourFile(0)), 3) << "renaming selects nothing";
    EXPECT_EQ(ReadUserModeName(ColourFile(1), 0), "Mine");
    EXPECT_EQ(ReadUserModeName(ColourFile(0), 0), "Rainbow");

    CliRun show = Run({"user-mode", "--json"});
    nlohmann::json j = nlohmann::json::parse(show.out);
    EXPECT_EQ(j["userMode"], 3);
    EXPECT_EQ(j["names"][4], "Night Sky");
}

TEST_F(CliColours, AColourFileThatCannotBeWrittenIsReported) {
    Must({"colours", "show"});  // makes the user folder with its colour files
    std::filesystem::remove(ColourFile(0));
    std::filesystem::create_directory(ColourFile(0));
    for (const std::vector<std::string>& args : {std::vector<std::string>{"colours", "Esc=#123456"},
                                                 {"user-mode", "select", "2"},
                                                 {"user-mode", "rename", "1", "X"}}) {
        CliRun r = Run(args);
        EXPECT_EQ(r.code, kExitFailed) << args[0];
        EXPECT_NE(r.err.find("UserDengColor_0.userd could not be written"), std::string::npos)
            << r.err;
    }
}

TEST_F(CliColours, AKeyboardWithoutUserColoursIsRefused) {
    model = "0c45:5004";
    for (const std::vector<std::string>& args : {std::vector<std::string>{"colours", "show"},
                                                 {"colours", "Esc=#FFFFFF"},
                                                 {"user-mode", "select", "1"}}) {
        CliRun r = Run(args);
        EXPECT_EQ(r.code, kExitFailed) << args[0];
        EXPECT_NE(r.err.find("this keyboard offers no user colours"), std::string::npos) << r.err;
        EXPECT_TRUE(Keyboard() == FactoryMemory(SimModel::k0C45_5004));
    }
}

}  // namespace
}  // namespace vorlin::test
