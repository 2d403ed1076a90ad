#include "skin/qt/bitmap_slider.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QWheelEvent>
#include <optional>

namespace vorlin {

CBitmapSlider::CBitmapSlider(int controlId, QWidget* parent)
    : QWidget(parent), controlId_(controlId) {
    setFocusPolicy(Qt::ClickFocus);
    setMouseTracking(true);
}

void CBitmapSlider::Init(const QPixmap& image) {
    const QSize size = image.deviceIndependentSize().toSize();
    resize(size);
    logic_.SetWidth(size.width());
}

void CBitmapSlider::SetRange(int minimum, int maximum) {
    logic_.SetRange(minimum, maximum);
}

int CBitmapSlider::SetPageSize(int n) {
    return logic_.SetPageSize(n);
}

void CBitmapSlider::SetPos(int position) {
    logic_.SetPos(position);
    update();
}

void CBitmapSlider::SetTrackImage(const QPixmap& picture) {
    picture_ = picture;
    repaint();
}

void CBitmapSlider::Notify(bool due) {
    if (due) emit notified(controlId_, logic_.Position());
}

void CBitmapSlider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!picture_.isNull()) painter.drawPixmap(rect(), picture_);
    // Drawn over the picture so keyboard users can see which slider keys will move.
    if (logic_.Focused() && hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect();
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

void CBitmapSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    setFocus(Qt::MouseFocusReason);
    const bool due = logic_.Press(event->position().toPoint().x());
    update();
    Notify(due);
}

void CBitmapSlider::mouseMoveEvent(QMouseEvent* event) {
    const bool due = logic_.Move(event->position().toPoint().x());
    if (due) update();
    Notify(due);
}

void CBitmapSlider::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
    Notify(logic_.Release());
}

void CBitmapSlider::keyPressEvent(QKeyEvent* event) {
    std::optional<SliderKey> key;
    switch (event->key()) {
        case Qt::Key_PageUp:
            key = SliderKey::PageUp;
            break;
        case Qt::Key_PageDown:
            key = SliderKey::PageDown;
            break;
        case Qt::Key_End:
            key = SliderKey::End;
            break;
        case Qt::Key_Home:
            key = SliderKey::Home;
            break;
        case Qt::Key_Left:
            key = SliderKey::Left;
            break;
        case Qt::Key_Up:
            key = SliderKey::Up;
            break;
        case Qt::Key_Right:
            key = SliderKey::Right;
            break;
        case Qt::Key_Down:
            key = SliderKey::Down;
            break;
        default:
            break;
    }
    // Tab and everything else go on to the window (focus moves away as usual).
    if (!key) return QWidget::keyPressEvent(event);
    const bool due = logic_.Key(*key);
    update();
    Notify(due);
}

void CBitmapSlider::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    if (!logic_.Focused()) return QWidget::wheelEvent(event);
    const bool due = logic_.Wheel(delta);
    update();
    Notify(due);
}

void CBitmapSlider::leaveEvent(QEvent* event) {
    logic_.Leave();
    update();
    QWidget::leaveEvent(event);
}

void CBitmapSlider::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) logic_.SetEnabled(isEnabled());
    QWidget::changeEvent(event);
}

bool CBitmapSlider::event(QEvent* event) {
    if (event->type() == QEvent::ToolTipChange) setAccessibleName(toolTip());
    return QWidget::event(event);
}

}  // namespace vorlin
