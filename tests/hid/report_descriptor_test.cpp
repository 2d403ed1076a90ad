// The report-descriptor parser: caps and report lengths as Windows counts them, capabilities
// with report ids and usage ranges, report decoding, and refusal of hostile descriptors.
#include "device/hid/report_descriptor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/hid/hid_diagnostics.h"
#include "sim/keyboard_descriptors.h"

namespace vorlin {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

HidDescriptorInfo Parse(const Bytes& d) {
    HidDescriptorInfo info;
    std::string error;
    EXPECT_TRUE(ParseReportDescriptor(d.data(), d.size(), info, &error)) << error;
    return info;
}

// A three-button mouse: buttons as a bitmap, 5 bits of padding, X/Y/wheel as signed bytes.
const Bytes kMouse = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01,  // Generic Desktop, Mouse, Application
                      0x09, 0x01, 0xA1, 0x00,              //   Pointer, Physical
                      0x05, 0x09, 0x19, 0x01, 0x29, 0x03,  //     Buttons 1..3
                      0x15, 0x00, 0x25, 0x01, 0x95, 0x03, 0x75, 0x01, 0x81, 0x02,
                      0x95, 0x01, 0x75, 0x05, 0x81, 0x03,  //     padding
                      0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x09, 0x38, 0x15, 0x81,
                      0x25, 0x7F, 0x75, 0x08, 0x95, 0x03, 0x81, 0x06,  // X, Y, Wheel, relative
                      0xC0, 0xC0};

TEST(ReportDescriptor, KeyboardModelsDescribeTheirCollections) {
    struct Want {
        uint16_t page, usage, in, out;
        std::vector<uint8_t> inputIds;
    };
    const Want consumer{0x0C, 1, 3, 0, {3}};
    const Want vendor{0xFF1C, 0x92, 64, 64, {4}};
    struct Case {
        uint16_t vid, pid;
        std::vector<std::pair<int, std::vector<Want>>> interfaces;
    } cases[] = {
        {0x320F, 0x5000, {{1, {consumer, vendor}}}},
        {0x0C45, 0x5004, {{1, {consumer}}, {2, {vendor}}}},
    };
    for (const auto& c : cases) {
        auto ifs = KeyboardModelInterfaces(c.vid, c.pid);
        ASSERT_EQ(ifs.size(), c.interfaces.size());
        for (size_t i = 0; i < ifs.size(); ++i) {
            EXPECT_EQ(ifs[i].interfaceNumber, c.interfaces[i].first);
            HidDescriptorInfo info = Parse(ifs[i].reportDescriptor);
            EXPECT_TRUE(info.numbered);
            const auto& want = c.interfaces[i].second;
            ASSERT_EQ(info.collections.size(), want.size());
            for (size_t k = 0; k < want.size(); ++k) {
                const HidCaps& caps = info.collections[k]->caps;
                EXPECT_EQ(caps.usagePage, want[k].page);
                EXPECT_EQ(caps.usage, want[k].usage);
                EXPECT_EQ(caps.inputReportByteLength, want[k].in);
                EXPECT_EQ(caps.outputReportByteLength, want[k].out);
                EXPECT_EQ(caps.featureReportByteLength, 0);
                EXPECT_EQ(InputReportIds(*info.collections[k]), want[k].inputIds);
            }
        }
    }
    EXPECT_TRUE(KeyboardModelInterfaces(0x0C45, 0x5000).empty());
}

TEST(ReportDescriptor, ReportLengthsCountWholeBytesAndTheIdByte) {
    const Bytes head = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01};
    struct Case {
        const char* what;
        Bytes body;
        uint16_t in, out, feature;
    } cases[] = {
        {"13 bits without ids", {0x75, 0x01, 0x95, 0x0D, 0x09, 0x01, 0x81, 0x02}, 3, 0, 0},
        {"largest of two ids",
         {0x85, 0x01, 0x75, 0x08, 0x95, 0x01, 0x09, 0x01, 0x81, 0x02,  //
          0x85, 0x02, 0x95, 0x03, 0x09, 0x02, 0x81, 0x02},
         4,
         0,
         0},
        {"padding alone makes a report", {0x75, 0x08, 0x95, 0x02, 0x81, 0x01}, 3, 0, 0},
        {"feature and output only",
         {0x75, 0x08, 0x95, 0x05, 0x09, 0x01, 0xB1, 0x02, 0x95, 0x01, 0x09, 0x02, 0x91, 0x02},
         0,
         2,
         6},
    };
    for (const auto& c : cases) {
        HidDescriptorInfo info = Parse(Cat({head, c.body, {0xC0}}));
        ASSERT_EQ(info.collections.size(), 1u) << c.what;
        const HidCaps& caps = info.collections[0]->caps;
        EXPECT_EQ(caps.inputReportByteLength, c.in) << c.what;
        EXPECT_EQ(caps.outputReportByteLength, c.out) << c.what;
        EXPECT_EQ(caps.featureReportByteLength, c.feature) << c.what;
    }
}

// A headset's feature report: nine data buttons, a constant button and a constant value that
// both name a usage, and padding that names none.
const Bytes kHeadset = {0x05, 0x0B, 0x09, 0x05, 0xA1, 0x01,  // Telephony, Headset, Application
                        0x85, 0x05, 0x15, 0x00, 0x25, 0x01, 0x75, 0x01,  //   id 5, 1-bit fields
                        0x09, 0x20, 0x09, 0x21, 0x09, 0x2F, 0x09, 0x97, 0x09, 0x9E,  // 9 usages
                        0x09, 0xB0, 0x09, 0xB1, 0x09, 0xB2, 0x09, 0xB3,              //
                        0x95, 0x09, 0xB1, 0x02,              //   Feature (Data,Var)
                        0x09, 0x24, 0x95, 0x01, 0xB1, 0x03,  //   Redial: Feature (Const,Var)
                        0x95, 0x06, 0xB1, 0x01,              //   padding: Feature (Const)
                        0x06, 0x00, 0xFF, 0x09, 0x10, 0x26, 0xFF, 0x00, 0x75, 0x08,  //
                        0x95, 0x01, 0xB1, 0x03,  //   vendor version byte: Feature (Const,Var)
                        0xC0};

TEST(ReportDescriptor, ConstantFieldsWithAUsageAreCapabilitiesAndOnlyTheRestPadding) {
    HidDescriptorInfo info = Parse(kHeadset);
    ASSERT_EQ(info.collections.size(), 1u);
    const HidPreparsedData& pd = *info.collections[0];
    EXPECT_EQ(pd.caps.numberFeatureButtonCaps, 10);
    EXPECT_EQ(pd.caps.numberFeatureValueCaps, 1);
    EXPECT_EQ(pd.caps.featureReportByteLength, 4);  // 9 + 1 + 6 + 8 bits and the id byte

    const auto& buttons = pd.of(HidReportType::Feature).buttonCaps;
    ASSERT_EQ(buttons.size(), 10u);
    EXPECT_EQ(buttons[9].usagePage, 0x0B);
    EXPECT_EQ(buttons[9].usageMin, 0x24);
    EXPECT_EQ(buttons[9].bitOffset, 9u);
    EXPECT_EQ(buttons[9].bitField & 1, 1);  // marked constant, as Windows marks it
    const auto& values = pd.of(HidReportType::Feature).valueCaps;
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].usagePage, 0xFF00);
    EXPECT_EQ(values[0].usageMin, 0x10);
    EXPECT_EQ(values[0].bitOffset, 16u);

    // What diagnose prints agrees.
    const ReportTypeSummary s = SummariseReportType(pd, HidReportType::Feature);
    EXPECT_EQ(s.buttonCaps, 10);
    EXPECT_EQ(s.valueCaps, 1);
    EXPECT_EQ(s.byteLength, 4);

    // The constant value reads like any other.
    const uint8_t report[4] = {5, 0x01, 0x02, 0x2A};
    uint32_t version = 0;
    EXPECT_EQ(hidp::GetUsageValue(HidReportType::Feature, 0xFF00, 0, 0x10, &version, &pd, report,
                                  sizeof report),
              HidStatus::Success);
    EXPECT_EQ(version, 0x2Au);
}

TEST(ReportDescriptor, MouseCapsAndDecoding) {
    HidDescriptorInfo info = Parse(kMouse);
    ASSERT_EQ(info.collections.size(), 1u);
    const HidPreparsedData* pd = info.collections[0].get();
    EXPECT_FALSE(info.numbered);
    const HidCaps& caps = pd->caps;
    EXPECT_EQ(caps.usagePage, 1);
    EXPECT_EQ(caps.usage, 2);
    EXPECT_EQ(caps.inputReportByteLength, 5);
    EXPECT_EQ(caps.numberLinkCollectionNodes, 2);
    EXPECT_EQ(caps.numberInputButtonCaps, 1);
    EXPECT_EQ(caps.numberInputValueCaps, 3);
    EXPECT_EQ(caps.numberInputDataIndices, 6);

    std::vector<HidButtonCaps> buttons;
    ASSERT_EQ(hidp::GetSpecificButtonCaps(HidReportType::Input, 0, 0, 0, buttons, pd),
              HidStatus::Success);
    ASSERT_EQ(buttons.size(), 1u);
    EXPECT_TRUE(buttons[0].isRange);
    EXPECT_EQ(buttons[0].usagePage, 9);
    EXPECT_EQ(buttons[0].usageMin, 1);
    EXPECT_EQ(buttons[0].usageMax, 3);
    EXPECT_EQ(buttons[0].linkCollection, 1);
    std::vector<HidValueCaps> values;
    ASSERT_EQ(hidp::GetSpecificValueCaps(HidReportType::Input, 1, 0, 0x31, values, pd),
              HidStatus::Success);
    ASSERT_EQ(values.size(), 1u);
    EXPECT_FALSE(values[0].isRange);
    EXPECT_FALSE(values[0].isAbsolute);
    EXPECT_EQ(values[0].bitOffset, 16u);
    EXPECT_EQ(values[0].logicalMin, -127);
    EXPECT_EQ(values[0].logicalMax, 127);
    EXPECT_EQ(hidp::GetSpecificValueCaps(HidReportType::Output, 0, 0, 0, values, pd),
              HidStatus::UsageNotFound);
    EXPECT_EQ(hidp::MaxUsageListLength(HidReportType::Input, 9, pd), 3u);

    const uint8_t report[] = {0, 0b101, 0xFB, 0x7F, 0x81};
    uint16_t usages[3] = {};
    uint32_t n = 3;
    ASSERT_EQ(hidp::GetUsages(HidReportType::Input, 9, 0, usages, &n, pd, report, sizeof report),
              HidStatus::Success);
    ASSERT_EQ(n, 2u);
    EXPECT_EQ(usages[0], 1);
    EXPECT_EQ(usages[1], 3);
    n = 1;
    EXPECT_EQ(hidp::GetUsages(HidReportType::Input, 9, 0, usages, &n, pd, report, sizeof report),
              HidStatus::BufferTooSmall);
    EXPECT_EQ(n, 1u);

    uint32_t raw = 0;
    int32_t scaled = 0;
    ASSERT_EQ(
        hidp::GetUsageValue(HidReportType::Input, 1, 0, 0x30, &raw, pd, report, sizeof report),
        HidStatus::Success);
    EXPECT_EQ(raw, 0xFBu);
    struct {
        uint16_t usage;
        int32_t want;
    } axes[] = {{0x30, -5}, {0x31, 127}, {0x38, -127}};
    for (auto a : axes) {
        ASSERT_EQ(hidp::GetScaledUsageValue(HidReportType::Input, 1, 0, a.usage, &scaled, pd,
                                            report, sizeof report),
                  HidStatus::Success);
        EXPECT_EQ(scaled, a.want) << a.usage;
    }
    const uint8_t outOfRange[] = {0, 0, 0x80, 0, 0};  // -128 is below the logical minimum
    EXPECT_EQ(hidp::GetScaledUsageValue(HidReportType::Input, 1, 0, 0x30, &scaled, pd, outOfRange,
                                        sizeof outOfRange),
              HidStatus::ValueOutOfRange);
    // Reports too short for the field, or of another id, are refused, not read past their end.
    EXPECT_EQ(hidp::GetUsageValue(HidReportType::Input, 1, 0, 0x38, &raw, pd, report, 4),
              HidStatus::InvalidReportLength);
    const uint8_t otherId[] = {7, 1, 0, 0, 0};
    EXPECT_EQ(hidp::GetUsages(HidReportType::Input, 9, 0, usages, &n, pd, otherId, 5),
              HidStatus::IncompatibleReportId);
    EXPECT_EQ(hidp::GetUsages(HidReportType::Input, 7, 0, usages, &n, pd, report, 5),
              HidStatus::UsageNotFound);
}

TEST(ReportDescriptor, ArraySlotsMapLogicalValuesThroughEveryUsageEntry) {
    // Usage 0x20, then usages 0x40..0x42; logical 1..4 selects them in that order.
    const Bytes d = {0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x02, 0x09, 0x20, 0x19, 0x40, 0x29,
                     0x42, 0x15, 0x01, 0x25, 0x04, 0x75, 0x08, 0x95, 0x02, 0x81, 0x00, 0xC0};
    HidDescriptorInfo info = Parse(d);
    const HidPreparsedData* pd = info.collections[0].get();
    EXPECT_EQ(pd->caps.numberInputButtonCaps, 2);
    EXPECT_EQ(hidp::MaxUsageListLength(HidReportType::Input, 0x0C, pd), 2u);
    struct Case {
        uint8_t a, b;
        std::vector<uint16_t> want;
    } cases[] = {
        {1, 4, {0x20, 0x42}},
        {2, 0, {0x40}},  // 0 is outside the logical range: an empty slot
        {3, 9, {0x41}},
        {0, 0, {}},
    };
    for (const auto& c : cases) {
        const uint8_t report[] = {2, c.a, c.b};
        uint16_t usages[4] = {};
        uint32_t n = 4;
        ASSERT_EQ(hidp::GetUsages(HidReportType::Input, 0x0C, 0, usages, &n, pd, report, 3),
                  HidStatus::Success);
        EXPECT_EQ(std::vector<uint16_t>(usages, usages + n), c.want) << int(c.a) << "," << int(c.b);
    }
}

TEST(ReportDescriptor, ScalingUsesThePhysicalRangeAndNullStates) {
    // 0..255 logical onto 0..1000 physical, with a null state.
    const Bytes d = {0x05, 0x01, 0x09, 0x04, 0xA1, 0x01, 0x09, 0x30, 0x15, 0x00, 0x26, 0xFF,
                     0x00, 0x35, 0x00, 0x46, 0xE8, 0x03, 0x75, 0x08, 0x95, 0x01, 0x81, 0x42,
                     0x09, 0x31, 0x15, 0x0A, 0x25, 0x0A, 0x75, 0x08, 0x81, 0x02, 0xC0};
    HidDescriptorInfo info = Parse(d);
    const HidPreparsedData* pd = info.collections[0].get();
    int32_t v = 0;
    const uint8_t full[] = {0, 255, 10};
    ASSERT_EQ(hidp::GetScaledUsageValue(HidReportType::Input, 1, 0, 0x30, &v, pd, full, 3),
              HidStatus::Success);
    EXPECT_EQ(v, 1000);
    const uint8_t half[] = {0, 51, 10};
    ASSERT_EQ(hidp::GetScaledUsageValue(HidReportType::Input, 1, 0, 0x30, &v, pd, half, 3),
              HidStatus::Success);
    EXPECT_EQ(v, 200);
    // A logical range of one value cannot be scaled.
    EXPECT_EQ(hidp::GetScaledUsageValue(HidReportType::Input, 1, 0, 0x31, &v, pd, full, 3),
              HidStatus::BadLogPhyValues);
}

TEST(ReportDescriptor, HostileDescriptorsAreRefused) {
    const Bytes open = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01};
    const Bytes data = {0x75, 0x08, 0x95, 0x01, 0x09, 0x01, 0x81, 0x02};
    Bytes tooDeep;
    for (int i = 0; i < HidParseLimits::kMaxDepth + 1; ++i)
        tooDeep.insert(tooDeep.end(), {0xA1, 0x00});
    Bytes manyUsages = open;
    for (size_t i = 0; i <= HidParseLimits::kMaxUsageEntries; ++i)
        manyUsages.insert(manyUsages.end(), {0x09, 0x01});
    manyUsages.insert(manyUsages.end(), {0x81, 0x02, 0xC0});
    Bytes manyCaps = open;
    for (size_t i = 0; i <= HidParseLimits::kMaxCapsPerType; ++i)
        manyCaps.insert(manyCaps.end(), {0x75, 0x08, 0x95, 0x01, 0x09, 0x01, 0x81, 0x02});
    manyCaps.push_back(0xC0);
    Bytes manySlots = open;
    for (int i = 0; i < 5; ++i)  // 5 x 4000 one-bit slots, spread over report ids
        manySlots.insert(manySlots.end(), {0x85, uint8_t(i + 1), 0x75, 0x01, 0x96, 0xA0, 0x0F, 0x09,
                                           0x01, 0x81, 0x02});
    manySlots.push_back(0xC0);
    Bytes pushes;
    for (int i = 0; i <= HidParseLimits::kMaxPushDepth; ++i) pushes.push_back(0xA4);

    struct Case {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"truncated item", {0x06, 0x00}},
        {"truncated 4-byte item", Cat({open, {0x27, 0xFF, 0xFF}})},
        {"truncated long item", {0xFE, 0x10, 0x00, 0x01, 0x02}},
        {"long item header cut", {0xFE, 0x01}},
        {"end without collection", {0xC0}},
        {"unclosed collection", Cat({open, data})},
        {"nested too deep", Cat({open, tooDeep})},
        {"pop without push", {0xB4}},
        {"push too deep", pushes},
        {"report count too large", Cat({open, {0x96, 0x01, 0x10, 0x75, 0x01, 0x81, 0x02, 0xC0}})},
        {"report size too large", Cat({open, {0x76, 0x01, 0x01, 0x95, 0x01, 0x81, 0x02, 0xC0}})},
        {"report too long", Cat({open, {0x75, 0x80, 0x96, 0x01, 0x01, 0x81, 0x02, 0xC0}})},
        {"report id 0", Cat({open, {0x85, 0x00, 0xC0}})},
        {"report id 256", Cat({open, {0x86, 0x00, 0x01, 0xC0}})},
        {"reversed usage range",
         Cat({open, {0x19, 0x05, 0x29, 0x01, 0x75, 0x01, 0x95, 0x01, 0x81, 0x02, 0xC0}})},
        {"too many usages", manyUsages},
        {"too many capabilities", manyCaps},
        {"too many data slots", manySlots},
        {"main item inside delimiter", Cat({open, {0xA9, 0x01, 0x09, 0x01}, data, {0xC0}})},
        {"descriptor too long", Bytes(HidParseLimits::kMaxDescriptorBytes + 1, 0x00)},
    };
    for (const auto& c : cases) {
        HidDescriptorInfo info;
        std::string error;
        EXPECT_FALSE(ParseReportDescriptor(c.bytes.data(), c.bytes.size(), info, &error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
        EXPECT_TRUE(info.collections.empty()) << c.what;
    }

    // At the limits themselves, and with long items, descriptors still parse.
    Bytes atDepth = open;
    for (int i = 1; i < HidParseLimits::kMaxDepth; ++i) atDepth.insert(atDepth.end(), {0xA1, 0x00});
    atDepth.insert(atDepth.end(), data.begin(), data.end());
    for (int i = 0; i < HidParseLimits::kMaxDepth; ++i) atDepth.push_back(0xC0);
    EXPECT_EQ(Parse(atDepth).collections.size(), 1u);
    EXPECT_EQ(Parse(atDepth).collections[0]->caps.numberLinkCollectionNodes,
              HidParseLimits::kMaxDepth);
    EXPECT_EQ(Parse(Cat({{0xFE, 0x02, 0x10, 0xAA, 0xBB}, open, data, {0xC0}})).collections.size(),
              1u);
}

}  // namespace
}  // namespace vorlin
