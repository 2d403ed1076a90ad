// Drawing the skin: every picture of the catalog from the layout files, in logical pixels (the
// caller scales the painter for 2x).
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <filesystem>
#include <map>
#include <string>

#include "skin/skin_catalog.h"

namespace skingen {

// The layout rectangles of one window, read once.
struct WindowLayout {
    const vorlin::WindowSkin* skin = nullptr;
    std::map<std::string, vorlin::LayoutRect, std::less<>> rects;   // "BUTTONINFO"
    std::map<std::string, vorlin::LayoutRect, std::less<>> rects2;  // "BUTTONINFO2"
    vorlin::LayoutRect Rect(std::string_view key) const;
};

WindowLayout ReadWindowLayout(const vorlin::WindowSkin& skin,
                              const std::filesystem::path& skinFolder);

struct Fonts {
    QString regular;
    QString bold;
};

// Loads DejaVu Sans and its bold face from their files, so no installed font can change the
// result. False (with a message on stderr) when a file is missing or unusable.
bool LoadFonts(Fonts& fonts);

// The image at logical size w x h drawn at scale (1 or 2). Empty image when the catalog entry
// is unknown to the generator.
QImage DrawImage(const WindowLayout& layout, const vorlin::SkinPicture& image, int w, int h,
                 int scale, const Fonts& fonts);

// The application icon for a desktop's icon theme, size x size pixels, and the same drawing as
// SVG on a view box of kAppIconSvgSide units.
QImage DrawAppIcon(int size);
constexpr double kAppIconSvgSide = 256;
QByteArray AppIconSvg();

// The sizes of the icon theme's PNG folders ("16x16" ... "256x256").
inline constexpr int kAppIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

}  // namespace skingen
