// The generated skin: every image the catalog names is in the build's Skins folder at 1x and
// 2x, each look sits where its control cuts it, and the generator gives the same bytes twice.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <filesystem>
#include <map>
#include <string>

#include "platform/ini_file.h"
#include "skin/skin_catalog.h"
#include "skin/skin_images.h"

namespace vorlin {
namespace {

const std::filesystem::path kBuilt = SKIN_BUILD_DIR;
const std::filesystem::path kLayouts = std::filesystem::path(VORLIN_ASSETS_DIR) / "Skins";

QString Q(const std::filesystem::path& p) {
    return QString::fromStdString(p.string());
}

QImage Load(const std::string& name) {
    QImage image(Q(kBuilt / name));
    EXPECT_FALSE(image.isNull()) << name;
    return image;
}

size_t CatalogImageCount() {
    size_t n = 0;
    for (SkinWindow w : SkinWindows()) n += SkinOf(w).images.size();
    return n;
}

TEST(SkinImages, EveryCatalogImageIsBuiltAtOneAndTwoTimesItsSize) {
    size_t count = 0;
    for (SkinWindow w : SkinWindows()) {
        const WindowSkin& skin = SkinOf(w);
        for (const SkinPicture& image : skin.images) {
            auto size = SkinImageSize(skin, image, kLayouts);
            ASSERT_TRUE(size) << image.file;
            const std::string file(image.file);
            QImageReader one(Q(kBuilt / file));
            EXPECT_EQ(one.size(), QSize(size->w, size->h)) << file;
            // The name's extension is the file's format.
            const std::string ext = file.substr(file.rfind('.') + 1);
            EXPECT_EQ(one.format().toStdString(), ext == "jpg" ? "jpeg" : ext) << file;
            QImageReader two(Q(kBuilt / HiDpiImageName(file)));
            EXPECT_EQ(two.size(), QSize(2 * size->w, 2 * size->h)) << HiDpiImageName(file);
            EXPECT_EQ(two.format(), "png");
            ++count;
        }
    }
    EXPECT_EQ(count, CatalogImageCount());
}

// Mean brightness of the part a control shows of an image (2x, lossless).
double Brightness(const QImage& image, const LayoutRect& r) {
    double sum = 0;
    int n = 0;
    for (int y = 2 * (r.y - 1); y < 2 * (r.y - 1 + r.h); ++y)
        for (int x = 2 * (r.x - 1); x < 2 * (r.x - 1 + r.w); ++x, ++n)
            sum += qGray(image.pixel(x, y));
    return n ? sum / n : 0;
}

TEST(SkinImages, EachButtonIsLighterOverAndDarkerDownWhereItCutsItsLook) {
    for (SkinWindow w : SkinWindows()) {
        const WindowSkin& skin = SkinOf(w);
        auto doc = IniDocument::Load(kLayouts / skin.layoutFile);
        ASSERT_TRUE(doc);
        for (const LookSet& set : skin.lookSets) {
            const QImage normal = Load(HiDpiImageName(set.files[0]));
            const QImage over = Load(HiDpiImageName(set.files[1]));
            const QImage down = Load(HiDpiImageName(set.files[2]));
            for (const SkinControl& c : skin.controls) {
                if (c.placement != Placement::ImageButton || c.hidden ||
                    c.kind == ControlKind::Flat || c.kind == ControlKind::Page)
                    continue;
                const LayoutRect r = ParseLayoutValue(doc->Find(kLayoutSection, c.key).value());
                const double base = Brightness(normal, r);
                if (c.looks[1] == Look::Over) {
                    EXPECT_GT(Brightness(over, r), base + 2) << set.name << " " << c.key;
                }
                if (c.looks[2] == Look::Down && set.files[2] != set.files[1] &&
                    (c.kind == ControlKind::Key || c.kind == ControlKind::Button)) {
                    EXPECT_LT(Brightness(down, r), base - 2) << set.name << " " << c.key;
                }
            }
        }
    }
}

TEST(SkinImages, LooksLineUpWithTheBackgroundAndTheMaskCutsTheCorners) {
    for (SkinWindow w : SkinWindows()) {
        const WindowSkin& skin = SkinOf(w);
        SkinScreen screen = ReadSkinScreen(kLayouts / skin.layoutFile);
        const QImage back = Load(HiDpiImageName(screen.background));
        const QImage look = Load(HiDpiImageName(skin.lookSets[0].files[0]));
        // A look's pixel (x - 1, y - 1) is the background's (x, y): the window's right edge,
        // a line of its own colour, appears one pixel further left in the look.
        const int x = 2 * skin.width - 2, y = skin.height;
        ASSERT_NE(back.pixel(x, y), back.pixel(x - 2, y)) << skin.layoutFile;
        EXPECT_EQ(look.pixel(x - 2, y), back.pixel(x, y)) << skin.layoutFile;
        for (const std::string& name : {screen.mask, HiDpiImageName(screen.mask)}) {
            const QImage mask = Load(name);
            // White is cut away: the corners; the window itself is not white.
            EXPECT_EQ(mask.pixel(0, 0), qRgb(255, 255, 255)) << name;
            EXPECT_EQ(mask.pixel(mask.width() - 1, mask.height() - 1), qRgb(255, 255, 255));
            EXPECT_EQ(mask.pixel(mask.width() / 2, 0), qRgb(0, 0, 0)) << name;
            EXPECT_EQ(mask.pixel(mask.width() / 2, mask.height() / 2), qRgb(0, 0, 0)) << name;
        }
    }
}

int RunGenerator(const QStringList& args, QByteArray* err = nullptr) {
    QProcess gen;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("ASAN_OPTIONS", "detect_leaks=0");
    gen.setProcessEnvironment(env);
    gen.start(SKIN_GEN_PATH, args);
    EXPECT_TRUE(gen.waitForFinished(240000));
    if (err) *err = gen.readAllStandardError();
    return gen.exitStatus() == QProcess::NormalExit ? gen.exitCode() : -1;
}

std::map<QString, QByteArray> Generate(const QString& out) {
    QByteArray err;
    EXPECT_EQ(RunGenerator({"--layouts", Q(kLayouts), "--out", out}, &err), 0) << err.toStdString();
    std::map<QString, QByteArray> files;
    for (const QString& name : QDir(out).entryList(QDir::Files)) {
        QFile f(out + "/" + name);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        files[name] = QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
    }
    return files;
}

TEST(SkinGenerator, GivesTheSameBytesOnEveryRun) {
    QTemporaryDir a, b;
    ASSERT_TRUE(a.isValid() && b.isValid());
    auto first = Generate(a.path()), second = Generate(b.path());
    EXPECT_EQ(first.size(), 2 * CatalogImageCount());
    EXPECT_EQ(first, second);
}

TEST(SkinGenerator, PreviewSheetsShowTheFourLooksOfEachWindowAtBothScales) {
    QTemporaryDir out;
    ASSERT_EQ(RunGenerator({"--layouts", Q(kLayouts), "--preview", out.path()}), 0);
    const char* sheets[] = {"Main", "Composite", "Profile", "UpdateDlg"};
    for (SkinWindow w : SkinWindows()) {
        const QString name = sheets[int(w)];
        QImage one(out.path() + "/" + name + ".png"), two(out.path() + "/" + name + "@2x.png");
        ASSERT_FALSE(one.isNull()) << name.toStdString();
        EXPECT_GE(one.width(), 4 * SkinOf(w).width) << name.toStdString();
        EXPECT_GE(one.height(), int(SkinOf(w).lookSets.size()) * SkinOf(w).height);
        EXPECT_EQ(two.size(), one.size() * 2) << name.toStdString();
    }
}

TEST(SkinGenerator, RefusesAMissingLayoutFolderWithAMessage) {
    QTemporaryDir out;
    QByteArray err;
    EXPECT_NE(RunGenerator({"--layouts", out.path() + "/none", "--out", out.path()}, &err), 0);
    EXPECT_TRUE(err.contains("Main.ini")) << err.toStdString();
    EXPECT_NE(RunGenerator({"--bogus"}), 0);
}

}  // namespace
}  // namespace vorlin
