// Profile files: a work store on disk (image, macro records, string area), the backing file of
// each hardware profile in the user folder, and the checks made before a file is taken in.
// Every save replaces its file atomically; every load checks every count and offset first.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "platform/app_paths.h"
#include "platform/file_read.h"
#include "platform/prompter.h"
#include "store/config_store.h"
#include "store/store_context.h"

namespace vorlin {

// Profile files larger than this are not read. Its texts aside, a file is at most 1.6 MiB; the
// texts a file may carry are bounded so that saving it again never makes a larger one.
constexpr size_t kMaxImageFileBytes = 64u * 1024 * 1024;

// Creates the user folder when it is missing and seeds the three user-colour files from the
// template in Skins (empty files when the template is missing). An existing folder is left
// alone. 1 when the folder exists afterwards, else 0.
int EnsureUserFolder(const AppPaths& paths);
// The backing file of hardware profile n ("$Profile" + n in the user folder, which is ensured).
std::filesystem::path ProfileFilePath(const AppPaths& paths, int n);

enum class ImageFileFault {
    None,
    TooShort,   // under the 32832 bytes of an image
    Header,     // a header field or its checksum is wrong
    Truncated,  // shorter than the header's total size
    Record,     // a macro record holds what a record cannot
    Texts,      // its texts, each key's taken on its own, add up to more than a file may hold
};
// The checks shared by validation and loading. Text offsets are not among them: a text that
// cannot be taken only leaves its slot empty. Keys sharing one text each take a copy, so the
// texts taken are summed and bounded, not the area.
ImageFileFault CheckImageBytes(std::span<const uint8_t> bytes);

// The whole file of the work store: header refreshed from the store, text offsets stored in the
// work image. Throws std::bad_alloc when memory is short; empty when the store has no image.
std::vector<uint8_t> BuildImageFile(ConfigStore& work);
// 1 when the file now holds the work store; 0 with the previous file untouched.
int SaveImageFile(ConfigStore& work, const std::filesystem::path& path);
// Rewrites the active profile's backing file, only when it exists. 0 when the profile cannot be
// read, the file is missing or the save fails.
int SaveActiveProfileFile(StoreContext& ctx);

// A whole profile file, read with the bound above.
FileReadResult ReadImageFile(const std::filesystem::path& path, std::vector<uint8_t>& bytes);

// Replaces the work store's image, macros and texts by the file's. On 0 (missing, unreadable or
// faulty file) the store holds a default image with no macros and no texts instead, never part
// of a file.
int LoadImageFile(ConfigStore& work, const std::filesystem::path& path);
int LoadImageBytes(ConfigStore& work, std::span<const uint8_t> bytes);

// Before an import: 1 accepted; 0 missing, not a regular file, too large, too short or faulty
// ("PROFILE_FORMAT_ERROR" with the path is shown for a faulty one); -2 cannot be opened; -3 no
// memory for the whole file.
int ValidateImageFile(const std::filesystem::path& path, Prompter& prompter);
int ValidateImageBytes(std::span<const uint8_t> bytes, const std::filesystem::path& path,
                       Prompter& prompter);

}  // namespace vorlin
