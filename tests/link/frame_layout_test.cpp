// The named frame and state-block bytes against known frames: the bytes a request must carry,
// read back through the names, and the same bytes produced by the protocol.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>

#include "device/frame_layout.h"
#include "link_fixture.h"
#include "store/device_state.h"

namespace vorlin {
namespace {

// A 64-byte frame from its leading bytes in hex; the rest is zero.
Frame FrameOf(const std::string& hex) {
    Frame f{};
    std::istringstream in(hex);
    unsigned byte = 0;
    for (size_t i = 0; in >> std::hex >> byte; ++i) f.at(i) = static_cast<uint8_t>(byte);
    return f;
}

TEST(FrameLayout, KnownFramesReadThroughTheNamedBytesAndAreWhatTheProtocolSends) {
    const uint8_t one = 0x9C;
    const uint8_t colour[3] = {0x11, 0x22, 0x33};
    uint8_t block[kStateBlockSize];
    struct Case {
        const char* name;
        std::string hex;
        uint8_t command, length;
        uint16_t offset, checksum;
        std::function<int(DeviceLink&)> send;
    };
    const Case cases[] = {
        {"config begin", "04 01 00 01 00 00 00 00", CMD_CONFIG_BEGIN, 0, 0, 0x0001,
         [](DeviceLink& l) { return ConfigBegin(l); }},
        {"read state: 44 bytes, checksum 3 + 44", "04 2F 00 03 2C 00 00 00", CMD_READ_STATE, 44, 0,
         0x002F, [&](DeviceLink& l) { return ReadState(l, block); }},
        {"write lighting: one byte at profile 1's record", "04 CD 00 06 01 2A 00 00 9C",
         CMD_WRITE_LIGHTING, 1, 42, 6 + 1 + 42 + 0x9C,
         [&](DeviceLink& l) { return WriteLighting(l, &one, 1, 42); }},
        // Offset 2 x 512 + 110 x 3: byte 6 is (110 x 3) / 256 + 2 x 2.
        {"write key colour, profile 2 position 110", "04 C9 00 11 03 4A 05 00 11 22 33",
         CMD_WRITE_KEY_COLOURS, 3, 1354, 0x11 + 3 + 0x4A + 5 + 0x11 + 0x22 + 0x33,
         [&](DeviceLink& l) { return WriteKeyColours(l, colour, 3, 110, 2); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Frame f = FrameOf(c.hex);
        EXPECT_EQ(f[framebyte::kId], kReportId);
        EXPECT_EQ(f[framebyte::kCommand], c.command);
        EXPECT_EQ(f[framebyte::kLength], c.length);
        EXPECT_EQ(FrameOffset(f.data()), c.offset);
        EXPECT_EQ(f[framebyte::kStatus], 0);
        EXPECT_EQ(StoredChecksum(f.data()), c.checksum);
        EXPECT_EQ(FrameChecksum(f.data()), c.checksum);

        SimLink sim(SimModel::k320F_5000);
        ASSERT_TRUE(sim.Connect());
        sim.keyboard->RecordRequests(true);
        EXPECT_EQ(c.send(sim.link), kDone);
        const std::vector<Frame> sent = sim.Requests();
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0], f);
    }
}

TEST(FrameLayout, TheBootRequestBreaksTheLayout) {
    const Frame boot = FrameOf("04 00 00 EE EE");
    EXPECT_EQ(boot[framebyte::kCommand], CMD_ENTER_BOOT);
    EXPECT_EQ(boot[framebyte::kLength], CMD_ENTER_BOOT);
    EXPECT_EQ(StoredChecksum(boot.data()), 0);  // no checksum, though the bytes sum to 0x1DC

    SimLink sim(SimModel::k0C45_5004);
    ASSERT_TRUE(sim.Connect());
    sim.keyboard->RecordRequests(true);
    EXPECT_EQ(EnterBootMode(sim.link), kDone);
    const std::vector<Frame> sent = sim.Requests();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], boot);
}

TEST(FrameLayout, OffsetsAreLowByteFirst) {
    Frame f{};
    PutFrameOffset(f.data(), 0x1234);
    EXPECT_EQ(f[5], 0x34);
    EXPECT_EQ(f[6], 0x12);
    EXPECT_EQ(FrameOffset(f.data()), 0x1234);
    PutStoredChecksum(f.data(), 0xBEEF);
    EXPECT_EQ(f[1], 0xEF);
    EXPECT_EQ(f[2], 0xBE);
}

TEST(StateBlockLayout, ProfileCapacityAndModesSitWhereTheKeyboardPutsThem) {
    DeviceStateBlock block;
    for (size_t i = 0; i < kStateBlockSize; ++i) block.bytes[i] = static_cast<uint8_t>(100 + i);
    block.bytes[10] = 2;
    block.bytes[11] = 0x40;
    EXPECT_EQ(block.activeProfile(), 2);
    EXPECT_EQ(StateMacroCapacity(block.bytes.data()), 0x40u * 128u);
    ASSERT_EQ(block.offeredModes().size(), 32u);
    EXPECT_EQ(block.offeredModes().front(), 112);  // byte 12
    EXPECT_EQ(block.offeredModes().back(), 143);   // byte 43

    block.ClearOfferedModes();
    for (size_t i = 0; i < 12; ++i) EXPECT_NE(block.bytes[i], 0) << i;  // left as they were
    for (size_t i = 12; i < kStateBlockSize; ++i) EXPECT_EQ(block.bytes[i], 0) << i;
}

}  // namespace
}  // namespace vorlin
