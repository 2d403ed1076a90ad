// Serialisation of the configuration image, its header and checksum, and the default image.
#include "store/config_image.h"

#include <new>

#include "platform/le_bytes.h"
#include "store/macro_record.h"

namespace vorlin {

uint8_t ImageHeaderChecksum(const uint8_t* header32) {
    unsigned sum = 0;
    for (size_t i = 0; i < 31; ++i) sum += header32[i];
    return static_cast<uint8_t>(sum);
}

void WriteImageHeader(const ImageHeader& h, uint8_t* out) {
    PutU16(out + 0, h.magic);
    PutU16(out + 2, h.headerSize);
    PutU16(out + 4, h.version);
    PutU16(out + 6, h.revision);
    PutU32(out + 8, h.totalSize);
    PutU16(out + 12, h.keyActionCount);
    PutU16(out + 14, h.macroCount);
    PutU32(out + 16, h.stringBytes);
    PutU32(out + 20, h.reserved20);
    PutU32(out + 24, h.reserved24);
    PutU16(out + 28, h.reserved28);
    out[30] = h.flag;
    out[31] = h.checksum;
}

ImageHeader ReadImageHeader(const uint8_t* in) {
    ImageHeader h;
    h.magic = GetU16(in + 0);
    h.headerSize = GetU16(in + 2);
    h.version = GetU16(in + 4);
    h.revision = GetU16(in + 6);
    h.totalSize = GetU32(in + 8);
    h.keyActionCount = GetU16(in + 12);
    h.macroCount = GetU16(in + 14);
    h.stringBytes = GetU32(in + 16);
    h.reserved20 = GetU32(in + 20);
    h.reserved24 = GetU32(in + 24);
    h.reserved28 = GetU16(in + 28);
    h.flag = in[30];
    h.checksum = in[31];
    return h;
}

uint64_t ImageFileSize(uint32_t macroCount, uint64_t stringBytes) {
    return kImageSize + uint64_t{macroCount} * kMacroRecordSize + stringBytes;
}

ImageHeader MakeImageHeader(uint16_t macroCount, uint32_t stringBytes, uint8_t flag) {
    ImageHeader h;
    h.totalSize = static_cast<uint32_t>(ImageFileSize(macroCount, stringBytes));
    h.macroCount = macroCount;
    h.stringBytes = stringBytes;
    h.flag = flag;
    uint8_t bytes[kImageHeaderSize];
    WriteImageHeader(h, bytes);
    h.checksum = ImageHeaderChecksum(bytes);
    return h;
}

void WriteConfigImage(const ConfigImage& image, uint8_t* out) {
    WriteImageHeader(image.header, out);
    uint8_t* p = out + kImageHeaderSize;
    for (uint32_t word : image.deviceBlock.words) {
        PutU32(p, word);
        p += 4;
    }
    for (const KeyActionTable& table : image.tables) {
        for (const KeyAction& action : table) {
            WriteKeyAction(action, p);
            p += kKeyActionSize;
        }
    }
}

void ReadConfigImage(const uint8_t* in, ConfigImage& image) {
    image.header = ReadImageHeader(in);
    const uint8_t* p = in + kImageHeaderSize;
    for (uint32_t& word : image.deviceBlock.words) {
        word = GetU32(p);
        p += 4;
    }
    for (KeyActionTable& table : image.tables) {
        for (KeyAction& action : table) {
            action = ReadKeyAction(p);
            p += kKeyActionSize;
        }
    }
}

void ResetKeyActionTable(KeyActionTable& table) {
    table.fill(KeyAction{});
    for (int i = 0; i < 9; ++i) {
        table[kFirstGKeyEntry + i].extra = static_cast<uint16_t>(0x0301 + i);
        table[kFirstGKeyEntry + 9 + i].extra = static_cast<uint16_t>(0x1301 + i);
    }
}

std::unique_ptr<ConfigImage> MakeDefaultImage() {
    std::unique_ptr<ConfigImage> image(new (std::nothrow) ConfigImage);
    if (!image) return nullptr;
    image->RefreshHeader(0, 0, 0);
    for (KeyActionTable& table : image->tables) table.fill(KeyAction{});
    ResetKeyActionTable(image->tables[0]);
    return image;
}

}  // namespace vorlin
