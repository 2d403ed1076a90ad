// Data of the lighting preview; the palette and the breathing curve are built from their
// defining runs at compile time.
#include "ui/preview_tables.h"

#include "store/lighting_keys.h"

namespace vorlin {
namespace {

using namespace keyctl;

constexpr std::array<uint8_t, 32> kRising = {1,   3,   5,   7,   10,  14,  18,  22,  26,  32,  38,
                                             44,  50,  57,  65,  73,  81,  89,  99,  109, 119, 129,
                                             140, 152, 164, 176, 188, 200, 213, 227, 241, 255};
constexpr std::array<uint8_t, 32> kFalling = {248, 234, 220, 206, 194, 182, 170, 158, 146, 134, 124,
                                              114, 104, 94,  85,  77,  69,  61,  53,  47,  41,  35,
                                              29,  24,  20,  16,  12,  8,   6,   4,   2,   0};

constexpr auto kPalette = [] {
    std::array<Rgb, kTwinklePaletteSize> p{};
    for (int i = 0; i < 32; ++i) {
        int up = kRising[i], down = kFalling[i];
        p[i] = MakeRgb(255, up, 0);          // red -> yellow
        p[32 + i] = MakeRgb(down, 255, 0);   // yellow -> green
        p[64 + i] = MakeRgb(0, 255, up);     // green -> cyan
        p[96 + i] = MakeRgb(0, down, 255);   // cyan -> blue
        p[128 + i] = MakeRgb(up, 0, 255);    // blue -> magenta
        p[160 + i] = MakeRgb(255, 0, down);  // magenta -> red
    }
    for (int i = kPaletteSize; i < kTwinklePaletteSize; ++i) p[i] = p[i - kPaletteSize];
    return p;
}();

constexpr std::array<uint8_t, 48> kWaveRise = {
    22,  24,  27,  30,  33,  36,  39,  42,  45,  49,  53,  57,  61,  65,  69,  73,
    77,  81,  85,  89,  94,  99,  104, 109, 114, 119, 124, 129, 134, 140, 146, 152,
    158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};

constexpr auto kWave = [] {
    std::array<uint8_t, kWaveSize> w{};
    for (int i = 0; i < 48; ++i) w[i] = w[kWaveSize - 1 - i] = kWaveRise[i];
    return w;
}();

constexpr std::array<uint8_t, kPulseSize> kPulse = {
    0,   4,   8,   14,  22,  33,  45,  61,  77,  94,  114, 134, 158, 182, 206, 234, 255,
    248, 241, 234, 227, 220, 213, 206, 200, 194, 188, 182, 176, 170, 164, 158, 152, 146,
    140, 134, 129, 124, 119, 114, 109, 104, 99,  94,  89,  85,  81,  77,  73,  69,  65,
    61,  57,  53,  49,  45,  42,  39,  36,  33,  30,  27,  24,  22,  20,  18,  16,  14,
    12,  10,  9,   8,   7,   6,   5,   4,   3,   2,   2,   1};  // the rest are 0

constexpr std::array<uint8_t, 18> kBreathingStart = {3,  3,  4,  5,  6,  7,  8,  9,  10,
                                                     11, 12, 13, 14, 16, 18, 20, 22, 24};

constexpr auto kBreathing = [] {
    std::array<uint8_t, kBreathingSize> b{};
    int n = 0;
    for (uint8_t v : kBreathingStart) b[n++] = v;
    for (int i = 2; i < 48; ++i) b[n++] = kWaveRise[i];  // 27 .. 255
    for (int i = 0; i < 64; ++i) b[127 - i] = b[i];
    return b;
}();
static_assert(kBreathingStart.size() + 46 == 64);

// clang-format off
constexpr GridCell kGrid[] = {
    {0, 2, kEsc}, {0, 3, kF1}, {0, 4, kF2}, {0, 5, kF3}, {0, 6, kF4}, {0, 8, kF5}, {0, 9, kF6},
    {0, 10, kF7}, {0, 11, kF8}, {0, 12, kF9}, {0, 13, kF10}, {0, 14, kF11}, {0, 15, kF12},
    {0, 16, kPrintScreen}, {0, 17, kScrollLock}, {0, 18, kPause},

    {1, 1, kGrave}, {1, 2, k1}, {1, 3, k2}, {1, 4, k3}, {1, 5, k4}, {1, 6, k5}, {1, 7, k6},
    {1, 8, k7}, {1, 9, k8}, {1, 10, k9}, {1, 11, k0}, {1, 12, kMinus}, {1, 13, kEqual},
    {1, 14, kBackspace}, {1, 15, kBackspace}, {1, 16, kInsert}, {1, 17, kHome},
    {1, 18, kPageUp}, {1, 19, kNumLock}, {1, 20, kNumSlash}, {1, 21, kNumStar},
    {1, 22, kNumMinus},

    {2, 1, kTab}, {2, 2, kQ}, {2, 3, kW}, {2, 4, kE}, {2, 5, kR}, {2, 6, kT}, {2, 7, kY},
    {2, 8, kU}, {2, 9, kI}, {2, 10, kO}, {2, 11, kP}, {2, 12, kLBracket}, {2, 13, kRBracket},
    {2, 14, kBackslash}, {2, 15, kBackslash}, {2, 16, kDelete}, {2, 17, kEnd},
    {2, 18, kPageDown}, {2, 19, kNum7}, {2, 20, kNum8}, {2, 21, kNum9},

    {3, 1, kCapsLock}, {3, 2, kA}, {3, 3, kS}, {3, 4, kD}, {3, 5, kF}, {3, 6, kG}, {3, 7, kH},
    {3, 8, kJ}, {3, 9, kK}, {3, 10, kL}, {3, 11, kSemicolon}, {3, 12, kQuote}, {3, 13, kEnter},
    {3, 19, kNum4}, {3, 20, kNum5}, {3, 21, kNum6}, {3, 22, kNumPlus},

    {4, 1, kLShift}, {4, 2, kZ}, {4, 3, kX}, {4, 4, kC}, {4, 5, kV}, {4, 6, kB}, {4, 7, kN},
    {4, 8, kM}, {4, 9, kComma}, {4, 10, kPeriod}, {4, 11, kSlash}, {4, 14, kRShift},
    {4, 15, kRShift}, {4, 17, kUp}, {4, 19, kNum1}, {4, 20, kNum2}, {4, 21, kNum3},
    {4, 22, kNumEnter},

    {5, 0, kLCtrl}, {5, 1, kLWin}, {5, 2, kLAlt}, {5, 6, kSpace}, {5, 9, kRAlt},
    {5, 10, kRAlt}, {5, 11, kFn}, {5, 12, kApp}, {5, 14, kRCtrl}, {5, 15, kRCtrl},
    {5, 16, kLeft}, {5, 17, kDown}, {5, 18, kRight}, {5, 19, kNum0}, {5, 20, kNum0},
    {5, 21, kNumDot},
};
// clang-format on

constexpr auto kGridById = [] {
    std::array<std::array<int, kGridColumns>, kGridRows> g{};
    for (const GridCell& c : kGrid) g[c.row][c.column] = c.controlId;
    return g;
}();

constexpr int kSpiral[kPreviewKeyCount] = {
    kPause,  kScrollLock, kPrintScreen, kF12,      kF11,     kF10,       kF9,       kF8,
    kF7,     kF6,         kF5,          kF4,       kF3,      kF2,        kF1,       kEsc,
    kGrave,  kTab,        kCapsLock,    kLShift,   kLCtrl,   kLWin,      kLAlt,     kSpace,
    kRAlt,   kFn,         kApp,         kRCtrl,    kLeft,    kDown,      kRight,    kNum0,
    kNumDot, kNumEnter,   kNumPlus,     kNumMinus, kNumStar, kNumSlash,  kNumLock,  kPageUp,
    kHome,   kInsert,     kBackspace,   kEqual,    kMinus,   k0,         k9,        k8,
    k7,      k6,          k5,           k4,        k3,       k2,         k1,        kQ,
    kA,      kZ,          kX,           kC,        kV,       kB,         kN,        kM,
    kComma,  kPeriod,     kSlash,       kRShift,   kUp,      kNum1,      kNum2,     kNum3,
    kNum6,   kNum4,       kNum5,        kNum9,     kNum8,    kNum7,      kPageDown, kEnd,
    kDelete, kBackslash,  kRBracket,    kLBracket, kP,       kO,         kI,        kU,
    kY,      kT,          kR,           kE,        kW,       kS,         kD,        kF,
    kG,      kH,          kJ,           kK,        kL,       kSemicolon, kQuote,    kEnter,
};

constexpr int kRing1[] = {kO};
constexpr int kRing2[] = {k9, kI, kK, kL, kP, k0};
constexpr int kRing3[] = {kF8, k8, kU, kJ, kM, kComma, kPeriod, kSemicolon, kLBracket, kMinus};
constexpr int kRing4[] = {kF7, k7, kY, kH, kN, kRAlt, kSlash, kQuote, kRBracket, kEqual, kF9};
constexpr int kRing5[] = {kF6,     k6,     kT,         kG,         kB,   kFn,
                          kRShift, kEnter, kBackslash, kBackspace, kF10, kF11};
constexpr int kRing6[] = {kF5, k5, kR, kF, kV, kSpace, kApp, kRCtrl, kDelete, kInsert, kF12};
constexpr int kRing7[] = {kF4, k4, kE, kD, kC, kLeft, kUp, kEnd, kHome, kPrintScreen};
constexpr int kRing8[] = {kF3,    k3,        kW,      kS,     kX,         kDown,
                          kRight, kPageDown, kPageUp, kPause, kScrollLock};
constexpr int kRing9[] = {kF2, k2, kQ, kA, kZ, kLAlt, kNum1, kNum4, kNum7, kNumLock};
constexpr int kRing10[] = {kF1,   k1,    kTab,  kCapsLock, kLShift,  kLWin,
                           kNum0, kNum2, kNum5, kNum8,     kNumSlash};
constexpr int kRing11[] = {kEsc, kGrave, kLCtrl, kNumDot, kNum3, kNum6, kNum9, kNumStar};
constexpr int kRing12[] = {kNumEnter, kNumPlus, kNumMinus};
constexpr std::span<const int> kRings[kRingCount] = {kRing1, kRing2,  kRing3,  kRing4,
                                                     kRing5, kRing6,  kRing7,  kRing8,
                                                     kRing9, kRing10, kRing11, kRing12};

constexpr int kRow0[] = {kEsc, kNumEnter};
constexpr int kRow1[] = {kF1, kNumDot};
constexpr int kRow2[] = {kF2, kNum0};
constexpr int kRow3[] = {kF3, kRight, kGrave, kNumEnter};
constexpr int kRow4[] = {kF4, kDown, k1, kNum3};
constexpr int kRow5[] = {kF5, kLeft, k2, kNum2};
constexpr int kRow6[] = {kF6, kRCtrl, k3, kNum1, kTab, kNumPlus};
constexpr int kRow7[] = {kF7, kApp, k4, kUp, kQ, kNum6};
constexpr int kRow8[] = {kF8, kFn, k5, kRShift, kW, kNum5};
constexpr int kRow9[] = {kF9, kRAlt, k6, kSlash, kE, kNum4};
constexpr int kRow10[] = {kEqual, kComma, k7, kPeriod, kR};
constexpr int kRow11[] = {kRBracket, kK, k8, kComma, kT};
constexpr int kRow12[] = {kQuote, kI, k9, kK, kY, kEnter};
constexpr int kRow13[] = {kSlash, k9, k0, kI, kU, kQuote};
constexpr int kRow14[] = {kPeriod, k0, kP, k9, kI, kSemicolon};
constexpr int kRow15[] = {kComma, kMinus, kL, k0, kO, kL};
constexpr int kRow16[] = {kK, kEqual, kK, kP, kP, kK};
constexpr int kRow17[] = {kI, kRBracket, kI, kL, kLBracket};
constexpr int kRow18[] = {k9, kQuote};
constexpr int kRow19[] = {k0, kSlash};
constexpr std::span<const int> kScript[kScriptRows] = {
    kRow0,  kRow1,  kRow2,  kRow3,  kRow4,  kRow5,  kRow6,  kRow7,  kRow8,  kRow9,
    kRow10, kRow11, kRow12, kRow13, kRow14, kRow15, kRow16, kRow17, kRow18, kRow19};

constexpr std::array<int, 2> kPairs[kScriptPairs] = {
    {k9, kSlash},     {k0, kPeriod},   {kMinus, kComma}, {kEqual, kK},
    {kRBracket, kI},  {kQuote, k9},    {kSlash, k0},     {kPeriod, kMinus},
    {kComma, kEqual}, {kK, kRBracket}, {kI, kQuote},     {kO, kSemicolon},
    {kP, kL},         {kLBracket, kO}, {kSemicolon, kP}, {kL, kLBracket},
};

constexpr uint8_t kSparkle[kPreviewKeyCount] = {
    88, 24, 101, 57, 16, 69, 35, 34,  36, 51, 78, 18, 12, 66, 97, 9,   33,  41, 55, 52, 48,
    95, 77, 70,  10, 23, 39, 3,  102, 17, 65, 22, 31, 4,  85, 76, 15,  60,  54, 21, 83, 94,
    6,  61, 49,  20, 5,  14, 68, 98,  71, 27, 81, 1,  0,  87, 46, 75,  37,  73, 32, 79, 8,
    29, 72, 56,  44, 99, 13, 47, 42,  93, 91, 80, 86, 89, 43, 28, 58,  59,  38, 53, 2,  62,
    64, 90, 96,  74, 92, 40, 25, 26,  7,  30, 50, 84, 45, 67, 19, 103, 100, 82, 11, 63,
};

}  // namespace

const std::array<Rgb, kTwinklePaletteSize>& PreviewPalette() {
    return kPalette;
}
const std::array<uint8_t, kWaveSize>& WaveCurve() {
    return kWave;
}
const std::array<uint8_t, kPulseSize>& PulseCurve() {
    return kPulse;
}
const std::array<uint8_t, kBreathingSize>& BreathingCurve() {
    return kBreathing;
}

std::span<const GridCell> PreviewGridCells() {
    return kGrid;
}

int PreviewGridAt(int column, int row) {
    if (column < 0 || column >= kGridColumns || row < 0 || row >= kGridRows) return 0;
    return kGridById[row][column];
}

std::span<const int> SpiralOrder() {
    return kSpiral;
}

std::span<const int> RingKeys(int ring) {
    if (ring < 1 || ring > kRingCount) return {};
    return kRings[ring - 1];
}

std::span<const int> ScriptRow(int row) {
    if (row < 0 || row >= kScriptRows) return {};
    return kScript[row];
}

std::array<int, 2> ScriptPair(int pair) {
    return kPairs[pair & (kScriptPairs - 1)];
}

std::span<const uint8_t> SparkleSequence() {
    return kSparkle;
}

}  // namespace vorlin
