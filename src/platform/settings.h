// The stand-ins for the registry value "LANGUAGE" and the application's settings store
// (section "PROFILES" and others), both kept in ini files named by AppPaths.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/app_paths.h"
#include "platform/ini_file.h"

namespace vorlin {

// HKEY_CURRENT_USER\Software\Morvane Tesslar: a DWORD value; nullopt when missing or not a number.
std::optional<uint32_t> RegistryReadDword(const AppPaths& paths, std::string_view name);
bool RegistryWriteDword(const AppPaths& paths, IniLock& lock, std::string_view name,
                        uint32_t value);

std::string SettingsReadString(const AppPaths& paths, std::string_view section,
                               std::string_view key, std::string_view defaultValue);
bool SettingsWriteString(const AppPaths& paths, IniLock& lock, std::string_view section,
                         std::string_view key, std::string_view value);

}  // namespace vorlin
