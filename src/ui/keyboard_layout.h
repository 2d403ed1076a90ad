// The keyboard picture of the main window as data: every key button with its caption, the key
// it stands for, its place in the key button list and its light. Where a button sits is read
// from the skin (Main.ini) under its layout key.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "keys/key_action.h"

namespace vorlin {

struct PictureKey {
    int controlId;
    const char* label;
    KeyCode keyCode;    // 0 for the G keys, Fn, K45 and K56
    int listPosition;   // 0..103 in the key button list, -1 for buttons outside it
    int lightPosition;  // -1 for none
};

constexpr int kKeyButtonListSize = 104;
constexpr int kPictureKeyCount = 116;  // the list, nine G keys, Fn, K45, K56

std::span<const PictureKey> KeyboardPicture();
// nullptr when the id is no key button.
const PictureKey* FindPictureKey(int controlId);
// Control ids of the key button list, by list position.
std::span<const int> KeyButtonList();
// Control ids of every key button, in KeyboardPicture order.
std::vector<int> PictureControlIds();

// The button's key in section "BUTTONINFO" of Main.ini: "KEY_%03X" of its KeyCode, "FUNC_G1"..
// "FUNC_G9", "KEY_FN"; K45 and K56 by the codes of their key table rows, "KEY_056", "KEY_073".
std::string PictureLayoutKey(const PictureKey& key);

}  // namespace vorlin
