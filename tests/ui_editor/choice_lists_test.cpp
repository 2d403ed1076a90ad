// The texts the editor's lists show, and finding an on-screen keyboard.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <string>

#include "editor_fixture.h"
#include "ui/composite_osk.h"

namespace vorlin {
namespace {

using ChoiceListsTest = test::EditorFixture;

TEST_F(ChoiceListsTest, ListsInTheirOrder) {
    const std::vector<std::string> keys = KeyCellChoices(sim.texts, 0);
    ASSERT_EQ(keys.size(), 111u);
    EXPECT_EQ(keys[0], "A");
    EXPECT_EQ(keys[25], "Z");
    EXPECT_EQ(keys[110], "Wheel Down");
    for (const std::string& k : keys) EXPECT_FALSE(k.empty() || k == "#Error") << k;

    const auto mice = MouseChoiceNames(sim.texts, 0);
    ASSERT_EQ(mice.size(), 5u);
    EXPECT_EQ(mice[0], "Left Button");
    EXPECT_EQ(mice[4], "Wheel Down");
    EXPECT_EQ(MediaChoiceNames(sim.texts, 0).size(), 18u);
    const auto functions = FunctionChoiceNames(sim.texts, 0);
    ASSERT_EQ(functions.size(), 11u);
    for (const std::string& f : functions) EXPECT_NE(f, "#Error");

    const ActionRow row{{120, 0x1E, 1}, true};
    const ActionRowTexts texts = RowTexts(sim.texts, 0, row);
    EXPECT_EQ(texts.key, "A");
    EXPECT_EQ(texts.state, "  \u2191");
    EXPECT_EQ(texts.delay, "120");
}

TEST_F(ChoiceListsTest, OnScreenKeyboardFromThePath) {
    const auto bin = sim.dir / "bin";
    const auto other = sim.dir / "other";
    std::filesystem::create_directories(bin);
    std::filesystem::create_directories(other);
    const auto make = [](const std::filesystem::path& p, bool executable) {
        std::ofstream(p) << "#!/bin/sh\n";
        ::chmod(p.c_str(), executable ? 0755 : 0644);
    };
    const std::string path = bin.string() + "::relative:" + other.string();
    EXPECT_FALSE(FindOnScreenKeyboard(path));
    make(other / "florence", false);
    EXPECT_FALSE(FindOnScreenKeyboard(path)) << "not executable";
    make(other / "florence", true);
    EXPECT_EQ(FindOnScreenKeyboard(path), other / "florence");
    make(bin / "onboard", true);
    EXPECT_EQ(FindOnScreenKeyboard(path), bin / "onboard") << "onboard is preferred";
    EXPECT_FALSE(FindOnScreenKeyboard(""));
}

}  // namespace
}  // namespace vorlin
