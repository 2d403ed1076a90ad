// The key table and its companion tables, checked against the documented rows and examples.
#include "keys/key_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "keys/key_codes.h"

namespace vorlin {
namespace {

TEST(KeyTable, HasTheListedRowsOnly) {
    int listed = 0;
    std::set<uint16_t> selectionIds;
    for (int i = 0; i < kKeyTableRows; ++i) {
        const KeyRow& row = KeyTable()[i];
        if (row.displayId == 0xFFFF) {
            EXPECT_EQ(row.vk, 0) << i;
            EXPECT_EQ(row.deviceUsage, 0) << i;
            EXPECT_STREQ(row.nameKey, "") << i;
            continue;
        }
        ++listed;
        if (row.displayId < kKeySelectionCount) selectionIds.insert(row.displayId);
    }
    EXPECT_EQ(listed, 157);
    EXPECT_EQ(selectionIds.size(), static_cast<size_t>(kKeySelectionCount));
    EXPECT_EQ(KeyTable()[0].displayId, 0xFFFF);
    EXPECT_EQ(KeyRowAt(300).displayId, 0xFFFF);  // beyond the table: the empty row
}

struct RowCase {
    int index;
    const char* nameKey;
    const char* label;
    const char* altLabel;
    uint8_t kind, vk, usage;
    uint16_t displayId;
    uint8_t charCode;
};

TEST(KeyTable, RowsMatchTheirDescription) {
    const RowCase cases[] = {
        {1, "IDS_KEYBOARD_ESC", "Esc", "", 0, 0x1B, 0x29, 0x0025, 0x1B},
        {40, "IDS_KEYBOARD_QUOT", "'", "\"", 2, 0xDE, 0x34, 0x002F, 0x27},
        {43, "IDS_KEYBOARD_AV", "\\", "|", 2, 0xDC, 0x31, 0x002D, 0x5C},
        {76, "IDS_KEYBOARD_S_5", "Num 5", "Num 5", 3, 0x65, 0x5D, 0x0059, 0xD5},
        {100, "", "F13", "", 0, 0x7C, 0x00, 0x802D, 0xC3},
        {153, "MEDIA_Next_TRACK_5", "Next Track", "", 0, 0xB0, 0xD1, 0x8022, 0xB1},
        {182, "IDS_KEYBOARD_RSHIFT", "Right Shift", "", 0, 0xA1, 0xE5, 0x0067, 0xE1},
        {200, "IDS_KEYBOARD_UP", "↑", "", 0, 0x26, 0x52, 0x0049, 0x9C},
        {225, "IDS_KEYBOARD_ROLL_UP", "Roll Up", "", 0, 0xD1, 0xF4, 0x006D, 0xF3},
        {254, "IDS_KEYBOARD_FUNC_CALENDAR", "Calendar", "", 0, 0x9F, 0x00, 0x8011, 0xF2},
    };
    for (const RowCase& c : cases) {
        const KeyRow& row = KeyTable()[c.index];
        EXPECT_STREQ(row.nameKey, c.nameKey) << c.index;
        EXPECT_STREQ(row.label, c.label) << c.index;
        EXPECT_STREQ(row.altLabel, c.altLabel) << c.index;
        EXPECT_EQ(row.labelKind, c.kind) << c.index;
        EXPECT_EQ(row.vk, c.vk) << c.index;
        EXPECT_EQ(row.deviceUsage, c.usage) << c.index;
        EXPECT_EQ(row.displayId, c.displayId) << c.index;
        EXPECT_EQ(row.charCode, c.charCode) << c.index;
    }
}

TEST(KeyTable, SelectionOrderStartsWithLettersAndEndsWithTheWheel) {
    const char* const first[] = {"A", "B", "C", "D", "E", "F", "G",     "H",  "I", "J",
                                 "K", "L", "M", "N", "O", "P", "Q",     "R",  "S", "T",
                                 "U", "V", "W", "X", "Y", "Z", "1",     "2",  "3", "4",
                                 "5", "6", "7", "8", "9", "0", "Enter", "Esc"};
    for (uint16_t id = 0; id < std::size(first); ++id) {
        EXPECT_STREQ(KeyRowAt(KeyIndexOf(KeyCodeFromDisplayId(id))).label, first[id]) << id;
    }
    EXPECT_STREQ(KeyRowAt(KeyIndexOf(KeyCodeFromDisplayId(109))).label, "Roll Up");
    EXPECT_STREQ(KeyRowAt(KeyIndexOf(KeyCodeFromDisplayId(110))).label, "Roll Down");
}

struct VkCase {
    uint8_t vk;
    uint8_t keyIndex;
    uint8_t charCode;
};

TEST(VkTable, FirstRowOfEachVkWithTheExceptions) {
    const VkCase cases[] = {
        {0x41, 30, 0x61},  // A
        {0x0D, 28, 0x0D},  // Enter, not Num Enter
        {0xA1, 54, 0xE1},  // right Shift: row 54 before row 182
        {0x01, 0, 0x01},    {0x02, 0, 0x02},    {0x04, 0, 0x04},    {0x10, 42, 0x91},
        {0x11, 29, 0x92},   {0x12, 56, 0x93},   {0x2C, 183, 0xA0},  // Print Screen, not SysReq
        {0x88, 0, 0xE5},    {0x9B, 0, 0xEE},    {0x9F, 0, 0xF2},    {0x8B, 0xD2, 0xE8},
        {0x8C, 0xD3, 0xE9}, {0x9C, 0xD4, 0xEF}, {0x9D, 0xD5, 0xF0},  // their own KeyIndex bytes
        {0xFF, 0, 0},       {0x07, 0, 0},
    };
    for (const VkCase& c : cases) {
        EXPECT_EQ(VkTable()[c.vk].keyIndex, c.keyIndex) << int(c.vk);
        EXPECT_EQ(VkTable()[c.vk].charCode, c.charCode) << int(c.vk);
    }
}

TEST(MediaAndConsumerTables, AgreeWithTheKeyRows) {
    EXPECT_EQ(ConsumerCodeTable()[0], 0x00E9);
    EXPECT_EQ(ConsumerCodeTable()[17], 0x00B5);
    for (int j = 18; j < 32; ++j) EXPECT_EQ(ConsumerCodeTable()[j], 0) << j;
    for (int j = 0; j < kMediaCount; ++j) {
        const MediaEntry& e = MediaList()[j];
        const KeyRow& row = KeyRowAt(KeyIndexOf(e.code));
        const std::string name = row.nameKey;
        const std::string suffix = "_" + std::to_string(j + 1);
        EXPECT_EQ(name.substr(name.size() - suffix.size()), suffix) << j;
        // The row's consumer slot holds the usage the list sends.
        ASSERT_GE(row.deviceUsage, 0xC0) << j;
        EXPECT_EQ(ConsumerCodeTable()[row.deviceUsage - 0xC0], e.consumerUsage) << j;
    }
    EXPECT_STREQ(FunctionNameKey(0), "FUNC_KEY_DESC1");
    EXPECT_STREQ(FunctionNameKey(10), "FUNC_KEY_DESC11");
    EXPECT_STREQ(FunctionNameKey(11), "");
    EXPECT_EQ(MouseList()[3].code, 0x161);
}

}  // namespace
}  // namespace vorlin
