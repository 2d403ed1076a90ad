// Key code conversions and key names.
#include "keys/key_codes.h"

#include "keys/key_table.h"

namespace vorlin {

KeyIndex KeyIndexOf(KeyCode code) {
    if (code < 256) return code;
    if (code < 512) return static_cast<KeyIndex>((code - 128) % 256);
    if (code < 768) return static_cast<KeyIndex>(code - 256);
    return 0;
}

KeyCode KeyCodeOf(KeyIndex index) {
    if (index < 128) return index;
    return static_cast<KeyCode>(index + 128);
}

uint16_t DisplayIdOf(KeyCode code) {
    return KeyRowAt(KeyIndexOf(code)).displayId;
}

KeyCode KeyCodeFromDisplayId(uint16_t displayId) {
    const auto& table = KeyTable();
    for (int i = 0; i < kKeyTableRows; ++i) {
        if (table[i].displayId == displayId && displayId != 0xFFFF) {
            return KeyCodeOf(static_cast<KeyIndex>(i));
        }
    }
    return 0;
}

std::pair<uint16_t, uint16_t> KeyCodeToUsage(KeyCode code) {
    const uint8_t u = KeyRowAt(KeyIndexOf(code)).deviceUsage;
    if (u == 0 || u == 0xFF) return {0, 0};
    if (u >= 0x81 && u <= 0x83) return {1, u};
    if (u >= 0xF1 && u <= 0xF8) return {2, u};
    return {7, u};
}

KeyCode UsageToKeyCode(uint16_t page, uint16_t usage) {
    uint16_t target = 0;
    if (page == 7) {
        target = usage <= 0xFF ? usage : 0;  // a keyboard-page usage is one byte
    } else if (page == 1) {
        target = (usage >= 0x81 && usage <= 0x83) ? usage : 0;
    } else if (page == 12) {
        const auto& consumer = ConsumerCodeTable();
        for (int j = 0; j < 18; ++j) {
            if (consumer[j] == usage && usage != 0) {
                target = static_cast<uint16_t>(0xC0 + j);
                break;
            }
        }
    }
    if (target == 0) return 0;
    const auto& table = KeyTable();
    for (int i = 0; i < kKeyTableRows; ++i) {
        if (table[i].deviceUsage == target) return KeyCodeOf(static_cast<KeyIndex>(i));
    }
    return 0;
}

KeyCode KeyCodeFromVk(uint32_t vk) {
    if (vk > 0xFF) return 0;
    const uint8_t index = VkTable()[vk].keyIndex;
    return index == 0 ? 0 : KeyCodeOf(index);
}

KeyCode KeyCodeFromKeyMessage(uint32_t vk, uint32_t lParam) {
    const KeyCode s = static_cast<KeyCode>((lParam >> 16) & 0x1FF);
    KeyCode code;
    if (vk == 0xFF)
        code = s;
    else if ((s & 0xFF) == 0)
        code = KeyCodeFromVk(vk);  // synthesised input carries no scan code
    else
        code = s;
    if (code == 0x146) return 0x45;  // Ctrl+Break is the Pause key
    if (code == 0x54) return 0x137;  // Alt+Print Screen is the Print Screen key
    if (code == 0x136) return 0x36;  // an extended right Shift is still right Shift
    return code;
}

KeyCode ModifierMaskToKeyCode(uint8_t mask) {
    static constexpr KeyCode kCodes[8] = {0x1D, 0x2A, 0x38, 0x15B, 0x11D, 0x36, 0x138, 0x15C};
    for (int bit = 0; bit < 8; ++bit) {
        if (mask & (1u << bit)) return kCodes[bit];
    }
    return 0;
}

bool IsUpOnlyKey(KeyCode code) {
    return code == 84 || code == 113 || code == 114 || code == 0x137;
}

bool IsMediaKeyCode(KeyCode code) {
    for (const MediaEntry& entry : MediaList()) {
        if (entry.code == code) return true;
    }
    return false;
}

}  // namespace vorlin
