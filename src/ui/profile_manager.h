// The profile manager without a window: the list of profile files with at most one ticked row,
// the rows Add, Load and Delete make, and Apply, which records the list in the settings and makes
// the ticked row the keyboard's active profile before reloading the work store from it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/ini_file.h"
#include "store/store_context.h"

namespace vorlin {

struct ProfileRow {
    std::string name;    // the file name without folder and extension
    std::string folder;  // the file's folder, ending with "/"
    bool ticked = false;
};

// The settings section and value names Apply writes ("PROFILE00" holds the row count).
inline constexpr char kProfilesSection[] = "PROFILES";
std::string ProfileSettingName(int number);

// What Apply does on the keyboard, decided on the window's thread before the device work.
struct ProfileApplyPlan {
    int ticked = -1;          // the ticked row, -1 when none
    bool setProfile = false;  // only rows 0..2 are the keyboard's profiles
};

class ProfileManager {
  public:
    // iniLock guards the settings file; ctx.ui is told when the changed state goes off.
    ProfileManager(StoreContext& ctx, IniLock& iniLock) : ctx_(ctx), iniLock_(iniLock) {}

    // Opening: the counter goes up and the list is made again from the three backing files.
    void Open();
    // OK (after its Apply) and Cancel: the counter goes down; nothing is stored here.
    void Close();
    // 1 while the dialog is shown.
    int OpenCount() const { return openCount_; }

    // first 0 deletes every row first; then one row per backing file is appended, the active
    // profile's ticked (none when the keyboard cannot say). Apply goes off.
    void FillList(int first);
    const std::vector<ProfileRow>& Rows() const { return rows_; }
    int TickedRow() const;
    // Ticking a row clears every other tick; any change enables Apply. Out of range: nothing.
    void SetTicked(int row, bool on);
    // The main window switched to profile n while the dialog is open: row n ticked, Apply off.
    void SwitchProfile(int n);

    // The save dialog's suggestion: the user folder (ensured) and the new profile's name.
    std::filesystem::path SuggestedNewFile() const;
    // The open dialog's starting folder: the user folder (ensured).
    std::filesystem::path UserFolder() const;
    // A default profile file written to file and its row appended; the write's result.
    int Add(const std::filesystem::path& file);
    // A row for file appended; the file is not read.
    void Load(const std::filesystem::path& file);
    // The row removed (nothing for a row out of range); no file is deleted.
    void Delete(int row);

    // Unapplied changes: the Apply button's state.
    bool ApplyEnabled() const { return applyEnabled_; }

    // Apply in three steps, so the device work can run off the window's thread:
    // the settings values and the plan (says so when the ticked row has no hardware profile),
    ProfileApplyPlan BeginApply();
    // the keyboard's active profile and the reload as on connection (any thread; the read's
    // result), and
    int RunApply(const ProfileApplyPlan& plan);
    // Apply off and the main window's changed state off.
    void FinishApply();
    // All three at once.
    int Apply();

  private:
    StoreContext& ctx_;
    IniLock& iniLock_;
    std::vector<ProfileRow> rows_;
    int openCount_ = 0;
    bool applyEnabled_ = false;
};

}  // namespace vorlin
