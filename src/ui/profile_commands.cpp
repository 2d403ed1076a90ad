#include "ui/profile_commands.h"

#include "device/protocol.h"
#include "platform/text_key_names.h"
#include "skin/language.h"
#include "store/config_device.h"
#include "store/profile_file.h"

namespace vorlin {

void ProfileCommands::SetChanged(bool on) {
    changed_.Set(on);
    ctx_.ui.SetChanged(on);
}

ApplyOutcome ProfileCommands::Apply() {
    ApplyOutcome outcome;
    if (!changed_.On()) return outcome;
    outcome.attempted = true;
    {
        std::lock_guard guard(ctx_.work.lock);
        const int saved = SaveActiveProfileFile(ctx_);
        const int applied = SnapshotAndApply(ctx_, false);
        outcome.ok = saved == 1 && applied == 1;
    }
    if (outcome.ok) SetChanged(false);
    return outcome;
}

std::optional<ApplyOutcome> ProfileCommands::OnPostedMessage(uint32_t message) {
    if (message != kApplyMessage) return std::nullopt;
    return Apply();
}

DefaultOutcome ProfileCommands::ResetToDefault() {
    DefaultOutcome outcome;
    if (!ctx_.prompter.Ask(kTextMainPromptDefault, PromptButtons::YesNoDefaultNo)) return outcome;
    outcome.confirmed = true;
    outcome.keys = panel_.ResetProfileKeys(GetActiveProfile(ctx_));
    changed_.Set(true);
    window_.RestoreLightingDefaults();
    outcome.apply = Apply();
    return outcome;
}

ProfileButtonOutcome ProfileCommands::ProfileButton(int n, const SwitchFlags& flags) {
    ProfileButtonOutcome outcome;
    window_.ShowProfileLighting(n);
    if (GetActiveProfile(ctx_) == n) return outcome;
    outcome.change = SwitchProfile(n, flags);
    if (outcome.change.result == 1) {
        outcome.switched = true;
        outcome.pressedButton = n;
        // Back to the key-function view, drawn so.
        panel_.SetSwitchViewOff();
        outcome.change.panel = RefreshPanel();
    }
    return outcome;
}

SwitchOutcome ProfileCommands::SwitchProfile(int n, const SwitchFlags& flags) {
    SwitchOutcome outcome;
    if (n >= 3) n = 0;
    if (flags.editorOpen) {
        ctx_.prompter.Ask(kTextProfileSelectPrompt2, PromptButtons::Ok);
        return outcome;
    }
    bool taken = true;
    if (flags.managerHasChanges || changed_.On()) {
        if (switchGuard_.load() == 0) {
            switchGuard_ = 1;
            if (ctx_.prompter.Ask(kTextProfileSelectPrompt, PromptButtons::YesNoDefaultNo)) {
                Apply();  // to the profile still active
            } else {
                SetChanged(false);
                const int active = GetActiveProfile(ctx_);
                if (active >= 0) {
                    std::lock_guard guard(ctx_.work.lock);
                    FreeStoreContents(ctx_.work);
                    LoadImageFile(ctx_.work, ProfileFilePath(ctx_.paths, active));
                }
            }
        }
        switchGuard_ = 0;
        if (n >= 0) taken = SetActiveProfile(ctx_, n) == kDone;
    } else {
        if (n >= 0) taken = SetActiveProfile(ctx_, n) == kDone;
        if (flags.managerOpen) outcome.managerActiveRow = n;
    }
    outcome.refreshed = true;
    outcome.panel = RefreshPanel();
    outcome.menu = RebuildProfileMenu();
    // A profile the keyboard did not take is no switch: the buttons stay as they were.
    outcome.result = taken ? 1 : 0;
    if (!taken) outcome.managerActiveRow = -1;
    return outcome;
}

std::optional<int> ProfileCommands::ProfileMenuTarget(int itemId) {
    if (itemId < commandctl::kFirstProfileMenuItem || itemId > commandctl::kLastProfileMenuItem) {
        return std::nullopt;
    }
    return itemId - (commandctl::kFirstProfileMenuItem + 1);
}

PanelView ProfileCommands::RefreshPanel() {
    std::lock_guard guard(ctx_.work.lock);
    return panel_.RefreshKeyButtons(GetActiveProfile(ctx_));
}

std::optional<int> ProfileCommands::MarkActiveProfileButton() {
    const int p = GetActiveProfile(ctx_);
    if (p < 0 || p > 2) return std::nullopt;
    return p;
}

ProfileMenu ProfileCommands::RebuildProfileMenu() {
    ProfileMenu menu;
    menu.items.push_back({commandctl::kFirstProfileMenuItem,
                          LookupText(ctx_.texts, kTextDefaultProfileName, ctx_.languageIndex)});
    menu.items.push_back({});
    for (int p = 0; p < 3; ++p) {
        menu.items.push_back({commandctl::kFirstProfileMenuItem + 1 + p,
                              ProfileFilePath(ctx_.paths, p).filename().string()});
    }
    // An unreadable (or out of range) active profile checks the default item.
    const int active = GetActiveProfile(ctx_);
    ProfileMenuItem& checked = menu.items[active >= 0 && active <= 2 ? active + 2 : 0];
    checked.checked = true;
    menu.managerCaption = checked.text;
    menu.managerTooltip =
        LookupText(ctx_.texts, kTextProfileTip, ctx_.languageIndex) + menu.managerCaption;
    return menu;
}

int ProfileCommands::Export(const std::filesystem::path& path) {
    int saved = 0;
    {
        std::lock_guard guard(ctx_.work.lock);
        saved = SaveImageFile(ctx_.work, path);
    }
    if (saved != 1)
        ctx_.prompter.Ask(kTextMainPromptExportFailed, PromptButtons::Ok, path.string());
    return saved;
}

ImportOutcome ProfileCommands::Import(const std::filesystem::path& path) {
    if (!ImportCheck(path)) return {};
    return ImportLoad(path);
}

bool ProfileCommands::ImportCheck(const std::filesystem::path& path) {
    if (ValidateImageFile(path, ctx_.prompter) >= 1) return true;
    ctx_.prompter.Ask(kTextMainPromptImport, PromptButtons::Ok);
    return false;
}

ImportOutcome ProfileCommands::ImportLoad(const std::filesystem::path& path) {
    ImportOutcome outcome;
    outcome.loaded = true;
    bool taken = false;
    {
        std::lock_guard guard(ctx_.work.lock);
        FreeStoreContents(ctx_.work);
        taken = LoadImageFile(ctx_.work, path) == 1;
        if (taken) {
            const int saved = SaveActiveProfileFile(ctx_);
            const int applied = SnapshotAndApply(ctx_, true);
            // Only what reached both the backing file and the keyboard counts as applied.
            outcome.result = saved == 1 && applied == 1 ? 1 : 0;
        }
        outcome.panel = panel_.RefreshKeyButtons(GetActiveProfile(ctx_));
    }
    // The window is told after the work lock is released: it may wait for it on its thread.
    SetChanged(outcome.result != 1);
    if (!taken) {
        // The file went away or changed since it was checked: the store holds a default image,
        // which is neither saved over the backing file nor written to the keyboard. It differs
        // from what the keyboard holds, so Apply stays offered.
        ctx_.prompter.Ask(kTextMainPromptImport, PromptButtons::Ok);
    }
    return outcome;
}

}  // namespace vorlin
