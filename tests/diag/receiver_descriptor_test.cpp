// A descriptor with four top-level collections parses to the caps Windows reports for it.
//
// The expected figures were worked out by hand from the rules the Windows HID parser follows
// (Microsoft's HID documentation on HIDP_CAPS and the button and value capability arrays):
// a report length is the longest report of that type in the collection, rounded up to whole
// bytes, plus the report id byte; an array item gives one button cap per usage or usage range
// it lists; a variable item of 1-bit fields gives button caps, of wider fields one value cap
// per usage or usage range (a single usage with a report count above 1 stays one cap);
// constant items without usages are padding and give no cap; every collection, the top-level
// one included, is a link collection node.
#include <gtest/gtest.h>

#include "device/hid/hid_diagnostics.h"
#include "device/hid/report_descriptor.h"
#include "diag/diag_fixture.h"

namespace vorlin {
namespace {

struct TypeWant {
    uint16_t length, buttons, values;
    std::vector<uint8_t> ids;
};

struct CollectionWant {
    uint16_t usagePage, usage, linkNodes;
    TypeWant input, output, feature;
};

TEST(ReceiverDescriptor, ParsesToTheCapsWindowsReports) {
    const std::vector<uint8_t> bytes = testing::LoadHexFixture("wireless_receiver.hex");
    ASSERT_EQ(bytes.size(), 170u);
    HidDescriptorInfo info;
    std::string error;
    ASSERT_TRUE(ParseReportDescriptor(bytes.data(), bytes.size(), info, &error)) << error;
    EXPECT_TRUE(info.numbered);

    const CollectionWant want[] = {
        // mouse: 16 buttons as one range; X, Y, wheel and AC pan as four value caps; 56 bits
        {0x0001, 0x0002, 2, {8, 1, 4, {2}}, {0, 0, 0, {}}, {0, 0, 0, {}}},
        // consumer control: one array range, two 16-bit slots
        {0x000C, 0x0001, 1, {5, 1, 0, {3}}, {0, 0, 0, {}}, {0, 0, 0, {}}},
        // system control: three listed usages in one array, 2 bits plus 6 of padding
        {0x0001, 0x0080, 1, {2, 3, 0, {4}}, {0, 0, 0, {}}, {0, 0, 0, {}}},
        // vendor channel: 7- and 20-byte messages both ways, one 4-byte feature value
        {0xFF00, 0x0001, 1, {20, 2, 0, {0x10, 0x11}}, {20, 2, 0, {0x10, 0x11}}, {5, 0, 1, {0x12}}},
    };
    ASSERT_EQ(info.collections.size(), std::size(want));
    for (size_t c = 0; c < std::size(want); ++c) {
        SCOPED_TRACE("collection " + std::to_string(c + 1));
        const HidPreparsedData& pd = *info.collections[c];
        const CollectionWant& w = want[c];
        EXPECT_EQ(pd.caps.usagePage, w.usagePage);
        EXPECT_EQ(pd.caps.usage, w.usage);
        EXPECT_EQ(pd.caps.numberLinkCollectionNodes, w.linkNodes);
        const TypeWant* types[] = {&w.input, &w.output, &w.feature};
        for (int t = 0; t < 3; ++t) {
            SCOPED_TRACE("report type " + std::to_string(t));
            const ReportTypeSummary s = SummariseReportType(pd, static_cast<HidReportType>(t));
            EXPECT_EQ(s.byteLength, types[t]->length);
            EXPECT_EQ(s.buttonCaps, types[t]->buttons);
            EXPECT_EQ(s.valueCaps, types[t]->values);
            EXPECT_EQ(s.reportIds, types[t]->ids);
        }
    }

    // The mouse's value caps keep X and Y apart and the pan on its own page.
    const auto& values = info.collections[0]->of(HidReportType::Input).valueCaps;
    ASSERT_EQ(values.size(), 4u);
    EXPECT_EQ(values[0].usageMin, 0x30);
    EXPECT_EQ(values[1].usageMin, 0x31);
    EXPECT_EQ(values[0].bitSize, 12);
    EXPECT_EQ(values[0].logicalMin, -2047);
    EXPECT_EQ(values[3].usagePage, 0x000C);
    EXPECT_EQ(values[3].usageMin, 0x0238);
    const auto& feature = info.collections[3]->of(HidReportType::Feature).valueCaps;
    ASSERT_EQ(feature.size(), 1u);
    EXPECT_EQ(feature[0].reportCount, 4);
    EXPECT_FALSE(feature[0].isRange);
}

}  // namespace
}  // namespace vorlin
