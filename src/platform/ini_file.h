// Ini files read and written the way the Windows private-profile functions do it: sections and
// keys without regard to case, a default for a missing key, values of up to 259 characters,
// UTF-8 (with or without BOM) or UTF-16LE with BOM. Writes keep every other line and the
// file's encoding, and replace the file atomically.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vorlin {

constexpr size_t kIniValueMaxChars = 259;

// Texts are UTF-8 on this side.
std::string IniRead(const std::filesystem::path& file, std::string_view section,
                    std::string_view key, std::string_view defaultValue);
bool IniWrite(const std::filesystem::path& file, std::string_view section, std::string_view key,
              std::string_view value);

}  // namespace vorlin
