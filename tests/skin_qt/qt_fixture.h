// What the widget tests share: one application object, a temporary skin folder, flat pictures,
// and rendering a widget into an image to look at its pixels.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/qt_app.h"

namespace vorlin::testing {

inline QApplication& App() {
    return test::App();
}

// Widget fixtures derive from this, so the application exists before their widget members.
class QtTest : public ::testing::Test {
  protected:
    QtTest() { App(); }
};

class TempFolder {
  public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "skinqt-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path Write(const std::string& name, const std::string& text) const {
        const auto file = path_ / name;
        std::ofstream(file, std::ios::binary) << text;
        return file;
    }

  private:
    std::filesystem::path path_;
};

inline QImage Flat(int w, int h, QColor c) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(c);
    return image;
}

inline QPixmap FlatPixmap(int w, int h, QColor c) {
    return QPixmap::fromImage(Flat(w, h, c));
}

// The widget painted onto a transparent image of its size at dpr device pixels per pixel.
inline QImage Render(QWidget& widget, qreal dpr = 1.0) {
    QImage image(widget.size() * dpr, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

inline QRgb Rgb(QColor c) {
    return c.rgba();
}

}  // namespace vorlin::testing
