// Macro area sizes, encoding for the keyboard and decoding of what it returns.
#include "store/macro_area.h"

#include <algorithm>
#include <array>
#include <string>

#include "keys/key_codes.h"
#include "platform/le_bytes.h"

namespace vorlin {
namespace {

struct ModifierBit {
    KeyCode code;
    uint8_t bit;
};
constexpr ModifierBit kModifierBits[] = {
    {0x1D, 0x01},  {0x2A, 0x02}, {0x38, 0x04},  {0x15B, 0x08},
    {0x11D, 0x10}, {0x36, 0x20}, {0x138, 0x40}, {0x15C, 0x80},
};

struct MouseRecord {
    uint16_t usage;
    uint8_t d0, d1;
};
constexpr MouseRecord kMouseRecords[] = {
    {0xF1, 1, 1}, {0xF2, 1, 2}, {0xF3, 1, 4}, {0xF4, 5, 1}, {0xF5, 5, 0xFF},
};

// A record never holds more than 2000 actions, whatever its count says.
uint16_t ActionsOf(const MacroRecord& r) {
    return std::min<uint16_t>(r.actionCount, kMaxMacroActions);
}

uint32_t BlockSize(const MacroRecord& r, bool withNames) {
    return 4 + 4u * ActionsOf(r) + (withNames ? 2u * static_cast<uint32_t>(r.Name().size()) : 0);
}

}  // namespace

MacroAreaSizes MacroAreaSize(const ConfigStore& store) {
    std::lock_guard guard(store.lock);
    MacroAreaSizes sizes;
    sizes.bare = static_cast<uint32_t>(kMacroAreaHeaderSize + 2 * store.macros.size());
    sizes.full = sizes.bare;
    for (const MacroRecord& r : store.macros) {
        sizes.bare += BlockSize(r, false);
        sizes.full += BlockSize(r, true);
    }
    return sizes;
}

bool MacroAreaFits(const MacroAreaSizes& sizes, unsigned capacity) {
    return capacity >= sizes.bare && sizes.bare <= kMacroAreaMaxSize;
}

bool MacroAreaFitsWithNames(const MacroAreaSizes& sizes, unsigned capacity) {
    return capacity >= sizes.full && sizes.full <= kMacroAreaMaxSize;
}

namespace {

DeviceKeyRecord ComputeMacroKeyRecord(KeyCode code) {
    for (const ModifierBit& m : kModifierBits) {
        if (m.code == code) return {2, 1, m.bit};
    }
    const auto [page, usage] = KeyCodeToUsage(code);
    switch (page) {
        case 7:
            return {2, 2, static_cast<uint8_t>(usage)};
        case 12:
            return {3, static_cast<uint8_t>(usage), static_cast<uint8_t>(usage >> 8)};
        case 1:
            return {4, static_cast<uint8_t>(usage), static_cast<uint8_t>(usage >> 8)};
        case 2:
            for (const MouseRecord& m : kMouseRecords) {
                if (m.usage == usage) return {1, m.d0, m.d1};
            }
            break;
        default:
            break;
    }
    return {0, 0, 0};
}

// Every code a key table row can name, worked out once: encoding a whole area looks up each
// action's record.
constexpr KeyCode kCachedCodes = 1024;

const std::array<DeviceKeyRecord, kCachedCodes>& MacroKeyRecords() {
    static const auto records = [] {
        std::array<DeviceKeyRecord, kCachedCodes> table{};
        for (KeyCode code = 0; code < kCachedCodes; ++code)
            table[code] = ComputeMacroKeyRecord(code);
        return table;
    }();
    return records;
}

}  // namespace

DeviceKeyRecord MacroKeyRecord(KeyCode code) {
    return code < kCachedCodes ? MacroKeyRecords()[code] : ComputeMacroKeyRecord(code);
}

void EncodeMacroAction(const MacroAction& action, uint8_t* out) {
    const int32_t delay = std::clamp(action.delayMs, int32_t{0}, kMaxMacroDelayMs);
    const DeviceKeyRecord record = MacroKeyRecord(action.keyCode);
    uint16_t word = static_cast<uint16_t>((delay / 10) & 0xFFF);
    word |= static_cast<uint16_t>((record[0] & 0x7) << 12);
    if (action.release == 0) word |= 0x8000;
    PutU16(out, word);
    out[2] = record[1];
    out[3] = record[2];
}

MacroAction DecodeMacroAction(const uint8_t* in) {
    const uint16_t word = GetU16(in);
    MacroAction action;
    action.delayMs = (word & 0xFFF) * 10;
    action.release = (word & 0x8000) ? 0 : 1;
    action.keyCode = DecodeDeviceRecord({static_cast<uint8_t>((word >> 12) & 0x7), in[2], in[3]});
    return action;
}

void EncodeMacroArea(const ConfigStore& store, std::span<uint8_t> buffer, bool withNames) {
    std::lock_guard guard(store.lock);
    std::fill(buffer.begin(), buffer.end(), uint8_t{0});
    if (buffer.size() < kMacroAreaHeaderSize) return;
    const size_t n = store.macros.size();
    uint8_t* base = buffer.data();
    const size_t size = buffer.size();
    PutU16(base, kMacroAreaMagic);
    PutU16(base + 2, static_cast<uint16_t>(std::min(size, kMacroAreaMaxSize)));
    PutU16(base + 4, static_cast<uint16_t>(n));
    PutU16(base + 6, withNames ? 1 : 0);

    size_t offset = kMacroAreaHeaderSize + 2 * n;
    for (size_t i = 0; i < n; ++i) {
        const MacroRecord& r = store.macros[i];
        const size_t entry = kMacroAreaHeaderSize + 2 * i;
        if (entry + 2 <= size) PutU16(base + entry, static_cast<uint16_t>(offset));
        const size_t block = BlockSize(r, withNames);
        if (offset + block > size) break;  // the caller sized the buffer too small
        uint8_t* p = base + offset;
        const std::u16string_view name = r.Name();
        const uint16_t actions = ActionsOf(r);
        PutU16(p, actions);
        p[2] = r.repeatCount;
        p[3] = withNames ? static_cast<uint8_t>(name.size()) : 0;
        p += 4;
        for (int a = 0; a < actions; ++a, p += 4) EncodeMacroAction(r.actions[a], p);
        if (withNames) {
            for (char16_t c : name) {
                PutU16(p, c);
                p += 2;
            }
        }
        offset += block;
    }
}

int DecodeMacroArea(std::span<const uint8_t> area, std::vector<MacroRecord>& records,
                    std::u16string_view defaultNamePrefix) {
    records.clear();
    if (area.size() < kMacroAreaHeaderSize || GetU16(area.data()) != kMacroAreaMagic) return 0;
    const uint8_t* base = area.data();
    const size_t limit = std::min<size_t>(area.size(), GetU16(base + 2));
    if (limit < kMacroAreaHeaderSize) return 0;
    size_t n = std::min<size_t>(GetU16(base + 4), kMaxMacros);
    n = std::min(n, (limit - kMacroAreaHeaderSize) / 2);

    records.reserve(n);
    size_t made = 0;
    for (; made < n; ++made) {
        const size_t offset = GetU16(base + kMacroAreaHeaderSize + 2 * made);
        if (offset < kMacroAreaHeaderSize || offset + 4 > limit) break;
        const uint8_t* block = base + offset;
        const size_t declared = GetU16(block);
        const size_t room = (limit - offset - 4) / 4;
        const size_t count = std::min({declared, size_t{kMaxMacroActions}, room});

        MacroRecord& r = records.emplace_back();
        r.repeatCount = block[2];
        r.macroId = static_cast<uint16_t>(made + 1);
        r.actionCount = static_cast<uint16_t>(count);
        for (size_t a = 0; a < count; ++a) r.actions[a] = DecodeMacroAction(block + 4 + 4 * a);

        const size_t nameLength = block[3];
        const size_t nameAt = offset + 4 + 4 * declared;
        const size_t nameRoom = nameAt < limit ? (limit - nameAt) / 2 : 0;
        const size_t take = std::min({nameLength, size_t{kMaxMacroNameChars}, nameRoom});
        std::u16string name;
        for (size_t c = 0; c < take; ++c) {
            const char16_t unit = GetU16(base + nameAt + 2 * c);
            if (unit == 0) break;
            name.push_back(unit);
        }
        if (!name.empty()) {
            r.SetName(name);
        } else {
            name.assign(defaultNamePrefix);
            for (char ch : std::to_string(made + 1)) name.push_back(static_cast<char16_t>(ch));
            r.SetName(name);
        }
    }
    return static_cast<int>(made);
}

}  // namespace vorlin
