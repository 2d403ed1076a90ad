#include "skin/qt/png_button.h"

#include <QEnterEvent>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace vorlin {

void DrawPicturePart(QPainter& painter, const QPixmap& picture, QPoint from, QSize size) {
    if (picture.isNull()) return;
    const QRect wanted(from, size);
    const QRect there =
        wanted.intersected(QRect(QPoint(0, 0), picture.deviceIndependentSize().toSize()));
    if (there.isEmpty()) return;
    const qreal dpr = picture.devicePixelRatio();
    const QRectF source(there.x() * dpr, there.y() * dpr, there.width() * dpr,
                        there.height() * dpr);
    painter.drawPixmap(QRectF(there.translated(-from)), picture, source);
}

CPngButton::CPngButton(QWidget* parent) : QAbstractButton(parent) {
    setAttribute(Qt::WA_Hover);
    setMouseTracking(true);
    setFocusPolicy(Qt::TabFocus);
}

void CPngButton::ClearPointerState() {
    hover_ = false;
    setDown(false);
}

void CPngButton::SetImages(int x, int y, const ButtonImageSet& images, bool redraw) {
    originX_ = x;
    originY_ = y;
    SetImageSet(images, redraw);
}

void CPngButton::SetImageSet(const ButtonImageSet& images, bool redraw) {
    images_ = images;
    ClearPointerState();
    if (redraw) Redraw();
}

void CPngButton::SetAltImages(const QPixmap& a, const QPixmap& b, bool on, bool selector,
                              bool redraw) {
    altA_ = a;
    altB_ = b;
    altOn_ = on;
    altSelector_ = selector;
    ClearPointerState();
    if (redraw) Redraw();
}

void CPngButton::SetTextStyle(bool show, int pointSize, const QString& face,
                              const ButtonTextColours& colours, unsigned format) {
    showText_ = show;
    pointSize_ = pointSize;
    faceName_ = face;
    textColours_ = colours;
    textFormat_ = format;
    update();
}

void CPngButton::SetTextAngle(int escapement, bool rotated) {
    escapement_ = escapement;
    rotated_ = rotated;
    update();
}

void CPngButton::SetTextMargins(const CaptionMargins& margins) {
    textMargins_ = margins;
    update();
}

void CPngButton::SetCaption(const QString& text) {
    setText(text);
    UpdateAccessibleName();
}

void CPngButton::SetTooltip(const QString& text, bool activate) {
    setToolTip(activate ? text : QString());
    UpdateAccessibleName();
}

void CPngButton::RemoveTooltip() {
    setToolTip(QString());
    UpdateAccessibleName();
}

void CPngButton::UpdateAccessibleName() {
    setAccessibleName(text().isEmpty() ? toolTip() : text());
}

void CPngButton::SetOutline(const QColor& colour, int strength, bool on) {
    outline_ = MakeOutline(colour.rgb() & 0xFFFFFFu, strength, on);
    Redraw();
}

void CPngButton::SetSelected(bool on, bool redraw) {
    selected_ = on;
    if (redraw) Redraw();
}

ButtonLook CPngButton::CurrentLook() const {
    ButtonState s;
    s.enabled = isEnabled();
    s.altOn = altOn_;
    s.altSelector = altSelector_;
    s.pressed = isDown();
    s.hover = hover_;
    s.selected = selected_;
    return ChooseButtonLook(s);
}

const QPixmap& CPngButton::ImageFor(ButtonImage image) const {
    switch (image) {
        case ButtonImage::AltA:
            return altA_;
        case ButtonImage::AltB:
            return altB_;
        default:
            return images_[static_cast<size_t>(image)];
    }
}

void CPngButton::Redraw() {
    repaint();
}

void CPngButton::paintEvent(QPaintEvent*) {
    const ButtonLook look = CurrentLook();
    QPainter painter(this);
    if (outline_.on) {
        QPen pen(QColor::fromRgb(outline_.colour), kOutlinePenWidth);
        pen.setJoinStyle(Qt::MiterJoin);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        // A 2-pixel pen on the line one pixel in covers the two outermost pixels all round.
        painter.drawRect(QRectF(1, 1, width() - 2, height() - 2));
    } else {
        DrawPicturePart(painter, ImageFor(look.image), QPoint(originX_ - 1, originY_ - 1), size());
    }

    if (showText_ && !text().isEmpty()) {
        QFont font(faceName_);
        font.setPixelSize(CaptionPixelSize(pointSize_, logicalDpiY()));
        font.setWeight(static_cast<QFont::Weight>(std::min(CaptionWeight(rotated_), 900)));
        painter.setFont(font);
        painter.setPen(textColours_[static_cast<size_t>(look.captionSlot)]);
        const CaptionBox box = CaptionRect(width(), height(), textMargins_);
        const CaptionAlignment a = DecodeTextFormat(textFormat_);
        int flags = a.h == HAlign::Center  ? Qt::AlignHCenter
                    : a.h == HAlign::Right ? Qt::AlignRight
                                           : Qt::AlignLeft;
        flags |= a.v == VAlign::Center   ? Qt::AlignVCenter
                 : a.v == VAlign::Bottom ? Qt::AlignBottom
                                         : Qt::AlignTop;
        flags |= a.singleLine ? Qt::TextSingleLine : (a.wordBreak ? Qt::TextWordWrap : 0);
        if (rotated_) {
            const QFontMetricsF metrics(font);
            const double tw = metrics.horizontalAdvance(text());
            const double th = metrics.height();
            const CaptionOrigin o = RotatedCaptionOrigin(box, tw, th, escapement_);
            painter.translate(o.x, o.y);
            painter.rotate(-escapement_ / 10.0);
            painter.drawText(QRectF(0, 0, tw, th), Qt::AlignCenter | Qt::TextSingleLine, text());
        } else {
            painter.drawText(QRect(box.x, box.y, box.w, box.h), flags, text());
        }
    }
    painter.end();
    if (redrawHook_) redrawHook_(this, look.image == ButtonImage::Over);
}

void CPngButton::enterEvent(QEnterEvent* event) {
    hover_ = true;
    Redraw();
    QAbstractButton::enterEvent(event);
}

void CPngButton::leaveEvent(QEvent* event) {
    hover_ = false;
    Redraw();
    QAbstractButton::leaveEvent(event);
}

void CPngButton::mouseDoubleClickEvent(QMouseEvent* event) {
    // A quick second click is one more press, not something else.
    mousePressEvent(event);
}

bool CPngButton::event(QEvent* event) {
    if (event->type() == QEvent::ToolTipChange) UpdateAccessibleName();
    return QAbstractButton::event(event);
}

}  // namespace vorlin
