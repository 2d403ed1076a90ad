// skin-gen: draws every image of the skin catalog from the layout files, at 1x under the name
// the windows load and at 2x as its "@2x.png" companion.
//   skin-gen --layouts DIR --out DIR     the skin images
//   skin-gen --layouts DIR --preview DIR one sheet per window: normal, over, down, disabled
//   skin-gen --icons DIR                 the application icon in the hicolor theme's folders
// No time, randomness or installed font enters the drawing: the same input gives the same bytes.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "draw.h"
#include "skin/skin_images.h"

namespace {

using namespace vorlin;

int Fail(const std::string& message) {
    std::fprintf(stderr, "skin-gen: %s\n", message.c_str());
    return 1;
}

std::string_view Extension(std::string_view file) {
    const size_t dot = file.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : file.substr(dot + 1);
}

bool Save(const QImage& image, const QString& path, std::string_view extension) {
    QImageWriter writer(
        path, extension == "jpg" ? "jpeg" : QByteArray(extension.data(), int(extension.size())));
    if (extension == "jpg") writer.setQuality(100);
    return writer.write(image);
}

const char* kWindowNames[] = {"Main", "Composite", "Profile", "UpdateDlg"};

struct Drawn {
    std::string file;
    QImage image;
};

// Draws one window's images at scale; an empty list and a message when something fails.
bool DrawWindow(const WindowSkin& skin, const std::filesystem::path& layouts, int scale,
                const skingen::Fonts& fonts, std::vector<Drawn>& out) {
    skingen::WindowLayout layout = skingen::ReadWindowLayout(skin, layouts);
    if (layout.rects.empty()) {
        Fail("no layout in " + (layouts / skin.layoutFile).string());
        return false;
    }
    for (const SkinPicture& image : skin.images) {
        auto size = SkinImageSize(skin, image, layouts);
        if (!size) {
            Fail(std::string(skin.layoutFile) + " lacks " + std::string(image.sizeKey) +
                 ", the size of " + std::string(image.file));
            return false;
        }
        QImage drawn = skingen::DrawImage(layout, image, size->w, size->h, scale, fonts);
        if (drawn.isNull()) {
            Fail("no drawing for " + std::string(image.file));
            return false;
        }
        out.push_back({std::string(image.file), std::move(drawn)});
    }
    return true;
}

int WriteImages(const std::filesystem::path& layouts, const std::filesystem::path& outDir,
                const skingen::Fonts& fonts) {
    if (!QDir().mkpath(QString::fromStdString(outDir.string())))
        return Fail("cannot create " + outDir.string());
    for (SkinWindow w : SkinWindows()) {
        for (int scale : {1, 2}) {
            std::vector<Drawn> drawn;
            if (!DrawWindow(SkinOf(w), layouts, scale, fonts, drawn)) return 1;
            for (const Drawn& d : drawn) {
                const std::string name = scale == 1 ? d.file : HiDpiImageName(d.file);
                const std::filesystem::path path = outDir / name;
                if (!Save(d.image, QString::fromStdString(path.string()),
                          scale == 1 ? Extension(d.file) : "png"))
                    return Fail("cannot write " + path.string());
            }
        }
    }
    return 0;
}

// One sheet per window and scale: a row per look set, its four looks side by side, and a row
// of the window's pictures below.
int WritePreview(const std::filesystem::path& layouts, const std::filesystem::path& outDir,
                 const skingen::Fonts& fonts) {
    if (!QDir().mkpath(QString::fromStdString(outDir.string())))
        return Fail("cannot create " + outDir.string());
    static const char* kLookNames[] = {"normal", "over", "down", "disabled"};
    QFont label(fonts.bold);
    label.setPixelSize(14);
    for (SkinWindow w : SkinWindows()) {
        const WindowSkin& skin = SkinOf(w);
        for (int scale : {1, 2}) {
            std::vector<Drawn> drawn;
            if (!DrawWindow(skin, layouts, scale, fonts, drawn)) return 1;
            auto find = [&](std::string_view file) -> const QImage& {
                for (const Drawn& d : drawn)
                    if (d.file == file) return d.image;
                return drawn.front().image;
            };
            const int gap = 16 * scale, labelH = 24 * scale;
            const int cellW = skin.width * scale, cellH = skin.height * scale;
            int picturesW = gap, picturesH = 0;
            for (const SkinPicture& i : skin.images) {
                if (i.role == ImageRole::Look || i.role == ImageRole::Switch ||
                    i.role == ImageRole::Background || i.role == ImageRole::Mask)
                    continue;
                picturesW += find(i.file).width() + gap;
                picturesH = std::max(picturesH, find(i.file).height());
            }
            const int rows = int(skin.lookSets.size());
            const int sheetW = std::max(gap + 4 * (cellW + gap), picturesW);
            const int sheetH =
                gap + rows * (labelH + cellH + gap) + (picturesH ? labelH + picturesH + gap : 0);
            QImage sheet(sheetW, sheetH, QImage::Format_RGB32);
            sheet.fill(QColor(0x0b, 0x0c, 0x0f));
            QPainter p(&sheet);
            p.setFont(label);
            p.setPen(QColor(0x9a, 0xa0, 0xa8));
            int y = gap;
            for (const LookSet& set : skin.lookSets) {
                for (int look = 0; look < 4; ++look) {
                    const int x = gap + look * (cellW + gap);
                    const QString caption =
                        QString::fromUtf8(set.files[look].data(), int(set.files[look].size())) +
                        "  (" + kLookNames[look] + ")";
                    QFont f = label;
                    f.setPixelSize(14 * scale);
                    p.setFont(f);
                    p.drawText(QRect(x, y, cellW, labelH), Qt::AlignLeft | Qt::AlignVCenter,
                               caption);
                    p.drawImage(x, y + labelH, find(set.files[look]));
                }
                y += labelH + cellH + gap;
            }
            if (picturesH) {
                p.drawText(QRect(gap, y, sheetW, labelH), Qt::AlignLeft | Qt::AlignVCenter,
                           QStringLiteral("pictures"));
                int x = gap;
                for (const SkinPicture& i : skin.images) {
                    if (i.role == ImageRole::Look || i.role == ImageRole::Switch ||
                        i.role == ImageRole::Background || i.role == ImageRole::Mask)
                        continue;
                    p.drawImage(x, y + labelH, find(i.file));
                    x += find(i.file).width() + gap;
                }
            }
            p.end();
            std::string name =
                std::string(kWindowNames[int(w)]) + (scale == 1 ? "" : "@2x") + ".png";
            if (!sheet.save(QString::fromStdString((outDir / name).string()), "PNG"))
                return Fail("cannot write " + (outDir / name).string());
        }
    }
    return 0;
}

// DIR/hicolor/NxN/apps/vorlin.png for each theme size and DIR/hicolor/scalable/apps/vorlin.svg,
// named as the desktop entry's Icon= names it.
int WriteThemeIcons(const std::filesystem::path& outDir) {
    const std::string name = std::filesystem::path(kAppIcon).stem().string();
    const std::filesystem::path theme = outDir / "hicolor";
    for (int size : skingen::kAppIconSizes) {
        const std::string folder = std::to_string(size) + "x" + std::to_string(size);
        const std::filesystem::path path = theme / folder / "apps" / (name + ".png");
        if (!QDir().mkpath(QString::fromStdString(path.parent_path().string())))
            return Fail("cannot create " + path.parent_path().string());
        if (!skingen::DrawAppIcon(size).save(QString::fromStdString(path.string()), "PNG"))
            return Fail("cannot write " + path.string());
    }
    const std::filesystem::path svg = theme / "scalable" / "apps" / (name + ".svg");
    if (!QDir().mkpath(QString::fromStdString(svg.parent_path().string())))
        return Fail("cannot create " + svg.parent_path().string());
    QFile file(QString::fromStdString(svg.string()));
    const QByteArray text = skingen::AppIconSvg();
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.flush())
        return Fail("cannot write " + svg.string());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::filesystem::path layouts, out, preview, icons;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (!std::strcmp(argv[i], "--layouts") && hasValue) {
            layouts = argv[++i];
        } else if (!std::strcmp(argv[i], "--out") && hasValue) {
            out = argv[++i];
        } else if (!std::strcmp(argv[i], "--preview") && hasValue) {
            preview = argv[++i];
        } else if (!std::strcmp(argv[i], "--icons") && hasValue) {
            icons = argv[++i];
        } else {
            std::fprintf(stderr,
                         "usage: skin-gen --layouts DIR (--out DIR | --preview DIR) | --icons DIR\n"
                         "  --layouts DIR  the folder of Main.ini, Composite.ini, Profile.ini, "
                         "UpdateDlg.ini\n"
                         "  --out DIR      write every skin image at 1x and 2x\n"
                         "  --preview DIR  write one sheet per window with its four looks\n"
                         "  --icons DIR    write the application icon into DIR/hicolor\n");
            return 2;
        }
    }
    if ((layouts.empty() || (out.empty() && preview.empty())) && icons.empty())
        return Fail("give --layouts DIR and --out DIR or --preview DIR, or --icons DIR (--help)");
    // Drawing needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    skingen::Fonts fonts;
    if (!skingen::LoadFonts(fonts)) return 1;
    if (!icons.empty())
        if (int rc = WriteThemeIcons(icons)) return rc;
    if (layouts.empty()) return 0;
    if (!out.empty())
        if (int rc = WriteImages(layouts, out, fonts)) return rc;
    if (!preview.empty())
        if (int rc = WritePreview(layouts, preview, fonts)) return rc;
    return 0;
}
