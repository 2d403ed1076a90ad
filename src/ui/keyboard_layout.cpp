// Default keyboard picture: a full-size board with the G keys in two columns on its left.
// Geometry is written in quarter key units (a key is 4 x 4) and turned into pixels here.
#include "ui/keyboard_layout.h"

#include <array>

#include "store/lighting_keys.h"

namespace vorlin {
namespace {

using namespace keyctl;

constexpr int kQuarterPx = 10;
constexpr int kGapPx = 2;
constexpr int kBoardLeft = 10;  // quarters left free for the G keys
// Rows of the board, in quarters from the top; the function row stands apart.
constexpr int kRowY[6] = {0, 6, 10, 14, 18, 22};

struct Entry {
    int controlId;
    const char* label;
    KeyCode keyCode;
    int row;
    int x, w = 4, h = 4;  // quarters; x from the board's left edge
};

// The key button list in its order, then the buttons outside it.
constexpr Entry kEntries[kPictureKeyCount] = {
    {kA, "A", 0x01E, 3, 7},
    {kB, "B", 0x030, 4, 25},
    {kC, "C", 0x02E, 4, 17},
    {kD, "D", 0x020, 3, 15},
    {kE, "E", 0x012, 2, 14},
    {kF, "F", 0x021, 3, 19},
    {kG, "G", 0x022, 3, 23},
    {kH, "H", 0x023, 3, 27},
    {kI, "I", 0x017, 2, 34},
    {kJ, "J", 0x024, 3, 31},
    {kK, "K", 0x025, 3, 35},
    {kL, "L", 0x026, 3, 39},
    {kM, "M", 0x032, 4, 33},
    {kN, "N", 0x031, 4, 29},
    {kO, "O", 0x018, 2, 38},
    {kP, "P", 0x019, 2, 42},
    {kQ, "Q", 0x010, 2, 6},
    {kR, "R", 0x013, 2, 18},
    {kS, "S", 0x01F, 3, 11},
    {kT, "T", 0x014, 2, 22},
    {kU, "U", 0x016, 2, 30},
    {kV, "V", 0x02F, 4, 21},
    {kW, "W", 0x011, 2, 10},
    {kX, "X", 0x02D, 4, 13},
    {kY, "Y", 0x015, 2, 26},
    {kZ, "Z", 0x02C, 4, 9},
    {k1, "1", 0x002, 1, 4},
    {k2, "2", 0x003, 1, 8},
    {k3, "3", 0x004, 1, 12},
    {k4, "4", 0x005, 1, 16},
    {k5, "5", 0x006, 1, 20},
    {k6, "6", 0x007, 1, 24},
    {k7, "7", 0x008, 1, 28},
    {k8, "8", 0x009, 1, 32},
    {k9, "9", 0x00A, 1, 36},
    {k0, "0", 0x00B, 1, 40},
    {kEnter, "Enter", 0x01C, 3, 51, 9},
    {kEsc, "Esc", 0x001, 0, 0},
    {kBackspace, "Backspace", 0x00E, 1, 52, 8},
    {kTab, "Tab", 0x00F, 2, 0, 6},
    {kSpace, "Space", 0x039, 5, 15, 25},
    {kMinus, "-", 0x00C, 1, 44},
    {kEqual, "=", 0x00D, 1, 48},
    {kLBracket, "[", 0x01A, 2, 46},
    {kRBracket, "]", 0x01B, 2, 50},
    {kBackslash, "\\", 0x02B, 2, 54, 6},
    {kSemicolon, ";", 0x027, 3, 43},
    {kQuote, "'", 0x028, 3, 47},
    {kGrave, "`", 0x029, 1, 0},
    {kComma, ",", 0x033, 4, 37},
    {kPeriod, ".", 0x034, 4, 41},
    {kSlash, "/", 0x035, 4, 45},
    {kF1, "F1", 0x03B, 0, 8},
    {kF2, "F2", 0x03C, 0, 12},
    {kF3, "F3", 0x03D, 0, 16},
    {kF4, "F4", 0x03E, 0, 20},
    {kF5, "F5", 0x03F, 0, 26},
    {kF6, "F6", 0x040, 0, 30},
    {kF7, "F7", 0x041, 0, 34},
    {kF8, "F8", 0x042, 0, 38},
    {kF9, "F9", 0x043, 0, 44},
    {kF10, "F10", 0x044, 0, 48},
    {kF11, "F11", 0x057, 0, 52},
    {kF12, "F12", 0x058, 0, 56},
    {kPrintScreen, "Print Screen", 0x137, 0, 61},
    {kPause, "Pause", 0x045, 0, 69},
    {kInsert, "Insert", 0x152, 1, 61},
    {kDelete, "Delete", 0x153, 2, 61},
    {kHome, "Home", 0x147, 1, 65},
    {kEnd, "End", 0x14F, 2, 65},
    {kPageUp, "Page Up", 0x149, 1, 69},
    {kPageDown, "Page Down", 0x151, 2, 69},
    {kUp, "\u2191", 0x148, 4, 65},
    {kDown, "\u2193", 0x150, 5, 65},
    {kLeft, "\u2190", 0x14B, 5, 61},
    {kRight, "\u2192", 0x14D, 5, 69},
    {kScrollLock, "Scroll Lock", 0x046, 0, 65},
    {kCapsLock, "Caps Lock", 0x03A, 3, 0, 7},
    {kApp, "App", 0x15D, 5, 48},
    {kLCtrl, "Ctrl", 0x01D, 5, 0, 5},
    {kRCtrl, "Right Ctrl", 0x11D, 5, 56},
    {kLShift, "Shift", 0x02A, 4, 0, 5},
    {kRShift, "Right Shift", 0x036, 4, 53, 7},
    {kLAlt, "Alt", 0x038, 5, 10, 5},
    {kRAlt, "Right Alt", 0x138, 5, 40},
    {kLWin, "Win", 0x15B, 5, 5, 5},
    {kRWin, "Right Win", 0x15C, 5, 52},
    {kNum1, "Num 1", 0x04F, 4, 74},
    {kNum2, "Num 2", 0x050, 4, 78},
    {kNum3, "Num 3", 0x051, 4, 82},
    {kNum4, "Num 4", 0x04B, 3, 74},
    {kNum5, "Num 5", 0x04C, 3, 78},
    {kNum6, "Num 6", 0x04D, 3, 82},
    {kNum7, "Num 7", 0x047, 2, 74},
    {kNum8, "Num 8", 0x048, 2, 78},
    {kNum9, "Num 9", 0x049, 2, 82},
    {kNum0, "Num 0", 0x052, 5, 74, 8},
    {kNumLock, "Num Lock", 0x145, 1, 74},
    {kNumEnter, "Num Enter", 0x11C, 4, 86, 4, 8},
    {kNumDot, "Num .", 0x053, 5, 82},
    {kNumSlash, "Num /", 0x135, 1, 78},
    {kNumStar, "Num *", 0x037, 1, 82},
    {kNumMinus, "Num -", 0x04A, 1, 86},
    {kNumPlus, "Num +", 0x04E, 2, 86, 4, 8},
    // Outside the list.
    {kG1, "G1", 0, 1, -kBoardLeft},
    {kG2, "G2", 0, 2, -kBoardLeft},
    {kG3, "G3", 0, 3, -kBoardLeft},
    {kG4, "G4", 0, 4, -kBoardLeft},
    {kG5, "G5", 0, 5, -kBoardLeft},
    {kG6, "G6", 0, 2, -kBoardLeft + 4},
    {kG7, "G7", 0, 3, -kBoardLeft + 4},
    {kG8, "G8", 0, 4, -kBoardLeft + 4},
    {kG9, "G9", 0, 5, -kBoardLeft + 4},
    {kFn, "Fn", 0, 5, 44},
    {kK45, "K45", 0, 4, 5},
    {kK56, "K56", 0, 4, 49},
};

constexpr auto kPicture = [] {
    std::array<PictureKey, kPictureKeyCount> keys{};
    for (int i = 0; i < kPictureKeyCount; ++i) {
        const Entry& e = kEntries[i];
        KeyRect rect{(kBoardLeft + e.x) * kQuarterPx + kGapPx / 2,
                     kRowY[e.row] * kQuarterPx + kGapPx / 2, e.w * kQuarterPx - kGapPx,
                     e.h * kQuarterPx - kGapPx};
        keys[i] = {e.controlId, e.label, e.keyCode, i < kKeyButtonListSize ? i : -1, -1, rect};
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

}  // namespace vorlin
