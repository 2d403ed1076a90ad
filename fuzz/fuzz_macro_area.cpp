// Macro areas as a keyboard could return them: decoding stays inside the area and the records'
// limits, and what was decoded encodes and decodes back to the same list.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "store/config_store.h"
#include "store/macro_area.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vorlin;
    std::vector<MacroRecord> records;
    const int count = DecodeMacroArea(std::span<const uint8_t>(data, size), records, u"M");
    if (count < 0 || count > kMaxMacros || records.size() != static_cast<size_t>(count)) {
        __builtin_trap();
    }
    for (int i = 0; i < count; ++i) {
        const MacroRecord& r = records[i];
        if (r.macroId != i + 1 || r.actionCount > kMaxMacroActions || r.Name().empty() ||
            r.Name().size() > kMaxMacroNameChars) {
            __builtin_trap();
        }
    }

    ConfigStore store;
    store.macros = records;
    const MacroAreaSizes sizes = MacroAreaSize(store);
    if (sizes.full > kMacroAreaMaxSize) return 0;
    std::vector<uint8_t> area(sizes.full);
    EncodeMacroArea(store, area, true);
    std::vector<MacroRecord> back;
    if (DecodeMacroArea(area, back, u"M") != count) __builtin_trap();
    for (int i = 0; i < count; ++i) {
        const MacroRecord& a = records[i];
        const MacroRecord& b = back[i];
        if (a.Name() != b.Name() || a.actionCount != b.actionCount ||
            a.repeatCount != b.repeatCount) {
            __builtin_trap();
        }
        for (int k = 0; k < a.actionCount; ++k) {
            if (std::min(a.actions[k].delayMs, kMaxMacroDelayMs) != b.actions[k].delayMs ||
                a.actions[k].release != b.actions[k].release) {
                __builtin_trap();
            }
        }
    }
    return 0;
}
