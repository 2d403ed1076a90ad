// The macro page's action list.
#include "ui/macro_editing.h"

#include <algorithm>
#include <charconv>

#include "keys/key_codes.h"
#include "keys/key_table.h"
#include "platform/text_key_names.h"
#include "skin/key_names.h"

namespace vorlin {
namespace {

// A row never holds more than press or release.
uint16_t NormalRelease(uint16_t release) {
    return release > 1 ? 0 : release;
}

int32_t ClampDelay(int64_t delay) {
    return static_cast<int32_t>(std::clamp<int64_t>(delay, 0, kMaxMacroDelayMs));
}

// A whole text of decimal digits, saturated far above every limit used here.
bool ParseDigits(std::string_view text, int64_t& value) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (text.empty()) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = std::min<int64_t>(value * 10 + (c - '0'), int64_t{1} << 40);
    }
    return true;
}

}  // namespace

const std::vector<ActionColumnHeading>& ActionColumnHeadings() {
    static const std::vector<ActionColumnHeading> headings = {
        {kTextMacroKeysHint, 50}, {kTextMacroActionHint, 50}, {kTextMacroDelayMs, 70}};
    return headings;
}

const char* ActionStateText(uint16_t release) {
    return release ? "  \u2191" : "\u2193";
}

void ActionList::Select(int row) {
    selected_ = row >= 0 && row < size() ? row : -1;
}

void ActionList::Load(const MacroRecord& record) {
    Reset();
    const int count = std::min<int>(record.actionCount, kMaxMacroActions);
    rows_.reserve(count);
    for (int i = 0; i < count; ++i) {
        MacroAction a = record.actions[i];
        a.release = NormalRelease(a.release);
        a.delayMs = ClampDelay(a.delayMs);
        rows_.push_back({a, false});
    }
}

void ActionList::SaveInto(MacroRecord& record) const {
    record.actionCount = static_cast<uint16_t>(rows_.size());
    for (size_t i = 0; i < record.actions.size(); ++i) {
        record.actions[i] = i < rows_.size() ? rows_[i].action : MacroAction{};
    }
}

void ActionList::Reset() {
    rows_.clear();
    selected_ = -1;
}

int ActionList::InsertRecorded(MacroAction action, int32_t measuredDelay) {
    if (full()) return -1;
    action.release = NormalRelease(action.release);
    const int at = selected_ >= 0 ? selected_ + 1 : size();
    if (at > 0) {
        ActionRow& before = rows_[at - 1];
        action.delayMs = before.action.delayMs;
        before.action.delayMs = ClampDelay(measuredDelay);
    } else {
        action.delayMs = 0;
    }
    rows_.insert(rows_.begin() + at, ActionRow{action, true});
    selected_ = at;
    return at;
}

bool ActionList::SetKeyByDisplayId(int row, uint16_t displayId) {
    if (row < 0 || row >= size() || displayId >= kKeySelectionCount) return false;
    const KeyCode code = KeyCodeFromDisplayId(displayId);
    if (code == 0 || code == rows_[row].action.keyCode) return false;
    rows_[row].action.keyCode = code;
    return true;
}

bool ActionList::SetRelease(int row, uint16_t release) {
    if (row < 0 || row >= size()) return false;
    release = NormalRelease(release);
    if (rows_[row].action.release == release) return false;
    rows_[row].action.release = release;
    return true;
}

bool ActionList::SetDelay(int row, int32_t delayMs) {
    if (row < 0 || row >= size()) return false;
    delayMs = ClampDelay(delayMs);
    if (rows_[row].action.delayMs == delayMs) return false;
    rows_[row].action.delayMs = delayMs;
    return true;
}

bool ActionList::DeleteSelected() {
    if (selected_ < 0) return false;
    rows_.erase(rows_.begin() + selected_);
    // The row that took its place stays selected, so several rows can be deleted in a row.
    if (selected_ >= size()) selected_ = size() - 1;
    return true;
}

bool ActionList::Clear() {
    if (rows_.empty()) return false;
    Reset();
    return true;
}

bool ActionList::MoveSelected(ActionMove move) {
    if (selected_ < 0) return false;
    int to = selected_;
    switch (move) {
        case ActionMove::Top:
            to = 0;
            break;
        case ActionMove::Up:
            to = std::max(0, selected_ - 1);
            break;
        case ActionMove::Down:
            to = std::min(size() - 1, selected_ + 1);
            break;
        case ActionMove::Bottom:
            to = size() - 1;
            break;
    }
    if (to == selected_) return false;
    const ActionRow row = rows_[selected_];
    rows_.erase(rows_.begin() + selected_);
    rows_.insert(rows_.begin() + to, row);
    selected_ = to;
    return true;
}

RepeatCount ParseRepeatCount(std::string_view text) {
    int64_t value = 0;
    if (!ParseDigits(text, value)) return {1, true};
    const int clamped = static_cast<int>(std::clamp<int64_t>(value, 1, 255));
    return {clamped, clamped != value};
}

TypedDelay ParseTypedDelay(std::string_view text) {
    int64_t value = 0;
    if (!ParseDigits(text, value)) return {false, 0, false};
    const bool tooLong = value > kMaxMacroDelayMs;
    const int32_t clamped = tooLong ? kMaxMacroDelayMs : static_cast<int32_t>(value);
    return {true, clamped - clamped % 10, tooLong};
}

ActionRowTexts RowTexts(const LanguageCache& texts, int languageIndex, const ActionRow& row) {
    return {KeyName(texts, languageIndex, row.action.keyCode), ActionStateText(row.action.release),
            std::to_string(row.action.delayMs)};
}

std::vector<std::string> KeyCellChoices(const LanguageCache& texts, int languageIndex) {
    std::vector<std::string> names;
    names.reserve(kKeySelectionCount);
    for (uint16_t id = 0; id < kKeySelectionCount; ++id) {
        names.push_back(KeyNameOfDisplayId(texts, languageIndex, id));
    }
    return names;
}

}  // namespace vorlin
