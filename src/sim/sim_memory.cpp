// Factory content of the simulated keyboard's memory and its state file.
#include "sim/sim_memory.h"

#include <algorithm>
#include <cctype>
#include <iterator>

#include "keys/factory_key_map.h"

namespace vorlin {
namespace {

constexpr SimModelInfo kModels[] = {
    {0x0C45, 0x5004, 378, 126, 32, false},
    {0x320F, 0x5000, 512, 128, 64, true},
};

// Where the 128-key model keeps G1..G9: positions the standard layout leaves empty.
constexpr int kGKeyPositions[9] = {6, 7, 14, 15, 22, 23, 30, 31, 126};

// Mode 1, brightness 5, speed 3, direction 0, multicolour, red; ripple and ribbon white.
constexpr uint8_t kDefaultLightingRecord[35] = {
    0x01, 0x05, 0x03, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x08, 0xFF, 0xFF, 0xFF,
    0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00,
    0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00};

}  // namespace

const SimModelInfo& ModelInfo(SimModel model) {
    return kModels[model == SimModel::k0C45_5004 ? 0 : 1];
}

std::optional<SimModel> ModelByIds(uint16_t vendorId, uint16_t productId) {
    if (vendorId == 0x0C45 && productId == 0x5004) return SimModel::k0C45_5004;
    if (vendorId == 0x320F && productId == 0x5000) return SimModel::k320F_5000;
    return std::nullopt;
}

std::optional<SimModel> ParseModelName(const std::string& name) {
    std::string lower;
    for (char c : name) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower == "0c45:5004" || lower == "5004") return SimModel::k0C45_5004;
    if (lower == "320f:5000" || lower == "5000") return SimModel::k320F_5000;
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
        std::copy(std::begin(kDefaultLightingRecord), std::end(kDefaultLightingRecord),
                  m.lighting.begin() + p * 42);
    for (size_t i = 0; i < kSimKeyColourSize; i += 3) m.keyColours[i] = 0xFF;  // all red
    m.factoryMap = SimFactoryKeyMap(model);
    for (int p = 0; p < 3; ++p)
        std::copy_n(m.factoryMap.begin(), info.keyMapSize, m.keyMaps.begin() + p * info.keyMapSize);
    return m;
}

}  // namespace vorlin
