// Linux input event codes to KeyCodes.
#include <gtest/gtest.h>

#include <set>

#include "keys/key_codes.h"
#include "keys/key_table.h"

namespace vorlin {
namespace {

TEST(InputCodes, TableOfCases) {
    const std::pair<uint32_t, KeyCode> cases[] = {
        {1, 0x01},                                              // Esc
        {30, 0x1E},                                             // A
        {29, 0x1D},                                             // left Ctrl
        {42, 0x2A},   {54, 0x36},   {56, 0x38},   {69, 0x145},  // Num Lock
        {119, 0x45},                                            // Pause
        {99, 0x137},                                            // Print Screen (KEY_SYSRQ)
        {70, 0x46},                                             // Scroll Lock
        {96, 0x11C},                                            // keypad Enter
        {98, 0x135},                                            // keypad /
        {55, 0x37},                                             // keypad *
        {97, 0x11D},  {100, 0x138}, {125, 0x15B}, {126, 0x15C}, {127, 0x15D},
        {102, 0x147}, {103, 0x148}, {104, 0x149}, {105, 0x14B}, {106, 0x14D},
        {107, 0x14F}, {108, 0x150}, {109, 0x151}, {110, 0x152}, {111, 0x153},
        {87, 0x57},   {88, 0x58},   {86, 0x56},  // F11, F12, the ISO key
        {89, 0x73},   {92, 0x79},   {93, 0x70},   {94, 0x7B},   {121, 0x7E},
        {124, 0x7D},  {122, 0x72},  {123, 0x71},  {183, 0x64},  // F13
        {113, 0x120}, {114, 0x12E}, {115, 0x130}, {164, 0x122}, {226, 0x16D},
        {171, 0x16D}, {116, 0x15E}, {142, 0x15F}, {143, 0x163}, {0, 0},
        {84, 0},      {85, 0},      {240, 0},     {0x10000, 0},
    };
    for (auto [input, code] : cases) EXPECT_EQ(KeyCodeFromInputCode(input), code) << input;
}

// Every key of the table that a PC keyboard sends is reachable from some input code.
TEST(InputCodes, CoverEveryKeyboardKey) {
    std::set<KeyCode> reachable;
    for (uint32_t input = 0; input < 768; ++input) reachable.insert(KeyCodeFromInputCode(input));
    const std::set<KeyCode> notFromAKeyboard = {
        0x54,   // SysReq: Linux reports Alt+Print Screen as Print Screen
        0x146,  // Break: Ctrl+Pause arrives as Pause
        0x136,  // second right Shift row
    };
    for (int i = 1; i < kKeyTableRows; ++i) {
        const KeyRow& row = KeyTable()[i];
        if (row.displayId == 0xFFFF) continue;
        const KeyCode code = KeyCodeOf(static_cast<KeyIndex>(i));
        // The wheel, mouse buttons and host functions are not keys (0x161, 0x162, 0x16E..0x17E).
        const bool mouseOrHost = code == 0x161 || code == 0x162 || (code >= 0x16E && code <= 0x17E);
        if (mouseOrHost || notFromAKeyboard.count(code)) continue;
        EXPECT_TRUE(reachable.count(code)) << row.label << " " << code;
    }
}

}  // namespace
}  // namespace vorlin
