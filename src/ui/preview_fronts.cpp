// Fronts of the twinkling preview effects.
#include "ui/preview_fronts.h"

namespace vorlin {
namespace {

constexpr bool IsDown(int layer) {
    return layer == PreviewFronts::kDownLeft || layer == PreviewFronts::kDownRight;
}
constexpr int Horizontal(int layer) {
    return layer == PreviewFronts::kDownRight || layer == PreviewFronts::kUpRight ? 1 : -1;
}
uint8_t Vertical(uint8_t rows, bool down) {
    return down ? uint8_t(rows << 1) : uint8_t(rows >> 1);
}

}  // namespace

void PreviewFronts::Clear() {
    layers_ = {};
}

void PreviewFronts::Seed(int column, int row) {
    if (column < 0 || column >= kFrontColumns || row < 0 || row >= kFrontRows) return;
    for (auto& layer : layers_) layer[column] |= uint8_t(1u << row);
}

void PreviewFronts::Spread() {
    for (int l = 0; l < kLayers; ++l) {
        const auto old = layers_[l];
        const bool down = IsDown(l);
        const int h = Horizontal(l);
        for (int c = 0; c < kFrontColumns; ++c) {
            uint8_t rows = Vertical(old[c], down);
            int from = c - h;
            if (from >= 0 && from < kFrontColumns) rows |= old[from];
            layers_[l][c] = rows;
        }
    }
}

void PreviewFronts::Fall() {
    for (int l = 0; l < kLayers; ++l)
        for (auto& rows : layers_[l]) rows = Vertical(rows, IsDown(l));
}

uint8_t PreviewFronts::Column(int column) const {
    uint8_t rows = 0;
    for (const auto& layer : layers_) rows |= layer[column];
    return rows;
}

bool PreviewFronts::Holds(int column, int row) const {
    if (column < 0 || column >= kFrontColumns || row < 0 || row >= kFrontRows) return false;
    return Column(column) >> row & 1;
}

}  // namespace vorlin
