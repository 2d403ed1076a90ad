// The composite key editor's rules: which page shows, what the single-key page captures, the
// macro list and its actions, and what Apply writes into the work store. The dialog shows this
// state and forwards clicks and key events; nothing here touches a window.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "keys/key_action.h"
#include "store/macro_record.h"
#include "store/store_context.h"
#include "ui/macro_editing.h"
#include "ui/macro_recorder.h"

namespace vorlin {

constexpr int kMacroEditButtonId = 1143;  // the main window's macro button: G9, macros only

enum class CompositePage { Key, Macro, Media, Function };
enum class KeyChoice { Keyboard, Mouse };
// What a click on a cell of the action list opens.
enum class CellEditor { None, KeyList, StateList, DelayEdit };

// What the editor asks of the main window beyond the store's own calls.
class CompositeHost {
  public:
    virtual ~CompositeHost() = default;
    // The assigned mark of a key button (on while its key is not default).
    virtual void SetAssignedMark(int controlId, bool assigned) = 0;
    virtual void RefreshKeyTooltips() = 0;
    // The clicked button gets its normal look back when the editor closes.
    virtual void RestoreButtonLook(int controlId) = 0;
};

class CompositeEditor {
  public:
    CompositeEditor(StoreContext& ctx, CompositeHost& host) : ctx_(ctx), host_(host) {}

    // Opening for a key of the current profile's table. false (and nothing changes) when the
    // editor is open already or the entry or profile lies outside the image.
    bool Open(KeyIndex entry, int controlId, bool macroOnly, int profile);
    bool isOpen() const { return openCount_ > 0; }
    int openCount() const { return openCount_; }

    // ---- pages ----
    // A page button; nothing when its page shows already, or in macro-only mode.
    void PressPageButton(CompositePage page);
    CompositePage shownPage() const;
    uint16_t page() const { return page_; }
    bool macroOnly() const { return macroOnly_; }
    bool otherPagesEnabled() const { return !macroOnly_; }
    bool hintsVisible() const { return !macroOnly_; }
    const char* headingTextKey() const;
    bool dirty() const { return dirty_; }
    // The clear button: the key goes back to its factory function on Apply.
    void Clear();

    // ---- key events ----
    // Every key event of the dialog while it holds the keyboard. The single-key page captures,
    // the recorder records; the dialog never lets Enter or Escape close it whatever this says.
    KeyVerdict OnKey(const KeyInput& input);

    // ---- single-key page ----
    bool captureActive() const { return captureActive_; }
    KeyCode capturedKey() const { return capturedKey_; }
    const std::string& keyEditText() const { return keyEditText_; }
    KeyChoice choice() const { return choice_; }
    void Choose(KeyChoice choice);
    int mouseIndex() const { return mouseIndex_; }
    void SelectMouse(int index);

    // ---- multimedia and function pages ----
    int mediaIndex() const { return mediaIndex_; }
    void SelectMedia(int index);
    int functionIndex() const { return functionIndex_; }
    void SelectFunction(int index);

    // ---- macro page: the list ----
    const std::vector<MacroRecord>& macros() const { return macros_; }
    int selectedMacro() const { return selectedMacro_; }
    void AddMacro();
    // The name edit of the macro combo was committed (Enter or leaving it).
    void TypeMacroName(std::u16string_view text);
    void SelectMacro(int index);
    void DeleteMacro();
    int nameCounter() const { return nameCounter_; }

    // ---- macro page: the actions ----
    const ActionList& actions() const { return actions_; }
    bool actionButtonsEnabled() const { return selectedMacro_ >= 0; }
    // Add, delete and the macro combo are disabled while recording.
    bool listControlsEnabled() const { return !recorder_.recording(); }
    void SelectAction(int row) { actions_.Select(row); }
    CellEditor BeginCellEdit(int row, int column);
    void SetActionKey(int row, uint16_t displayId);
    void SetActionState(int row, uint16_t release);
    void SetActionDelay(int row, std::string_view typed);
    void DeleteAction();
    void ClearActions();
    void MoveAction(ActionMove move);
    // The repeat count edit changed; returns the text it must show.
    std::string SetRepeatText(std::string_view text);
    const std::string& repeatText() const { return repeatText_; }
    int repeatCount() const { return repeatCount_; }

    // ---- recording ----
    bool recording() const { return recorder_.recording(); }
    // nowMs on the clock of the key events. Starting needs a selected macro.
    void ToggleRecord(uint64_t nowMs);
    const char* recordCaptionKey() const;
    int recordDelays() const { return recordDelays_; }
    void ToggleRecordDelays();

    // ---- closing ----
    void Apply();
    void Ok();
    void Cancel();
    void CloseIfOpen();

  private:
    void ShowPage(bool initial);
    void FollowCapturedKey();
    void Capture(KeyCode code);
    void StopRecording();
    void SaveSelected();
    void LoadSelected();
    std::u16string NextName();
    bool AnyBeginsWith(std::u16string_view name, int except = -1) const;
    bool AppendMacro(std::u16string name);
    std::string Text(std::string_view key) const;

    StoreContext& ctx_;
    CompositeHost& host_;

    KeyIndex entry_ = 0;
    int controlId_ = 0;
    bool macroOnly_ = false;
    int profile_ = 0;
    uint16_t page_ = 0;
    uint16_t storedType_ = 0;
    KeyCode capturedKey_ = 0;
    uint32_t loadedValue_ = 0;
    int nameCounter_ = 0;
    bool firstMacroPage_ = false;
    bool dirty_ = false;
    int recordDelays_ = 0;
    int openCount_ = 0;
    bool captureActive_ = false;

    KeyChoice choice_ = KeyChoice::Keyboard;
    std::string keyEditText_;
    int mouseIndex_ = 0;
    int mediaIndex_ = 0;
    int functionIndex_ = 0;

    std::vector<MacroRecord> macros_;
    int selectedMacro_ = -1;
    ActionList actions_;
    std::string repeatText_ = "1";
    int repeatCount_ = 1;
    MacroRecorder recorder_;
};

// The texts of the choice lists, first entry first.
std::vector<std::string> MouseChoiceNames(const LanguageCache& texts, int languageIndex);
std::vector<std::string> MediaChoiceNames(const LanguageCache& texts, int languageIndex);
std::vector<std::string> FunctionChoiceNames(const LanguageCache& texts, int languageIndex);

}  // namespace vorlin
