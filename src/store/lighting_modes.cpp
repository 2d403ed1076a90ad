// Parameter sets of the lighting modes.
#include "store/lighting_modes.h"

namespace vorlin {
namespace {

using D = ModeDirection;
using C = ModeColour;
using E = ModeExtra;

constexpr ModeParameters kModes[] = {
    // mode, speed, direction, colour, extra, selection also sends multicolour
    {1, true, D::kLeftRight, C::kEffect, E::kNone, true},
    {2, true, D::kLeftRight, C::kEffect, E::kNone, true},
    {3, true, D::kLeftRight, C::kEffect, E::kNone, true},
    {4, true, D::kNone, C::kNone, E::kNone, false},
    {5, true, D::kNone, C::kEffect, E::kNone, true},
    {6, false, D::kNone, C::kFixed, E::kNone, false},
    {7, true, D::kNone, C::kEffect, E::kNone, true},
    {8, true, D::kNone, C::kEffect, E::kNone, true},
    {9, true, D::kNone, C::kEffect, E::kNone, true},
    {10, true, D::kNone, C::kEffect, E::kNone, false},
    {11, true, D::kNone, C::kNone, E::kNone, false},
    {12, true, D::kUpDown, C::kNone, E::kNone, false},
    {13, true, D::kNone, C::kEffect, E::kNone, true},
    {14, true, D::kNone, C::kEffect, E::kNone, true},
    {15, true, D::kNone, C::kEffect, E::kNone, true},
    {16, false, D::kNone, C::kFixed, E::kNone, false},
    {17, false, D::kNone, C::kNone, E::kColourChoice, false},
    {18, false, D::kSpreadConverge, C::kNone, E::kNone, false},
    {20, false, D::kNone, C::kNone, E::kUserColours, false},
};

}  // namespace

const ModeParameters* FindModeParameters(int mode) {
    for (const ModeParameters& p : kModes)
        if (p.mode == mode) return &p;
    return nullptr;
}

DirectionPictures DirectionPicturesOf(int mode) {
    if (mode == 12) return {{"updown.bmp", "downup.bmp"}, {"upup.bmp", "downdown.bmp"}};
    if (mode == 18) return {{"kuosandown.bmp", "julong.bmp"}, {"kuosan.bmp", "julongdown.bmp"}};
    return {{"leftdown.bmp", "rightup.bmp"}, {"leftup.bmp", "rightdown.bmp"}};
}

const char* DirectionPlaceSuffix(int mode) {
    if (mode >= 1 && mode <= 3) return "2";
    if (mode == 12) return "3";
    return "";
}

}  // namespace vorlin
