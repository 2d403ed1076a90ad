// UTF-8 / UTF-16 conversion and the fixed-size UTF-16 fields of the binary formats.
#include "platform/utf.h"

#include <gtest/gtest.h>

#include <vector>

namespace vorlin {
namespace {

TEST(Utf, RoundTripsEveryPlane) {
    const std::string text = "A é ↑ 激活 \xF0\x9F\x98\x80";
    const std::u16string wide = Utf8ToUtf16(text);
    EXPECT_EQ(wide, u"A é ↑ 激活 \U0001F600");
    EXPECT_EQ(Utf16ToUtf8(wide), text);
    EXPECT_TRUE(IsValidUtf8(text));
}

TEST(Utf, MalformedInputBecomesReplacement) {
    struct Case {
        std::string in;
        std::u16string out;
    } cases[] = {
        {"a\xFF"
         "b",
         u"a\uFFFDb"},
        {"\xC0\xAF", u"\uFFFD"},      // overlong '/'
        {"\xED\xA0\x80", u"\uFFFD"},  // encoded surrogate
        {"\xE2\x86", u"\uFFFD"},      // cut at the end
        {"\xE2\x86"
         "x",
         u"\uFFFDx"},                     // cut in the middle, next character kept
        {"\xF4\x90\x80\x80", u"\uFFFD"},  // above U+10FFFF
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf8ToUtf16(c.in), c.out);
        EXPECT_FALSE(IsValidUtf8(c.in));
    }
    EXPECT_EQ(Utf16ToUtf8(u"x\xD800y\xDC00"), "x\xEF\xBF\xBDy\xEF\xBF\xBD");
    EXPECT_TRUE(IsValidUtf8("\xEF\xBF\xBD"));
}

TEST(Utf, FieldsAreBoundedAndZeroTerminated) {
    std::vector<uint8_t> field(10, 0xAA);  // 5 units
    EXPECT_EQ(WriteUtf16LeField(u"abcdefg", field.data(), 5), 4u);
    EXPECT_EQ(field, (std::vector<uint8_t>{'a', 0, 'b', 0, 'c', 0, 'd', 0, 0, 0}));
    EXPECT_EQ(ReadUtf16LeField(field.data(), 5), u"abcd");

    // A surrogate pair that would straddle the end is left out whole.
    std::fill(field.begin(), field.end(), 0xAA);
    EXPECT_EQ(WriteUtf16LeField(u"abc\U0001F600", field.data(), 5), 3u);
    EXPECT_EQ(ReadUtf16LeField(field.data(), 5), u"abc");

    // A field without a terminator reads to its end and no further.
    const uint8_t full[4] = {'x', 0, 'y', 0};
    EXPECT_EQ(ReadUtf16LeField(full, 2), u"xy");
    EXPECT_EQ(WriteUtf16LeField(u"abc", field.data(), 0), 0u);

    EXPECT_EQ(CutUtf8ToUtf16Units("ab\xF0\x9F\x98\x80", 3), "ab");
    EXPECT_EQ(CutUtf8ToUtf16Units("ab\xF0\x9F\x98\x80", 4), "ab\xF0\x9F\x98\x80");
}

}  // namespace
}  // namespace vorlin
