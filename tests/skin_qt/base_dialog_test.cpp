#include <gtest/gtest.h>

#include "qt_fixture.h"
#include "skin/qt/base_dialog.h"

namespace vorlin {
namespace {

using namespace vorlin::testing;

// Rows of a mask as text: '.' white, '#' black, 'g' (250,250,250), 'd' (205,205,205), 'u'
// (199,199,199), 'o' (211,211,211).
QImage Mask(std::initializer_list<const char*> rows) {
    const int h = static_cast<int>(rows.size());
    const int w = static_cast<int>(std::strlen(*rows.begin()));
    QImage image(w, h, QImage::Format_RGB32);
    int y = 0;
    for (const char* row : rows) {
        for (int x = 0; x < w; ++x) {
            const int v = row[x] == '.'   ? 255
                          : row[x] == 'g' ? 250
                          : row[x] == 'd' ? 205
                          : row[x] == 'u' ? 199
                          : row[x] == 'o' ? 211
                                          : 0;
            image.setPixel(x, y, qRgb(v, v, v));
        }
        ++y;
    }
    return image;
}

QRegion Pixels(std::initializer_list<QRect> rects) {
    QRegion r;
    for (const QRect& rect : rects) r += rect;
    return r;
}

// Regions are equal when they cover the same pixels, however they are cut into rectangles.
bool SameArea(const QRegion& a, const QRegion& b) {
    return (a ^ b).isEmpty();
}

TEST(RegionFromMask, ShownPixelsAreTheNonTransparentOnes) {
    const QRgb white = qRgb(255, 255, 255);
    const QRgb grey = qRgb(200, 200, 200);
    const struct {
        QImage mask;
        QRgb transparent;
        int tolerance;
        QRegion expected;
        const char* why;
    } cases[] = {
        {Mask({"..##.", ".###.", "....."}), white, 0, Pixels({{2, 0, 2, 1}, {1, 1, 3, 1}}),
         "runs row by row"},
        {Mask({"#.#.#"}), white, 0, Pixels({{0, 0, 1, 1}, {2, 0, 1, 1}, {4, 0, 1, 1}}),
         "several runs in a row"},
        {Mask({"g#."}), white, 0, Pixels({{0, 0, 2, 1}}), "near white is shown without tolerance"},
        {Mask({"g#."}), white, 5, Pixels({{0, 0, 2, 1}}),
         "the tolerance reaches up from the colour, so not below white"},
        {Mask({"g#."}), qRgb(248, 248, 248), 5, Pixels({{1, 0, 2, 1}}),
         "near white within the tolerance"},
        {Mask({"dudo"}), grey, 10, Pixels({{1, 0, 1, 1}, {3, 0, 1, 1}}),
         "below the colour or above colour + tolerance is shown"},
        {Mask({"...", "..."}), white, 0, QRegion(), "all white: nothing shown"},
        {Mask({"#..#", "#..#", "####", "#..#"}), white, 0,
         Pixels({{0, 0, 1, 2}, {3, 0, 1, 2}, {0, 2, 4, 1}, {0, 3, 1, 1}, {3, 3, 1, 1}}),
         "repeated rows"},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(
            SameArea(CBaseDialog::RegionFromMask(c.mask, c.transparent, c.tolerance), c.expected))
            << c.why;
}

TEST(RegionFromMask, WindowShapeNeverVanishes) {
    // An all-white mask would leave no window to see or click: the whole rectangle is kept.
    EXPECT_EQ(CBaseDialog::ShapeFromMask(Mask({"....", "....", "...."})), QRegion(0, 0, 4, 3));
    // Without white, every pixel is shown.
    EXPECT_TRUE(
        SameArea(CBaseDialog::ShapeFromMask(Mask({"####", "#g##", "####"})), QRegion(0, 0, 4, 3)));
    // A big window shape is a handful of rectangles, not one per row.
    EXPECT_EQ(CBaseDialog::ShapeFromMask(Flat(300, 200, Qt::black)).rectCount(), 1);
    EXPECT_TRUE(SameArea(CBaseDialog::ShapeFromMask(Mask({".##.", "####"})),
                         Pixels({{1, 0, 2, 1}, {0, 1, 4, 1}})));
}

class Dialog : public QtTest {
  protected:
    void SetUp() override { App(); }
    void Save(const QImage& image, const char* name) {
        ASSERT_TRUE(image.save(QString::fromStdString((folder_.path() / name).string())));
    }
    TempFolder folder_;
};

TEST_F(Dialog, LoadSkinSizesShapesAndPaintsTheWindow) {
    Save(Flat(40, 30, QColor(0, 128, 255)), "back.bmp");
    QImage mask = Flat(40, 30, Qt::black);
    for (int x = 0; x < 40; ++x) mask.setPixel(x, 0, qRgb(255, 255, 255));  // top row cut away
    Save(mask, "shape.bmp");
    const auto layout = folder_.Write("Win.ini", "[SCREEN]\nMain=back.bmp\nMask=shape.bmp\n");

    CBaseDialog dialog(layout, folder_.path());
    dialog.move(70, 80);
    EXPECT_TRUE(dialog.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_FALSE(dialog.LoadSkin(1.0).has_value());
    EXPECT_EQ(dialog.size(), QSize(40, 30));
    EXPECT_EQ(dialog.pos(), QPoint(70, 80));
    EXPECT_TRUE(SameArea(dialog.mask(), QRegion(0, 1, 40, 29)));
    EXPECT_EQ(Render(dialog).pixel(20, 15), qRgb(0, 128, 255));
}

TEST_F(Dialog, MaskDefaultsToTheBackground) {
    Save(Flat(12, 8, Qt::white), "back.bmp");
    const auto layout = folder_.Write("Win.ini", "[SCREEN]\nMain=back.bmp\n");
    CBaseDialog dialog(layout, folder_.path());
    EXPECT_FALSE(dialog.LoadSkin(1.0).has_value());
    EXPECT_TRUE(SameArea(dialog.mask(), QRegion(0, 0, 12, 8))) << "all white keeps the window";
}

TEST_F(Dialog, MissingPictureIsReportedAndChangesNothing) {
    Save(Flat(12, 8, Qt::black), "back.bmp");
    const struct {
        const char* ini;
        const char* missing;
    } cases[] = {
        {"[SCREEN]\nMain=back.bmp\nMask=gone.bmp\n", "gone.bmp"},
        {"[SCREEN]\nMain=nothere.jpg\n", "nothere.jpg"},
        {"[BUTTONINFO]\n", "Win.ini"},
    };
    for (const auto& c : cases) {
        const auto layout = folder_.Write("Win.ini", c.ini);
        CBaseDialog dialog(layout, folder_.path());
        dialog.resize(5, 5);
        const auto failed = dialog.LoadSkin(1.0);
        ASSERT_TRUE(failed.has_value()) << c.ini;
        EXPECT_EQ(failed->file, folder_.path() / c.missing);
        EXPECT_EQ(dialog.size(), QSize(5, 5));
        EXPECT_TRUE(dialog.Background().isNull());
    }
}

}  // namespace
}  // namespace vorlin
