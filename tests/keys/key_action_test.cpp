// KeyAction layout and the translation to and from device key records.
#include "keys/key_action.h"

#include <gtest/gtest.h>

#include <vector>

#include "keys/factory_key_map.h"
#include "keys/key_codes.h"
#include "keys/key_table.h"

namespace vorlin {
namespace {

TEST(KeyActionLayout, SixteenBytesLittleEndian) {
    const KeyAction action{0x0102, 0x0304, 0x05060708, 0x090A0B0C, 0x0D0E0F10};
    uint8_t bytes[16];
    WriteKeyAction(action, bytes);
    const uint8_t expected[16] = {0x02, 0x01, 0x04, 0x03, 0x08, 0x07, 0x06, 0x05,
                                  0x0C, 0x0B, 0x0A, 0x09, 0x10, 0x0F, 0x0E, 0x0D};
    EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 16),
              std::vector<uint8_t>(expected, expected + 16));
    const KeyAction back = ReadKeyAction(bytes);
    EXPECT_EQ(back.type, action.type);
    EXPECT_EQ(back.extra, action.extra);
    EXPECT_EQ(back.value, action.value);
    EXPECT_EQ(back.switchFlag, action.switchFlag);
    EXPECT_EQ(back.reserved, action.reserved);
}

TEST(DeviceRecord, Decode) {
    struct Case {
        DeviceKeyRecord record;
        KeyCode code;
    } cases[] = {
        {{1, 1, 1}, 0x171},       {{1, 1, 2}, 0x172},       {{1, 1, 4}, 0x173},
        {{1, 1, 3}, 0},           {{1, 5, 1}, 0x161},       {{1, 5, 0xFF}, 0x162},
        {{1, 5, 2}, 0},           {{1, 2, 1}, 0},           {{2, 2, 0x04}, 0x1E},
        {{2, 1, 0x02}, 0x2A},     {{2, 0, 0x22}, 0x2A},     {{2, 2, 0}, 0},
        {{3, 0xE9, 0x00}, 0x130}, {{3, 0xB6, 0x00}, 0x110}, {{3, 0x00, 0x01}, 0},
        {{4, 0x82, 0x00}, 0x15F}, {{4, 0x84, 0x00}, 0},     {{6, 0xA2, 1}, 0x200},
        {{6, 0xA2, 3}, 0x202},    {{6, 0xA1, 3}, 0},        {{5, 0, 0}, 0},
        {{5, 2, 2}, 0},           {{0, 0, 0}, 0},           {{9, 2, 4}, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecodeDeviceRecord(c.record), c.code)
            << int(c.record[0]) << "," << int(c.record[1]) << "," << int(c.record[2]);
    }
}

const MacroIndexOf kMacros = [](uint32_t id) {
    // ids 7 and 9 are at positions 1 and 2 of the list
    return id == 7 ? 1 : id == 9 ? 2 : 0;
};

TEST(EncodeKeyAction, ByType) {
    const DeviceKeyRecord factory{2, 2, 0x04};
    struct Case {
        uint16_t type;
        uint32_t value;
        DeviceKeyRecord record;
    } cases[] = {
        {kActionDefault, 0, factory},
        {kActionLaunch, 40, factory},
        {kActionDisabled, 0, {0, 0, 0}},
        {kActionText, 40, {0, 0, 0}},
        {kActionKey, 0x2A, {2, 1, 0x02}},
        {kActionKey, 0x15C, {2, 1, 0x80}},
        {kActionKey, 0x1E, {2, 2, 0x04}},
        {kActionKey, 0x130, {2, 2, 0xC0}},
        {kActionKey, 0x172, {1, 1, 0x02}},
        {kActionKey, 0x161, {1, 5, 0x01}},
        {kActionKey, 0x162, {1, 5, 0xFF}},
        {kActionKey, 0x15E, {2, 2, 0x00}},    // Power: not a keyboard-page usage
        {kActionKey, 0x1001E, {2, 2, 0x00}},  // wider than a KeyCode: no aliasing to A
        {kActionMacro, 9, {5, 1, 2}},
        {kActionMacro, 5, {5, 1, 0}},  // not in the list
        {kActionStopMacro, 0, {5, 2, 0}},
        {kActionMedia, 7, {3, 0xE2, 0x00}},
        {kActionMedia, 8, {3, 0x23, 0x02}},
        {kActionMedia, 18, factory},  // out of the list
        {kActionFunction, 10, {5, 5, 10}},
        {kActionFunction, 0x105, {5, 5, 5}},
        {9, 1, factory},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EncodeKeyAction(KeyAction{c.type, 0, c.value}, factory, kMacros), c.record)
            << c.type << "/" << c.value;
    }
    EXPECT_EQ(EncodeKeyAction(KeyAction{kActionMacro, 0, 7}, factory, MacroIndexOf{}),
              (DeviceKeyRecord{5, 1, 0}));
}

TEST(EncodeKeyAction, OnlyKeysWithACodeForTheKeyboardCanBeSent) {
    struct Case {
        uint32_t code;
        bool sendable;
    } cases[] = {
        {0x15E, false},       // Power: a system control, no keyboard-page code
        {0x15F, false},       // Sleep
        {0x163, false},       // Wake
        {0x16E, false},       // Pan Left: done by the host
        {0x176, false},       // Copy
        {0x64, false},        // F13: no code at all
        {0x54, false},        // Sys Req
        {0x7FFFFFFF, false},  // no key code
        {0x180, false},       // between the E0 keys and the G keys
        {0x1E, true},         // A
        {0x138, true},        // Right Alt, a modifier
        {0x130, true},        // volume up, through its consumer byte
        {0x175, true},        // Zoom+
        {0x171, true},        // left button
        {0x162, true},        // wheel down
    };
    for (const Case& c : cases) {
        EXPECT_EQ(KeyboardCanSend(c.code), c.sendable) << std::hex << c.code;
        const DeviceKeyRecord r = EncodeKeyAction({kActionKey, 0, c.code, 0, 0}, {2, 2, 4}, {});
        EXPECT_EQ(r == (DeviceKeyRecord{2, 2, 0}), !c.sendable) << std::hex << c.code;
    }
}

TEST(DecodeKeyAction, ByRecord) {
    const DeviceKeyRecord factoryA{2, 2, 0x04};  // names A, entry 30
    struct Case {
        DeviceKeyRecord device;
        uint16_t type;
        uint32_t value;
    } cases[] = {
        {{2, 2, 0x04}, kActionDefault, 0},  // equal to the factory record
        {{0, 0, 0}, kActionDisabled, 0},    {{5, 1, 0}, kActionMacro, 1},
        {{5, 1, 99}, kActionMacro, 100},    {{5, 2, 7}, kActionStopMacro, 0},
        {{5, 5, 3}, kActionFunction, 3},    {{5, 0, 0}, kActionDisabled, 0},
        {{3, 0xE2, 0x00}, kActionMedia, 7}, {{3, 0x00, 0x01}, kActionDisabled, 0},
        {{1, 1, 4}, kActionKey, 0x173},     {{1, 5, 0xFF}, kActionKey, 0x162},
        {{1, 5, 2}, kActionDisabled, 0},    {{2, 2, 0xC0}, kActionKey, 0x130},
        {{2, 2, 0x00}, kActionDisabled, 0}, {{2, 1, 0x20}, kActionKey, 0x36},
        {{2, 1, 0x00}, kActionDisabled, 0},  // an empty modifier mask names no key
        {{4, 0x81, 0}, kActionDisabled, 0}, {{6, 0xA2, 2}, kActionDisabled, 0},
    };
    for (const Case& c : cases) {
        std::vector<KeyAction> table(kKeyActionTableEntries);
        table[30].extra = 0x55;
        table[30].switchFlag = 1;
        DecodeKeyAction(c.device, factoryA, table.data());
        EXPECT_EQ(table[30].type, c.type) << int(c.device[0]) << "," << int(c.device[1]);
        EXPECT_EQ(table[30].value, c.value) << int(c.device[0]) << "," << int(c.device[1]);
        EXPECT_EQ(table[30].extra, 0x55);  // only type and value change
        EXPECT_EQ(table[30].switchFlag, 1u);
        for (int i = 0; i < kKeyActionTableEntries; ++i) {
            if (i != 30) {
                EXPECT_EQ(table[i].type, 0) << i;
            }
        }
    }
}

TEST(DecodeKeyAction, PositionsThatNameNoKeyAreNeverSet) {
    for (DeviceKeyRecord factory :
         {DeviceKeyRecord{5, 2, 2}, DeviceKeyRecord{0, 0, 0}, DeviceKeyRecord{5, 0, 0}}) {
        std::vector<KeyAction> table(kKeyActionTableEntries);
        DecodeKeyAction({2, 2, 0x04}, factory, table.data());
        for (const KeyAction& a : table) EXPECT_EQ(a.type, 0);
    }
    // A G-key factory record lands on the G entries.
    std::vector<KeyAction> table(kKeyActionTableEntries);
    DecodeKeyAction({5, 1, 0}, {6, 0xA2, 3}, table.data());
    EXPECT_EQ(table[258].type, kActionMacro);
    EXPECT_EQ(table[258].value, 1u);
}

TEST(KeyMaps, WholeProfileBothWays) {
    // Built-in factory map with G3 at position 6 (normally [0, 0, 0]).
    std::vector<uint8_t> factory(BuiltInFactoryKeyMap().begin(), BuiltInFactoryKeyMap().end());
    factory[18] = 6, factory[19] = 0xA2, factory[20] = 3;
    std::vector<KeyAction> table(kKeyActionTableEntries);
    table[30] = {kActionKey, 0, 0x30};   // A sends B
    table[258] = {kActionMacro, 3, 9};   // G3 plays macro id 9 (position 2)
    table[1] = {kActionDisabled, 0, 0};  // Esc silenced
    table[0] = {kActionDisabled, 0, 0};  // entry 0 belongs to no position

    const std::vector<uint8_t> map = EncodeKeyMap(table.data(), factory, 126, kMacros);
    ASSERT_EQ(map.size(), 512u);
    std::vector<uint8_t> expected = factory;
    const auto setAt = [&](int pos, DeviceKeyRecord r) {
        std::copy(r.begin(), r.end(), expected.begin() + 3 * pos);
    };
    setAt(19, {2, 2, 0x05});  // position 19 is A ([2, 2, 0x04] in the factory map)
    setAt(6, {5, 1, 2});
    setAt(8, {0, 0, 0});  // position 8 is Esc
    EXPECT_EQ(map, expected);

    // Only keyCount positions are translated; a short map is never overrun.
    EXPECT_EQ(EncodeKeyMap(table.data(), factory, 8, kMacros)[3 * 8], 2);
    EXPECT_EQ(EncodeKeyMap(table.data(), std::span(factory).first(10), 126, kMacros).size(), 10u);

    std::vector<KeyAction> back(kKeyActionTableEntries);
    DecodeKeyMap(map, factory, 126, back.data());
    EXPECT_EQ(back[30].type, kActionKey);
    EXPECT_EQ(back[30].value, 0x30u);
    EXPECT_EQ(back[258].type, kActionMacro);
    EXPECT_EQ(back[258].value, 3u);  // read back by position: the macro at position 2 is id 3
    EXPECT_EQ(back[1].type, kActionDisabled);
    int assigned = 0;
    for (const KeyAction& a : back) assigned += a.type != 0;
    EXPECT_EQ(assigned, 3);

    std::vector<KeyAction> partial(kKeyActionTableEntries);
    DecodeKeyMap(std::span(map).first(3 * 9), factory, 126, partial.data());  // short device map
    EXPECT_EQ(partial[1].type, kActionDisabled);
    EXPECT_EQ(partial[30].type, 0);
    EXPECT_EQ(DeviceRecordAt(map, 170), (DeviceKeyRecord{0, 0, 0}));
    EXPECT_EQ(DeviceRecordAt(map, -1), (DeviceKeyRecord{0, 0, 0}));
}

// Every assignment the editors can make, through the keyboard's record and back, at every
// position of the built-in factory map.
TEST(KeyActionRoundTrip, EveryEncodableActionAtEveryFactoryPosition) {
    std::vector<KeyAction> actions;
    actions.push_back({kActionDisabled, 0, 0});
    actions.push_back({kActionStopMacro, 0, 0});
    for (uint32_t id : {7u, 9u}) actions.push_back({kActionMacro, 0, id});
    for (uint32_t m = 0; m < kMediaCount; ++m) actions.push_back({kActionMedia, 0, m});
    for (uint32_t f = 0; f < kFunctionCount; ++f) actions.push_back({kActionFunction, 0, f});
    for (int i = 1; i < kKeyTableRows; ++i) {
        if (KeyTable()[i].displayId != 0xFFFF) {
            actions.push_back({kActionKey, 0, KeyCodeOf(static_cast<KeyIndex>(i))});
        }
    }

    // What a key assignment reads back as, when it is not what was assigned.
    auto expectedBack = [](const KeyAction& a) -> std::pair<uint16_t, uint32_t> {
        if (a.type == kActionMacro) return {kActionMacro, a.value == 7 ? 2u : 3u};  // position + 1
        if (a.type != kActionKey) return {a.type, a.value};
        switch (a.value) {
            case 0x146:
                return {kActionKey, 0x45};  // Break shares Pause's usage
            case 0x136:
                return {kActionKey, 0x36};  // the second right Shift row
            // No keyboard-page usage: the key is silenced.
            case 0x54:
            case 0x64:
            case 0x15E:
            case 0x15F:
            case 0x163:
            case 0x16E:
            case 0x16F:
            case 0x170:
            case 0x176:
            case 0x177:
            case 0x178:
            case 0x179:
            case 0x17A:
            case 0x17D:
            case 0x17E:
                return {kActionDisabled, 0};
            default:
                return {kActionKey, a.value};
        }
    };

    const auto& map = BuiltInFactoryKeyMap();
    int checked = 0;
    for (int pos = 0; pos < kBuiltInFactoryKeys; ++pos) {
        const DeviceKeyRecord factory{map[pos * 3], map[pos * 3 + 1], map[pos * 3 + 2]};
        const KeyIndex entry = KeyIndexOf(DecodeDeviceRecord(factory));
        if (entry == 0) continue;
        for (const KeyAction& a : actions) {
            const DeviceKeyRecord record = EncodeKeyAction(a, factory, kMacros);
            std::vector<KeyAction> table(kKeyActionTableEntries);
            DecodeKeyAction(record, factory, table.data());
            auto [type, value] = expectedBack(a);
            if (record == factory) type = kActionDefault, value = 0;
            EXPECT_EQ(table[entry].type, type)
                << "pos " << pos << " action " << a.type << "/" << a.value;
            EXPECT_EQ(table[entry].value, value)
                << "pos " << pos << " action " << a.type << "/" << a.value;
            ++checked;
        }
    }
    EXPECT_GT(checked, 100 * 150);
}

}  // namespace
}  // namespace vorlin
