// The keyboard's macro area: sizes, encoding, decoding and the bounds of what is decoded.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/le_bytes.h"
#include "store/macro_area.h"
#include "store_fixtures.h"

namespace vorlin {
namespace {

using test::MakeMacro;

constexpr KeyCode kKeyA = 0x1E;

std::vector<uint8_t> Encode(const ConfigStore& store, bool withNames) {
    const MacroAreaSizes sizes = MacroAreaSize(store);
    std::vector<uint8_t> area(withNames ? sizes.full : sizes.bare);
    EncodeMacroArea(store, area, withNames);
    return area;
}

TEST(MacroArea, EmptyListIsSixteenBytes) {
    ConfigStore store;
    EXPECT_EQ(MacroAreaSize(store).bare, 16u);
    EXPECT_EQ(MacroAreaSize(store).full, 16u);
    for (bool names : {true, false}) {
        std::vector<uint8_t> want = {
            0xAA, 0x55, 0x10, 0x00, 0x00, 0x00, names ? uint8_t{1} : uint8_t{0}, 0x00, 0, 0,
            0,    0,    0,    0,    0,    0};
        EXPECT_EQ(Encode(store, names), want) << "names " << names;
    }
}

TEST(MacroArea, OneMacroWithNameAndOneAction) {
    ConfigStore store;
    store.macros.push_back(MakeMacro(1, u"Ab", {{125, kKeyA, 0}}, 3));
    const MacroAreaSizes sizes = MacroAreaSize(store);
    EXPECT_EQ(sizes.bare, 26u);
    EXPECT_EQ(sizes.full, 30u);
    const std::vector<uint8_t> full = {0xAA, 0x55, 30,   0,    1,    0,    1,   0, 0,   0,
                                       0,    0,    0,    0,    0,    0,    18,  0, 1,   0,
                                       3,    2,    0x0C, 0xA0, 0x02, 0x04, 'A', 0, 'b', 0};
    EXPECT_EQ(Encode(store, true), full);
    const std::vector<uint8_t> bare = {0xAA, 0x55, 26, 0,  1, 0, 0, 0, 0, 0,    0,    0,    0,
                                       0,    0,    0,  18, 0, 1, 0, 3, 0, 0x0C, 0xA0, 0x02, 0x04};
    EXPECT_EQ(Encode(store, false), bare);
}

TEST(MacroArea, DelaysAreTensOfMillisecondsInTwelveBits) {
    struct Case {
        int32_t delay;
        uint16_t field;
        int32_t readBack;
    };
    for (const Case& c : {Case{40000, 4000, 40000}, Case{15, 1, 10}, Case{9, 0, 0},
                          Case{125, 12, 120}, Case{50000, 4000, 40000}, Case{-20, 0, 0}}) {
        uint8_t bytes[4];
        EncodeMacroAction({c.delay, kKeyA, 1}, bytes);
        EXPECT_EQ(GetU16(bytes) & 0xFFF, c.field) << c.delay;
        EXPECT_EQ(GetU16(bytes) & 0x8000, 0) << "a release has bit 15 clear";
        const MacroAction back = DecodeMacroAction(bytes);
        EXPECT_EQ(back.delayMs, c.readBack) << c.delay;
        EXPECT_EQ(back.release, 1);
        EXPECT_EQ(back.keyCode, kKeyA);
    }
}

TEST(MacroArea, KeyRecordsByUsagePage) {
    struct Case {
        KeyCode code;
        DeviceKeyRecord record;
    };
    const Case cases[] =
        {
            {0x1D, {2, 1, 0x01}},  {0x2A, {2, 1, 0x02}},  {0x38, {2, 1, 0x04}},
            {0x15B, {2, 1, 0x08}}, {0x11D, {2, 1, 0x10}}, {0x36, {2, 1, 0x20}},
            {0x138, {2, 1, 0x40}}, {0x15C, {2, 1, 0x80}}, {kKeyA, {2, 2, 0x04}},
            {0x130, {2, 2, 0xC0}},  // consumer keys travel as keyboard-page bytes
            {0x171, {1, 1, 1}},    {0x172, {1, 1, 2}},    {0x173, {1, 1, 4}},
            {0x161, {1, 5, 1}},    {0x162, {1, 5, 0xFF}}, {0, {0, 0, 0}},
        };
    for (const Case& c : cases) {
        EXPECT_EQ(MacroKeyRecord(c.code), c.record) << std::hex << c.code;
        uint8_t bytes[4];
        EncodeMacroAction({0, c.code, 0}, bytes);
        EXPECT_EQ((GetU16(bytes) >> 12) & 7, c.record[0]) << std::hex << c.code;
        EXPECT_EQ(bytes[2], c.record[1]);
        EXPECT_EQ(bytes[3], c.record[2]);
        if (c.code != 0) {
            EXPECT_EQ(DecodeMacroAction(bytes).keyCode, c.code) << std::hex << c.code;
        }
    }
}

TEST(MacroArea, DecodeGivesPositionIdsAndDefaultNames) {
    ConfigStore store;
    store.macros.push_back(MakeMacro(7, u"first", {{15, kKeyA, 0}, {40000, kKeyA, 1}}, 2));
    store.macros.push_back(MakeMacro(3, u"second", {}));
    store.macros.push_back(MakeMacro(9, u"third", {{0, 0x2A, 0}}, 255));

    std::vector<MacroRecord> records;
    ASSERT_EQ(DecodeMacroArea(Encode(store, false), records, u"Macro "), 3);
    const std::u16string names[] = {u"Macro 1", u"Macro 2", u"Macro 3"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(records[i].macroId, i + 1);
        EXPECT_EQ(records[i].Name(), names[i]);
        EXPECT_EQ(records[i].newFlag, 0);
        EXPECT_EQ(records[i].repeatCount, store.macros[i].repeatCount);
        EXPECT_EQ(records[i].actionCount, store.macros[i].actionCount);
    }
    EXPECT_EQ(records[0].actions[0].delayMs, 10);
    EXPECT_EQ(records[0].actions[0].release, 0);
    EXPECT_EQ(records[0].actions[1].delayMs, 40000);
    EXPECT_EQ(records[0].actions[1].release, 1);
    EXPECT_EQ(records[2].actions[0].keyCode, 0x2A);

    ASSERT_EQ(DecodeMacroArea(Encode(store, true), records, u"Macro "), 3);
    EXPECT_EQ(records[0].Name(), u"first");
    EXPECT_EQ(records[1].Name(), u"second");
    EXPECT_EQ(records[2].Name(), u"third");
}

// An area written by hand, as a faulty keyboard could return it.
struct RawArea {
    std::vector<uint8_t> bytes = std::vector<uint8_t>(16, 0);
    RawArea(uint16_t count) {
        PutU16(bytes.data(), kMacroAreaMagic);
        PutU16(bytes.data() + 4, count);
        bytes.resize(16 + 2 * size_t{count});
    }
    void Offset(int i, uint16_t offset) { PutU16(bytes.data() + 16 + 2 * i, offset); }
    // Appends a block and points entry i at it.
    void Block(int i, uint16_t actions, uint8_t nameLength, size_t actionBytes, size_t nameUnits) {
        Offset(i, static_cast<uint16_t>(bytes.size()));
        const size_t at = bytes.size();
        bytes.resize(at + 4 + actionBytes + 2 * nameUnits, 0);
        PutU16(bytes.data() + at, actions);
        bytes[at + 2] = 1;
        bytes[at + 3] = nameLength;
        for (size_t a = 0; a < actionBytes / 4; ++a) {
            PutU16(bytes.data() + at + 4 + 4 * a, 0xA00C);
            bytes[at + 6 + 4 * a] = 2;
            bytes[at + 7 + 4 * a] = 4;
        }
        for (size_t c = 0; c < nameUnits; ++c)
            PutU16(bytes.data() + at + 4 + actionBytes + 2 * c, 'n');
    }
    std::vector<uint8_t> Done(int total = -1) {
        PutU16(bytes.data() + 2, static_cast<uint16_t>(total < 0 ? bytes.size() : total));
        return bytes;
    }
};

TEST(MacroArea, DecodeCutsWhatTheRecordsCannotHold) {
    struct Case {
        const char* what;
        std::function<std::vector<uint8_t>()> area;
        int count;
        std::function<void(const std::vector<MacroRecord>&)> check;
    };
    const auto none = [](const std::vector<MacroRecord>&) {};
    const Case cases[] = {
        {"no magic",
         [] {
             auto a = RawArea(0).Done();
             a[0] = 0;
             return a;
         },
         0, none},
        {"shorter than a header",
         [] {
             return std::vector<uint8_t>{0xAA, 0x55, 4, 0};
         },
         0, none},
        {"size below the header",
         [] {
             RawArea a(1);
             a.Block(0, 0, 0, 0, 0);
             return a.Done(10);
         },
         0, none},
        {"offset table longer than the area", [] { return RawArea(5).Done(20); }, 0, none},
        {"offset past the end",
         [] {
             RawArea a(2);
             a.Block(0, 1, 0, 4, 0);
             a.Offset(1, 60000);
             return a.Done();
         },
         1, none},
        {"offset into the header",
         [] {
             RawArea a(2);
             a.Offset(0, 4);
             a.Block(1, 0, 0, 0, 0);
             return a.Done();
         },
         0, none},
        {"more than 100 macros",
         [] {
             RawArea a(150);
             for (int i = 0; i < 150; ++i) a.Block(i, 0, 0, 0, 0);
             return a.Done();
         },
         100, none},
        {"more than 2000 actions",
         [] {
             RawArea a(1);
             a.Block(0, 2500, 2, 2500 * 4, 2);
             return a.Done();
         },
         1,
         [](const std::vector<MacroRecord>& r) {
             EXPECT_EQ(r[0].actionCount, 2000);
             EXPECT_EQ(r[0].actions[1999].keyCode, kKeyA);
             EXPECT_EQ(r[0].Name(), u"nn");  // found after all 2500 actions
         }},
        {"actions past the end of the area",
         [] {
             RawArea a(1);
             a.Block(0, 300, 0, 10 * 4, 0);
             return a.Done();
         },
         1, [](const std::vector<MacroRecord>& r) { EXPECT_EQ(r[0].actionCount, 10); }},
        {"size field shorter than the bytes read",
         [] {
             RawArea a(1);
             a.Block(0, 5, 0, 5 * 4, 0);
             return a.Done(16 + 2 + 4 + 8);
         },
         1, [](const std::vector<MacroRecord>& r) { EXPECT_EQ(r[0].actionCount, 2); }},
        {"name longer than 249",
         [] {
             RawArea a(1);
             a.Block(0, 0, 255, 0, 255);
             return a.Done();
         },
         1,
         [](const std::vector<MacroRecord>& r) {
             EXPECT_EQ(r[0].Name(), std::u16string(249, u'n'));
         }},
        {"name past the end of the area",
         [] {
             RawArea a(2);
             a.Block(0, 0, 0, 0, 0);
             a.Block(1, 1, 40, 4, 3);
             return a.Done();
         },
         2,
         [](const std::vector<MacroRecord>& r) {
             EXPECT_EQ(r[0].Name(), u"M1");
             EXPECT_EQ(r[1].Name(), u"nnn");
         }},
        {"name that starts with a zero",
         [] {
             RawArea a(1);
             a.Block(0, 0, 2, 0, 2);
             a.bytes[a.bytes.size() - 4] = 0;
             a.bytes[a.bytes.size() - 3] = 0;
             return a.Done();
         },
         1, [](const std::vector<MacroRecord>& r) { EXPECT_EQ(r[0].Name(), u"M1"); }},
        {"name with no room at all",
         [] {
             RawArea a(1);
             a.Block(0, 1, 40, 4, 0);
             return a.Done();
         },
         1, [](const std::vector<MacroRecord>& r) { EXPECT_EQ(r[0].Name(), u"M1"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<MacroRecord> records(3);
        const std::vector<uint8_t> area = c.area();
        EXPECT_EQ(DecodeMacroArea(area, records, u"M"), c.count);
        ASSERT_EQ(records.size(), static_cast<size_t>(c.count));
        c.check(records);
    }
}

TEST(MacroArea, EncodeNeverWritesPastTheBuffer) {
    ConfigStore store;
    store.macros.push_back(MakeMacro(1, u"abc", {{10, kKeyA, 0}, {10, kKeyA, 1}}));
    store.macros.push_back(MakeMacro(2, u"de", {{10, kKeyA, 0}}));
    const std::vector<uint8_t> whole = Encode(store, true);
    for (size_t size = 0; size < whole.size(); ++size) {
        std::vector<uint8_t> buffer(size + 8, 0xEE);
        EncodeMacroArea(store, std::span<uint8_t>(buffer.data(), size), true);
        for (size_t i = size; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], 0xEE) << size;
    }
}

}  // namespace
}  // namespace vorlin
