// What the simulated keyboard remembers: the two models it can be, and every memory block the
// command protocol reaches, with the content a keyboard leaves the factory with.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "device/frame_layout.h"
#include "device/keyboard_models.h"
#include "device/lighting_area.h"

namespace vorlin {

// In the order of the model table.
enum class SimModel { k0C45_5004, k320F_5000 };

// The model's row of the model table.
using SimModelInfo = KeyboardModel;

const SimModelInfo& ModelInfo(SimModel model);
// The model with these ids, if the simulator knows it.
std::optional<SimModel> ModelByIds(uint16_t vendorId, uint16_t productId);
// "0c45:5004" / "320f:5000" (also the short names "5004" / "5000").
std::optional<SimModel> ParseModelName(const std::string& name);

constexpr size_t kSimLightingSize = 3 * kLightingRecordSize;
constexpr size_t kSimKeyColourPage = 512;
constexpr size_t kSimKeyColourSize = 3 * kSimKeyColourPage;
constexpr size_t kSimKeyMapSpace = 3 * 512;   // three maps at profile * keyMapSize
constexpr size_t kSimMacroSpace = 255 * 128;  // the most a capacity byte can grant

struct SimMemory {
    SimModel model = SimModel::k320F_5000;
    std::array<uint8_t, kStateBlockSize> state{};
    std::array<uint8_t, kSimLightingSize> lighting{};
    std::array<uint8_t, kSimKeyColourSize> keyColours{};
    std::array<uint8_t, kSimKeyMapSpace> keyMaps{};
    std::array<uint8_t, 512> factoryMap{};
    std::array<uint8_t, kSimMacroSpace> macros{};

    const SimModelInfo& info() const { return ModelInfo(model); }
    unsigned macroCapacity() const { return StateMacroCapacity(state.data()); }
    bool operator==(const SimMemory&) const = default;
};

// The factory key map of a model: the 126 standard records; the 128-key model adds its G keys.
std::array<uint8_t, 512> SimFactoryKeyMap(SimModel model);
// A keyboard fresh from the factory: profile 0 active, factory key maps in all profiles,
// the default lighting record in all three, no macros.
SimMemory FactoryMemory(SimModel model);

// The whole memory as a versioned little-endian file, and back. Loading checks every length
// and value range; on failure *error says why and the memory is left untouched.
bool SaveSimMemory(const SimMemory& memory, const std::string& path, std::string* error);
bool LoadSimMemory(const std::string& path, SimMemory& memory, std::string* error);

}  // namespace vorlin
