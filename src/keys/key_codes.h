// Conversions between the KeyCode and the code spaces at the system's edges: key-table rows,
// key selection list positions, HID usages, Windows virtual keys and key messages, HID modifier
// masks and Linux input event codes. The display names of keys are the language's
// (skin/key_names.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "keys/key_action.h"

namespace vorlin {

// k < 256: k; 256..511: (k - 128) mod 256; 512..767: k - 256 (G1.. land on 256..); codes above
// 767 lie outside every table and give 0.
KeyIndex KeyIndexOf(KeyCode code);
// i < 128: i; otherwise i + 128.
KeyCode KeyCodeOf(KeyIndex index);

uint16_t DisplayIdOf(KeyCode code);
// The first row (lowest index) with that displayId; 0 when none.
KeyCode KeyCodeFromDisplayId(uint16_t displayId);

// (usage page, usage) the keyboard uses for the key: (0, 0) none, (1, u) system controls,
// (2, u) mouse functions, (7, u) otherwise (consumer codes 0xC0.. included).
std::pair<uint16_t, uint16_t> KeyCodeToUsage(KeyCode code);
// The first row whose device usage is the target byte of (page, usage); 0 when none.
KeyCode UsageToKeyCode(uint16_t page, uint16_t usage);

KeyCode KeyCodeFromVk(uint32_t vk);
// For a key message with lParam in the WM_KEYDOWN layout.
KeyCode KeyCodeFromKeyMessage(uint32_t vk, uint32_t lParam);
// The key of the lowest set bit of an HID modifier byte; 0 for none.
KeyCode ModifierMaskToKeyCode(uint8_t mask);

// Keys for which Windows delivers only the release.
bool IsUpOnlyKey(KeyCode code);
// The 18 multimedia keys.
bool IsMediaKeyCode(KeyCode code);

// A Linux input event code (linux/input-event-codes.h; X11 keycode - 8, or evdev) as the
// system's KeyCode; 0 for codes that are no key of the table.
KeyCode KeyCodeFromInputCode(uint32_t inputCode);

}  // namespace vorlin
