// A key's assignment on the PC (KeyAction, 16 bytes in images and files) and on the keyboard
// (DeviceKeyRecord, 3 bytes per key position), and the translation between them, always made
// against the keyboard's factory record of the position.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace vorlin {

using KeyCode = uint16_t;
using KeyIndex = uint16_t;

enum KeyActionType : uint16_t {
    kActionDefault = 0,
    kActionDisabled = 1,
    kActionKey = 2,
    kActionLaunch = 3,
    kActionMacro = 4,
    kActionStopMacro = 5,
    kActionText = 6,
    kActionMedia = 7,
    kActionFunction = 8,
};

struct KeyAction {
    uint16_t type = 0;
    uint16_t extra = 0;
    uint32_t value = 0;
    uint32_t switchFlag = 0;
    uint32_t reserved = 0;
};
constexpr size_t kKeyActionSize = 16;
constexpr int kKeyActionTableEntries = 512;

// Little-endian, field by field.
void WriteKeyAction(const KeyAction& action, uint8_t* out16);
KeyAction ReadKeyAction(const uint8_t* in16);

using DeviceKeyRecord = std::array<uint8_t, 3>;  // [kind, b1, b2]

// Position in the work store's macro list of a macro id (0 when not there).
using MacroIndexOf = std::function<int(uint32_t macroId)>;

// The key a factory record stands for; 0 when it names none.
KeyCode DecodeDeviceRecord(const DeviceKeyRecord& record);
DeviceKeyRecord EncodeKeyAction(const KeyAction& action, const DeviceKeyRecord& factory,
                                const MacroIndexOf& findMacroIndex);
// Whether a key can be given to another key (type 2): its record for the keyboard names a key.
// Keys without a keyboard-page code (Power, Copy, F13, ...) would be sent as [2, 2, 0], which
// does nothing.
bool KeyboardCanSend(uint32_t code);
// table: kKeyActionTableEntries KeyActions, freshly reset; sets type and value of the entry the
// factory record names (nothing when the records are equal or the factory record names no key).
void DecodeKeyAction(const DeviceKeyRecord& device, const DeviceKeyRecord& factory,
                     KeyAction* table);

// One record of a key map (three bytes per position); [0, 0, 0] outside the map.
DeviceKeyRecord DeviceRecordAt(std::span<const uint8_t> keyMap, int position);

// A profile's key map for the keyboard: a copy of the factory map in which every position below
// keyCount whose factory record names a key carries the record of that key's entry of table
// (kKeyActionTableEntries entries). Positions past the end of the factory map are not touched.
std::vector<uint8_t> EncodeKeyMap(const KeyAction* table, std::span<const uint8_t> factoryMap,
                                  int keyCount, const MacroIndexOf& findMacroIndex);
// Reading a profile's key map back into a freshly reset table, position by position.
void DecodeKeyMap(std::span<const uint8_t> deviceMap, std::span<const uint8_t> factoryMap,
                  int keyCount, KeyAction* table);

}  // namespace vorlin
