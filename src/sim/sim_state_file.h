// The simulated keyboard's state file as bytes, for the loader and its fuzz target.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "sim/sim_memory.h"

namespace vorlin {

// The largest state file there can be: header, six block lengths, every block whole.
constexpr size_t kSimStateFileLargest = 12 + 6 * 4 + kStateBlockSize + kSimLightingSize +
                                        kSimKeyColourSize + kSimKeyMapSpace + 512 + kSimMacroSpace;

// The memory in a state file's bytes; on failure *error says why and memory is left untouched.
bool ParseSimMemory(std::span<const uint8_t> bytes, SimMemory& memory, std::string* error);

}  // namespace vorlin
