// The configuration image: header, device block and four tables of 512 key actions, 32832
// bytes that are also the start of every profile file. Held as fields in memory, written and
// read byte for byte.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "keys/key_action.h"

namespace vorlin {

constexpr size_t kImageHeaderSize = 32;
constexpr size_t kImageDeviceBlockSize = 32;
constexpr int kKeyActionTables = 4;  // profiles 0..2 and one reserved table
constexpr int kKeyActionsPerTable = 512;
constexpr int kKeyActionSlots = kKeyActionTables * kKeyActionsPerTable;       // 2048
constexpr size_t kKeyActionTableSize = kKeyActionsPerTable * kKeyActionSize;  // 8192
constexpr size_t kImageSize =
    kImageHeaderSize + kImageDeviceBlockSize + kKeyActionTables * kKeyActionTableSize;  // 32832
constexpr uint16_t kImageMagic = 0x4446;                                                // "FD"
constexpr KeyIndex kFirstGKeyEntry = 256;
constexpr int kGKeyEntries = 18;  // two sets of nine

struct ImageHeader {
    uint16_t magic = kImageMagic;
    uint16_t headerSize = kImageHeaderSize;
    uint16_t version = 3;
    uint16_t revision = 1;
    uint32_t totalSize = kImageSize;  // image + macro records + string area
    uint16_t keyActionCount = kKeyActionSlots;
    uint16_t macroCount = 0;
    uint32_t stringBytes = 0;
    uint32_t reserved20 = 0;
    uint32_t reserved24 = 0;
    uint16_t reserved28 = 0;
    uint8_t flag = 0;
    uint8_t checksum = 0;
};

// Sum of bytes 0..30 of a serialised header, modulo 256.
uint8_t ImageHeaderChecksum(const uint8_t* header32);
void WriteImageHeader(const ImageHeader& header, uint8_t* out32);
ImageHeader ReadImageHeader(const uint8_t* in32);
// Every field from the count, the string size and the flag, checksum included.
ImageHeader MakeImageHeader(uint16_t macroCount, uint32_t stringBytes, uint8_t flag = 0);
// What the header's total-size field must say for these counts (64 bits: no wrap).
uint64_t ImageFileSize(uint32_t macroCount, uint64_t stringBytes);

// Eight words written on creation and carried along uninterpreted.
struct ImageDeviceBlock {
    std::array<uint32_t, 8> words{0x0020484B, 0x00008020, 0x02000004, 0,
                                  0x50040C45, 0x000E1C4F, 0,          0};
};

using KeyActionTable = std::array<KeyAction, kKeyActionsPerTable>;

struct ConfigImage {
    ImageHeader header;
    ImageDeviceBlock deviceBlock;
    std::array<KeyActionTable, kKeyActionTables> tables;

    // slot = table x 512 + KeyIndex, the numbering the string slots share.
    KeyAction& Slot(int slot) {
        return tables[slot / kKeyActionsPerTable][slot % kKeyActionsPerTable];
    }
    const KeyAction& Slot(int slot) const {
        return tables[slot / kKeyActionsPerTable][slot % kKeyActionsPerTable];
    }
    void RefreshHeader(uint16_t macroCount, uint32_t stringBytes, uint8_t flag = 0) {
        header = MakeImageHeader(macroCount, stringBytes, flag);
    }
};

void WriteConfigImage(const ConfigImage& image, uint8_t* out);  // kImageSize bytes
void ReadConfigImage(const uint8_t* in, ConfigImage& image);    // kImageSize bytes

// All entries zero, then the G-key identifiers 0x0301..0x0309 and 0x1301..0x1309 in entries
// 256..273.
void ResetKeyActionTable(KeyActionTable& table);

// Header with no macros and no strings, the device block, tables zero except the G-key
// defaults of table 0. nullptr when memory is short.
std::unique_ptr<ConfigImage> MakeDefaultImage();

inline bool IsStringAction(const KeyAction& action) {
    return action.type == kActionLaunch || action.type == kActionText;
}

}  // namespace vorlin
