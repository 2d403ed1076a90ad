// Profile-file checks and keyboard reads shared by the store commands.
#include "cli/cli_store.h"

#include <fstream>
#include <random>
#include <vector>

#include "store/config_device.h"
#include "store/profile_file.h"

namespace vorlin {

namespace fs = std::filesystem;

int CheckProfileFile(CliSession& s, const fs::path& file) {
    std::error_code ec;
    if (!fs::exists(file, ec)) return s.Fail(kExitBadFile, file.string() + " does not exist.");
    if (fs::is_directory(file, ec)) return s.Fail(kExitBadFile, file.string() + " is a folder.");
    const int valid = ValidateImageFile(file, s.prompter);
    if (valid >= 1) return kExitOk;
    if (valid == -2) return s.Fail(kExitBadFile, file.string() + " cannot be opened.");
    if (valid == -3) return s.Fail(kExitBadFile, file.string() + " is too large to load.");
    // Say which check failed; the header's own message has been shown by then.
    std::ifstream in(file, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
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
        case ImageFileFault::None:
            why = "it could not be read";
            break;
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
    // Read into a private file beside the others in the temp folder, then load it.
    std::random_device random;
    const fs::path temp =
        fs::temp_directory_path() / ("vorlinctl-read-" + std::to_string(random()) + ".fwc");
    s.watch->Reset();
    const int read = ReadDeviceIntoFile(store.ctx, temp);
    if (read != 1) {
        std::error_code ec;
        fs::remove(temp, ec);
        return s.FailDevice("reading the keyboard's configuration");
    }
    std::lock_guard<std::recursive_mutex> guard(store.work.lock);
    const int loaded = LoadImageFile(store.work, temp);
    std::error_code ec;
    fs::remove(temp, ec);
    if (loaded != 1)
        return s.Fail(kExitFailed, "the configuration read from the keyboard could not be loaded.");
    return kExitOk;
}

}  // namespace vorlin
