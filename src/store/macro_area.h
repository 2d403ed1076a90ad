// The keyboard's macro memory: a 16-byte header, an offset table and one block per macro with
// its actions packed into four bytes each and, when room allows, its name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "keys/key_action.h"
#include "store/config_store.h"
#include "store/macro_record.h"

namespace vorlin {

constexpr uint16_t kMacroAreaMagic = 0x55AA;
constexpr size_t kMacroAreaHeaderSize = 16;
constexpr size_t kMacroAreaMaxSize = 0xFFFF;  // the header's size field is 16 bits

struct MacroAreaSizes {
    uint32_t full = 0;  // with names
    uint32_t bare = 0;  // without names
};

// Under the store's lock.
MacroAreaSizes MacroAreaSize(const ConfigStore& store);
// Whether an area of these sizes can be written to a keyboard granting capacity bytes (without
// names when only that fits); an apply is refused otherwise.
bool MacroAreaFits(const MacroAreaSizes& sizes, unsigned capacity);
// Whether the names fit too.
bool MacroAreaFitsWithNames(const MacroAreaSizes& sizes, unsigned capacity);

// Fills buffer from the store's macro list (under its lock); the buffer's size is the area size
// written into the header. Nothing is written past the buffer.
void EncodeMacroArea(const ConfigStore& store, std::span<uint8_t> buffer, bool withNames);

// [kind, d0, d1] of a macro action's key: the keyboard, consumer, system or mouse usage.
DeviceKeyRecord MacroKeyRecord(KeyCode code);
// Control word and data bytes of one action. Delays are clamped to 0..40000 ms first.
void EncodeMacroAction(const MacroAction& action, uint8_t* out4);
MacroAction DecodeMacroAction(const uint8_t* in4);

// Turns an area read from the keyboard into records (ids = positions + 1; macros without a
// name (or an empty one) get defaultNamePrefix followed by their position + 1). Everything is
// bounds-checked against the area and the record limits: the list ends before the first macro whose
// block lies outside the area, and counts, actions and names are cut to what the area holds and a
// record can take. Returns the number of records made.
int DecodeMacroArea(std::span<const uint8_t> area, std::vector<MacroRecord>& records,
                    std::u16string_view defaultNamePrefix);

}  // namespace vorlin
