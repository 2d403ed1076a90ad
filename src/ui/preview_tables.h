// The fixed tables of the lighting preview: the colour palette, the brightness curves, the key
// grid, the spiral order, the rings of the ring effect, and the script of the scripted effect.
// Keys are named by the control ids of their buttons (store/lighting_keys.h).
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "store/lighting_colour.h"

namespace vorlin {

constexpr int kPaletteSize = 192;
constexpr int kTwinklePaletteSize = 256;  // the palette followed by its first 64 colours again
constexpr int kWaveSize = 96;
constexpr int kPulseSize = 128;
constexpr int kBreathingSize = 128;
constexpr int kGridRows = 6;
constexpr int kGridColumns = 23;
constexpr int kPreviewKeyCount = 104;
constexpr int kRingCount = 12;
constexpr int kScriptRows = 20;
constexpr int kScriptPairs = 16;

// kTwinklePaletteSize entries; the first kPaletteSize are the palette proper.
const std::array<Rgb, kTwinklePaletteSize>& PreviewPalette();
const std::array<uint8_t, kWaveSize>& WaveCurve();
const std::array<uint8_t, kPulseSize>& PulseCurve();
const std::array<uint8_t, kBreathingSize>& BreathingCurve();

struct GridCell {
    int row;
    int column;
    int controlId;
};
// Every occupied cell, row by row and left to right; wide keys hold two cells.
std::span<const GridCell> PreviewGridCells();
// Control id of the key in a cell, 0 for an empty cell or one outside the grid.
int PreviewGridAt(int column, int row);

std::span<const int> SpiralOrder();  // kPreviewKeyCount keys
// Keys of ring 1..kRingCount, counted from the centre.
std::span<const int> RingKeys(int ring);
// Keys lit by row 0..kScriptRows-1 of the script, in order (a key may repeat).
std::span<const int> ScriptRow(int row);
std::array<int, 2> ScriptPair(int pair);
// The order in which the sparkle effect lights places of SpiralOrder.
std::span<const uint8_t> SparkleSequence();  // kPreviewKeyCount places

}  // namespace vorlin
