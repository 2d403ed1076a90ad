// The firmware dialog without a window: the chosen updater program, the update sequence (the
// keyboard asked into its boot loader, then the updater started, which does the flashing) and
// the backup of the work store to a profile file.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>

#include "device/device_link.h"
#include "platform/prompter.h"
#include "store/config_store.h"

namespace vorlin {

// Starts the program detached, without arguments; true when it was started.
using ProgramStarter = std::function<bool(const std::filesystem::path& program)>;

enum class UpdateOutcome {
    NoFile,      // no existing program chosen: nothing was sent
    NoBootMode,  // the keyboard did not take the boot request
    NotStarted,  // the keyboard went into its boot loader but the program did not start
    Started,     // the dialog closes
};

class FirmwareUpdate {
  public:
    FirmwareUpdate(DeviceLink& link, ConfigStore& work, Prompter& prompter, ProgramStarter start)
        : link_(link), work_(work), prompter_(prompter), start_(std::move(start)) {}

    // The chooser's answer: the chosen program, or nullopt when it was cancelled (the path is
    // then empty).
    void Choose(const std::optional<std::filesystem::path>& program);
    const std::filesystem::path& UpdaterPath() const { return updater_; }
    // Only a program that can be started is sent for: the keyboard is never left in its boot
    // loader with nothing to flash it.
    bool HasRunnableUpdater() const;

    // Says why when it fails; the path is empty afterwards in every case.
    UpdateOutcome Update();
    // Forgets the choice (the dialog then closes).
    void CancelUpdate() { updater_.clear(); }

    // The work store into file, under its lock; 1 done, 0 with any previous file untouched.
    // Safe off the window's thread; says nothing.
    int BackupTo(const std::filesystem::path& file);
    // The backup's message.
    void ReportBackup(int result);
    // Both.
    int Backup(const std::filesystem::path& file);

  private:
    DeviceLink& link_;
    ConfigStore& work_;
    Prompter& prompter_;
    ProgramStarter start_;
    std::filesystem::path updater_;
};

}  // namespace vorlin
