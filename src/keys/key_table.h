// The key table: every key the system can show, capture, assign or send, identified by its
// KeyCode (set-1 make code, + 0x100 for E0 keys, 512 + n for macro key G(n+1)), and the small
// tables beside it (consumer usages, virtual keys, the multimedia list).
#pragma once

#include <array>
#include <cstdint>

#include "keys/key_action.h"

namespace vorlin {

struct KeyRow {
    uint8_t charCode = 0;         // not read by the system
    uint8_t vk = 0;               // Windows virtual-key code
    uint16_t displayId = 0xFFFF;  // position in the key selection lists; 0xFFFF empty row
    const char* label = "";       // English label (UTF-8)
    uint8_t labelKind = 0;        // 0 plain, 1 letter, 2 symbol with shifted character, 3 keypad
    uint8_t secondVk = 0;         // keypad navigation VK; not read by the system
    uint8_t secondUsage = 0;      // not read by the system
    uint8_t deviceUsage = 0;      // the byte the keyboard uses for this key
    const char* altLabel = "";    // shifted character, lowercase letter or navigation name
    const char* nameKey = "";     // language key of the display name; "" for none
};

constexpr int kKeyTableRows = 256;
constexpr int kKeySelectionCount = 111;  // displayIds 0..110 are offered in the key lists

// The 256 rows, indexed by KeyIndex; rows without a key have displayId 0xFFFF.
const std::array<KeyRow, kKeyTableRows>& KeyTable();
// Row of an index; the empty row for indexes beyond the table (macro keys and the like).
const KeyRow& KeyRowAt(KeyIndex index);

// Slot j stands for deviceUsage 0xC0 + j; slots 18..31 are 0.
const std::array<uint16_t, 32>& ConsumerCodeTable();

struct VkRow {
    uint16_t unused = 0;
    uint8_t charCode = 0;
    uint8_t keyIndex = 0;
};
const std::array<VkRow, 256>& VkTable();

struct MediaEntry {
    KeyCode code;            // the key whose name is shown
    uint16_t consumerUsage;  // what the keyboard sends
};
constexpr int kMediaCount = 18;
const std::array<MediaEntry, kMediaCount>& MediaList();

constexpr int kFunctionCount = 11;
// Language key of FunctionList entry f ("FUNC_KEY_DESC1" .. "FUNC_KEY_DESC11"); "" out of range.
const char* FunctionNameKey(int f);

struct MouseEntry {
    const char* nameKey;
    KeyCode code;
};
constexpr int kMouseCount = 5;
const std::array<MouseEntry, kMouseCount>& MouseList();

}  // namespace vorlin
