// The main window's commands that move the configuration between the work store, the profile
// files and the keyboard: Apply, OK, reset to default, the profile buttons and menu, export and
// import. Each returns what the window must show; questions go through StoreContext::prompter.
//
// Threads: the calls that talk to the keyboard (Apply, Ok, ResetToDefault, ProfileButton,
// SwitchProfile, ImportFile/ImportLoad, and RefreshPanel, MarkActiveProfileButton and
// RebuildProfileMenu when the active profile is not cached) may run on a worker thread; the
// window keeps the store's editors disabled meanwhile and shows the prompter's questions on its
// own thread. Locks: Apply and ImportLoad hold the work lock (StoreContext::work.lock) for their
// whole length and take the apply lock (StoreContext::apply.lock) inside it, in that order;
// Export, RefreshPanel and the discard of SwitchProfile take the work lock only. Every exchange
// with the keyboard takes DeviceLink::ioLock inside those. The commands call the window
// (StoreUi, ProfileWindow) and ask their own questions with no store lock held; only the store's
// apply asks its questions ("EXTRA_MACRO_TOO_LONG", "EXTRA_PROFILE_SPACE_TIGHT") under both
// locks, so the window's thread must not wait for the work lock while a command runs.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "store/store_context.h"
#include "ui/key_panel.h"

namespace vorlin {

namespace commandctl {
inline constexpr int kApply = 1006, kOk = 1, kDefault = 1138, kManager = 1005, kMenuButton = 1009;
inline constexpr int kProfileButton0 = 1135;  // 1135..1137
inline constexpr int kImport = 32776, kExport = 32777;
inline constexpr int kFirstProfileMenuItem = 9000, kLastProfileMenuItem = 9200;
}  // namespace commandctl

// The posted message that runs Apply before normal processing.
constexpr uint32_t kApplyMessage = 0x001E;

// The file dialogs of export and import.
inline constexpr char kProfileFileSuffix[] = "fwc";
inline constexpr char kProfileFileInitialName[] = "*.fwc";
inline constexpr char kProfileFileFilter[] = "(*.fwc)";
inline constexpr char kAnyFileFilter[] = "(*.*)";

// Apply (1006) is enabled exactly while the work store holds changes not yet applied. The
// window's StoreUi::SetChanged records here too, so that the store's own operations count.
class ChangedState {
  public:
    void Set(bool on) { on_ = on; }
    bool On() const { return on_.load(); }

  private:
    std::atomic<bool> on_{false};
};

// What the commands ask of the rest of the window while they run (called on the command's
// thread; the window forwards to its own).
class ProfileWindow {
  public:
    virtual ~ProfileWindow() = default;
    // The lighting side shows profile n's lighting and ends per-key colour editing.
    virtual void ShowProfileLighting(int profile) = 0;
    // The default command's lighting step; the lighting side restores its defaults only while
    // per-key colour editing is on.
    virtual void RestoreLightingDefaults() = 0;
};

struct ApplyOutcome {
    bool attempted = false;  // there were changes to apply
    bool ok = true;          // the backing file and the keyboard took them (or nothing to do)
};

struct ProfileMenuItem {
    int id = 0;  // 0 for the separator
    std::string text;
    bool checked = false;
};

struct ProfileMenu {
    std::vector<ProfileMenuItem> items;  // 9000, separator, 9001..9003
    std::string managerCaption;          // control 1005
    std::string managerTooltip;          // "PROFILE_TIP" text + the caption
};

// What the window needs besides the command's own question.
struct SwitchFlags {
    bool editorOpen = false;         // the composite key editor
    bool managerOpen = false;        // the profile manager
    bool managerHasChanges = false;  // its Apply button is enabled
};

struct SwitchOutcome {
    int result = 0;  // 1 switched; 0 refused or the keyboard did not take the profile
    bool refreshed = false;
    PanelView panel;            // when refreshed
    ProfileMenu menu;           // when refreshed
    int managerActiveRow = -1;  // the manager's row to mark active (its Apply disabled), or -1
};

struct ProfileButtonOutcome {
    bool switched = false;
    int pressedButton = -1;  // 0..2 when the buttons change: that one pressed, the others not
    SwitchOutcome change;    // when a switch was tried
};

struct DefaultOutcome {
    bool confirmed = false;
    std::vector<KeyButtonView> keys;  // the reset buttons, when confirmed
    ApplyOutcome apply;
};

struct ImportOutcome {
    int result = 0;       // 1 imported and applied; 0 refused or failed
    bool loaded = false;  // the work store changed (refresh the panel from `panel`)
    PanelView panel;
};

class ProfileCommands {
  public:
    // changed: the same object the window's StoreUi::SetChanged records into.
    ProfileCommands(StoreContext& ctx, KeyPanel& panel, ProfileWindow& window,
                    ChangedState& changed)
        : ctx_(ctx), panel_(panel), window_(window), changed_(changed) {}

    // Sets the changed state and the Apply button.
    void SetChanged(bool on);
    bool Changed() const { return changed_.On(); }

    // With changes: saves the active profile's backing file and writes the macro area and the
    // active profile's key map (all three when the store asks for it); changed goes off when
    // both succeeded.
    ApplyOutcome Apply();
    // OK: Apply, then the window hides.
    ApplyOutcome Ok() { return Apply(); }
    // The message 0x001E runs Apply; nothing for any other message.
    std::optional<ApplyOutcome> OnPostedMessage(uint32_t message);

    // "MAIN_PROMPT_DEFAULT" (Yes/No, No the default); on Yes the active profile's keys are
    // reset, the lighting side restores its defaults and the result is applied.
    DefaultOutcome ResetToDefault();

    // Profile buttons 0..2: the profile's lighting first; no switch (and no device write of
    // the profile) when it is already active.
    ProfileButtonOutcome ProfileButton(int n, const SwitchFlags& flags);
    SwitchOutcome SwitchProfile(int n, const SwitchFlags& flags);
    // The profile a menu item switches to (id - 9001), nullopt for ids outside 9000..9200.
    static std::optional<int> ProfileMenuTarget(int itemId);

    PanelView RefreshPanel();
    // The profile button to show pressed, nullopt when the active profile is not 0..2; the
    // lighting side's current profile becomes the same.
    std::optional<int> MarkActiveProfileButton();
    // The profile menu and control 1005 from the active profile; the window builds it when it
    // opens and after every switch.
    ProfileMenu RebuildProfileMenu();

    // After the save dialog (which asked before overwriting): the work store into the file.
    // A failed save says so ("MAIN_PROMPT_EXPORT_FAILED" with the path). 1 saved, 0 not.
    int Export(const std::filesystem::path& path);
    // After the open dialog: ImportCheck, then ImportLoad.
    ImportOutcome Import(const std::filesystem::path& path);
    // ValidateImageFile; on refusal "MAIN_PROMPT_INPORT" (after "PROFILE_FORMAT_ERROR" for a
    // faulty file). true when accepted.
    bool ImportCheck(const std::filesystem::path& path);
    // Loads the file into the work store, saves the active profile's backing file and writes
    // all three profiles. When the file cannot be loaded any more, the store holds a default
    // image, nothing is saved or written, and "MAIN_PROMPT_INPORT" says the import failed.
    ImportOutcome ImportLoad(const std::filesystem::path& path);

    bool switchGuard() const { return switchGuard_.load() != 0; }

  private:
    StoreContext& ctx_;
    KeyPanel& panel_;
    ProfileWindow& window_;
    ChangedState& changed_;
    std::atomic<int> switchGuard_{0};
};

}  // namespace vorlin
