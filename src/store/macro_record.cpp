// Macro records: names, serialisation and the free-id rule.
#include "store/macro_record.h"

#include <algorithm>

#include "store/config_bytes.h"

namespace vorlin {

std::u16string_view MacroRecord::Name() const {
    const auto end = std::find(name.begin(), name.end(), u'\0');
    return std::u16string_view(name.data(), static_cast<size_t>(end - name.begin()));
}

void MacroRecord::SetName(std::u16string_view text) {
    name.fill(0);
    const size_t n = std::min<size_t>(text.size(), kMaxMacroNameChars);
    std::copy_n(text.begin(), n, name.begin());
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

std::u16string Utf8ToUtf16(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<uint8_t>(s[i]);
        uint32_t cp = 0xFFFD;
        size_t len = 1;
        auto cont = [&](size_t k) {
            return i + k < s.size() && (static_cast<uint8_t>(s[i + k]) & 0xC0) == 0x80;
        };
        if (c < 0x80) {
            cp = c;
        } else if ((c & 0xE0) == 0xC0 && cont(1)) {
            cp = ((c & 0x1Fu) << 6) | (s[i + 1] & 0x3Fu);
            len = 2;
            if (cp < 0x80) cp = 0xFFFD;
        } else if ((c & 0xF0) == 0xE0 && cont(1) && cont(2)) {
            cp = ((c & 0x0Fu) << 12) | ((s[i + 1] & 0x3Fu) << 6) | (s[i + 2] & 0x3Fu);
            len = 3;
            if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
        } else if ((c & 0xF8) == 0xF0 && cont(1) && cont(2) && cont(3)) {
            cp = ((c & 0x07u) << 18) | ((s[i + 1] & 0x3Fu) << 12) | ((s[i + 2] & 0x3Fu) << 6) |
                 (s[i + 3] & 0x3Fu);
            len = 4;
            if (cp < 0x10000 || cp > 0x10FFFF) cp = 0xFFFD;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += len;
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        uint32_t cp = s[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
            s[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

}  // namespace vorlin
