// Loading the skin's pictures. A window cannot work without its images, so a failed load is
// reported to the caller, which ends the program with a message rather than running blind.
#pragma once

#include <QPixmap>
#include <filesystem>
#include <string>
#include <string_view>

namespace vorlin {

struct SkinImage {
    QPixmap pixmap;              // null when the load failed
    std::filesystem::path file;  // the file loaded, or the one that could not be
    std::string problem;         // why it failed: "is missing", "cannot be decoded", ...
    bool ok() const { return !pixmap.isNull(); }
};

// Skin pictures are small; anything larger is not one.
inline constexpr size_t kMaxSkinImageBytes = 64u << 20;

// The exit code of a program that stops for a missing or broken skin image.
inline constexpr int kSkinImageExitCode = 3;

// name ("main_normal.jpg", "0.bmp") from folder. At a device pixel ratio of 2 or more the
// "name@2x.png" beside it is used when it is there, decodes and is exactly twice the size; its
// device pixel ratio is then 2, so sizes and coordinates stay logical either way.
SkinImage LoadSkinImage(const std::filesystem::path& folder, std::string_view name,
                        qreal devicePixelRatio = 1.0);

// The ratio the skin is loaded for on this display: 2 on HiDPI screens, else 1.
qreal SkinDevicePixelRatio();

// "vorlin: skin image /path/x.jpg is missing": the one line printed before exiting.
// file is the layout file when that names no picture.
std::string SkinImageFailureLine(const SkinImage& image);

// Prints the failure line on stderr and ends the program with kSkinImageExitCode.
[[noreturn]] void ExitForSkinImage(const SkinImage& image);

// The picture, or the program ends as ExitForSkinImage does.
QPixmap SkinImageOrExit(const SkinImage& image);

}  // namespace vorlin
