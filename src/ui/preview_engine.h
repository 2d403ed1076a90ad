// The lighting preview without a window: on every timer tick it works out, for each key button
// of the keyboard picture, whether the button gets a coloured outline, loses its overlay, or
// keeps what it shows, so that the picture imitates the selected lighting mode.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "store/lighting_colour.h"
#include "store/lighting_model.h"
#include "ui/preview_fronts.h"
#include "ui/preview_random.h"
#include "ui/preview_tables.h"

namespace vorlin {

constexpr int kOutlineStrength = 50;  // percent, for every outline the preview sets
constexpr int kPreviewFirstTickMs = 100;
constexpr int kPreviewTickMs = 50;

// What a step reads from the lighting model.
struct PreviewSettings {
    int mode = 0;
    int direction = 0;  // 255 or 0
    bool multicolour = false;
    Rgb colour = 0;
};

PreviewSettings PreviewSettingsOf(const LightingModel& model);

struct KeyOutline {
    enum Op : uint8_t {
        kKeep,     // leave the button as it is
        kClear,    // overlay off and selection cleared
        kOutline,  // outline in colour, at kOutlineStrength
    };
    Op op = kKeep;
    Rgb colour = 0;
};

// Intensity after one step of fading; the scripted effect fades its bright keys faster.
int FadeIntensity(int intensity, bool scripted);
// Each channel times intensity / 255.
Rgb ScaleColour(Rgb colour, int intensity);

class PreviewEngine {
  public:
    // buttons: control ids of the picture's key buttons; every frame follows this order.
    // Keys the preview animates but the picture lacks are skipped.
    PreviewEngine(std::span<const int> buttons, PreviewRandom& random);

    // A mode was chosen from the mode list: the next step starts from the initial state.
    void SelectMode() { resetPending_ = true; }

    // One tick of the preview timer. With the view off nothing runs and the frame keeps every
    // button; returns whether a step ran.
    bool Tick(const PreviewSettings& settings, bool lightingView);
    void Step(const PreviewSettings& settings);

    std::span<const KeyOutline> Frame() const { return frame_; }
    // The frame entry of a button, nullptr when the picture has no such button.
    const KeyOutline* Outline(int controlId) const;

  private:
    // Intensities and colour indexes of the twinkling keys, by place in SpiralOrder.
    struct Twinkle {
        std::array<uint8_t, kPreviewKeyCount> intensity{};
        std::array<uint8_t, kPreviewKeyCount> colourIndex{};
        void Clear() { *this = {}; }
    };

    void Reset();
    void PaintPlace(int place, Rgb colour);
    void PaintCell(const GridCell& cell, Rgb colour);
    void PaintAll(KeyOutline::Op op);
    void LightFronts(const PreviewFronts& fronts, Twinkle& keys, bool multicolour);
    void FadeAndDraw(Twinkle& keys, const PreviewSettings& s, bool scripted, int indexFactor);

    void Wave(const PreviewSettings& s);      // 1
    void Ripple(const PreviewSettings& s);    // 2
    void Spiral(const PreviewSettings& s);    // 3
    void Cycle(const PreviewSettings& s);     // 4
    void Breathe(const PreviewSettings& s);   // 5
    void Still(const PreviewSettings& s);     // 6
    void Sparkle(const PreviewSettings& s);   // 10
    void Rainbow(const PreviewSettings& s);   // 11
    void Rows(const PreviewSettings& s);      // 12
    void Diamonds(const PreviewSettings& s);  // 13
    void Script(const PreviewSettings& s);    // 14
    void Rain(const PreviewSettings& s);      // 15
    void Corners(const PreviewSettings& s);   // 16
    void Rings(const PreviewSettings& s);     // 18
    void LightScripted(int controlId, bool multicolour);

    PreviewRandom& random_;
    std::vector<int> buttons_;
    std::vector<KeyOutline> frame_;
    std::array<int16_t, kPreviewKeyCount> placeButton_{};  // SpiralOrder place -> frame index
    std::vector<int16_t> cellButton_;                      // PreviewGridCells -> frame index

    bool resetPending_ = true;
    std::array<int, 21> phase_{};  // by mode
    int sparkleCounter_ = 0;
    bool rainbowStarted_ = false;
    std::array<int, kPreviewKeyCount> rainbowPhase_{};
    bool diamondsSeeded_ = false;
    int scriptStage_ = 0;
    int scriptStep_ = 0;
    uint8_t scriptCounter_ = 0;
    int rainLast_ = 0;
    Twinkle sparkleKeys_;  // shared by modes 10 and 15
    Twinkle diamondKeys_, scriptKeys_, cornerKeys_;
    PreviewFronts diamondFronts_, scriptFronts_, rainFronts_, cornerFronts_;
};

}  // namespace vorlin
