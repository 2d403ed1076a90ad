// The skinned window every dialog of the application derives from: it paints its background
// picture, takes the shape of its mask picture and is dragged by its background.
#pragma once

#include <QDialog>
#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QRegion>
#include <filesystem>
#include <optional>

#include "skin/qt/skin_image.h"

namespace vorlin {

class CBaseDialog : public QDialog {
    Q_OBJECT
  public:
    // layoutFile: the window's ini file; skinFolder: where its pictures are. The window is
    // frameless: the skin draws the whole of it.
    CBaseDialog(std::filesystem::path layoutFile, std::filesystem::path skinFolder,
                QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::Dialog);

    // Reads the "SCREEN" section, loads the background and the mask, resizes the window to the
    // background (keeping its position) and cuts it to the mask. On a missing or undecodable
    // picture nothing changes and the failed load is returned; the window then calls
    // ExitForSkinImage, or LoadSkinOrExit does both.
    std::optional<SkinImage> LoadSkin(qreal devicePixelRatio = SkinDevicePixelRatio());
    void LoadSkinOrExit(qreal devicePixelRatio = SkinDevicePixelRatio());

    // The union of the mask's pixels that are not transparent; a pixel is transparent when each
    // channel lies in [transparent's channel, that + tolerance] (capped at 255).
    static QRegion RegionFromMask(const QImage& mask, QRgb transparent, int tolerance);
    // The window's shape: RegionFromMask with white, or the whole mask rectangle when no pixel
    // is shown (an all-white mask would otherwise make the window invisible).
    static QRegion ShapeFromMask(const QImage& mask, QRgb transparent = qRgb(255, 255, 255),
                                 int tolerance = 0);

    const std::filesystem::path& LayoutFile() const { return layoutFile_; }
    const std::filesystem::path& SkinFolder() const { return skinFolder_; }
    const QPixmap& Background() const { return background_; }
    bool SkinLoading() const { return loading_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    std::filesystem::path layoutFile_;
    std::filesystem::path skinFolder_;
    QPixmap background_;
    QImage mask_;
    bool loading_ = false;
    // Where the pointer grabbed the window, when the platform cannot move it itself.
    std::optional<QPoint> dragOffset_;
};

}  // namespace vorlin
