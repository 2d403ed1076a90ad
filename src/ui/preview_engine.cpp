// Steps of the lighting preview, one per lighting mode.
#include "ui/preview_engine.h"

#include <algorithm>

#include "store/lighting_keys.h"

namespace vorlin {
namespace {

constexpr int kDirectionUp = 255;

// Place of a key in SpiralOrder, -1 when it has none.
int SpiralPlace(int controlId) {
    constexpr int kFirstId = 1000, kIds = 256;
    static const auto kPlaces = [] {
        std::array<int16_t, kIds> places;
        places.fill(-1);
        auto spiral = SpiralOrder();
        for (int k = 0; k < kPreviewKeyCount; ++k) places[spiral[k] - kFirstId] = int16_t(k);
        return places;
    }();
    int i = controlId - kFirstId;
    return i < 0 || i >= kIds ? -1 : kPlaces[i];
}

// Moves a phase by step within period: up for direction 255, down otherwise.
int Move(int phase, int step, int period, int direction) {
    phase %= period;
    phase += direction == kDirectionUp ? step : period - step % period;
    return phase % period;
}
int Forward(int phase, int step, int period) {
    return (phase % period + step) % period;
}

Rgb Palette(int index) {
    return PreviewPalette()[index % kPaletteSize];
}

}  // namespace

PreviewSettings PreviewSettingsOf(const LightingModel& model) {
    return {model.mode, model.direction, model.multicolour, model.colour};
}

int FadeIntensity(int i, bool scripted) {
    if (i >= 128) return std::max(0, i - (scripted ? 30 : 20));
    if (i >= 64) return i - (scripted ? 20 : 16);
    if (i >= 32) return i - 10;
    if (i >= 17) return i - 5;
    if (i >= 1) return i - 1;
    return 0;
}

Rgb ScaleColour(Rgb colour, int intensity) {
    return MakeRgb(RedOf(colour) * intensity / 255, GreenOf(colour) * intensity / 255,
                   BlueOf(colour) * intensity / 255);
}

PreviewEngine::PreviewEngine(std::span<const int> buttons, PreviewRandom& random)
    : random_(random), buttons_(buttons.begin(), buttons.end()), frame_(buttons.size()) {
    auto indexOf = [&](int controlId) -> int16_t {
        auto it = std::find(buttons_.begin(), buttons_.end(), controlId);
        return it == buttons_.end() ? int16_t(-1) : int16_t(it - buttons_.begin());
    };
    auto spiral = SpiralOrder();
    for (int k = 0; k < kPreviewKeyCount; ++k) placeButton_[k] = indexOf(spiral[k]);
    for (const GridCell& cell : PreviewGridCells()) cellButton_.push_back(indexOf(cell.controlId));
}

const KeyOutline* PreviewEngine::Outline(int controlId) const {
    auto it = std::find(buttons_.begin(), buttons_.end(), controlId);
    return it == buttons_.end() ? nullptr : &frame_[it - buttons_.begin()];
}

bool PreviewEngine::Tick(const PreviewSettings& settings, bool lightingView) {
    if (!lightingView) {
        std::fill(frame_.begin(), frame_.end(), KeyOutline{});
        return false;
    }
    Step(settings);
    return true;
}

void PreviewEngine::Reset() {
    scriptStage_ = scriptStep_ = 0;
    scriptCounter_ = 0;
    sparkleKeys_.Clear();
    cornerKeys_.Clear();
    rainFronts_.Clear();
    rainFronts_.Seed(9, 6);
    rainLast_ = 0;
    cornerFronts_.Clear();
    cornerFronts_.Seed(1, 0);
}

void PreviewEngine::Step(const PreviewSettings& s) {
    if (resetPending_) {
        Reset();
        resetPending_ = false;
    }
    std::fill(frame_.begin(), frame_.end(), KeyOutline{});
    switch (s.mode) {
        case 1:
            Wave(s);
            break;
        case 2:
            Ripple(s);
            break;
        case 3:
            Spiral(s);
            break;
        case 4:
            Cycle(s);
            break;
        case 5:
            Breathe(s);
            break;
        case 6:
            Still(s);
            break;
        case 7:
        case 8:
        case 9:
        case 17:
        case 19:
            PaintAll(KeyOutline::kClear);
            break;
        case 10:
            Sparkle(s);
            break;
        case 11:
            Rainbow(s);
            break;
        case 12:
            Rows(s);
            break;
        case 13:
            Diamonds(s);
            break;
        case 14:
            Script(s);
            break;
        case 15:
            Rain(s);
            break;
        case 16:
            Corners(s);
            break;
        case 18:
            Rings(s);
            break;
        default:
            break;  // 20 keeps the user colours; other numbers have no preview
    }
}

void PreviewEngine::PaintPlace(int place, Rgb colour) {
    if (place < 0) return;
    int b = placeButton_[place];
    if (b >= 0) frame_[b] = {KeyOutline::kOutline, colour};
}

void PreviewEngine::PaintCell(const GridCell& cell, Rgb colour) {
    int b = cellButton_[&cell - PreviewGridCells().data()];
    if (b >= 0) frame_[b] = {KeyOutline::kOutline, colour};
}

void PreviewEngine::PaintAll(KeyOutline::Op op) {
    std::fill(frame_.begin(), frame_.end(), KeyOutline{op, 0});
}

void PreviewEngine::Wave(const PreviewSettings& s) {
    int& phase = phase_[1];
    if (s.multicolour) {
        phase = Move(phase, 9, kPaletteSize, s.direction);
        for (const GridCell& cell : PreviewGridCells())
            PaintCell(cell, Palette(phase + 9 * cell.column));
    } else {
        phase = Move(phase, 7, kWaveSize, s.direction);
        for (const GridCell& cell : PreviewGridCells())
            PaintCell(cell,
                      ScaleColour(s.colour, WaveCurve()[(phase + 7 * cell.column) % kWaveSize]));
    }
}

void PreviewEngine::Ripple(const PreviewSettings& s) {
    int& phase = phase_[2];
    if (s.multicolour) {
        phase = Move(phase, 4, kPaletteSize, s.direction);
        for (const GridCell& cell : PreviewGridCells())
            PaintCell(cell, Palette(phase + 5 * cell.column));
    } else {
        phase = Forward(phase, 4, kPulseSize);
        const int step = s.direction == kDirectionUp ? 5 : kPulseSize - 5;
        for (const GridCell& cell : PreviewGridCells()) {
            // The index steps once before every column of the row, the first included.
            int index = (phase + step * (cell.column + 1)) % kPulseSize;
            PaintCell(cell, ScaleColour(s.colour, PulseCurve()[index]));
        }
    }
}

void PreviewEngine::Spiral(const PreviewSettings& s) {
    int& phase = phase_[3];
    if (s.multicolour) {
        phase = Move(phase, 4, kPaletteSize, s.direction);
        for (int k = 0; k < kPreviewKeyCount; ++k) PaintPlace(k, Palette(phase + 5 * k));
    } else {
        phase = Move(phase, 4, kWaveSize, s.direction);
        for (int k = 0; k < kPreviewKeyCount; ++k)
            PaintPlace(k, ScaleColour(s.colour, WaveCurve()[(phase + 5 * k) % kWaveSize]));
    }
}

void PreviewEngine::Cycle(const PreviewSettings& s) {
    int& phase = phase_[4];
    phase = Move(phase, 2, kPaletteSize, s.direction);
    for (int k = 0; k < kPreviewKeyCount; ++k) PaintPlace(k, Palette(phase));
}

void PreviewEngine::Breathe(const PreviewSettings& s) {
    int& phase = phase_[5];
    phase = Forward(phase, 2, kBreathingSize);
    const int level = BreathingCurve()[phase];
    for (const GridCell& cell : PreviewGridCells()) {
        Rgb base = s.multicolour ? Palette(7 * cell.column) : s.colour;
        PaintCell(cell, ScaleColour(base, level));
    }
}

void PreviewEngine::Still(const PreviewSettings& s) {
    for (const GridCell& cell : PreviewGridCells()) {
        Rgb colour = s.colour;
        // 9 x 22 would run past the palette; the last column repeats its first colour.
        if (s.multicolour) colour = Palette(cell.column <= 21 ? 9 * cell.column : 0);
        PaintCell(cell, colour);
    }
}

void PreviewEngine::Sparkle(const PreviewSettings& s) {
    random_.Reseed();
    auto sequence = SparkleSequence();
    for (int n = 0; n < 3; ++n) {
        sparkleCounter_ = sparkleCounter_ >= kPreviewKeyCount - 1 ? 0 : sparkleCounter_ + 1;
        int place = sequence[sparkleCounter_];
        sparkleKeys_.intensity[place] = 255;
        sparkleKeys_.colourIndex[place] = uint8_t(random_.Next() % 255);
    }
    FadeAndDraw(sparkleKeys_, s, false, 1);
}

void PreviewEngine::Rainbow(const PreviewSettings&) {
    if (!rainbowStarted_) {
        for (int k = 0; k < kPreviewKeyCount; ++k) {
            int phase = 33 * (k + 1);
            while (phase > kPaletteSize) phase -= kPaletteSize;
            rainbowPhase_[k] = phase;
        }
        rainbowStarted_ = true;
    }
    for (int k = 0; k < kPreviewKeyCount; ++k) {
        int& phase = rainbowPhase_[k];
        phase += 3;
        if (phase >= kPaletteSize) phase = 0;
        PaintPlace(k, Palette(phase));
    }
}

void PreviewEngine::Rows(const PreviewSettings& s) {
    int& phase = phase_[12];
    phase = Move(phase, 3, kPaletteSize, s.direction);
    for (const GridCell& cell : PreviewGridCells()) PaintCell(cell, Palette(phase + 32 * cell.row));
}

void PreviewEngine::Rings(const PreviewSettings& s) {
    int& phase = phase_[18];
    if (s.direction == kDirectionUp) {
        phase = (phase + 2) % kPaletteSize;
    } else {
        phase -= 2;
        if (phase < 0) phase = kPaletteSize;
    }
    for (int ring = 1; ring <= kRingCount; ++ring) {
        Rgb colour = Palette(phase + 21 * ring);
        for (int id : RingKeys(ring)) PaintPlace(SpiralPlace(id), colour);
    }
}

void PreviewEngine::LightFronts(const PreviewFronts& fronts, Twinkle& keys, bool multicolour) {
    random_.Reseed();
    for (int row = 0; row < kGridRows; ++row) {
        for (int column = 0; column < kGridColumns; ++column) {
            if (!fronts.Holds(column, row)) continue;
            int id = PreviewGridAt(column, row);
            if (id == 0) continue;
            int place = SpiralPlace(id);
            if (place < 0) continue;
            keys.intensity[place] = 255;
            if (multicolour) keys.colourIndex[place] = uint8_t(random_.Next() % 255);
        }
    }
}

void PreviewEngine::FadeAndDraw(Twinkle& keys, const PreviewSettings& s, bool scripted,
                                int indexFactor) {
    for (int k = 0; k < kPreviewKeyCount; ++k) {
        int intensity = FadeIntensity(keys.intensity[k], scripted);
        keys.intensity[k] = uint8_t(intensity);
        Rgb base = s.colour;
        if (s.multicolour)
            base = PreviewPalette()[keys.colourIndex[k] * indexFactor % kTwinklePaletteSize];
        PaintPlace(k, ScaleColour(base, intensity));
    }
}

void PreviewEngine::Diamonds(const PreviewSettings& s) {
    if (!diamondsSeeded_) {
        diamondFronts_.Seed(9, 6);
        diamondsSeeded_ = true;
    }
    // A diamond from below reaching the top row starts one at the top, and the other way round.
    if (diamondFronts_.Column(9) == 1u << 0) diamondFronts_.Seed(9, 0);
    if (diamondFronts_.Column(9) == 1u << 6) diamondFronts_.Seed(9, 6);
    LightFronts(diamondFronts_, diamondKeys_, s.multicolour);
    diamondFronts_.Spread();
    FadeAndDraw(diamondKeys_, s, false, 1);
}

void PreviewEngine::Rain(const PreviewSettings& s) {
    int start = (rainLast_ + 7) % kGridColumns;
    for (int offset : {3, 6, 9}) {
        rainLast_ = (start + offset) % kGridColumns;
        rainFronts_.Seed(rainLast_, 0);
    }
    LightFronts(rainFronts_, sparkleKeys_, s.multicolour);
    rainFronts_.Fall();
    FadeAndDraw(sparkleKeys_, s, false, 1);
}

void PreviewEngine::Corners(const PreviewSettings& s) {
    if (cornerFronts_.Column(1) == 1u << 0) cornerFronts_.Seed(1, 0);
    if (cornerFronts_.Column(22) == 1u << 6) cornerFronts_.Seed(22, 6);
    LightFronts(cornerFronts_, cornerKeys_, s.multicolour);
    cornerFronts_.Spread();
    FadeAndDraw(cornerKeys_, s, false, 3);
}

void PreviewEngine::LightScripted(int controlId, bool multicolour) {
    int place = SpiralPlace(controlId);
    if (place < 0) return;
    scriptKeys_.intensity[place] = 255;
    if (multicolour) scriptKeys_.colourIndex[place] = scriptCounter_;
}

void PreviewEngine::Script(const PreviewSettings& s) {
    const int kLPlace = SpiralPlace(keyctl::kL);
    const int kLCtrlPlace = SpiralPlace(keyctl::kLCtrl);
    ++scriptCounter_;
    switch (scriptStage_) {
        case 0:  // the scripted rows, one per step
            for (int id : ScriptRow(scriptStep_)) {
                scriptCounter_ += 11;
                LightScripted(id, s.multicolour);
            }
            if (++scriptStep_ >= kScriptRows) {
                scriptStage_ = 1;
                scriptStep_ = 0;
            }
            break;
        case 1:  // pairs, then wait for the last of them to go dark
            if (scriptStep_ <= 30) {
                for (int id : ScriptPair(scriptStep_ % kScriptPairs)) {
                    ++scriptCounter_;
                    LightScripted(id, s.multicolour);
                }
                ++scriptStep_;
            } else if (scriptKeys_.intensity[kLPlace] == 0) {
                scriptStage_ = 2;
                scriptStep_ = 0;
            }
            break;
        case 2:
            scriptFronts_.Seed(11, 2);  // P
            scriptStage_ = 3;
            break;
        case 3:  // a diamond from P until it reaches Left Ctrl
            LightFronts(scriptFronts_, scriptKeys_, s.multicolour);
            scriptFronts_.Spread();
            if (scriptKeys_.intensity[kLCtrlPlace] != 0) scriptStage_ = 4;
            break;
        default:
            if (scriptKeys_.intensity[kLCtrlPlace] == 0) {
                scriptStage_ = 0;
                scriptStep_ = 0;
            }
            break;
    }
    FadeAndDraw(scriptKeys_, s, true, 1);
}

}  // namespace vorlin
