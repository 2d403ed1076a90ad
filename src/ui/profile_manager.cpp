#include "ui/profile_manager.h"

#include <cstdio>

#include "platform/settings.h"
#include "platform/text_key_names.h"
#include "skin/language.h"
#include "store/config_device.h"
#include "store/config_store.h"
#include "store/profile_file.h"

namespace vorlin {

namespace {

constexpr int kHardwareProfiles = 3;

ProfileRow RowOf(const std::filesystem::path& file) {
    ProfileRow row;
    row.name = file.stem().string();
    std::string folder = file.parent_path().string();
    if (folder.empty() || folder.back() != '/') folder += '/';
    row.folder = std::move(folder);
    return row;
}

}  // namespace

std::string ProfileSettingName(int number) {
    char name[16];
    std::snprintf(name, sizeof name, "PROFILE%02d", number);
    return name;
}

void ProfileManager::Open() {
    ++openCount_;
    // Each opening starts from the three backing files: rows added or loaded before are gone.
    rows_.clear();
    FillList(1);
}

void ProfileManager::Close() {
    if (openCount_ > 0) --openCount_;
}

void ProfileManager::FillList(int first) {
    if (first == 0) rows_.clear();
    const size_t base = rows_.size();
    for (int n = 0; n < kHardwareProfiles; ++n)
        rows_.push_back(RowOf(ProfileFilePath(ctx_.paths, n)));
    const int active = GetActiveProfile(ctx_);
    if (active >= 0 && active < kHardwareProfiles) {
        for (ProfileRow& r : rows_) r.ticked = false;
        rows_[base + static_cast<size_t>(active)].ticked = true;
    }
    applyEnabled_ = false;
}

int ProfileManager::TickedRow() const {
    for (size_t r = 0; r < rows_.size(); ++r)
        if (rows_[r].ticked) return static_cast<int>(r);
    return -1;
}

void ProfileManager::SetTicked(int row, bool on) {
    if (row < 0 || static_cast<size_t>(row) >= rows_.size()) return;
    if (on)
        for (ProfileRow& r : rows_) r.ticked = false;
    rows_[static_cast<size_t>(row)].ticked = on;
    applyEnabled_ = true;
}

void ProfileManager::SwitchProfile(int n) {
    if (openCount_ <= 0) return;
    for (ProfileRow& r : rows_) r.ticked = false;
    if (n >= 0 && static_cast<size_t>(n) < rows_.size())
        rows_[static_cast<size_t>(n)].ticked = true;
    applyEnabled_ = false;
}

std::filesystem::path ProfileManager::UserFolder() const {
    EnsureUserFolder(ctx_.paths);
    return ctx_.paths.userFolder;
}

std::filesystem::path ProfileManager::SuggestedNewFile() const {
    return UserFolder() / (LookupText(ctx_.texts, kTextProfileNew, ctx_.languageIndex) + ".fwc");
}

int ProfileManager::Add(const std::filesystem::path& file) {
    EnsureUserFolder(ctx_.paths);
    // A row for a file that was not written would name nothing: the user is told instead.
    if (NewImage(ctx_.work, file, false) != 1) {
        ctx_.prompter.Ask(kTextProfileNewFailed, PromptButtons::Ok, file.string());
        return 0;
    }
    rows_.push_back(RowOf(file));
    applyEnabled_ = true;
    return 1;
}

void ProfileManager::Load(const std::filesystem::path& file) {
    rows_.push_back(RowOf(file));
    applyEnabled_ = true;
}

void ProfileManager::Delete(int row) {
    if (row < 0 || static_cast<size_t>(row) >= rows_.size()) return;
    rows_.erase(rows_.begin() + row);
    applyEnabled_ = true;
}

ProfileApplyPlan ProfileManager::BeginApply() {
    for (size_t r = 0; r < rows_.size(); ++r) {
        const std::string path = rows_[r].folder + rows_[r].name + ".fwc";
        SettingsWriteString(ctx_.paths, iniLock_, kProfilesSection,
                            ProfileSettingName(static_cast<int>(r) + 1), path);
    }
    SettingsWriteString(ctx_.paths, iniLock_, kProfilesSection, ProfileSettingName(0),
                        std::to_string(rows_.size()));
    ProfileApplyPlan plan;
    plan.ticked = TickedRow();
    plan.setProfile = plan.ticked >= 0 && plan.ticked < kHardwareProfiles;
    // The keyboard has three profiles: a later row is only a file in the list.
    if (plan.ticked >= kHardwareProfiles)
        ctx_.prompter.Ask(kTextProfileNotHardware, PromptButtons::Ok);
    return plan;
}

int ProfileManager::RunApply(const ProfileApplyPlan& plan) {
    if (plan.setProfile) SetActiveProfile(ctx_, plan.ticked);
    return ReloadFromKeyboard(ctx_);
}

void ProfileManager::FinishApply() {
    applyEnabled_ = false;
    ctx_.ui.SetChanged(false);
}

int ProfileManager::Apply() {
    const ProfileApplyPlan plan = BeginApply();
    const int read = RunApply(plan);
    FinishApply();
    return read;
}

}  // namespace vorlin
