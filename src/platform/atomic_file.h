// Writes a whole file so that a crash or a failure never leaves it half written: the bytes go
// to a file beside the target (TARGET.tmp-PID-N-R, readable by the owner only), are flushed,
// and replace the target by rename. Temporary files a killed writer left are removed later.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>

namespace vorlin {

// true when the new content is in place; on false the previous file is untouched.
bool WriteFileAtomically(const std::filesystem::path& target, std::span<const uint8_t> bytes);
bool WriteFileAtomically(const std::filesystem::path& target, std::string_view text);
// Copies source (a regular file of at most maxBytes) over target with the same guarantee.
bool CopyFileAtomically(const std::filesystem::path& source, const std::filesystem::path& target,
                        size_t maxBytes = 64u * 1024 * 1024);

// Removes, in folder, the temporary files of our atomic writes whose writer is gone (its process
// no longer runs) or that are older than kStaleTemporaryAge; only those of target's name when
// target is given. Every write does this for its own target first. Returns how many it removed.
constexpr std::chrono::minutes kStaleTemporaryAge{10};
int RemoveStaleTemporaries(const std::filesystem::path& folder,
                           const std::filesystem::path& target = {});

}  // namespace vorlin
