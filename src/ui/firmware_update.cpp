#include "ui/firmware_update.h"

#include <unistd.h>

#include <mutex>
#include <system_error>

#include "device/protocol.h"
#include "platform/text_key_names.h"
#include "store/profile_file.h"

namespace vorlin {

void FirmwareUpdate::Choose(const std::optional<std::filesystem::path>& program) {
    updater_ = program.value_or(std::filesystem::path());
}

bool FirmwareUpdate::HasRunnableUpdater() const {
    if (updater_.empty()) return false;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(updater_, ec)) return false;
    return ::access(updater_.c_str(), X_OK) == 0;
}

UpdateOutcome FirmwareUpdate::Update() {
    if (!HasRunnableUpdater()) {
        updater_.clear();
        prompter_.Ask(kTextFirmwareNoFile, PromptButtons::Ok);
        return UpdateOutcome::NoFile;
    }
    // One request, no retry: a keyboard that is not there gets none.
    if (EnterBootMode(link_) != kDone) {
        updater_.clear();
        prompter_.Ask(kTextFirmwareNoBootMode, PromptButtons::Ok);
        return UpdateOutcome::NoBootMode;
    }
    const std::filesystem::path program = updater_;
    updater_.clear();
    if (!start_ || !start_(program)) {
        prompter_.Ask(kTextFirmwareNotStarted, PromptButtons::Ok);
        return UpdateOutcome::NotStarted;
    }
    return UpdateOutcome::Started;
}

int FirmwareUpdate::BackupTo(const std::filesystem::path& file) {
    std::lock_guard<std::recursive_mutex> guard(work_.lock);
    return SaveImageFile(work_, file);
}

void FirmwareUpdate::ReportBackup(int result) {
    prompter_.Ask(result == 1 ? kTextFirmwareBackupDone : kTextFirmwareBackupFailed,
                  PromptButtons::Ok);
}

int FirmwareUpdate::Backup(const std::filesystem::path& file) {
    const int result = BackupTo(file);
    ReportBackup(result);
    return result;
}

}  // namespace vorlin
