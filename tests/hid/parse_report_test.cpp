// CHidDevice::ParseReport over the layouts that Open builds.
#include <gtest/gtest.h>

#include "device/hid/hid_device.h"
#include "hid/socket_backend.h"
#include "sim/keyboard_descriptors.h"

namespace vorlin {
namespace {

using test::SocketBackend;

// Report id 1: X, Y, Z as one range of 8-bit values; buttons 1..3 and 4..5 as two bitmap caps
// of one main item; report id 2: one 16-bit value.
const std::vector<uint8_t> kGamepad = {
    0x05, 0x01, 0x09, 0x05, 0xA1, 0x01,                                // Generic Desktop, Game Pad
    0x85, 0x01, 0x19, 0x30, 0x29, 0x32, 0x15, 0x00, 0x26,              //   id 1, usages 0x30..0x32
    0xFF, 0x00, 0x75, 0x08, 0x95, 0x03, 0x81, 0x02,                    //   3 x 8 bits
    0x05, 0x09, 0x19, 0x01, 0x29, 0x03, 0x19, 0x04, 0x29, 0x05,        // buttons 1..3, 4..5
    0x25, 0x01, 0x75, 0x01, 0x95, 0x05, 0x81, 0x02,                    // 5 x 1 bit
    0x75, 0x03, 0x95, 0x01, 0x81, 0x03,                                // padding
    0x05, 0x01, 0x85, 0x02, 0x09, 0x36, 0x27, 0xFF, 0xFF, 0x00, 0x00,  // id 2, slider 0..65535
    0x75, 0x10, 0x95, 0x01, 0x81, 0x02, 0xC0};

class ParseReportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        backend.Add("pad", kGamepad);
        ASSERT_TRUE(dev.Open("pad", kOpenRead));
        in = dev.input().descriptors;
    }
    bool Parse(std::vector<uint8_t> report) {
        return CHidDevice::ParseReport(report, HidReportType::Input, in,
                                       dev.input().descriptorCount, dev.preparsed());
    }
    SocketBackend backend;
    CHidDevice dev{backend};
    std::vector<HidUsageDescriptor> in;  // the input layout's usages, filled by Parse
};

TEST_F(ParseReportTest, ValueRangeGivesOneDescriptorPerUsage) {
    ASSERT_EQ(dev.input().descriptorCount, 6);  // 2 button caps, 3 + 1 value usages
    auto& d = in;
    EXPECT_EQ(d[0].isButton, 1);
    EXPECT_EQ(d[0].usageMin, 1);
    EXPECT_EQ(d[0].usageMax, 3u);
    EXPECT_EQ(d[0].maxUsages, 5u);  // the whole button page
    EXPECT_EQ(d[1].usageMin, 4);
    EXPECT_EQ(d[1].usageMax, 5u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(d[2 + i].isButton, 0);
        EXPECT_EQ(d[2 + i].usage(), 0x30 + i);
        EXPECT_EQ(d[2 + i].reportId, 1);
        EXPECT_EQ(d[2 + i].status, static_cast<uint32_t>(HidStatus::Success));
    }
    EXPECT_EQ(d[5].usage(), 0x36);
    EXPECT_EQ(d[5].reportId, 2);
    EXPECT_EQ(dev.caps().inputReportByteLength, 5);

    // Buttons 2 and 4 pressed: each button descriptor keeps only its own range.
    ASSERT_TRUE(Parse({1, 10, 20, 30, 0b01010}));
    EXPECT_EQ(d[0].usages, (std::vector<uint16_t>{2, 0, 0, 0, 0}));
    EXPECT_EQ(d[1].usages, (std::vector<uint16_t>{4, 0, 0, 0, 0}));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(d[2 + i].rawValue(), 10u * (i + 1));
        EXPECT_EQ(d[2 + i].scaledValue(), 10u * (i + 1));
        EXPECT_EQ(d[2 + i].updated, 1);
    }
    EXPECT_EQ(d[5].updated, 0);  // another report id

    ASSERT_TRUE(Parse({2, 0x34, 0x12}));
    EXPECT_EQ(d[5].rawValue(), 0x1234u);
    EXPECT_EQ(d[5].updated, 1);
    EXPECT_EQ(d[2].rawValue(), 10u);  // untouched by a report of id 2
}

TEST_F(ParseReportTest, ReportOfUnknownIdChangesNothing) {
    auto before = in;
    EXPECT_TRUE(Parse({9, 1, 2, 3, 0xFF}));
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(in[i].updated, 0);
        EXPECT_EQ(in[i].rawValue(), before[i].rawValue());
        EXPECT_EQ(in[i].usages, before[i].usages);
    }
}

TEST_F(ParseReportTest, TruncatedReportFailsWithoutReadingPastIt) {
    EXPECT_FALSE(Parse({1, 10}));
    // The first value descriptor that could not be read carries the reason; the parse stopped.
    EXPECT_EQ(in[2].status, static_cast<uint32_t>(HidStatus::Success));
    EXPECT_EQ(in[3].status, static_cast<uint32_t>(HidStatus::InvalidReportLength));
    EXPECT_EQ(in[4].updated, 0);
    EXPECT_FALSE(CHidDevice::ParseReport({}, HidReportType::Input, in, dev.input().descriptorCount,
                                         dev.preparsed()));
}

TEST(ParseReport, ConsumerNotificationsReachTheFirstInputDescriptor) {
    SocketBackend backend;
    backend.Add("kb", KeyboardModelInterfaces(0x0C45, 0x5004)[0].reportDescriptor);
    CHidDevice dev(backend);
    ASSERT_TRUE(dev.Open("kb", kOpenRead));
    std::vector<HidUsageDescriptor> in = dev.input().descriptors;
    for (uint16_t usage : {0x0401, 0x0402, 0x1801, 0x1804, 0x1810, 0x1811, 0x0000}) {
        uint8_t report[] = {3, uint8_t(usage & 0xFF), uint8_t(usage >> 8)};
        ASSERT_TRUE(CHidDevice::ParseReport(report, HidReportType::Input, in,
                                            dev.input().descriptorCount, dev.preparsed()));
        EXPECT_EQ(in[0].usages[0], usage);
    }
}

}  // namespace
}  // namespace vorlin
