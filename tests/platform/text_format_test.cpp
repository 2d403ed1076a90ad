// Texts from data files used as formats: only the expected placeholder is filled.
#include "platform/text_format.h"

#include <gtest/gtest.h>

namespace vorlin {
namespace {

struct IntCase {
    const char* format;
    int64_t value;
    const char* expected;
};

TEST(FormatText, IntegerPlaceholder) {
    const IntCase cases[] = {
        {"Key %d", 100, "Key 100"},
        {"Tecla %d", -5, "Tecla -5"},
        {"%02d", 7, "07"},
        {"%-4d|", 7, "7   |"},
        {"%+d", 7, "+7"},
        {"%ld and %d", 3, "3 and %d"},  // one argument fills one placeholder
        {"100%% sure: %d", 1, "100% sure: 1"},
        {"no placeholder", 5, "no placeholder"},
        {"%i/%u", 40000, "40000/%u"},
    };
    for (const IntCase& c : cases) EXPECT_EQ(FormatInt(c.format, c.value), c.expected) << c.format;
}

TEST(FormatText, HostileFormatsAreShownLiterally) {
    const IntCase cases[] = {
        {"%s%s%n", 100, "%s%s%n"},
        {"%999999999d", 100, "%999999999d"},
        {"%100d", 1, "%100d"},
        {"%n%d", 3, "%n3"},
        {"%x %p %f %c %*d", 3, "%x %p %f %c %*d"},
        {"%.5d", 3, "%.5d"},
        {"%1$d", 3, "%1$d"},
        {"trailing %", 3, "trailing %"},
        {"%l", 3, "%l"},
        {"%ll", 3, "%ll"},
        {"%wd", 3, "%wd"},
        {"%s then %d", 9, "%s then 9"},  // the text placeholder has no argument
    };
    for (const IntCase& c : cases) EXPECT_EQ(FormatInt(c.format, c.value), c.expected) << c.format;

    // A long run of placeholders stays linear and bounded.
    const std::string many(100000, '%');
    EXPECT_EQ(FormatInt(many, 1).size(), 50000u);
}

TEST(FormatText, TextPlaceholder) {
    EXPECT_EQ(FormatString("Bad profile file: %s", "/home/u/a%d%n.fwc"),
              "Bad profile file: /home/u/a%d%n.fwc");  // the argument is never parsed
    EXPECT_EQ(FormatString("%ls|%S|%ws", "x"), "x|%S|%ws");
    EXPECT_EQ(FormatString("%d %s", "x"), "%d x");
    EXPECT_EQ(FormatString("[%5s]", "ab"), "[   ab]");
    EXPECT_EQ(FormatText("%s%d", {"Macro ", 12}), "Macro 12");
    EXPECT_EQ(FormatText("%s%d", {"%d%s", 12}), "%d%s12");
}

}  // namespace
}  // namespace vorlin

namespace vorlin {
namespace {

// A prompt's one argument arrives as text; a number must still fill "%d".
TEST(FormatPromptText, NumbersFillIntegerPlaceholdersAndTextFillsTextOnes) {
    const struct {
        const char* format;
        const char* argument;
        const char* expected;
    } cases[] = {
        {"at most %d macros", "100", "at most 100 macros"},
        {"delay up to %d ms", "40000", "delay up to 40000 ms"},
        {"saved to %s", "/tmp/a.fwc", "saved to /tmp/a.fwc"},
        {"file %s", "123", "file 123"},  // a number the text takes as text
        {"at most %d", "12x", "at most %d"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatPromptText(c.format, c.argument), c.expected) << c.format;
}

}  // namespace
}  // namespace vorlin
