// Factory content of the simulated keyboard's memory and its state file.
#include "sim/sim_memory.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <span>

#include "keys/factory_key_map.h"

namespace vorlin {
namespace {

// Where the 128-key model keeps G1..G9: positions the standard layout leaves empty.
constexpr int kGKeyPositions[9] = {6, 7, 14, 15, 22, 23, 30, 31, 126};

}  // namespace

const SimModelInfo& ModelInfo(SimModel model) {
    return KeyboardModels()[static_cast<size_t>(model)];
}

std::optional<SimModel> ModelByIds(uint16_t vendorId, uint16_t productId) {
    const std::span<const KeyboardModel> models = KeyboardModels();
    for (size_t i = 0; i < models.size(); ++i)
        if (models[i].vendorId == vendorId && models[i].productId == productId)
            return static_cast<SimModel>(i);
    return std::nullopt;
}

std::optional<SimModel> ParseModelName(const std::string& name) {
    std::string lower;
    for (char c : name) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::span<const KeyboardModel> models = KeyboardModels();
    for (size_t i = 0; i < models.size(); ++i) {
        char full[16], product[8];
        std::snprintf(full, sizeof full, "%04x:%04x", models[i].vendorId, models[i].productId);
        std::snprintf(product, sizeof product, "%04x", models[i].productId);
        if (lower == full || lower == product) return static_cast<SimModel>(i);
    }
    return std::nullopt;
}

std::array<uint8_t, 512> SimFactoryKeyMap(SimModel model) {
    std::array<uint8_t, 512> map = BuiltInFactoryKeyMap();
    if (model == SimModel::k320F_5000) {
        for (int g = 0; g < 9; ++g) {
            uint8_t* record = &map[kGKeyPositions[g] * 3];
            record[0] = 6;
            record[1] = 0xA2;
            record[2] = static_cast<uint8_t>(g + 1);
        }
    }
    return map;
}

SimMemory FactoryMemory(SimModel model) {
    SimMemory m;
    m.model = model;
    const SimModelInfo& info = ModelInfo(model);
    m.state[kStateActiveProfile] = 0;
    m.state[kStateMacroUnits] = info.macroUnits;
    int slot = 0;
    for (uint8_t mode = 1; mode <= 18; ++mode) m.state[kStateModes + slot++] = mode;
    if (info.offersUserColours) m.state[kStateModes + slot++] = 20;
    for (int p = 0; p < 3; ++p)
        std::copy(kDefaultLightingRecord.begin(), kDefaultLightingRecord.end(),
                  m.lighting.begin() + p * kLightingRecordSize);
    for (size_t i = 0; i < kSimKeyColourSize; i += 3) m.keyColours[i] = 0xFF;  // all red
    m.factoryMap = SimFactoryKeyMap(model);
    for (int p = 0; p < 3; ++p)
        std::copy_n(m.factoryMap.begin(), info.keyMapSize, m.keyMaps.begin() + p * info.keyMapSize);
    return m;
}

}  // namespace vorlin
