// KeyAction serialisation and the translation between KeyActions and device key records.
#include "keys/key_action.h"

#include <algorithm>

#include "keys/key_codes.h"
#include "keys/key_table.h"
#include "platform/le_bytes.h"

namespace vorlin {
namespace {

// Modifier keys in the bit order of the HID modifier byte.
constexpr KeyCode kModifierCodes[8] = {0x1D, 0x2A, 0x38, 0x15B, 0x11D, 0x36, 0x138, 0x15C};

DeviceKeyRecord EncodeKey(uint32_t value) {
    for (int bit = 0; bit < 8; ++bit) {
        if (value == kModifierCodes[bit]) return {2, 1, static_cast<uint8_t>(1u << bit)};
    }
    switch (value) {
        case 0x171:
            return {1, 1, 0x01};
        case 0x172:
            return {1, 1, 0x02};
        case 0x173:
            return {1, 1, 0x04};
        case 0x161:
            return {1, 5, 0x01};
        case 0x162:
            return {1, 5, 0xFF};
        default:
            break;
    }
    // A value wider than a KeyCode names no key (it must not alias a smaller code).
    if (value > 0xFFFF) return {2, 2, 0};
    const auto [page, usage] = KeyCodeToUsage(static_cast<KeyCode>(value));
    return {2, 2, static_cast<uint8_t>(page == 7 ? usage : 0)};
}

}  // namespace

void WriteKeyAction(const KeyAction& action, uint8_t* out16) {
    PutU16(out16 + 0, action.type);
    PutU16(out16 + 2, action.extra);
    PutU32(out16 + 4, action.value);
    PutU32(out16 + 8, action.switchFlag);
    PutU32(out16 + 12, action.reserved);
}

KeyAction ReadKeyAction(const uint8_t* in16) {
    KeyAction action;
    action.type = GetU16(in16 + 0);
    action.extra = GetU16(in16 + 2);
    action.value = GetU32(in16 + 4);
    action.switchFlag = GetU32(in16 + 8);
    action.reserved = GetU32(in16 + 12);
    return action;
}

KeyCode DecodeDeviceRecord(const DeviceKeyRecord& record) {
    const auto [kind, b1, b2] = record;
    switch (kind) {
        case 1:
            if (b1 == 1) {
                if (b2 == 1) return 0x171;
                if (b2 == 2) return 0x172;
                if (b2 == 4) return 0x173;
            } else if (b1 == 5) {
                if (b2 == 0x01) return 0x161;
                if (b2 == 0xFF) return 0x162;
            }
            return 0;
        case 2:
            return b1 == 2 ? UsageToKeyCode(7, b2) : ModifierMaskToKeyCode(b2);
        case 3:
            return UsageToKeyCode(12, static_cast<uint16_t>(b1 | (b2 << 8)));
        case 4:
            return UsageToKeyCode(1, static_cast<uint16_t>(b1 | (b2 << 8)));
        case 6:
            return b1 == 0xA2 ? static_cast<KeyCode>(0x1FF + b2) : 0;
        default:
            return 0;
    }
}

DeviceKeyRecord EncodeKeyAction(const KeyAction& action, const DeviceKeyRecord& factory,
                                const MacroIndexOf& findMacroIndex) {
    switch (action.type) {
        case kActionDefault:
        case kActionLaunch:
            return factory;  // the host reacts to the key's own code
        case kActionDisabled:
        case kActionText:
            return {0, 0, 0};  // the host types the text; the key itself is silent
        case kActionKey:
            return EncodeKey(action.value);
        case kActionMacro: {
            const int index = findMacroIndex ? findMacroIndex(action.value) : 0;
            return {5, 1, static_cast<uint8_t>(index)};
        }
        case kActionStopMacro:
            return {5, 2, 0};
        case kActionMedia: {
            if (action.value >= static_cast<uint32_t>(kMediaCount)) return factory;
            const uint16_t usage = MediaList()[action.value].consumerUsage;
            return {3, static_cast<uint8_t>(usage & 0xFF), static_cast<uint8_t>(usage >> 8)};
        }
        case kActionFunction:
            return {5, 5, static_cast<uint8_t>(action.value)};
        default:
            return factory;
    }
}

bool KeyboardCanSend(uint32_t code) {
    return DecodeDeviceRecord(EncodeKey(code)) != 0;
}

void DecodeKeyAction(const DeviceKeyRecord& device, const DeviceKeyRecord& factory,
                     KeyAction* table) {
    if (device == factory) return;  // unchanged: the key stays default
    const KeyIndex index = KeyIndexOf(DecodeDeviceRecord(factory));
    if (index == 0 || index >= kKeyActionTableEntries) return;
    KeyAction& entry = table[index];
    entry.type = kActionDisabled;
    entry.value = 0;
    const auto [kind, b1, b2] = device;
    switch (kind) {
        case 5:
            if (b1 == 1) {
                entry.type = kActionMacro;
                entry.value = b2 + 1u;
            } else if (b1 == 2) {
                entry.type = kActionStopMacro;
            } else if (b1 == 5) {
                entry.type = kActionFunction;
                entry.value = b2;
            }
            break;
        case 3: {
            const uint16_t usage = static_cast<uint16_t>(b1 | (b2 << 8));
            for (int j = 0; j < kMediaCount; ++j) {
                if (MediaList()[j].consumerUsage == usage) {
                    entry.type = kActionMedia;
                    entry.value = static_cast<uint32_t>(j);
                    break;
                }
            }
            break;
        }
        case 1: {
            const KeyCode code = DecodeDeviceRecord(device);
            if (code != 0) {
                entry.type = kActionKey;
                entry.value = code;
            }
            break;
        }
        case 2: {
            const KeyCode code = b1 == 2 ? UsageToKeyCode(7, b2) : ModifierMaskToKeyCode(b2);
            if (code != 0) {
                entry.type = kActionKey;
                entry.value = code;
            }
            break;
        }
        default:
            break;
    }
}

DeviceKeyRecord DeviceRecordAt(std::span<const uint8_t> keyMap, int position) {
    if (position < 0 || static_cast<size_t>(position) * 3 + 3 > keyMap.size()) return {0, 0, 0};
    const size_t at = static_cast<size_t>(position) * 3;
    return {keyMap[at], keyMap[at + 1], keyMap[at + 2]};
}

std::vector<uint8_t> EncodeKeyMap(const KeyAction* table, std::span<const uint8_t> factoryMap,
                                  int keyCount, const MacroIndexOf& findMacroIndex) {
    std::vector<uint8_t> map(factoryMap.begin(), factoryMap.end());
    const int positions = std::min<int>(keyCount, static_cast<int>(factoryMap.size() / 3));
    for (int i = 0; i < positions; ++i) {
        const DeviceKeyRecord factory = DeviceRecordAt(factoryMap, i);
        const KeyCode code = DecodeDeviceRecord(factory);
        if (code == 0) continue;  // names no key: never rewritten
        const DeviceKeyRecord record =
            EncodeKeyAction(table[KeyIndexOf(code)], factory, findMacroIndex);
        std::copy(record.begin(), record.end(), map.begin() + 3 * i);
    }
    return map;
}

void DecodeKeyMap(std::span<const uint8_t> deviceMap, std::span<const uint8_t> factoryMap,
                  int keyCount, KeyAction* table) {
    const int positions = std::min<int>({keyCount, static_cast<int>(deviceMap.size() / 3),
                                         static_cast<int>(factoryMap.size() / 3)});
    for (int i = 0; i < positions; ++i) {
        DecodeKeyAction(DeviceRecordAt(deviceMap, i), DeviceRecordAt(factoryMap, i), table);
    }
}

}  // namespace vorlin
