// The action list of the macro being edited, as the composite editor's macro page shows it: rows
// of timed key events, their insertion while recording, editing in place, moves, and the clamping
// of typed repeat counts and delays.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/app_paths.h"
#include "skin/language.h"
#include "store/macro_record.h"

namespace vorlin {

struct ActionRow {
    MacroAction action;
    bool recorded = false;  // drawn in the grey text colour
};

enum class ActionColumn { Key = 0, State = 1, Delay = 2 };
enum class ActionMove { Top, Up, Down, Bottom };

// Column headings of the list (language keys) and their widths.
struct ActionColumnHeading {
    const char* textKey;
    int width;
};
const std::vector<ActionColumnHeading>& ActionColumnHeadings();

// "↓" for a press, "  ↑" for a release.
const char* ActionStateText(uint16_t release);

class ActionList {
  public:
    const std::vector<ActionRow>& rows() const { return rows_; }
    int size() const { return static_cast<int>(rows_.size()); }
    bool full() const { return size() >= kMaxMacroActions; }
    int selected() const { return selected_; }
    // -1, or a row outside the list, selects nothing.
    void Select(int row);

    // Rebuilds the rows from a record, with their stored delays.
    void Load(const MacroRecord& record);
    // actionCount and actions of the record; entries past the rows are zeroed.
    void SaveInto(MacroRecord& record) const;
    void Reset();

    // A recorded action goes after the selected row (at the end when none is): the row before it
    // takes the measured delay, the new row takes over that row's previous delay (0 at the top).
    // The new row is selected. Returns its index, or -1 when the list is full.
    int InsertRecorded(MacroAction action, int32_t measuredDelay);

    // In-place edits; each returns whether the row changed.
    bool SetKeyByDisplayId(int row, uint16_t displayId);
    bool SetRelease(int row, uint16_t release);
    bool SetDelay(int row, int32_t delayMs);

    bool DeleteSelected();
    bool Clear();
    // The selected row with its delay; it stays selected.
    bool MoveSelected(ActionMove move);

  private:
    std::vector<ActionRow> rows_;
    int selected_ = -1;
};

// A typed repeat count: 1..255, and 1 for a text that is not a decimal number. rewrite is set
// when the edit must show `value` instead of what was typed.
struct RepeatCount {
    int value;
    bool rewrite;
};
RepeatCount ParseRepeatCount(std::string_view text);

// A typed delay: above 40000 it becomes 40000 (tooLong asks for the message); then rounded down
// to a multiple of 10. valid is false for a text that is not a non-negative decimal number.
struct TypedDelay {
    bool valid;
    int32_t value;
    bool tooLong;
};
TypedDelay ParseTypedDelay(std::string_view text);

// What a row shows: the key's name, its state and its own delay in decimal.
struct ActionRowTexts {
    std::string key;
    std::string state;
    std::string delay;
};
ActionRowTexts RowTexts(const LanguageCache& texts, int languageIndex, const ActionRow& row);

// The names the key cell offers: the 111 keys of the selection lists, in displayId order.
std::vector<std::string> KeyCellChoices(const LanguageCache& texts, int languageIndex);

}  // namespace vorlin
