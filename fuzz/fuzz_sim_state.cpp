// The simulated keyboard's state file loader (--sim-state): any bytes are either refused with a
// reason, leaving the memory as it was, or give a memory whose values are in range.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sim/sim_state_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vorlin;
    SimMemory memory = FactoryMemory(SimModel::k0C45_5004);
    const SimMemory before = memory;
    std::string why;
    if (!ParseSimMemory({data, size}, memory, &why)) {
        if (why.empty() || !(memory == before)) std::abort();
        return 0;
    }
    if (size > kSimStateFileLargest) std::abort();
    if (memory.state[kStateActiveProfile] > 2) std::abort();
    if (memory.macroCapacity() > kSimMacroSpace) std::abort();
    return 0;
}
