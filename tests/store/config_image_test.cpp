// The image layout: header bytes and checksum, device block, default tables.
#include <gtest/gtest.h>

#include <vector>

#include "platform/le_bytes.h"
#include "store/config_image.h"

namespace vorlin {
namespace {

std::vector<uint8_t> Serialise(const ConfigImage& image) {
    std::vector<uint8_t> bytes(kImageSize);
    WriteConfigImage(image, bytes.data());
    return bytes;
}

TEST(ConfigImage, FreshHeaderBytes) {
    const auto image = MakeDefaultImage();
    ASSERT_TRUE(image);
    const std::vector<uint8_t> bytes = Serialise(*image);
    const std::vector<uint8_t> head(bytes.begin(), bytes.begin() + 12);
    EXPECT_EQ(head, (std::vector<uint8_t>{0x46, 0x44, 0x20, 0x00, 0x03, 0x00, 0x01, 0x00, 0x40,
                                          0x80, 0x00, 0x00}));
    EXPECT_EQ(bytes[12], 0x00);
    EXPECT_EQ(bytes[13], 0x08);
    for (int i = 14; i <= 30; ++i) EXPECT_EQ(bytes[i], 0) << "byte " << i;
    EXPECT_EQ(bytes[31], 0x76);
}

TEST(ConfigImage, HeaderRefreshCoversCountsStringsAndFlag) {
    struct Case {
        uint16_t macros;
        uint32_t strings;
        uint8_t flag;
        uint32_t total;
    };
    for (const Case& c : {Case{0, 0, 0, 32832}, Case{3, 10, 0, 32832 + 3 * 16512 + 10},
                          Case{100, 70000, 1, 32832 + 100 * 16512 + 70000}}) {
        ConfigImage image;
        image.RefreshHeader(c.macros, c.strings, c.flag);
        const std::vector<uint8_t> bytes = Serialise(image);
        EXPECT_EQ(GetU32(bytes.data() + 8), c.total);
        EXPECT_EQ(GetU16(bytes.data() + 14), c.macros);
        EXPECT_EQ(GetU32(bytes.data() + 16), c.strings);
        EXPECT_EQ(bytes[30], c.flag);
        unsigned sum = 0;
        for (int i = 0; i < 31; ++i) sum += bytes[i];
        EXPECT_EQ(bytes[31], sum % 256);
        const ImageHeader back = ReadImageHeader(bytes.data());
        EXPECT_EQ(back.checksum, bytes[31]);
        EXPECT_EQ(back.totalSize, c.total);
    }
}

TEST(ConfigImage, DefaultImageLayout) {
    const auto image = MakeDefaultImage();
    const std::vector<uint8_t> bytes = Serialise(*image);
    const uint32_t block[8] = {0x0020484B, 0x00008020, 0x02000004, 0, 0x50040C45, 0x000E1C4F, 0, 0};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(GetU32(bytes.data() + 32 + 4 * i), block[i]);

    // Only the u16 at offset 2 of entries 256..273 of table 0 is set.
    for (size_t at = 64; at < kImageSize; at += 2) {
        const size_t table = (at - 64) / kKeyActionTableSize;
        const size_t entry = (at - 64) % kKeyActionTableSize / 16;
        const size_t field = (at - 64) % 16;
        uint16_t want = 0;
        if (table == 0 && field == 2 && entry >= 256 && entry < 265) want = 0x0301 + (entry - 256);
        if (table == 0 && field == 2 && entry >= 265 && entry < 274) want = 0x1301 + (entry - 265);
        ASSERT_EQ(GetU16(bytes.data() + at), want) << "table " << table << " entry " << entry;
    }
}

TEST(ConfigImage, ReadBackIsFieldForField) {
    auto image = MakeDefaultImage();
    image->tables[2][30] = KeyAction{kActionKey, 0, 0x2A, 1, 0};
    image->tables[3][511] = KeyAction{kActionText, 7, 0x12345678, 0xFFFFFFFF, 9};
    image->RefreshHeader(2, 40, 1);
    const std::vector<uint8_t> bytes = Serialise(*image);
    ConfigImage back;
    ReadConfigImage(bytes.data(), back);
    EXPECT_EQ(Serialise(back), bytes);
    EXPECT_EQ(back.tables[3][511].value, 0x12345678u);
    EXPECT_EQ(back.Slot(3 * 512 + 511).reserved, 9u);
    // Table 2 entry 30 sits at 64 + 2 * 8192 + 30 * 16.
    EXPECT_EQ(GetU16(bytes.data() + 64 + 2 * 8192 + 30 * 16), kActionKey);
    EXPECT_EQ(GetU32(bytes.data() + 64 + 2 * 8192 + 30 * 16 + 4), 0x2Au);
}

}  // namespace
}  // namespace vorlin
