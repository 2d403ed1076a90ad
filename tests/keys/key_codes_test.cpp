// Code conversions and key names.
#include "keys/key_codes.h"
#include "skin/key_names.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace vorlin {
namespace {

TEST(KeyIndex, BothDirections) {
    const std::pair<KeyCode, KeyIndex> toIndex[] = {
        {0x145, 197}, {0x45, 69},   {0x200, 256}, {0x208, 264}, {0x1D, 29},
        {0x11D, 157}, {0x100, 128}, {0x17F, 255}, {0x180, 0},   {0x1FF, 127},
        {0x2FF, 511}, {0x300, 0},   {0xFFFF, 0},
    };
    for (auto [code, index] : toIndex) EXPECT_EQ(KeyIndexOf(code), index) << code;
    const std::pair<KeyIndex, KeyCode> toCode[] = {{197, 0x145}, {127, 127}, {128, 0x100}, {0, 0}};
    for (auto [index, code] : toCode) EXPECT_EQ(KeyCodeOf(index), code) << index;
}

TEST(DisplayId, FirstRowWins) {
    EXPECT_EQ(KeyCodeFromDisplayId(0x0067), 0x36);   // row 54, never row 182
    EXPECT_EQ(KeyCodeFromDisplayId(0x0042), 0x146);  // Break
    EXPECT_EQ(KeyCodeFromDisplayId(0x0000), 0x1E);   // A
    EXPECT_EQ(KeyCodeFromDisplayId(0x006E), 0x162);
    EXPECT_EQ(KeyCodeFromDisplayId(0x7777), 0);
    EXPECT_EQ(KeyCodeFromDisplayId(0xFFFF), 0);  // empty rows are no match
    EXPECT_EQ(DisplayIdOf(0x136), 0x0067);
    EXPECT_EQ(DisplayIdOf(0x200), 0xFFFF);  // G keys have no row
}

TEST(Usage, KeyCodeToUsage) {
    struct Case {
        KeyCode code;
        uint16_t page, usage;
    } cases[] = {
        {0x1E, 7, 0x04},  {0x130, 7, 0xC0}, {0x15E, 1, 0x81}, {0x163, 1, 0x83},
        {0x171, 2, 0xF1}, {0x162, 2, 0xF5}, {0x54, 0, 0},     {0x64, 0, 0},
        {0x7C, 0, 0},     {0x174, 7, 0xD2}, {0x200, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(KeyCodeToUsage(c.code), std::make_pair(c.page, c.usage)) << c.code;
    }
}

TEST(Usage, UsageToKeyCode) {
    struct Case {
        uint16_t page, usage;
        KeyCode code;
    } cases[] = {
        {7, 0x04, 0x1E},  {12, 0x00E9, 0x130}, {1, 0x84, 0},        {12, 0, 0},
        {1, 0x81, 0x15E}, {7, 0x48, 0x45},     {7, 0xE5, 0x36},     {7, 0xC0, 0x130},
        {7, 0, 0},        {12, 0x0183, 0x16D}, {12, 0x00B5, 0x119}, {12, 0x1234, 0},
        {9, 0x04, 0},     {7, 0x104, 0},  // keyboard usages are one byte; no aliasing to A
    };
    for (const Case& c : cases) {
        EXPECT_EQ(UsageToKeyCode(c.page, c.usage), c.code) << c.page << ":" << c.usage;
    }
}

TEST(KeyMessages, ScanCodesVksAndCorrections) {
    // lParam carries the scan code in bits 16..23 and the extended flag in bit 24.
    auto lp = [](uint32_t scan, bool extended) { return (scan << 16) | (extended ? 1u << 24 : 0); };
    struct Case {
        uint32_t vk, lParam;
        KeyCode code;
    } cases[] = {
        {0x41, lp(0x1E, false), 0x1E},
        {0x03, lp(0x46, true), 0x45},    // Ctrl+Break
        {0x2C, lp(0x54, false), 0x137},  // Alt+Print Screen
        {0xA1, lp(0x36, true), 0x36},    // extended right Shift
        {0x10, lp(0x00, false), 0x2A},   // synthesised: through the VK table
        {0x2C, lp(0x00, false), 0x137},
        {0x88, lp(0x00, false), 0},      // host-function VK names no
                                         // key
        {0x8B, lp(0x00, false), 0x152},  // listed KeyIndex byte 0xD2
        {0xFF, lp(0x71, false), 0x71},
        {0xFF, lp(0x00, false), 0},
        {0x25, lp(0x4B, true), 0x14B},
        {0x1234, lp(0x00, false), 0},  // out-of-range VK
    };
    for (const Case& c : cases) {
        EXPECT_EQ(KeyCodeFromKeyMessage(c.vk, c.lParam), c.code) << c.vk << "/" << c.lParam;
    }
}

TEST(Modifiers, LowestBitWins) {
    const std::pair<uint8_t, KeyCode> cases[] = {
        {0x00, 0},    {0x01, 0x1D},  {0x02, 0x2A},  {0x04, 0x38}, {0x08, 0x15B}, {0x10, 0x11D},
        {0x20, 0x36}, {0x40, 0x138}, {0x80, 0x15C}, {0x22, 0x2A}, {0xF0, 0x11D},
    };
    for (auto [mask, code] : cases) EXPECT_EQ(ModifierMaskToKeyCode(mask), code) << int(mask);
}

TEST(KeyClasses, UpOnlyAndMedia) {
    for (KeyCode c : {84, 113, 114, 0x137}) EXPECT_TRUE(IsUpOnlyKey(c)) << c;
    for (KeyCode c : {0x54 + 0x100, 0x37, 0x1E}) EXPECT_FALSE(IsUpOnlyKey(c)) << c;
    int media = 0;
    for (int c = 0; c < 0x300; ++c) media += IsMediaKeyCode(static_cast<KeyCode>(c));
    EXPECT_EQ(media, 18);
    EXPECT_TRUE(IsMediaKeyCode(0x16D));
    EXPECT_FALSE(IsMediaKeyCode(0x15E));  // Power is not a multimedia key
}

class KeyNames : public ::testing::Test {
  protected:
    void SetUp() override {
        paths_.exeFolder = dir_.path();
        test::WriteBytes(dir_ / "Lang0409.ini",
                         "[TEXT]\nIDS_KEYBOARD_A=A\nIDS_KEYBOARD_UP=Up ↑\nUNKNOWN_KEY=Key %d\n"
                         "IDS_KEYBOARD_ESC=\nIDS_KEYBOARD_RSHIFT=Right Shift\n");
        test::WriteBytes(dir_ / "Lang0416.ini",
                         "[TEXT]\nIDS_KEYBOARD_A=A\nUNKNOWN_KEY=%s%n %x Tecla %d\n");
    }
    test::TempFolder dir_;
    AppPaths paths_;
    LanguageCache texts_{paths_};
};

TEST_F(KeyNames, NamesAndTheUnknownKeyText) {
    EXPECT_EQ(KeyName(texts_, 0, 0x1E), "A");
    EXPECT_EQ(KeyName(texts_, 0, 0x148), "Up ↑");
    EXPECT_EQ(KeyName(texts_, 0, 100), "Key 100");            // F13 has no name key
    EXPECT_EQ(KeyName(texts_, 0, 0x55), "Key 85");            // empty row
    EXPECT_EQ(KeyName(texts_, 0, 0x01), "Key 1");             // empty text counts as none
    EXPECT_EQ(KeyName(texts_, 0, 0x200), "Key 512");          // G1 has no row
    EXPECT_EQ(KeyName(texts_, 0, 0x20), "#Error");            // name key missing from the file
    EXPECT_EQ(KeyName(texts_, 1, 100), "%s%n %x Tecla 100");  // a hostile text stays text
    EXPECT_EQ(KeyNameOfDisplayId(texts_, 0, 0x0067), "Right Shift");
    EXPECT_EQ(KeyNameOfDisplayId(texts_, 0, 0x802D), "");  // F13: no name key
    EXPECT_EQ(KeyNameOfDisplayId(texts_, 0, 0x7777), "");
}

TEST_F(KeyNames, BufferIsCutWithItsTerminator) {
    char16_t buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    EXPECT_EQ(KeyNameOf(texts_, 0, 100, buffer, 8), 7u);
    EXPECT_EQ(std::u16string(buffer), u"Key 100");
    EXPECT_EQ(KeyNameOf(texts_, 0, 100, buffer, 4), 3u);
    EXPECT_EQ(std::u16string(buffer), u"Key");
    EXPECT_EQ(buffer[4], u'1');  // nothing written past the terminator
    EXPECT_EQ(KeyNameOf(texts_, 0, 100, buffer, 1), 0u);
    EXPECT_EQ(buffer[0], u'\0');
    EXPECT_EQ(KeyNameOf(texts_, 0, 100, buffer, 0), 0u);
}

}  // namespace
}  // namespace vorlin
