// Light positions of the keys of the keyboard picture, row by row of the LED matrix.
#include "store/lighting_keys.h"

#include <array>

namespace vorlin {
namespace {

using namespace keyctl;

constexpr std::array<LightKey, kLightKeyCount> kKeys = {{
    // row 0
    {kEsc, 0},
    {kF1, 1},
    {kF2, 2},
    {kF3, 3},
    {kF4, 4},
    {kF5, 5},
    {kF6, 6},
    {kF7, 7},
    {kF8, 8},
    {kF9, 9},
    {kF10, 10},
    {kF11, 11},
    {kF12, 12},
    {kPrintScreen, 14},
    {kScrollLock, 15},
    {kPause, 16},
    // row 1
    {kGrave, 21},
    {k1, 22},
    {k2, 23},
    {k3, 24},
    {k4, 25},
    {k5, 26},
    {k6, 27},
    {k7, 28},
    {k8, 29},
    {k9, 30},
    {k0, 31},
    {kMinus, 32},
    {kEqual, 33},
    {kBackspace, 34},
    {kInsert, 35},
    {kHome, 36},
    {kPageUp, 37},
    {kNumLock, 38},
    {kNumSlash, 39},
    {kNumStar, 40},
    {kNumMinus, 41},
    // row 2
    {kTab, 42},
    {kQ, 43},
    {kW, 44},
    {kE, 45},
    {kR, 46},
    {kT, 47},
    {kY, 48},
    {kU, 49},
    {kI, 50},
    {kO, 51},
    {kP, 52},
    {kLBracket, 53},
    {kRBracket, 54},
    {kBackslash, 55},
    {kDelete, 56},
    {kEnd, 57},
    {kPageDown, 58},
    {kNum7, 59},
    {kNum8, 60},
    {kNum9, 61},
    {kNumPlus, 62},
    // row 3
    {kCapsLock, 63},
    {kA, 64},
    {kS, 65},
    {kD, 66},
    {kF, 67},
    {kG, 68},
    {kH, 69},
    {kJ, 70},
    {kK, 71},
    {kL, 72},
    {kSemicolon, 73},
    {kQuote, 74},
    {kEnter, 76},
    {kNum4, 80},
    {kNum5, 81},
    {kNum6, 82},
    // row 4
    {kLShift, 84},
    {kZ, 86},
    {kX, 87},
    {kC, 88},
    {kV, 89},
    {kB, 90},
    {kN, 91},
    {kM, 92},
    {kComma, 93},
    {kPeriod, 94},
    {kSlash, 95},
    {kRShift, 97},
    {kUp, 99},
    {kNum1, 101},
    {kNum2, 102},
    {kNum3, 103},
    {kNumEnter, 104},
    // row 5 (Fn is listed after the 104 keys)
    {kLCtrl, 105},
    {kLWin, 106},
    {kLAlt, 107},
    {kSpace, 108},
    {kRAlt, 109},
    {kApp, 111},
    {kRWin, 112},
    {kRCtrl, 113},
    {kLeft, 119},
    {kDown, 120},
    {kRight, 121},
    {kNum0, 123},
    {kNumDot, 124},
    {kFn, kFnLightPosition},
    {kG1, kGKeyLightPosition},
    {kG2, kGKeyLightPosition},
    {kG3, kGKeyLightPosition},
    {kG4, kGKeyLightPosition},
    {kG5, kGKeyLightPosition},
    {kG6, kGKeyLightPosition},
    {kG7, kGKeyLightPosition},
    {kG8, kGKeyLightPosition},
    {kG9, kGKeyLightPosition},
}};

constexpr int kFirstId = 1000;
constexpr int kLastId = 1223;

// Control id -> index into kKeys, -1 where none.
constexpr auto kIndexById = [] {
    std::array<short, kLastId - kFirstId + 1> index{};
    for (auto& i : index) i = -1;
    for (size_t k = 0; k < kKeys.size(); ++k) index[kKeys[k].controlId - kFirstId] = short(k);
    return index;
}();

}  // namespace

std::span<const LightKey> LightKeys() {
    return kKeys;
}

int LightKeyIndex(int controlId) {
    if (controlId < kFirstId || controlId > kLastId) return -1;
    return kIndexById[controlId - kFirstId];
}

int LightPositionOf(int controlId) {
    if (controlId == kK45) return 85;
    if (controlId == kK56) return 96;
    int k = LightKeyIndex(controlId);
    return k < 0 ? -1 : kKeys[k].lightPosition;
}

}  // namespace vorlin
