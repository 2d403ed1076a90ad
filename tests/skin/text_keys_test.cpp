// Every named language key is in a list the language files are checked against, so a key named
// for a new call site cannot miss its text unnoticed.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "skin/text_keys.h"

namespace vorlin {
namespace {

bool Lists(std::span<const std::string_view> list, const std::string& key) {
    return std::find(list.begin(), list.end(), key) != list.end();
}

TEST(TextKeys, EveryNamedKeyIsListedForItsSection) {
    std::ifstream in(std::filesystem::path(VORLIN_SOURCE_DIR) / "src/platform/text_key_names.h");
    ASSERT_TRUE(in);
    std::stringstream source;
    source << in.rdbuf();
    const std::string text = source.str();

    const std::regex named(R"re(constexpr char (kText|kLight)\w*\[\] = "([^"]+)";)re");
    size_t windowKeys = 0, lightKeys = 0;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), named);
         it != std::sregex_iterator(); ++it) {
        const std::string key = (*it)[2];
        if ((*it)[1] == "kText") {
            ++windowKeys;
            EXPECT_TRUE(Lists(WindowTextKeys(), key)) << key;
        } else {
            ++lightKeys;
            EXPECT_TRUE(Lists(LightTextKeys(), key)) << key;
        }
    }
    // And the lists hold nothing but the named keys, each once.
    EXPECT_EQ(windowKeys, WindowTextKeys().size());
    EXPECT_EQ(lightKeys, LightTextKeys().size());
    EXPECT_EQ(kTextMacroNewPrefix, std::string_view("MACRO_NEW_PREFIX"));
}

}  // namespace
}  // namespace vorlin
