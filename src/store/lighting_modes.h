// What each lighting mode uses: which record fields its controls edit, what is sent when it is
// selected, and which pictures show its two directions. Brightness belongs to every mode.
#pragma once

#include <array>

namespace vorlin {

constexpr int kUserColourMode = 20;
constexpr int kColourChoiceMode = 17;

enum class ModeColour {
    kNone,
    kFixed,   // the colour group of the still modes (6 and 16)
    kEffect,  // the colour group of the other colour modes
};

enum class ModeExtra { kNone, kColourChoice, kUserColours };

enum class ModeDirection {
    kNone,
    kLeftRight,       // 255 left, 0 right
    kUpDown,          // 255 up, 0 down (mode 12)
    kSpreadConverge,  // 255 spread, 0 converge (mode 18)
};

struct ModeParameters {
    int mode;
    bool speed;
    ModeDirection direction;
    ModeColour colour;  // colour and multicolour fields
    ModeExtra extra;
    bool sendsMulticolour;  // selection writes the multicolour byte with the mode byte
};

// nullptr for a mode without a parameter set (19, and any number the table lacks).
const ModeParameters* FindModeParameters(int mode);

// The two direction pictures of a mode, for each direction value; the second picture of a pair
// is the one that marks the selected value.
struct DirectionPictures {
    std::array<const char*, 2> forLeft;   // first and second picture with direction 255
    std::array<const char*, 2> forRight;  // with direction 0
};
DirectionPictures DirectionPicturesOf(int mode);
// Layout-key suffix of the direction controls' place: "2" for modes 1..3, "3" for 12, "".
const char* DirectionPlaceSuffix(int mode);

}  // namespace vorlin
