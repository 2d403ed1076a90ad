// A macro as the application keeps it: a named list of timed key and mouse events, 16512 bytes
// in profile files. Records are written and read field by field.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "keys/key_action.h"

namespace vorlin {

constexpr size_t kMacroRecordSize = 16512;
constexpr size_t kMacroActionSize = 8;
constexpr int kMaxMacros = 100;
constexpr int kMaxMacroActions = 2000;
constexpr int kMacroNameUnits = 250;  // including the terminator
constexpr int kMaxMacroNameChars = 249;
constexpr int32_t kMaxMacroDelayMs = 40000;

struct MacroAction {
    int32_t delayMs = 0;  // time from this action to the next
    KeyCode keyCode = 0;
    uint16_t release = 0;  // 0 press, 1 release
};

struct MacroRecord {
    std::array<char16_t, kMacroNameUnits> name{};  // zero-terminated
    uint8_t repeatCount = 0;
    uint8_t reserved501 = 0;
    uint16_t newFlag = 0;  // 1 from creation until the editor's list is committed
    uint16_t reserved504 = 0;
    uint16_t macroId = 0;  // 1..100, unique in a list
    uint16_t actionCount = 0;
    uint16_t reserved510 = 0;
    std::array<MacroAction, kMaxMacroActions> actions{};

    std::u16string_view Name() const;
    // Longer names are cut to 249 characters; the rest of the field is zeroed.
    void SetName(std::u16string_view text);
};

void WriteMacroRecord(const MacroRecord& record, uint8_t* out);  // kMacroRecordSize bytes
// false when the bytes hold what a record cannot (more than 2000 actions, a name without its
// terminator); the record is then left in an unspecified state.
bool ReadMacroRecord(const uint8_t* in, MacroRecord& record);

// The id a new macro gets: the smallest of 1..100 no record of the list uses; 0 when none is free.
uint16_t SmallestFreeMacroId(const std::vector<MacroRecord>& records);

}  // namespace vorlin
