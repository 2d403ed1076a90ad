#include "skin/qt/skin_placement.h"

#include "skin/qt/skin_image.h"

#include "skin/skin_layout.h"

namespace vorlin {

ButtonImageSet LoadLookSet(const LookSet& looks, const std::filesystem::path& skinFolder) {
    const qreal dpr = SkinDevicePixelRatio();
    ButtonImageSet set;
    for (size_t i = 0; i < looks.files.size(); ++i)
        set[i] = SkinImageOrExit(LoadSkinImage(skinFolder, looks.files[i], dpr));
    return set;
}

void PlaceImageButton(CPngButton& button, const std::filesystem::path& layoutFile,
                      std::string_view section, std::string_view key,
                      const ButtonImageSet& images) {
    const LayoutRect r = ReadLayoutRect(layoutFile, section, key);
    button.setGeometry(r.x, r.y, r.w, r.h);
    button.SetImages(r.x, r.y, images, true);
    if (PlacementDisables(r)) button.setEnabled(false);
}

void PlaceControl(QWidget& control, const std::filesystem::path& layoutFile,
                  std::string_view section, std::string_view key) {
    const LayoutRect r = ReadLayoutRect(layoutFile, section, key);
    control.setGeometry(r.x, r.y, r.w, r.h);
}

void MoveControlTo(QWidget& control, const std::filesystem::path& layoutFile,
                   std::string_view section, std::string_view key) {
    const LayoutRect r = ReadLayoutRect(layoutFile, section, key);
    control.move(r.x, r.y);
    control.update();
}

void PlaceArrowButton(CPngButton& button, const std::filesystem::path& layoutFile,
                      std::string_view section, std::string_view key, std::string_view section2,
                      std::string_view key2, const QPixmap& image) {
    PlaceControl(button, layoutFile, section, key);
    const LayoutRect from = ReadLayoutRect(layoutFile, section2, key2);
    button.SetImages(from.x, from.y, {image, image, image, image, image}, true);
}

}  // namespace vorlin
