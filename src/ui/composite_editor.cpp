// The composite key editor's rules.
#include "ui/composite_editor.h"

#include <algorithm>
#include <mutex>

#include "keys/key_codes.h"
#include "keys/key_table.h"
#include "platform/text_key_names.h"
#include "platform/utf.h"
#include "skin/key_names.h"
#include "skin/language.h"
#include "store/config_image.h"
#include "store/macro_list.h"

namespace vorlin {
namespace {

constexpr KeyIndex kLastGKeyEntry = kFirstGKeyEntry + kGKeyEntries - 1;  // 273
constexpr KeyCode kUpOnlyCapture = 0x137;                                // Print Screen

// Left Win, right Win, App: taken whatever the choice and the transition, so no press of them
// ever reaches the desktop while the single-key page shows.
bool IsSystemKey(KeyCode code) {
    return code == 0x15B || code == 0x15C || code == 0x15D;
}

// Case folding for the prefix search of names: ASCII and Latin-1 letters.
char16_t Fold(char16_t c) {
    if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 32);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<char16_t>(c + 32);
    return c;
}

bool BeginsWith(std::u16string_view text, std::u16string_view prefix) {
    if (prefix.size() > text.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (Fold(text[i]) != Fold(prefix[i])) return false;
    }
    return true;
}

// The identifier a G-key entry carries in its extra field (0x0301.., 0x1301..).
uint16_t GKeyExtra(KeyIndex entry) {
    if (entry < kFirstGKeyEntry || entry > kLastGKeyEntry) return 0;
    const int n = entry - kFirstGKeyEntry;
    return static_cast<uint16_t>(n < 9 ? 0x0301 + n : 0x1301 + (n - 9));
}

bool IsEditablePage(uint16_t type) {
    return type == kActionDefault || type == kActionKey || type == kActionMacro ||
           type == kActionMedia || type == kActionFunction;
}

}  // namespace

std::string CompositeEditor::Text(std::string_view key) const {
    return LookupText(ctx_.texts, key, ctx_.languageIndex);
}

bool CompositeEditor::Open(KeyIndex entry, int controlId, bool macroOnly, int profile) {
    if (openCount_ > 0 || entry >= kKeyActionsPerTable || profile < 0 || profile > 2) {
        return false;
    }
    KeyAction stored;
    {
        std::lock_guard guard(ctx_.work.lock);
        if (!ctx_.work.image) return false;
        stored = ctx_.work.image->tables[profile][entry];
        macros_ = ctx_.work.macros;
    }
    ++openCount_;
    entry_ = entry;
    controlId_ = controlId;
    macroOnly_ = macroOnly;
    profile_ = profile;

    mouseIndex_ = mediaIndex_ = functionIndex_ = 0;
    choice_ = KeyChoice::Keyboard;
    keyEditText_.clear();
    repeatText_ = "1";
    repeatCount_ = 1;
    actions_.Reset();
    selectedMacro_ = -1;
    for (MacroRecord& r : macros_) r.newFlag = 0;

    recordDelays_ = ReadRecordDelaySetting(ctx_.paths, ctx_.texts, ctx_.languageIndex);

    storedType_ = stored.type;
    page_ = macroOnly ? uint16_t{kActionMacro} : stored.type;
    loadedValue_ = stored.value;
    capturedKey_ = 0;
    firstMacroPage_ = true;
    ShowPage(true);
    dirty_ = false;
    return true;
}

CompositePage CompositeEditor::shownPage() const {
    switch (page_) {
        case kActionMacro:
            return CompositePage::Macro;
        case kActionMedia:
            return CompositePage::Media;
        case kActionFunction:
            return CompositePage::Function;
        default:
            return CompositePage::Key;
    }
}

const char* CompositeEditor::headingTextKey() const {
    return macroOnly_ ? kTextMacroEditHint : kTextKeySettingHint;
}

void CompositeEditor::PressPageButton(CompositePage page) {
    if (!isOpen() || macroOnly_ || page == shownPage()) return;
    switch (page) {
        case CompositePage::Key:
            page_ = kActionKey;
            break;
        case CompositePage::Macro:
            page_ = kActionMacro;
            break;
        case CompositePage::Media:
            page_ = kActionMedia;
            break;
        case CompositePage::Function:
            page_ = kActionFunction;
            break;
    }
    ShowPage(false);
}

void CompositeEditor::ShowPage(bool initial) {
    switch (shownPage()) {
        case CompositePage::Macro:
            captureActive_ = false;
            if (initial) {
                // The stored value names a macro only when the key plays one.
                int found = macros_.empty() ? -1 : 0;
                if (storedType_ == kActionMacro) {
                    for (size_t i = 0; i < macros_.size(); ++i) {
                        if (macros_[i].macroId == (loadedValue_ & 0xFFFF)) {
                            found = static_cast<int>(i);
                            break;
                        }
                    }
                }
                selectedMacro_ = found;
                LoadSelected();
            } else if (firstMacroPage_ && loadedValue_ == 0 && !macros_.empty()) {
                selectedMacro_ = 0;
                LoadSelected();
            }
            firstMacroPage_ = false;
            break;
        case CompositePage::Media:
            captureActive_ = false;
            StopRecording();
            if (initial) mediaIndex_ = loadedValue_ < kMediaCount ? int(loadedValue_) : 0;
            break;
        case CompositePage::Function:
            captureActive_ = false;
            StopRecording();
            if (initial) {
                functionIndex_ = loadedValue_ < kFunctionCount ? int(loadedValue_) : 0;
            }
            break;
        case CompositePage::Key:
            StopRecording();
            captureActive_ = true;
            // Only a key assignment's value is a key; the others hold ids and text offsets.
            if (initial) capturedKey_ = storedType_ == kActionKey ? KeyCode(loadedValue_) : 0;
            if (page_ == kActionKey) FollowCapturedKey();
            break;
    }
}

void CompositeEditor::FollowCapturedKey() {
    const auto& mice = MouseList();
    for (int i = 0; i < kMouseCount; ++i) {
        if (mice[i].code == capturedKey_) {
            mouseIndex_ = i;
            choice_ = KeyChoice::Mouse;
            keyEditText_.clear();
            return;
        }
    }
    choice_ = KeyChoice::Keyboard;
    keyEditText_ =
        capturedKey_ == 0 ? std::string() : KeyName(ctx_.texts, ctx_.languageIndex, capturedKey_);
}

void CompositeEditor::Clear() {
    if (!isOpen()) return;
    if (shownPage() != CompositePage::Key) {
        page_ = kActionKey;
        ShowPage(false);
    }
    if (page_ == kActionKey) {
        keyEditText_.clear();
        choice_ = KeyChoice::Keyboard;
        page_ = kActionDefault;
        dirty_ = true;
    }
}

KeyVerdict CompositeEditor::OnKey(const KeyInput& input) {
    if (!isOpen()) return KeyVerdict::Pass;
    if (recorder_.recording()) {
        std::vector<RecordedAction> recorded;
        const KeyVerdict verdict = recorder_.OnKey(input, recordDelays_, recorded);
        for (const RecordedAction& r : recorded) {
            if (actions_.InsertRecorded(r.action, r.measuredDelay) >= 0) dirty_ = true;
        }
        return verdict;
    }
    if (!captureActive_) return KeyVerdict::Pass;
    const KeyCode code = KeyCodeFromInputCode(input.inputCode);
    if (code == 0 || IsMediaKeyCode(code)) return KeyVerdict::Pass;
    if (IsSystemKey(code)) {
        Capture(code);
    } else if (choice_ == KeyChoice::Keyboard &&
               (input.transition == KeyTransition::Press || code == kUpOnlyCapture)) {
        Capture(code);
    }
    return KeyVerdict::Swallow;
}

void CompositeEditor::Capture(KeyCode code) {
    capturedKey_ = code;
    keyEditText_ = KeyName(ctx_.texts, ctx_.languageIndex, code);
    page_ = kActionKey;
    dirty_ = true;
}

void CompositeEditor::Choose(KeyChoice choice) {
    if (!isOpen() || shownPage() != CompositePage::Key) return;
    choice_ = choice;
    page_ = kActionKey;
    dirty_ = true;
}

void CompositeEditor::SelectMouse(int index) {
    if (index < 0 || index >= kMouseCount) return;
    mouseIndex_ = index;
    dirty_ = true;
}

void CompositeEditor::SelectMedia(int index) {
    if (index < 0 || index >= kMediaCount) return;
    mediaIndex_ = index;
    dirty_ = true;
}

void CompositeEditor::SelectFunction(int index) {
    if (index < 0 || index >= kFunctionCount) return;
    functionIndex_ = index;
    dirty_ = true;
}

// ---- the macro list ----

bool CompositeEditor::AnyBeginsWith(std::u16string_view name, int except) const {
    for (size_t i = 0; i < macros_.size(); ++i) {
        if (static_cast<int>(i) != except && BeginsWith(macros_[i].Name(), name)) return true;
    }
    return false;
}

std::u16string CompositeEditor::NextName() {
    if (macros_.empty()) nameCounter_ = 0;
    ++nameCounter_;
    return Utf8ToUtf16(Text(kTextMacroNewPrefix)) + Utf8ToUtf16(std::to_string(nameCounter_));
}

void CompositeEditor::SaveSelected() {
    if (selectedMacro_ < 0 || selectedMacro_ >= static_cast<int>(macros_.size())) return;
    MacroRecord& r = macros_[selectedMacro_];
    r.repeatCount = static_cast<uint8_t>(repeatCount_);
    actions_.SaveInto(r);
}

void CompositeEditor::LoadSelected() {
    if (selectedMacro_ < 0 || selectedMacro_ >= static_cast<int>(macros_.size())) {
        selectedMacro_ = -1;
        actions_.Reset();
        return;
    }
    const MacroRecord& r = macros_[selectedMacro_];
    actions_.Load(r);
    repeatCount_ = r.repeatCount;
    repeatText_ = std::to_string(r.repeatCount);
}

bool CompositeEditor::AppendMacro(std::u16string name) {
    if (static_cast<int>(macros_.size()) >= kMaxMacros) {
        ctx_.prompter.Ask(kTextMacroErrMax, PromptButtons::Ok, std::to_string(kMaxMacros));
        return false;
    }
    SaveSelected();
    MacroRecord r;
    r.SetName(CutUtf16(name, kMaxMacroNameChars));
    r.repeatCount = 1;
    r.newFlag = 1;
    r.macroId = SmallestFreeMacroId(macros_);
    macros_.push_back(r);
    selectedMacro_ = static_cast<int>(macros_.size()) - 1;
    LoadSelected();
    dirty_ = true;
    return true;
}

void CompositeEditor::AddMacro() {
    if (!isOpen() || recorder_.recording()) return;
    if (static_cast<int>(macros_.size()) >= kMaxMacros) {
        ctx_.prompter.Ask(kTextMacroErrMax, PromptButtons::Ok, std::to_string(kMaxMacros));
        return;
    }
    std::u16string name = NextName();
    // A name another macro begins with moves on to the next number; every name blocks only
    // the finitely many numbers that are its prefixes, so this ends.
    while (AnyBeginsWith(name)) name = NextName();
    AppendMacro(std::move(name));
}

void CompositeEditor::TypeMacroName(std::u16string_view typed) {
    if (!isOpen() || recorder_.recording()) return;
    std::u16string text(CutUtf16(typed, kMaxMacroNameChars));
    const bool generated = text.empty() || text.front() == u' ';
    const int at = selectedMacro_;
    if (macros_.empty() || at < 0 || at >= static_cast<int>(macros_.size())) {
        // Nothing to rename: the text names a new macro.
        if (generated) {
            text = NextName();
            if (AnyBeginsWith(text)) {
                AddMacro();
                return;
            }
        }
        AppendMacro(std::move(text));
        return;
    }
    if (generated) {
        text = NextName();
        if (AnyBeginsWith(text, at)) {
            // The macro keeps its old name; the new one is added beside it.
            AddMacro();
            return;
        }
    } else if (AnyBeginsWith(text, at)) {
        text = NextName();
        while (AnyBeginsWith(text, at)) text = NextName();
    }
    macros_[at].SetName(text);
    dirty_ = true;
}

void CompositeEditor::SelectMacro(int index) {
    if (!isOpen() || recorder_.recording()) return;
    if (index < 0 || index >= static_cast<int>(macros_.size()) || index == selectedMacro_) return;
    SaveSelected();
    selectedMacro_ = index;
    LoadSelected();
}

void CompositeEditor::DeleteMacro() {
    if (!isOpen() || recorder_.recording()) return;
    if (selectedMacro_ < 0 || selectedMacro_ >= static_cast<int>(macros_.size())) return;
    if (!MacroInUse(ctx_.work, macros_[selectedMacro_], ctx_.writeAllProfiles, ctx_.prompter)) {
        return;
    }
    macros_.erase(macros_.begin() + selectedMacro_);
    selectedMacro_ = macros_.empty() ? -1 : std::max(0, selectedMacro_ - 1);
    LoadSelected();
    dirty_ = true;
}

// ---- the actions ----

CellEditor CompositeEditor::BeginCellEdit(int row, int column) {
    if (row < 0 || row >= actions_.size()) return CellEditor::None;
    switch (column) {
        case static_cast<int>(ActionColumn::Key):
            return CellEditor::KeyList;
        case static_cast<int>(ActionColumn::State):
            return CellEditor::StateList;
        case static_cast<int>(ActionColumn::Delay):
            StopRecording();
            return CellEditor::DelayEdit;
        default:
            ctx_.prompter.Ask(kTextMacroActionErrModify, PromptButtons::Ok);
            return CellEditor::None;
    }
}

void CompositeEditor::SetActionKey(int row, uint16_t displayId) {
    if (actions_.SetKeyByDisplayId(row, displayId)) dirty_ = true;
}

void CompositeEditor::SetActionState(int row, uint16_t release) {
    if (actions_.SetRelease(row, release)) dirty_ = true;
}

void CompositeEditor::SetActionDelay(int row, std::string_view typed) {
    if (row < 0 || row >= actions_.size()) return;
    const TypedDelay d = ParseTypedDelay(typed);
    if (!d.valid) return;  // the cell keeps its delay
    if (d.tooLong) {
        ctx_.prompter.Ask(kTextMacroActionErrDelayMax, PromptButtons::Ok,
                          std::to_string(kMaxMacroDelayMs));
    }
    if (actions_.SetDelay(row, d.value)) dirty_ = true;
}

void CompositeEditor::DeleteAction() {
    if (actions_.DeleteSelected()) dirty_ = true;
}

void CompositeEditor::ClearActions() {
    if (actions_.size() == 0) return;
    if (!ctx_.prompter.Ask(kTextMacroActionClearConfirm, PromptButtons::YesNoDefaultNo)) return;
    if (actions_.Clear()) dirty_ = true;
}

void CompositeEditor::MoveAction(ActionMove move) {
    if (actions_.MoveSelected(move)) dirty_ = true;
}

std::string CompositeEditor::SetRepeatText(std::string_view text) {
    const RepeatCount r = ParseRepeatCount(text);
    repeatCount_ = r.value;
    repeatText_ = r.rewrite ? std::to_string(r.value) : std::string(text);
    dirty_ = true;
    return repeatText_;
}

// ---- recording ----

void CompositeEditor::ToggleRecord(uint64_t nowMs) {
    if (!isOpen()) return;
    if (recorder_.recording()) {
        StopRecording();
    } else if (shownPage() == CompositePage::Macro && selectedMacro_ >= 0) {
        recorder_.Start(nowMs);
    }
}

void CompositeEditor::StopRecording() {
    recorder_.Stop();
}

const char* CompositeEditor::recordCaptionKey() const {
    return recorder_.recording() ? kTextMacroActionStopRecord : kTextMacroActionRecord;
}

void CompositeEditor::ToggleRecordDelays() {
    recordDelays_ = recordDelays_ == 1 ? 0 : 1;
    WriteRecordDelaySetting(ctx_.paths, ctx_.iniLock, ctx_.texts, ctx_.languageIndex,
                            recordDelays_);
}

// ---- closing ----

void CompositeEditor::Apply() {
    if (!isOpen()) return;
    StopRecording();
    SaveSelected();
    CommitMacroList(ctx_.work, macros_, ctx_.ui);

    // A key of a kind the editor has no page for, left alone, keeps its action and its text.
    if (IsEditablePage(page_)) {
        KeyAction next{.type = page_, .extra = GKeyExtra(entry_), .value = 0};
        switch (page_) {
            case kActionKey:
                if (choice_ == KeyChoice::Mouse) {
                    next.value = MouseList()[mouseIndex_].code;
                } else {
                    // A key given its own function is simply a default key.
                    if (capturedKey_ == 0 || KeyIndexOf(capturedKey_) == entry_) {
                        next.type = kActionDefault;
                    } else {
                        next.value = capturedKey_;
                    }
                }
                break;
            case kActionMacro:
                if (macros_.empty()) {
                    next.type = kActionDefault;
                } else {
                    // With no macro chosen the key plays the first, as a commit would make it.
                    next.value = MacroIdAt(ctx_.work, std::max(0, selectedMacro_));
                    next.extra = static_cast<uint16_t>(repeatCount_);
                }
                break;
            case kActionMedia:
                next.value = static_cast<uint32_t>(mediaIndex_);
                break;
            case kActionFunction:
                next.value = static_cast<uint32_t>(functionIndex_);
                break;
            default:
                break;
        }
        {
            std::lock_guard guard(ctx_.work.lock);
            ClearKeyString(ctx_.work, profile_ * kKeyActionsPerTable + entry_);
        }
        host_.SetAssignedMark(controlId_, next.type != kActionDefault);
        {
            std::lock_guard guard(ctx_.work.lock);
            if (ctx_.work.image) {
                KeyAction& a = ctx_.work.image->tables[profile_][entry_];
                a.type = next.type;
                a.extra = next.extra;
                a.value = next.value;
            }
        }
    }
    host_.RefreshKeyTooltips();
    dirty_ = false;
    ctx_.ui.SetChanged(true);
}

void CompositeEditor::Ok() {
    if (!isOpen()) return;
    Apply();
    Cancel();
}

void CompositeEditor::Cancel() {
    if (!isOpen()) return;
    captureActive_ = false;
    StopRecording();
    actions_.Reset();
    macros_.clear();
    macros_.shrink_to_fit();
    selectedMacro_ = -1;
    dirty_ = false;
    --openCount_;
    host_.RestoreButtonLook(controlId_);
}

void CompositeEditor::CloseIfOpen() {
    if (isOpen()) Cancel();
}

// ---- choice lists ----

std::vector<std::string> MouseChoiceNames(const LanguageCache& texts, int languageIndex) {
    std::vector<std::string> names;
    for (const MouseEntry& m : MouseList()) names.push_back(KeyName(texts, languageIndex, m.code));
    return names;
}

std::vector<std::string> MediaChoiceNames(const LanguageCache& texts, int languageIndex) {
    std::vector<std::string> names;
    for (const MediaEntry& m : MediaList()) names.push_back(KeyName(texts, languageIndex, m.code));
    return names;
}

std::vector<std::string> FunctionChoiceNames(const LanguageCache& texts, int languageIndex) {
    std::vector<std::string> names;
    for (int f = 0; f < kFunctionCount; ++f) {
        names.push_back(LookupText(texts, FunctionNameKey(f), languageIndex));
    }
    return names;
}

}  // namespace vorlin
