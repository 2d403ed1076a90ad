// UTF-8 / UTF-16 conversion and the fixed-size UTF-16 fields of the binary formats.
#include "platform/utf.h"

#include <gtest/gtest.h>

#include <optional>
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

TEST(Utf, Cp1252ConvertsAsWindowsDoes) {
    // 0x80..0x9F by the code page's table; the five undefined bytes become C1 controls.
    const char32_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
    };
    for (int b = 0; b < 256; ++b) {
        const char32_t want = b >= 0x80 && b < 0xA0 ? high[b - 0x80] : char32_t(b);
        const std::string one(1, static_cast<char>(b));
        const std::u16string wide = Utf8ToUtf16(Cp1252ToUtf8(one));
        ASSERT_EQ(wide.size(), 1u) << b;
        EXPECT_EQ(wide[0], want) << "byte " << b;
        EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(one)), one) << "byte " << b;  // every byte returns
    }
    EXPECT_EQ(Cp1252ToUtf8("Ol\xE1 \x80 \x96"), "Olá € –");

    struct Case {
        std::string utf8;
        std::optional<std::string> cp1252;
    } cases[] = {
        {"Configuração", std::string("Configura\xE7\xE3o")},
        {"œ Ÿ ™", std::string("\x9C \x9F \x99")},
        {"\xC2\x81", std::string("\x81")},  // an undefined byte's control comes back
        {"\xC2\x80", std::nullopt},         // U+0080: 0x80 is the euro sign
        {"↑", std::nullopt},
        {"激活", std::nullopt},
        {"a\xFF", std::nullopt},  // malformed UTF-8
    };
    for (const Case& c : cases) EXPECT_EQ(Utf8ToCp1252(c.utf8), c.cp1252) << c.utf8;
}

}  // namespace
}  // namespace vorlin
