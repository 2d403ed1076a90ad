// The keyboard panel's decisions: where a click on a key button goes, what each button shows
// (assigned mark, tooltip, switch look, enabled), the switch view and the "Flip" setting. The
// window shows what these return and forwards its clicks here.
//
// Threads: every call may run on any thread. Calls that read or change the work store take its
// lock (ConfigStore::lock of StoreContext::work) for their whole length; none takes the apply
// lock. SelectKey asks GetActiveProfile, which reads the keyboard (DeviceLink::ioLock) when the
// active profile is not cached yet.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "keys/key_action.h"
#include "platform/app_paths.h"
#include "store/store_context.h"

namespace vorlin {

namespace panelctl {
inline constexpr int kSwitchButton = 1144;  // layout key "FUNC_SWITCH"
inline constexpr int kMacroEdit = 1007;     // behaves as G9
inline constexpr int kFlipIndicator = 1129, kFlipButton1 = 1130, kFlipButton2 = 1131;
inline constexpr int kLeftArrow = 1132, kRightArrow = 1133;
inline constexpr int kFirstFlipKey = 1016, kLastFlipKey = 1021;  // enabled while "Flip" is 1
inline constexpr int kHiddenButton = 1057;                       // stays hidden
}  // namespace panelctl

constexpr int kGKeyCount = 9;
// G1..G5 then G6..G9; G(n+1) edits entry 256 + n.
constexpr std::array<int, kGKeyCount> kGKeyControlIds = {1000, 1001, 1002, 1003, 1004,
                                                         1140, 1141, 1142, 1143};
// wParam of the window message 0x5045 that sets the G keys' assigned marks.
constexpr uint32_t kLedTag = 0x004C4544;  // 'LED'

// What the key editor edits; set on every key selection.
struct EditorTarget {
    KeyIndex entry = 0;
    int controlId = 0;
    bool macroOnly = false;  // G9
};

enum class KeyClickKind {
    None,        // nothing happens (also: not a key button, SelectKey's -1)
    PaintKey,    // per-key colour view: hand lightPosition to the lighting side
    OpenEditor,  // the editor target is set: selected look ("main_over.jpg"), then the editor
    SwitchFlag,  // switch view: the flag was inverted and changed set on; redraw with switchOn
};

struct KeyClick {
    KeyClickKind kind = KeyClickKind::None;
    int controlId = 0;
    int lightPosition = -1;  // PaintKey
    bool switchOn = false;   // SwitchFlag: the flag now stored
};

// The images a key button is drawn with: its normal ones, or the switch view's
// ("main_color0.jpg" for flag 0, "main_color1.jpg" for 1).
enum class KeyLook { Normal, SwitchOff, SwitchOn };

struct KeyButtonView {
    int controlId = 0;
    KeyIndex entry = 0;
    bool assigned = false;
    std::string tooltip;
    KeyLook look = KeyLook::Normal;
    bool enabled = true;
};

struct FlipView {
    int flip = 0;
    // F1..F4 (1010..1013) then 1016..1021, each with its enabled state.
    std::vector<std::pair<int, bool>> enabled;
    // The indicator 1129: which copy of the normal window image goes into its first four image
    // slots (0 first, 1 second); the fifth always gets the disabled window image.
    int indicatorCopy = 0;
};

struct PanelView {
    std::vector<KeyButtonView> keys;  // G1..G9, then the list by position
    FlipView flip;
};

struct KeyTip {
    bool assigned = false;
    std::string tooltip;
};

// The assigned mark and the tooltip of one button: name, then for an assigned key the
// "KEY_PROMPT_SET" text and what it is assigned to.
KeyTip KeyTooltip(const StoreContext& ctx, std::string_view name, const KeyAction& action);
// "G%d" for G button n (0..8), the key's name for list button p.
std::string GKeyName(int n);

// "Flip" in section "PROFILES": the number it holds (0 when missing or not a number).
int ReadFlipSetting(const AppPaths& paths);
// Written as "%d"; any value but 0 and 1 is written as 0.
bool WriteFlipSetting(const AppPaths& paths, IniLock& lock, int value);
// What the setting enables and disables. Only 1 swaps the keys; any other value counts as 0.
FlipView ApplyFlip(const AppPaths& paths);
// A click on 1130 or 1131: stores the inverse (1 when it was 0, otherwise 0), then ApplyFlip.
FlipView ClickFlipButton(const AppPaths& paths, IniLock& lock);

struct ArrowPlacement {
    int arrowId;
    std::string layoutKey;  // "LEFT_ARROW" / "RIGHT_ARROW"
    std::string secondKey;  // e.g. "UP_ARROW_LEFT1"
};
// Where PlaceArrowButton puts the arrow when a flip button is drawn; nothing unless the button
// is 1130 or 1131 drawn in its pointer-over look.
std::optional<ArrowPlacement> FlipArrowPlacement(int flipButtonId, bool overLook,
                                                 const AppPaths& paths);

// The table a profile's buttons show and edit: profile 0..2, table 0 while the active profile
// cannot be read (the store then holds a default image).
int PanelTable(int profile);

class KeyPanel {
  public:
    explicit KeyPanel(StoreContext& ctx) : ctx_(ctx) {}

    // A click on a key button (the G keys, the list, Fn, K45, K56, 1016..1021, and 1007).
    KeyClick OnKeyButton(int controlId, bool perKeyColourView);
    // Key selection proper: sets the editor target; in the switch view inverts the button's
    // switch flag instead of opening the editor. Kind None for an id that is no key button.
    KeyClick SelectKey(int controlId);
    std::optional<EditorTarget> editorTarget() const;

    bool switchView() const { return switchView_.load(); }
    // The Switch button: inverts the view; returns the button's new caption. Redraw the key
    // buttons with RefreshKeyButtons.
    std::string ToggleSwitchView();
    // After a successful profile change.
    void SetSwitchViewOff() { switchView_ = false; }
    // "MAIN_SWITCH_COLOR_TEXT" while the view is on, "MAIN_SWITCH_FUNCTION_TEXT" while off.
    std::string SwitchCaption() const;

    // Every G and list button from the profile's table, then the flip state.
    PanelView RefreshKeyButtons(int profile) const;
    // The tooltips (and what KeyTooltip says of the marks) from the same table.
    std::vector<KeyButtonView> RefreshKeyTooltips(int profile) const;
    // The buttons whose entry is `entry`: unassigned look, name-only tooltip; enabled unchanged.
    std::vector<KeyButtonView> ResetKeyButton(KeyIndex entry) const;
    // Zeroes the entries of the nine G keys and the 104 listed keys of the profile's table and
    // sets changed on; other entries and the key strings stay. The buttons as they now look.
    std::vector<KeyButtonView> ResetProfileKeys(int profile);
    // Message 0x5045: with the 'LED' tag, the assigned marks of G1..G9 (control id, mark) from
    // entries 256..264; nothing for another wParam.
    std::vector<std::pair<int, bool>> LedMarks(uint32_t wParam, int profile) const;

  private:
    std::vector<KeyButtonView> Buttons(int profile, bool withLooks) const;

    StoreContext& ctx_;
    std::atomic<bool> switchView_{false};
    mutable std::mutex targetLock_;
    std::optional<EditorTarget> target_;
};

}  // namespace vorlin
