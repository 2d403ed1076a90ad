// The lighting-view switch, kept in the user settings file ("wskb.ini", KEYCOLOR/DengCheck).
#pragma once

#include <filesystem>

namespace vorlin {

bool ReadLightingView(const std::filesystem::path& userSettings);
bool WriteLightingView(const std::filesystem::path& userSettings, bool on);

}  // namespace vorlin
