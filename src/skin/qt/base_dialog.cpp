#include "skin/qt/base_dialog.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWindow>
#include <algorithm>
#include <utility>
#include <vector>

#include "skin/skin_layout.h"

namespace vorlin {

CBaseDialog::CBaseDialog(std::filesystem::path layoutFile, std::filesystem::path skinFolder,
                         QWidget* parent, Qt::WindowFlags flags)
    : QDialog(parent, flags | Qt::FramelessWindowHint),
      layoutFile_(std::move(layoutFile)),
      skinFolder_(std::move(skinFolder)) {
    // The background covers the whole window; nothing needs erasing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

std::optional<SkinImage> CBaseDialog::LoadSkin(qreal devicePixelRatio) {
    loading_ = true;
    const SkinScreen screen = ReadSkinScreen(layoutFile_);
    if (screen.background.empty()) {
        loading_ = false;
        SkinImage none;
        none.file = layoutFile_;
        none.problem = "names no background picture (key Main of section SCREEN)";
        return none;
    }
    SkinImage background = LoadSkinImage(skinFolder_, screen.background, devicePixelRatio);
    // The shape is taken in logical pixels, so the 1x mask is the one that counts.
    SkinImage mask = LoadSkinImage(skinFolder_, screen.mask, 1.0);
    loading_ = false;
    if (!background.ok()) return background;
    if (!mask.ok()) return mask;

    background_ = background.pixmap;
    mask_ = mask.pixmap.toImage();
    resize(background_.deviceIndependentSize().toSize());
    setMask(ShapeFromMask(mask_));
    update();
    return std::nullopt;
}

void CBaseDialog::LoadSkinOrExit(qreal devicePixelRatio) {
    if (auto failed = LoadSkin(devicePixelRatio)) ExitForSkinImage(*failed);
}

QRegion CBaseDialog::RegionFromMask(const QImage& mask, QRgb transparent, int tolerance) {
    if (mask.isNull()) return {};
    const QImage pixels = mask.convertToFormat(QImage::Format_RGB32);
    tolerance = std::clamp(tolerance, 0, 255);
    const int lo[3] = {qRed(transparent), qGreen(transparent), qBlue(transparent)};
    int hi[3];
    for (int i = 0; i < 3; ++i) hi[i] = std::min(lo[i] + tolerance, 255);
    auto isTransparent = [&](QRgb p) {
        const int c[3] = {qRed(p), qGreen(p), qBlue(p)};
        for (int i = 0; i < 3; ++i)
            if (c[i] < lo[i] || c[i] > hi[i]) return false;
        return true;
    };

    // One rectangle per run of shown pixels; a row whose runs repeat the row above only makes
    // those rectangles taller. The result is already in the banded order a region is made of,
    // so it is built in one step rather than by thousands of unions.
    std::vector<QRect> runs;
    std::vector<QRect> row;
    size_t previousBand = 0;  // where the rectangles of the row above start in runs
    const int w = pixels.width();
    for (int y = 0; y < pixels.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        row.clear();
        int x = 0;
        while (x < w) {
            while (x < w && isTransparent(line[x])) ++x;
            const int start = x;
            while (x < w && !isTransparent(line[x])) ++x;
            if (x > start) row.emplace_back(start, y, x - start, 1);
        }
        const bool repeats =
            !row.empty() && runs.size() - previousBand == row.size() &&
            runs[previousBand].bottom() == y - 1 &&
            std::equal(row.begin(), row.end(), runs.begin() + static_cast<long>(previousBand),
                       [](const QRect& a, const QRect& b) {
                           return a.left() == b.left() && a.right() == b.right();
                       });
        if (repeats) {
            for (size_t i = previousBand; i < runs.size(); ++i) runs[i].setBottom(y);
        } else if (!row.empty()) {
            previousBand = runs.size();
            runs.insert(runs.end(), row.begin(), row.end());
        }
    }
    QRegion region;
    if (!runs.empty()) region.setRects(runs.data(), static_cast<int>(runs.size()));
    return region;
}

QRegion CBaseDialog::ShapeFromMask(const QImage& mask, QRgb transparent, int tolerance) {
    QRegion region = RegionFromMask(mask, transparent, tolerance);
    if (region.isEmpty()) return QRegion(QRect(QPoint(0, 0), mask.size()));
    return region;
}

void CBaseDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (background_.isNull()) {
        painter.fillRect(rect(), palette().window());
        return;
    }
    painter.drawPixmap(0, 0, background_);
}

void CBaseDialog::mousePressEvent(QMouseEvent* event) {
    // Controls take their own presses; what reaches the window is a press on its background.
    if (event->button() != Qt::LeftButton) return QDialog::mousePressEvent(event);
    QWindow* window = windowHandle();
    if (window && window->startSystemMove()) return;
    dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void CBaseDialog::mouseMoveEvent(QMouseEvent* event) {
    if (dragOffset_ && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - *dragOffset_);
        return;
    }
    QDialog::mouseMoveEvent(event);
}

void CBaseDialog::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) dragOffset_.reset();
    QDialog::mouseReleaseEvent(event);
}

}  // namespace vorlin
