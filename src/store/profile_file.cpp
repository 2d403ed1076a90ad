// Saving, loading and checking profile files; the user folder and its backing files.
#include "store/profile_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <new>
#include <string>
#include <system_error>

#include "platform/atomic_file.h"
#include "platform/ini_file.h"
#include "platform/le_bytes.h"
#include "platform/text_key_names.h"
#include "store/config_device.h"

namespace vorlin {
namespace fs = std::filesystem;

namespace {

// What the texts of the image's string keys take once each key holds its own copy: the sum of
// (characters + 1) x 2 over the keys whose text lies within the area. Texts are found in one
// pass over the area, however many keys share them.
uint64_t TakenTextBytes(std::span<const uint8_t> image, std::span<const uint8_t> area) {
    std::vector<std::pair<size_t, int>> starts;  // (start, slot)
    for (int slot = 0; slot < kKeyActionSlots; ++slot) {
        const KeyAction action = ReadKeyAction(image.data() + kImageHeaderSize +
                                               kImageDeviceBlockSize + slot * kKeyActionSize);
        if (!IsStringAction(action)) continue;
        starts.push_back({action.value & ~uint32_t{1}, slot});
    }
    std::sort(starts.begin(), starts.end());
    uint64_t total = 0;
    size_t end = 0;  // the terminator found for the previous start, when at or past this one
    bool haveEnd = false;
    for (const auto& [start, slot] : starts) {
        if (start + 2 > area.size()) break;  // this and every later start lie outside
        if (!haveEnd || end < start) {
            end = start;
            while (end + 2 <= area.size() && GetU16(area.data() + end) != 0) end += 2;
            haveEnd = true;
        }
        if (end + 2 > area.size()) break;  // not terminated within the area
        total += end - start + 2;
    }
    return total;
}

void InstallDefaultImage(ConfigStore& work) {
    std::lock_guard guard(work.lock);
    FreeStoreContents(work);
    work.image = MakeDefaultImage();
}

}  // namespace

int EnsureUserFolder(const AppPaths& paths) {
    std::error_code ec;
    if (fs::is_directory(paths.userFolder, ec)) {
        // Writes a killed run left half done.
        RemoveStaleTemporaries(paths.userFolder);
        return 1;
    }
    if (paths.userFolder.has_parent_path())
        fs::create_directories(paths.userFolder.parent_path(), ec);
    // The user's configuration is nobody else's business.
    if (::mkdir(paths.userFolder.c_str(), 0700) != 0 && errno != EEXIST) return 0;
    if (!fs::is_directory(paths.userFolder, ec)) return 0;
    fs::path source = paths.defaultUserColourPrefix;
    source += "3.userd";
    const bool haveTemplate = fs::is_regular_file(source, ec);
    for (int n = 0; n < 3; ++n) {
        fs::path target = paths.userColourPrefix;
        target += std::to_string(n) + ".userd";
        if (haveTemplate) {
            CopyFileAtomically(source, target, kIniMaxFileBytes);
        } else {
            WriteFileAtomically(target, std::span<const uint8_t>{});
        }
    }
    return 1;
}

fs::path ProfileFilePath(const AppPaths& paths, int n) {
    EnsureUserFolder(paths);
    return paths.userFolder / ("$Profile" + std::to_string(n));
}

ImageFileFault CheckImageBytes(std::span<const uint8_t> bytes) {
    if (bytes.size() < kImageSize) return ImageFileFault::TooShort;
    const uint8_t* p = bytes.data();
    const ImageHeader h = ReadImageHeader(p);
    const bool headerOk = h.magic == kImageMagic && h.headerSize == kImageHeaderSize &&
                          h.version == 3 && h.revision == 1 && h.totalSize >= kImageSize &&
                          h.keyActionCount == kKeyActionSlots && h.macroCount <= kMaxMacros &&
                          h.flag <= 1 &&
                          h.totalSize == ImageFileSize(h.macroCount, h.stringBytes) &&
                          h.checksum == ImageHeaderChecksum(p);
    if (!headerOk) return ImageFileFault::Header;
    if (bytes.size() < h.totalSize) return ImageFileFault::Truncated;
    MacroRecord record;
    for (size_t i = 0; i < h.macroCount; ++i) {
        if (!ReadMacroRecord(p + kImageSize + i * kMacroRecordSize, record)) {
            return ImageFileFault::Record;
        }
    }
    const size_t areaAt = ImageFileSize(h.macroCount, 0);
    const uint64_t texts = TakenTextBytes(bytes, bytes.subspan(areaAt, h.stringBytes));
    if (ImageFileSize(h.macroCount, texts) > kMaxImageFileBytes) return ImageFileFault::Texts;
    return ImageFileFault::None;
}

std::vector<uint8_t> BuildImageFile(ConfigStore& work) {
    std::lock_guard guard(work.lock);
    if (!work.image) return {};
    work.image->RefreshHeader(work.macroCount(), static_cast<uint32_t>(work.stringBytes), 0);
    const std::vector<uint8_t> strings = BuildStringArea(work);
    std::vector<uint8_t> bytes(ImageFileSize(work.macroCount(), strings.size()));
    WriteConfigImage(*work.image, bytes.data());
    uint8_t* p = bytes.data() + kImageSize;
    for (const MacroRecord& r : work.macros) {
        WriteMacroRecord(r, p);
        p += kMacroRecordSize;
    }
    std::copy(strings.begin(), strings.end(), p);
    return bytes;
}

int SaveImageFile(ConfigStore& work, const fs::path& path) {
    std::vector<uint8_t> bytes;
    try {
        bytes = BuildImageFile(work);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    if (bytes.empty()) return 0;
    return WriteFileAtomically(path, bytes) ? 1 : 0;
}

int SaveActiveProfileFile(StoreContext& ctx) {
    const int p = GetActiveProfile(ctx);
    if (p < 0) return 0;
    const fs::path path = ProfileFilePath(ctx.paths, p);
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return 0;
    return SaveImageFile(ctx.work, path);
}

int LoadImageBytes(ConfigStore& work, std::span<const uint8_t> bytes) {
    if (CheckImageBytes(bytes) != ImageFileFault::None) {
        InstallDefaultImage(work);
        return 0;
    }
    std::lock_guard guard(work.lock);
    FreeStoreContents(work);
    try {
        auto image = std::make_unique<ConfigImage>();
        ReadConfigImage(bytes.data(), *image);
        const uint16_t count = image->header.macroCount;
        std::vector<MacroRecord> macros(count);
        for (size_t i = 0; i < count; ++i) {
            ReadMacroRecord(bytes.data() + kImageSize + i * kMacroRecordSize, macros[i]);
        }
        work.image = std::move(image);
        work.macros = std::move(macros);
    } catch (const std::bad_alloc&) {
        InstallDefaultImage(work);
        return 0;
    }

    const ConfigImage& image = *work.image;
    const size_t areaAt = ImageFileSize(image.header.macroCount, 0);
    const std::span<const uint8_t> area = bytes.subspan(areaAt, image.header.stringBytes);
    for (int slot = 0; slot < kKeyActionSlots; ++slot) {
        const KeyAction& action = image.Slot(slot);
        if (!IsStringAction(action)) continue;
        const size_t start = action.value & ~uint32_t{1};
        size_t end = start;
        while (end + 2 <= area.size() && GetU16(area.data() + end) != 0) end += 2;
        if (end + 2 > area.size()) continue;  // outside the area or not terminated in it
        std::u16string text((end - start) / 2, u'\0');
        for (size_t i = 0; i < text.size(); ++i) text[i] = GetU16(area.data() + start + 2 * i);
        try {
            SetKeyString(work, slot, text);
        } catch (const std::bad_alloc&) {
            return 0;
        }
    }
    return 1;
}

FileReadResult ReadImageFile(const fs::path& path, std::vector<uint8_t>& bytes) {
    return ReadFileBounded(path, kMaxImageFileBytes, bytes);
}

int LoadImageFile(ConfigStore& work, const fs::path& path) {
    std::vector<uint8_t> bytes;
    if (!ReadImageFile(path, bytes).ok()) {
        InstallDefaultImage(work);
        return 0;
    }
    return LoadImageBytes(work, bytes);
}

int ValidateImageBytes(std::span<const uint8_t> bytes, const fs::path& path, Prompter& prompter) {
    switch (CheckImageBytes(bytes)) {
        case ImageFileFault::None:
            return 1;
        case ImageFileFault::TooShort:
            return 0;
        default:
            prompter.Ask(kTextProfileFormatError, PromptButtons::Ok, path.string());
            return 0;
    }
}

int ValidateImageFile(const fs::path& path, Prompter& prompter) {
    std::vector<uint8_t> bytes;
    switch (ReadImageFile(path, bytes).status) {
        case FileReadStatus::Ok:
            return ValidateImageBytes(bytes, path, prompter);
        case FileReadStatus::Unreadable:
            return -2;
        case FileReadStatus::NoMemory:
            return -3;
        default:
            return 0;
    }
}

}  // namespace vorlin
