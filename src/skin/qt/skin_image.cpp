#include "skin/qt/skin_image.h"

#include <QGuiApplication>
#include <QImage>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/file_read.h"
#include "skin/skin_images.h"

namespace vorlin {

namespace {

// The picture in file, or a null image with problem set.
QImage Decode(const std::filesystem::path& file, std::string& problem) {
    std::vector<uint8_t> bytes;
    const FileReadResult r = ReadFileBounded(file, kMaxSkinImageBytes, bytes);
    if (!r.ok()) {
        problem = r.status == FileReadStatus::Missing ? "is missing" : DescribeFileRead(r);
        return {};
    }
    QImage image;
    if (bytes.empty() || !image.loadFromData(bytes.data(), static_cast<int>(bytes.size()))) {
        problem = "cannot be decoded";
        return {};
    }
    return image;
}

}  // namespace

SkinImage LoadSkinImage(const std::filesystem::path& folder, std::string_view name,
                        qreal devicePixelRatio) {
    SkinImage result;
    result.file = folder / std::filesystem::path(std::string(name));
    const QImage base = Decode(result.file, result.problem);
    if (base.isNull()) return result;
    if (devicePixelRatio >= 2.0) {
        std::string ignored;
        const std::filesystem::path hiFile = folder / HiDpiImageName(name);
        QImage hi = Decode(hiFile, ignored);
        // A 2x picture of the wrong size would shift every control's cut-out; the 1x one is safe.
        if (!hi.isNull() && hi.size() == base.size() * 2) {
            hi.setDevicePixelRatio(2.0);
            result.pixmap = QPixmap::fromImage(hi);
            result.file = hiFile;
            return result;
        }
    }
    result.pixmap = QPixmap::fromImage(base);
    return result;
}

qreal SkinDevicePixelRatio() {
    return qGuiApp && qGuiApp->devicePixelRatio() > 1.0 ? 2.0 : 1.0;
}

std::string SkinImageFailureLine(const SkinImage& image) {
    return "vorlin: skin image " + image.file.string() + " " +
           (image.problem.empty() ? std::string("cannot be loaded") : image.problem);
}

void ExitForSkinImage(const SkinImage& image) {
    std::fprintf(stderr, "%s\n", SkinImageFailureLine(image).c_str());
    std::fflush(stderr);
    std::exit(kSkinImageExitCode);
}

QPixmap SkinImageOrExit(const SkinImage& image) {
    if (!image.ok()) ExitForSkinImage(image);
    return image.pixmap;
}

}  // namespace vorlin
