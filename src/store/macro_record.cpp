// Macro records: names, serialisation and the free-id rule.
#include "store/macro_record.h"

#include <algorithm>

#include "platform/le_bytes.h"
#include "platform/utf.h"

namespace vorlin {

std::u16string_view MacroRecord::Name() const {
    const auto end = std::find(name.begin(), name.end(), u'\0');
    return std::u16string_view(name.data(), static_cast<size_t>(end - name.begin()));
}

void MacroRecord::SetName(std::u16string_view text) {
    name.fill(0);
    const std::u16string_view cut = CutUtf16(text, kMaxMacroNameChars);
    std::copy(cut.begin(), cut.end(), name.begin());
}

void WriteMacroRecord(const MacroRecord& r, uint8_t* out) {
    for (int i = 0; i < kMacroNameUnits; ++i) PutU16(out + 2 * i, r.name[i]);
    out[500] = r.repeatCount;
    out[501] = r.reserved501;
    PutU16(out + 502, r.newFlag);
    PutU16(out + 504, r.reserved504);
    PutU16(out + 506, r.macroId);
    PutU16(out + 508, r.actionCount);
    PutU16(out + 510, r.reserved510);
    uint8_t* p = out + 512;
    for (const MacroAction& a : r.actions) {
        PutI32(p, a.delayMs);
        PutU16(p + 4, a.keyCode);
        PutU16(p + 6, a.release);
        p += kMacroActionSize;
    }
}

bool ReadMacroRecord(const uint8_t* in, MacroRecord& r) {
    bool terminated = false;
    for (int i = 0; i < kMacroNameUnits; ++i) {
        r.name[i] = GetU16(in + 2 * i);
        if (r.name[i] == 0) terminated = true;
    }
    r.repeatCount = in[500];
    r.reserved501 = in[501];
    r.newFlag = GetU16(in + 502);
    r.reserved504 = GetU16(in + 504);
    r.macroId = GetU16(in + 506);
    r.actionCount = GetU16(in + 508);
    r.reserved510 = GetU16(in + 510);
    const uint8_t* p = in + 512;
    for (MacroAction& a : r.actions) {
        a.delayMs = GetI32(p);
        a.keyCode = GetU16(p + 4);
        a.release = GetU16(p + 6);
        p += kMacroActionSize;
    }
    return terminated && r.actionCount <= kMaxMacroActions;
}

uint16_t SmallestFreeMacroId(const std::vector<MacroRecord>& records) {
    std::array<bool, kMaxMacros + 1> used{};
    for (const MacroRecord& r : records) {
        if (r.macroId >= 1 && r.macroId <= kMaxMacros) used[r.macroId] = true;
    }
    for (uint16_t id = 1; id <= kMaxMacros; ++id) {
        if (!used[id]) return id;
    }
    return 0;
}

}  // namespace vorlin
