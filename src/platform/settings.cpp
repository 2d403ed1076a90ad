// Registry value and settings store, kept in ini files. The registry key becomes one section of
// registry.ini; a DWORD is written in decimal and read from decimal or "dword:" hexadecimal.
#include "platform/settings.h"

#include "platform/ini_file.h"

namespace vorlin {
namespace {

constexpr std::string_view kRegistrySection = "Software\\Morvane Tesslar";
// Tells a missing value from an empty one.
constexpr std::string_view kMissing = "\x01missing";

std::optional<uint32_t> ParseDword(std::string_view text) {
    int base = 10;
    if (text.size() > 6 && (text.substr(0, 6) == "dword:" || text.substr(0, 6) == "DWORD:")) {
        text.remove_prefix(6);
        base = 16;
    }
    if (text.empty() || text.size() > (base == 16 ? 8u : 10u)) return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
    }
    if (value > 0xFFFFFFFFull) return std::nullopt;
    return static_cast<uint32_t>(value);
}

}  // namespace

std::optional<uint32_t> RegistryReadDword(const AppPaths& paths, std::string_view name) {
    const std::string text = IniRead(paths.registryFile, kRegistrySection, name, kMissing);
    if (text == kMissing) return std::nullopt;
    return ParseDword(text);
}

bool RegistryWriteDword(const AppPaths& paths, IniLock& lock, std::string_view name,
                        uint32_t value) {
    return IniWrite(lock, paths.registryFile, kRegistrySection, name, std::to_string(value));
}

std::string SettingsReadString(const AppPaths& paths, std::string_view section,
                               std::string_view key, std::string_view defaultValue) {
    return IniRead(paths.settingsFile, section, key, defaultValue);
}

bool SettingsWriteString(const AppPaths& paths, IniLock& lock, std::string_view section,
                         std::string_view key, std::string_view value) {
    return IniWrite(lock, paths.settingsFile, section, key, value);
}

}  // namespace vorlin
