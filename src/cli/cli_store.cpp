// Profile-file checks and keyboard reads shared by the store commands.
#include "cli/cli_store.h"

#include "platform/file_read.h"
#include "store/config_device.h"
#include "store/profile_file.h"

namespace vorlin {

namespace fs = std::filesystem;

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

}  // namespace vorlin
