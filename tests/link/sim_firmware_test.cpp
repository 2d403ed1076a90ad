// The simulated keyboard's frame handling, driven with hand-built frames.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "keys/factory_key_map.h"
#include "sim/sim_firmware.h"

namespace vorlin {
namespace {

using Frame = std::array<uint8_t, 64>;

Frame MakeFrame(uint8_t command, uint8_t length, uint16_t offset,
                std::vector<uint8_t> payload = {}) {
    Frame f{};
    f[0] = 4;
    f[3] = command;
    f[4] = length;
    f[5] = static_cast<uint8_t>(offset);
    f[6] = static_cast<uint8_t>(offset >> 8);
    std::copy(payload.begin(), payload.end(), f.begin() + 8);
    StampFrameChecksum(f.data());
    return f;
}

struct Outcome {
    SimFrameResult result;
    Frame reply{};
};

Outcome Send(SimMemory& m, const Frame& f, size_t length = 64) {
    Outcome o;
    o.result = HandleSimFrame(m, f.data(), length, o.reply.data());
    return o;
}

TEST(SimFirmware, RefusesBadFramesAndOutOfRangeAddresses) {
    struct Case {
        const char* name;
        Frame frame;
        size_t length;
        uint8_t status;
    };
    Frame badSum = MakeFrame(3, 44, 0);
    badSum[1] ^= 1;
    Frame badId = MakeFrame(3, 44, 0);
    badId[0] = 5;
    Frame byte7 = MakeFrame(1, 0, 0);
    byte7[7] = 1;
    StampFrameChecksum(byte7.data());
    const Case cases[] = {
        {"checksum off by one", badSum, 64, 255},
        {"wrong report id", badId, 64, 255},
        {"byte 7 not zero", byte7, 64, 255},
        {"short report", MakeFrame(1, 0, 0), 63, 255},
        {"length above 56", MakeFrame(6, 57, 0), 64, 255},
        {"unknown command", MakeFrame(18, 0, 0), 64, 255},
        {"zero-length write", MakeFrame(6, 0, 0), 64, 255},
        {"state read of 43", MakeFrame(3, 43, 0), 64, 255},
        {"begin with a length", MakeFrame(1, 1, 0), 64, 255},
        {"lighting write past the area", MakeFrame(6, 2, 125, {1, 2}), 64, 254},
        {"lighting read starting past the area", MakeFrame(5, 1, 126), 64, 254},
        {"key map write past profile 2", MakeFrame(8, 56, 3 * 512 - 55), 64, 254},
        {"factory map past its end", MakeFrame(15, 8, 512 - 7), 64, 254},
        {"macro write past the capacity", MakeFrame(10, 1, 64 * 128, {1}), 64, 254},
        {"key colours across a page", MakeFrame(17, 6, 509, {1, 2, 3, 4, 5, 6}), 64, 254},
        {"key colours of a fourth profile", MakeFrame(16, 3, 1536), 64, 254},
        {"state with active profile 3", MakeFrame(4, 44, 0, std::vector<uint8_t>(44, 3)), 64, 254},
    };
    for (const Case& c : cases) {
        SimMemory m = FactoryMemory(SimModel::k320F_5000);
        const SimMemory before = m;
        Outcome o = Send(m, c.frame, c.length);
        EXPECT_TRUE(o.result.replied) << c.name;
        EXPECT_EQ(o.reply[7], c.status) << c.name;
        EXPECT_EQ(o.result.status, c.status) << c.name;
        EXPECT_TRUE(m == before) << c.name << " changed memory";
    }
}

TEST(SimFirmware, TakesWhatTheApplicationSends) {
    SimMemory m = FactoryMemory(SimModel::k0C45_5004);
    m.lighting[125] = 0x5A;

    // A 56-byte lighting read of profile 2 runs 14 bytes past the area: zeros there.
    Outcome o = Send(m, MakeFrame(5, 56, 84));
    ASSERT_EQ(o.reply[7], 0);
    EXPECT_EQ(o.reply[8 + 41], 0x5A);
    for (int i = 42; i < 56; ++i) EXPECT_EQ(o.reply[8 + i], 0) << i;

    // The last chunk of a key-map write carries stale payload bytes beyond its length.
    Frame last = MakeFrame(8, 42, 2 * 378 + 336, std::vector<uint8_t>(56, 0x77));
    o = Send(m, last);
    EXPECT_EQ(o.reply[7], 0);
    EXPECT_EQ(m.keyMaps[2 * 378 + 336 + 41], 0x77);
    EXPECT_EQ(m.keyMaps[2 * 378 + 378 - 1], 0x77);

    // The boot request has no checksum and gets no reply.
    Frame boot{};
    boot[0] = 4;
    boot[3] = boot[4] = 0xEE;
    o = Send(m, boot);
    EXPECT_TRUE(o.result.enterBoot);
    EXPECT_FALSE(o.result.replied);

    // The macro header is readable even when the keyboard grants no macro memory.
    m.state[kStateMacroUnits] = 0;
    o = Send(m, MakeFrame(9, 16, 0));
    EXPECT_EQ(o.reply[7], 0);
}

TEST(SimFirmware, StoresWritesAndReturnsThemOnRead) {
    SimMemory m = FactoryMemory(SimModel::k320F_5000);
    std::vector<uint8_t> data(56);
    for (int i = 0; i < 56; ++i) data[i] = static_cast<uint8_t>(i * 7 + 1);
    struct Pair {
        uint8_t write, read;
        uint16_t offset;
    };
    for (Pair p : {Pair{6, 5, 42}, Pair{8, 7, 1024}, Pair{10, 9, 4000}, Pair{17, 16, 1024 + 3}}) {
        ASSERT_EQ(Send(m, MakeFrame(p.write, 56, p.offset, data)).reply[7], 0) << int(p.write);
        Outcome o = Send(m, MakeFrame(p.read, 56, p.offset));
        ASSERT_EQ(o.reply[7], 0) << int(p.read);
        EXPECT_TRUE(std::equal(data.begin(), data.end(), o.reply.begin() + 8)) << int(p.read);
    }
    // Capacity and offered modes stay the keyboard's own when the state is written back.
    std::vector<uint8_t> state(44, 0);
    state[kStateActiveProfile] = 2;
    ASSERT_EQ(Send(m, MakeFrame(4, 44, 0, state)).reply[7], 0);
    Outcome o = Send(m, MakeFrame(3, 44, 0));
    EXPECT_EQ(o.reply[8 + 10], 2);
    EXPECT_EQ(o.reply[8 + 11], 64);
    EXPECT_EQ(o.reply[8 + 12], 1);
}

TEST(SimFirmware, ModelsDifferInSizesModesAndGKeys) {
    SimMemory small = FactoryMemory(SimModel::k0C45_5004);
    SimMemory large = FactoryMemory(SimModel::k320F_5000);
    auto offersMode20 = [](const SimMemory& m) {
        return std::find(m.state.begin() + kStateModes, m.state.end(), 20) != m.state.end();
    };
    EXPECT_FALSE(offersMode20(small));
    EXPECT_TRUE(offersMode20(large));

    const auto& builtIn = BuiltInFactoryKeyMap();
    EXPECT_EQ(small.factoryMap, builtIn);
    int gKeys = 0;
    for (int pos = 0; pos < 128; ++pos) {
        const uint8_t* r = &large.factoryMap[pos * 3];
        if (r[0] == 6) {
            EXPECT_EQ(r[1], 0xA2);
            EXPECT_EQ(r[2], ++gKeys);
            if (pos < 126) {
                EXPECT_EQ(builtIn[pos * 3], 0) << "G key over a used position " << pos;
            }
        } else if (pos < 126) {
            EXPECT_TRUE(std::equal(r, r + 3, &builtIn[pos * 3])) << pos;
        }
    }
    EXPECT_EQ(gKeys, 9);
    EXPECT_TRUE(std::all_of(large.factoryMap.begin() + 384, large.factoryMap.end(),
                            [](uint8_t b) { return b == 0; }));

    // The 378-byte model's factory map ends at 378.
    EXPECT_EQ(Send(small, MakeFrame(15, 42, 336)).reply[7], 0);
    EXPECT_EQ(Send(small, MakeFrame(15, 43, 336)).reply[7], 254);
}

}  // namespace
}  // namespace vorlin
