// The lighting-view switch, kept in the user settings file ("wskb.ini", KEYCOLOR/DengCheck).
#pragma once

#include <filesystem>

#include "platform/ini_file.h"

namespace vorlin {

bool ReadLightingView(const std::filesystem::path& userSettings);
bool WriteLightingView(IniLock& lock, const std::filesystem::path& userSettings, bool on);

}  // namespace vorlin
