// The lighting-view switch in the user settings file.
#include "store/lighting_view.h"

#include <charconv>
#include <string>

#include "platform/ini_file.h"

namespace vorlin {

bool ReadLightingView(const std::filesystem::path& userSettings) {
    std::string text = IniRead(userSettings, "KEYCOLOR", "DengCheck", "0");
    size_t start = text.find_first_not_of(" \t");
    if (start == std::string::npos) return false;
    int value = 0;
    std::from_chars(text.data() + start, text.data() + text.size(), value);
    return value == 1;
}

bool WriteLightingView(IniLock& lock, const std::filesystem::path& userSettings, bool on) {
    return IniWrite(lock, userSettings, "KEYCOLOR", "DengCheck", on ? "1" : "0");
}

}  // namespace vorlin
