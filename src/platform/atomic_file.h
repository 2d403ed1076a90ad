// Writes a whole file so that a crash or a failure never leaves it half written: the bytes go
// to a file beside the target, are flushed, and replace the target by rename.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>

namespace vorlin {

// true when the new content is in place; on false the previous file is untouched.
bool WriteFileAtomically(const std::filesystem::path& target, std::span<const uint8_t> bytes);
bool WriteFileAtomically(const std::filesystem::path& target, std::string_view text);
// Copies source over target with the same guarantee.
bool CopyFileAtomically(const std::filesystem::path& source, const std::filesystem::path& target);

}  // namespace vorlin
