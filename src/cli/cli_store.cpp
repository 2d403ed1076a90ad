// Profile-file checks and keyboard reads shared by the store commands.
#include "cli/cli_store.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/file_read.h"
#include "store/config_device.h"
#include "store/macro_area.h"
#include "store/profile_file.h"

namespace vorlin {

namespace fs = std::filesystem;

namespace {

// Why a backing file cannot be written, in words; empty when nothing stands in the way. The
// file is replaced by a new one made beside it, so what counts is its folder.
std::string WhyUnwritable(const fs::path& file) {
    std::error_code ec;
    if (fs::is_directory(file, ec)) return "it is a folder";
    const fs::path folder = file.parent_path();
    if (!fs::is_directory(folder, ec)) {
        fs::create_directories(folder, ec);
        if (ec) return ec.message();
        if (!fs::is_directory(folder, ec)) return "its folder cannot be made";
    }
    if (::access(folder.c_str(), W_OK | X_OK) != 0) return std::strerror(errno);
    return {};
}

int FailBackingFile(CliSession& s, int profile, std::string why) {
    const fs::path file = ProfileFilePath(s.paths, profile);
    if (why.empty()) why = WhyUnwritable(file);
    return s.Fail(kExitFailed, "the backing file of profile " + std::to_string(profile) + " (" +
                                   file.string() + ") cannot be written" +
                                   (why.empty() ? "" : ": " + why) +
                                   "; the keyboard was not changed.");
}

}  // namespace

int ReadProfileFile(CliSession& s, const fs::path& file, std::vector<uint8_t>& bytes) {
    const FileReadResult read = ReadImageFile(file, bytes);
    if (!read.ok()) return s.Fail(kExitBadFile, file.string() + " " + DescribeFileRead(read) + ".");
    // The CLI says which check failed in its own one sentence, so the window's message box
    // text is not shown as well.
    std::string why;
    switch (CheckImageBytes(bytes)) {
        case ImageFileFault::TooShort:
            why = "it is shorter than a profile image (" + std::to_string(bytes.size()) +
                  " bytes, at least 32832 needed)";
            break;
        case ImageFileFault::Header:
            why = "its header is not that of a profile file, or its checksum is wrong";
            break;
        case ImageFileFault::Truncated:
            why = "it is shorter than its header says";
            break;
        case ImageFileFault::Record:
            why = "a macro record in it is damaged";
            break;
        case ImageFileFault::Texts:
            why =
                "its texts, one copy for each key that uses them, add up to more than a "
                "profile file can hold";
            break;
        case ImageFileFault::None:
            return kExitOk;
    }
    return s.Fail(kExitBadFile, file.string() + " is not a valid profile file: " + why + ".");
}

int ConfirmOverwrite(CliSession& s, const fs::path& file) {
    std::error_code ec;
    if (fs::is_directory(file, ec)) return s.Fail(kExitBadFile, file.string() + " is a folder.");
    if (!fs::exists(file, ec)) return kExitOk;
    if (s.Ask(file.string() + " exists. Replace it?", PromptButtons::YesNoDefaultNo))
        return kExitOk;
    return s.Fail(kExitFailed, file.string() + " was left as it is.");
}

int LoadKeyboardIntoStore(CliSession& s, CliStore& store) {
    // Straight from memory: the keyboard's whole configuration never lands in a file.
    std::vector<uint8_t> bytes;
    s.ClearLinkFailure();
    if (ReadDeviceImage(store.ctx, bytes) != 1)
        return s.FailDevice("reading the keyboard's configuration");
    std::lock_guard<std::recursive_mutex> guard(store.work.lock);
    if (LoadImageBytes(store.work, bytes) != 1)
        return s.Fail(kExitFailed, "the configuration read from the keyboard could not be loaded.");
    return kExitOk;
}

int ReloadWorkStore(CliSession& s, CliStore& store) {
    s.ClearLinkFailure();
    if (ReloadFromKeyboard(store.ctx) == 1) return kExitOk;
    // The keyboard may have answered every read and the backing file not taken it.
    const int p = GetActiveProfile(store.ctx);
    if (p >= 0 && !s.LinkFailed()) {
        std::string why = WhyUnwritable(ProfileFilePath(s.paths, p));
        if (!why.empty()) return FailBackingFile(s, p, why);
    }
    return s.FailDevice("reading the keyboard");
}

int ApplyWorkStore(CliSession& s, CliStore& store, bool allProfiles, const std::string& what) {
    std::lock_guard<std::recursive_mutex> guard(store.work.lock);
    // The apply would refuse the same; checked first so the backing file is not saved either.
    const MacroAreaSizes sizes = MacroAreaSize(store.work);
    const unsigned capacity = s.state.macroCapacity.load();
    if (!MacroAreaFits(sizes, capacity))
        return s.Fail(kExitFailed, "the macros would take " + std::to_string(sizes.bare) +
                                       " bytes of the keyboard's memory, which holds " +
                                       std::to_string(capacity) + "; nothing was written.");
    const int active = GetActiveProfile(store.ctx);
    s.ClearLinkFailure();
    if (SaveActiveProfileFile(store.ctx) != 1) return FailBackingFile(s, active, {});
    if (SnapshotAndApply(store.ctx, allProfiles) != 1) return s.FailDevice(what);
    return kExitOk;
}

}  // namespace vorlin
