#include <gtest/gtest.h>

#include "qt_fixture.h"
#include "skin/qt/png_button.h"
#include "skin/qt/skin_image.h"

namespace vorlin {
namespace {

using namespace vorlin::testing;

class SkinImages : public QtTest {
  protected:
    void SetUp() override { App(); }
    void Save(const QImage& image, const char* name) {
        ASSERT_TRUE(image.save(QString::fromStdString((folder_.path() / name).string())));
    }
    TempFolder folder_;
};

TEST_F(SkinImages, FailedLoadsSayWhichFileAndWhy) {
    folder_.Write("broken.jpg", "not a picture at all");
    folder_.Write("empty.bmp", "");
    std::filesystem::create_directory(folder_.path() / "folder.bmp");
    const struct {
        const char* name;
        const char* problem;
    } cases[] = {
        {"missing.jpg", "is missing"},
        {"broken.jpg", "cannot be decoded"},
        {"empty.bmp", "cannot be decoded"},
        {"folder.bmp", "is not a regular file (it is a folder)"},
    };
    for (const auto& c : cases) {
        const SkinImage image = LoadSkinImage(folder_.path(), c.name);
        EXPECT_FALSE(image.ok()) << c.name;
        EXPECT_EQ(image.file, folder_.path() / c.name);
        EXPECT_EQ(SkinImageFailureLine(image),
                  "vorlin: skin image " + (folder_.path() / c.name).string() + " " + c.problem);
    }
}

TEST_F(SkinImages, MissingPictureEndsTheProgramWithAMessageAndAnError) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const SkinImage image = LoadSkinImage(folder_.path(), "main_normal.jpg");
    EXPECT_EXIT(SkinImageOrExit(image), ::testing::ExitedWithCode(kSkinImageExitCode),
                "vorlin: skin image .*/main_normal\\.jpg is missing\n");
    EXPECT_NE(kSkinImageExitCode, 0);
}

TEST_F(SkinImages, TwiceSizePictureIsUsedOnHiDpi) {
    Save(Flat(10, 6, Qt::red), "key.jpg");
    Save(Flat(20, 12, Qt::blue), "key@2x.png");
    Save(Flat(4, 4, Qt::red), "odd.bmp");
    Save(Flat(7, 7, Qt::blue), "odd@2x.png");  // not twice the size: ignored
    Save(Flat(4, 4, Qt::red), "only.bmp");

    const struct {
        const char* name;
        qreal dpr;
        qreal expectedDpr;
        QSize logical;
        const char* file;
    } cases[] = {
        {"key.jpg", 1.0, 1.0, {10, 6}, "key.jpg"},
        {"key.jpg", 2.0, 2.0, {10, 6}, "key@2x.png"},
        {"odd.bmp", 2.0, 1.0, {4, 4}, "odd.bmp"},
        {"only.bmp", 2.0, 1.0, {4, 4}, "only.bmp"},
    };
    for (const auto& c : cases) {
        const SkinImage image = LoadSkinImage(folder_.path(), c.name, c.dpr);
        ASSERT_TRUE(image.ok()) << c.name;
        EXPECT_EQ(image.pixmap.devicePixelRatio(), c.expectedDpr) << c.name << " " << c.dpr;
        EXPECT_EQ(image.pixmap.deviceIndependentSize().toSize(), c.logical) << c.name;
        EXPECT_EQ(image.file, folder_.path() / c.file);
    }
}

TEST_F(SkinImages, HiDpiButtonDrawsFromTheTwiceSizePictureAtLogicalPositions) {
    // The 1x picture is flat red; the 2x one is blue left of logical x = 10 and green from there.
    Save(Flat(30, 20, Qt::red), "main.jpg");
    QImage hi = Flat(60, 40, Qt::blue);
    for (int y = 0; y < 40; ++y)
        for (int x = 20; x < 60; ++x) hi.setPixel(x, y, qRgb(0, 255, 0));
    Save(hi, "main@2x.png");
    const QPixmap picture = LoadSkinImage(folder_.path(), "main.jpg", 2.0).pixmap;

    QWidget window;
    CPngButton button(&window);
    button.setGeometry(6, 6, 8, 4);
    button.SetImages(6, 6, {picture, picture, picture, picture, picture});
    const QImage drawn = Render(button, 2.0);
    ASSERT_EQ(drawn.size(), QSize(16, 8));
    // Logical columns 5..12 of the picture: 5..9 blue (device 0..9), 10..12 green (10..15).
    EXPECT_EQ(drawn.pixel(0, 0), qRgb(0, 0, 255));
    EXPECT_EQ(drawn.pixel(9, 7), qRgb(0, 0, 255));
    EXPECT_EQ(drawn.pixel(10, 0), qRgb(0, 255, 0));
    EXPECT_EQ(drawn.pixel(15, 7), qRgb(0, 255, 0));
}

}  // namespace
}  // namespace vorlin
