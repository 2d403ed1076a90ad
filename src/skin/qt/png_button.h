// The image button of every skinned window: it cuts its look out of full-window pictures at its
// own layout position, and can carry a caption, a tooltip and the keyboard picture's outline.
#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QPixmap>
#include <QString>
#include <array>
#include <functional>

class QPainter;

#include "skin/button_look.h"

namespace vorlin {

// Full-window pictures for the five looks: normal, over, pressed, disabled, selected.
using ButtonImageSet = std::array<QPixmap, 5>;
using ButtonTextColours = std::array<QColor, 5>;

class CPngButton : public QAbstractButton {
    Q_OBJECT
  public:
    explicit CPngButton(QWidget* parent = nullptr);

    // (x, y): the button's layout position; the look is cut from (x - 1, y - 1) of the chosen
    // picture. Each of these three clears hover and pressed.
    void SetImages(int x, int y, const ButtonImageSet& images, bool redraw = true);
    void SetImageSet(const ButtonImageSet& images, bool redraw = true);
    // While on, the button shows b when selector is set, else a (over every look but disabled).
    void SetAltImages(const QPixmap& a, const QPixmap& b, bool on, bool selector,
                      bool redraw = true);

    void SetTextStyle(bool show, int pointSize, const QString& face,
                      const ButtonTextColours& colours, unsigned format = kDefaultTextFormat);
    // escapement in tenths of a degree, counter-clockwise.
    void SetTextAngle(int escapement, bool rotated);
    void SetTextMargins(const CaptionMargins& margins);
    // The caption (also the accessible name).
    void SetCaption(const QString& text);

    void SetTooltip(const QString& text, bool activate = true);
    void RemoveTooltip();

    // With on, only a 2-pixel outline in colour is drawn; the strength is limited to 0..100.
    void SetOutline(const QColor& colour, int strength, bool on);
    const ButtonOutline& Outline() const { return outline_; }

    void SetSelected(bool on, bool redraw = true);
    bool Selected() const { return selected_; }
    bool Hovered() const { return hover_; }
    int OriginX() const { return originX_; }
    int OriginY() const { return originY_; }

    // What the next paint will show.
    ButtonLook CurrentLook() const;

    // Paints at once.
    void Redraw();

    // Called after every paint with the button and whether the over look was the one drawn.
    using RedrawHook = std::function<void(CPngButton*, bool overDrawn)>;
    void SetRedrawHook(RedrawHook hook) { redrawHook_ = std::move(hook); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

  private:
    void ClearPointerState();
    void UpdateAccessibleName();
    const QPixmap& ImageFor(ButtonImage image) const;

    ButtonImageSet images_;
    QPixmap altA_, altB_;
    bool altOn_ = false;
    bool altSelector_ = false;
    int originX_ = 0;
    int originY_ = 0;
    bool hover_ = false;
    bool selected_ = false;

    bool showText_ = false;
    int pointSize_ = 8;
    QString faceName_ = QStringLiteral("DejaVu Sans");
    bool rotated_ = false;
    int escapement_ = 0;
    ButtonTextColours textColours_{};
    CaptionMargins textMargins_;
    unsigned textFormat_ = kDefaultTextFormat;

    ButtonOutline outline_;
    RedrawHook redrawHook_;
};

// Draws the size-sized part of picture that starts at the logical point from, at (0, 0) of the
// painter; parts outside the picture stay undrawn. Works for 1x and 2x pictures alike.
void DrawPicturePart(QPainter& painter, const QPixmap& picture, QPoint from, QSize size);

}  // namespace vorlin
