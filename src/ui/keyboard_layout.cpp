// The keys of the keyboard picture. Where each one sits is the skin's business (Main.ini).
#include "ui/keyboard_layout.h"

#include <array>
#include <cstdio>

#include "keys/key_codes.h"
#include "store/lighting_keys.h"

namespace vorlin {
namespace {

using namespace keyctl;

struct Entry {
    int controlId;
    const char* label;
    KeyCode keyCode;
};

// The key button list in its order, then the buttons outside it.
constexpr Entry kEntries[kPictureKeyCount] = {
    {kA, "A", 0x01E},
    {kB, "B", 0x030},
    {kC, "C", 0x02E},
    {kD, "D", 0x020},
    {kE, "E", 0x012},
    {kF, "F", 0x021},
    {kG, "G", 0x022},
    {kH, "H", 0x023},
    {kI, "I", 0x017},
    {kJ, "J", 0x024},
    {kK, "K", 0x025},
    {kL, "L", 0x026},
    {kM, "M", 0x032},
    {kN, "N", 0x031},
    {kO, "O", 0x018},
    {kP, "P", 0x019},
    {kQ, "Q", 0x010},
    {kR, "R", 0x013},
    {kS, "S", 0x01F},
    {kT, "T", 0x014},
    {kU, "U", 0x016},
    {kV, "V", 0x02F},
    {kW, "W", 0x011},
    {kX, "X", 0x02D},
    {kY, "Y", 0x015},
    {kZ, "Z", 0x02C},
    {k1, "1", 0x002},
    {k2, "2", 0x003},
    {k3, "3", 0x004},
    {k4, "4", 0x005},
    {k5, "5", 0x006},
    {k6, "6", 0x007},
    {k7, "7", 0x008},
    {k8, "8", 0x009},
    {k9, "9", 0x00A},
    {k0, "0", 0x00B},
    {kEnter, "Enter", 0x01C},
    {kEsc, "Esc", 0x001},
    {kBackspace, "Backspace", 0x00E},
    {kTab, "Tab", 0x00F},
    {kSpace, "Space", 0x039},
    {kMinus, "-", 0x00C},
    {kEqual, "=", 0x00D},
    {kLBracket, "[", 0x01A},
    {kRBracket, "]", 0x01B},
    {kBackslash, "\\", 0x02B},
    {kSemicolon, ";", 0x027},
    {kQuote, "'", 0x028},
    {kGrave, "`", 0x029},
    {kComma, ",", 0x033},
    {kPeriod, ".", 0x034},
    {kSlash, "/", 0x035},
    {kF1, "F1", 0x03B},
    {kF2, "F2", 0x03C},
    {kF3, "F3", 0x03D},
    {kF4, "F4", 0x03E},
    {kF5, "F5", 0x03F},
    {kF6, "F6", 0x040},
    {kF7, "F7", 0x041},
    {kF8, "F8", 0x042},
    {kF9, "F9", 0x043},
    {kF10, "F10", 0x044},
    {kF11, "F11", 0x057},
    {kF12, "F12", 0x058},
    {kPrintScreen, "Print Screen", 0x137},
    {kPause, "Pause", 0x045},
    {kInsert, "Insert", 0x152},
    {kDelete, "Delete", 0x153},
    {kHome, "Home", 0x147},
    {kEnd, "End", 0x14F},
    {kPageUp, "Page Up", 0x149},
    {kPageDown, "Page Down", 0x151},
    {kUp, "\u2191", 0x148},
    {kDown, "\u2193", 0x150},
    {kLeft, "\u2190", 0x14B},
    {kRight, "\u2192", 0x14D},
    {kScrollLock, "Scroll Lock", 0x046},
    {kCapsLock, "Caps Lock", 0x03A},
    {kApp, "App", 0x15D},
    {kLCtrl, "Ctrl", 0x01D},
    {kRCtrl, "Right Ctrl", 0x11D},
    {kLShift, "Shift", 0x02A},
    {kRShift, "Right Shift", 0x036},
    {kLAlt, "Alt", 0x038},
    {kRAlt, "Right Alt", 0x138},
    {kLWin, "Win", 0x15B},
    {kRWin, "Right Win", 0x15C},
    {kNum1, "Num 1", 0x04F},
    {kNum2, "Num 2", 0x050},
    {kNum3, "Num 3", 0x051},
    {kNum4, "Num 4", 0x04B},
    {kNum5, "Num 5", 0x04C},
    {kNum6, "Num 6", 0x04D},
    {kNum7, "Num 7", 0x047},
    {kNum8, "Num 8", 0x048},
    {kNum9, "Num 9", 0x049},
    {kNum0, "Num 0", 0x052},
    {kNumLock, "Num Lock", 0x145},
    {kNumEnter, "Num Enter", 0x11C},
    {kNumDot, "Num .", 0x053},
    {kNumSlash, "Num /", 0x135},
    {kNumStar, "Num *", 0x037},
    {kNumMinus, "Num -", 0x04A},
    {kNumPlus, "Num +", 0x04E},
    // Outside the list.
    {kG1, "G1", 0},
    {kG2, "G2", 0},
    {kG3, "G3", 0},
    {kG4, "G4", 0},
    {kG5, "G5", 0},
    {kG6, "G6", 0},
    {kG7, "G7", 0},
    {kG8, "G8", 0},
    {kG9, "G9", 0},
    {kFn, "Fn", 0},
    {kK45, "K45", 0},
    {kK56, "K56", 0},
};

// Key table rows of the two extra keys.
constexpr KeyIndex kK45Row = 86, kK56Row = 115;
constexpr int kGIds[] = {kG1, kG2, kG3, kG4, kG5, kG6, kG7, kG8, kG9};

constexpr auto kPicture = [] {
    std::array<PictureKey, kPictureKeyCount> keys{};
    for (int i = 0; i < kPictureKeyCount; ++i) {
        const Entry& e = kEntries[i];
        keys[i] = {e.controlId, e.label, e.keyCode, i < kKeyButtonListSize ? i : -1, -1};
    }
    return keys;
}();

constexpr auto kList = [] {
    std::array<int, kKeyButtonListSize> ids{};
    for (int i = 0; i < kKeyButtonListSize; ++i) ids[i] = kEntries[i].controlId;
    return ids;
}();

const std::array<PictureKey, kPictureKeyCount>& Picture() {
    // Lights come from the lighting model's table, so they are filled in once at run time.
    static const auto picture = [] {
        auto keys = kPicture;
        for (auto& k : keys) k.lightPosition = LightPositionOf(k.controlId);
        return keys;
    }();
    return picture;
}

}  // namespace

std::span<const PictureKey> KeyboardPicture() {
    return Picture();
}

const PictureKey* FindPictureKey(int controlId) {
    for (const PictureKey& k : Picture())
        if (k.controlId == controlId) return &k;
    return nullptr;
}

std::span<const int> KeyButtonList() {
    return kList;
}

std::vector<int> PictureControlIds() {
    std::vector<int> ids;
    for (const PictureKey& k : Picture()) ids.push_back(k.controlId);
    return ids;
}

std::string PictureLayoutKey(const PictureKey& key) {
    for (int n = 0; n < 9; ++n)
        if (key.controlId == kGIds[n]) return "FUNC_G" + std::to_string(n + 1);
    if (key.controlId == kFn) return "KEY_FN";
    KeyCode code = key.keyCode;
    if (key.controlId == kK45) code = KeyCodeOf(kK45Row);
    if (key.controlId == kK56) code = KeyCodeOf(kK56Row);
    char name[16];
    std::snprintf(name, sizeof name, "KEY_%03X", unsigned(code));
    return name;
}

}  // namespace vorlin
