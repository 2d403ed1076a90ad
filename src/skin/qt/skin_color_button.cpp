#include "skin/qt/skin_color_button.h"

#include <qdrawutil.h>
#include <QColorDialog>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QToolButton>
#include <QVBoxLayout>

namespace vorlin {

namespace {

int ToRgb(const QColor& c) {
    return static_cast<int>(c.rgb() & 0xFFFFFFu);
}

// Four rows of ten: greys, then dark, full and light hues.
std::vector<QColor> DefaultPalette() {
    const char* names[] = {
        "#000000", "#262626", "#404040", "#595959", "#808080", "#a6a6a6", "#bfbfbf", "#d9d9d9",
        "#f2f2f2", "#ffffff", "#800000", "#804000", "#808000", "#408000", "#008000", "#008080",
        "#004080", "#000080", "#400080", "#800040", "#ff0000", "#ff8000", "#ffff00", "#80ff00",
        "#00ff00", "#00ffff", "#0080ff", "#0000ff", "#8000ff", "#ff0080", "#ff8080", "#ffc080",
        "#ffff80", "#c0ff80", "#80ff80", "#80ffff", "#80c0ff", "#8080ff", "#c080ff", "#ff80c0",
    };
    std::vector<QColor> colours;
    for (const char* n : names) colours.emplace_back(QString::fromLatin1(n));
    return colours;
}

}  // namespace

CSkinColorBtn::CSkinColorBtn(QWidget* parent)
    : QAbstractButton(parent), colours_(DefaultPalette()) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
    connect(this, &QAbstractButton::clicked, this, &CSkinColorBtn::ShowPopup);
}

void CSkinColorBtn::SetColor(int rgb) {
    colour_ = rgb < 0 ? kAutomatic : (rgb & 0xFFFFFF);
    update();
}

void CSkinColorBtn::SetAutomaticColor(const QColor& colour, const QString& text) {
    automatic_ = colour;
    automaticText_ = text;
    update();
}

void CSkinColorBtn::EnableOtherButton(const QString& text) {
    otherText_ = text;
}

void CSkinColorBtn::SetColumnsNumber(int columns) {
    columns_ = std::max(columns, 1);
}

void CSkinColorBtn::SetPalette(const std::vector<QColor>& colours) {
    colours_ = colours;
}

QColor CSkinColorBtn::DisplayedColor() const {
    return colour_ == kAutomatic ? automatic_ : QColor::fromRgb(static_cast<QRgb>(colour_));
}

void CSkinColorBtn::Choose(int rgb) {
    if (popup_) popup_->hide();
    SetColor(rgb);
    emit colorChosen(colour_);
}

void CSkinColorBtn::BuildPopup() {
    delete popup_;
    popup_ = new QFrame(this, Qt::Popup);
    popup_->setObjectName(QStringLiteral("colourPalette"));
    popup_->setFrameShape(QFrame::StyledPanel);
    auto* outer = new QVBoxLayout(popup_);
    outer->setContentsMargins(4, 4, 4, 4);
    outer->setSpacing(4);
    if (!automaticText_.isEmpty()) {
        auto* automatic = new QPushButton(automaticText_, popup_);
        automatic->setAccessibleName(automaticText_);
        connect(automatic, &QPushButton::clicked, this, [this] { Choose(kAutomatic); });
        outer->addWidget(automatic);
    }
    auto* grid = new QGridLayout;
    grid->setSpacing(2);
    for (size_t i = 0; i < colours_.size(); ++i) {
        const QColor c = colours_[i];
        auto* swatch = new QToolButton(popup_);
        swatch->setFixedSize(24, 24);
        swatch->setAutoRaise(true);
        QPixmap face(16, 16);
        face.fill(c);
        swatch->setIcon(QIcon(face));
        swatch->setToolTip(c.name());
        swatch->setAccessibleName(c.name());
        connect(swatch, &QToolButton::clicked, this, [this, c] { Choose(ToRgb(c)); });
        const int n = static_cast<int>(i);
        grid->addWidget(swatch, n / columns_, n % columns_);
    }
    outer->addLayout(grid);
    if (!otherText_.isEmpty()) {
        auto* other = new QPushButton(otherText_, popup_);
        other->setAccessibleName(otherText_);
        connect(other, &QPushButton::clicked, this, &CSkinColorBtn::OpenOtherDialog);
        outer->addWidget(other);
    }
}

void CSkinColorBtn::ShowPopup() {
    BuildPopup();
    popup_->adjustSize();
    popup_->move(mapToGlobal(QPoint(0, height())));
    popup_->show();
    update();
}

void CSkinColorBtn::OpenOtherDialog() {
    if (popup_) popup_->hide();
    if (!otherDialog_) {
        // Window-modal and asynchronous: the main window keeps repainting while it is open.
        otherDialog_ = new QColorDialog(this);
        otherDialog_->setWindowModality(Qt::WindowModal);
        connect(otherDialog_, &QColorDialog::colorSelected, this,
                [this](const QColor& c) { Choose(ToRgb(c)); });
    }
    otherDialog_->setCurrentColor(DisplayedColor());
    otherDialog_->open();
}

void CSkinColorBtn::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect r = rect().adjusted(-1, -1, 1, 1);
    const int right = r.x() + r.width();  // one past the last column
    const int wellRight = width() / 2 + 5;
    const QRect well(r.x(), r.y(), wellRight - r.x(), r.height());
    qDrawWinButton(&painter, well, palette(), isDown(), nullptr);
    if (isEnabled()) painter.fillRect(well.adjusted(2, 2, -2, -2), DisplayedColor());

    const int dropLeft = width() / 2 + 3;
    painter.fillRect(QRect(dropLeft, r.y(), right - dropLeft, r.height()), QColor(148, 146, 139));
    const int mid = height() / 2;
    const QPoint mark[3] = {{right - 11, mid - 2}, {right - 5, mid - 2}, {right - 8, mid + 1}};
    painter.setPen(Qt::black);
    painter.setBrush(Qt::black);
    painter.drawPolygon(mark, 3);

    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(1, 1, -1, -1);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

void CSkinColorBtn::focusOutEvent(QFocusEvent* event) {
    // Losing the focus mid-press must not leave the button looking pressed.
    setDown(false);
    hover_ = false;
    QAbstractButton::focusOutEvent(event);
    repaint();
}

void CSkinColorBtn::enterEvent(QEnterEvent* event) {
    hover_ = true;
    QAbstractButton::enterEvent(event);
}

bool CSkinColorBtn::event(QEvent* event) {
    // A well has no caption: screen readers name it by its tooltip.
    if (event->type() == QEvent::ToolTipChange) setAccessibleName(toolTip());
    return QAbstractButton::event(event);
}

void CSkinColorBtn::leaveEvent(QEvent* event) {
    hover_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

}  // namespace vorlin
