// Moving fronts of lit cells over the preview grid: four layers, one per diagonal direction,
// each a set of cells held as one byte per column (bit r = row r). Rows 6 and 7 lie below the
// keyboard, so a front can start there unseen.
#pragma once

#include <array>
#include <cstdint>

namespace vorlin {

constexpr int kFrontColumns = 23;
constexpr int kFrontRows = 8;

class PreviewFronts {
  public:
    enum Layer { kDownLeft, kDownRight, kUpRight, kUpLeft, kLayers };

    void Clear();
    // Adds the cell to all four layers; cells off the grid are ignored.
    void Seed(int column, int row);
    // Every layer moves one cell along both of its directions: a seed grows into a diamond
    // whose cells lie at row distance plus column distance t after t steps.
    void Spread();
    // The down layers move one row down, the up layers one row up.
    void Fall();

    // Rows held in a column by any layer.
    uint8_t Column(int column) const;
    uint8_t LayerColumn(Layer layer, int column) const { return layers_[layer][column]; }
    bool Holds(int column, int row) const;

  private:
    std::array<std::array<uint8_t, kFrontColumns>, kLayers> layers_{};
};

}  // namespace vorlin
