#include "draw.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <cstdio>
#include <numbers>

#include "platform/ini_file.h"
#include "ui/keyboard_layout.h"

namespace skingen {

using namespace vorlin;

namespace {

// The palette of the design.
const QColor kBackground(0x16, 0x18, 0x1d);
const QColor kPanel(0x1f, 0x22, 0x28);
const QColor kPanelEdge(0x29, 0x2d, 0x35);
const QColor kCap(0x2b, 0x2f, 0x37);
const QColor kCapTop(0x41, 0x47, 0x52);
const QColor kCapSide(0x21, 0x24, 0x2a);
const QColor kCapOver(0x37, 0x3c, 0x46);
const QColor kCapOverTop(0x52, 0x59, 0x66);
const QColor kCapDown(0x1d, 0x20, 0x25);
const QColor kText(0xe6, 0xe8, 0xeb);
const QColor kSecondary(0x9a, 0xa0, 0xa8);
const QColor kAccent(0x22, 0xc1, 0xc3);
const QColor kWarm(0xf5, 0xa5, 0x24);
const QColor kDanger(0xd9, 0x46, 0x4b);
constexpr double kDisabledOpacity = 0.4;

enum class Role { Normal, Over, Down, Disabled, Selected, SwitchOff, SwitchOn };

QColor Mix(const QColor& a, const QColor& b, double t) {
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t),
                            float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t));
}

QRectF ToRect(const LayoutRect& r) {
    return QRectF(r.x, r.y, r.w, r.h);
}

QFont Font(const Fonts& fonts, int px, bool bold = false) {
    QFont f(bold ? fonts.bold : fonts.regular);
    f.setPixelSize(px);
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

// ---- symbols ---------------------------------------------------------------------------

// An arrow from the centre's far side to its near side, pointing at angle degrees (0 = right,
// 90 = up), fitting a square of side s.
void Arrow(QPainter& p, QPointF c, double angle, double s, const QColor& colour,
           double width = 1.8) {
    p.save();
    p.translate(c);
    p.rotate(-angle);
    QPen pen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    const double h = s / 2;
    p.drawLine(QPointF(-h, 0), QPointF(h, 0));
    QPainterPath head;
    head.moveTo(h - s * 0.35, -s * 0.32);
    head.lineTo(h, 0);
    head.lineTo(h - s * 0.35, s * 0.32);
    p.drawPath(head);
    p.restore();
}

void Chevron(QPainter& p, QPointF c, double angle, double s, const QColor& colour) {
    p.save();
    p.translate(c);
    p.rotate(-angle);
    p.setPen(QPen(colour, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    QPainterPath path;
    path.moveTo(-s * 0.25, -s * 0.45);
    path.lineTo(s * 0.25, 0);
    path.lineTo(-s * 0.25, s * 0.45);
    p.drawPath(path);
    p.restore();
}

// The product mark: a key cap with a V cut into it. Its shape in parts of the cap's side, shared
// by the painted icons and the SVG one.
constexpr double kMarkCorner = 0.22;
constexpr double kMarkVSide = 0.26, kMarkVTop = 0.28, kMarkVBottom = 0.74, kMarkVWidth = 0.11;
// Icons leave a margin around the mark (in parts of the icon's side); the application icon
// adds a rim.
constexpr double kIconMargin = 0.06, kAppRimCorner = 0.19, kAppRimWidth = 1.0 / 64;

void Mark(QPainter& p, const QRectF& r, const QColor& cap, const QColor& glyph) {
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(cap);
    p.drawRoundedRect(r, r.width() * kMarkCorner, r.width() * kMarkCorner);
    QPainterPath v;
    const double w = r.width(), h = r.height();
    v.moveTo(r.left() + w * kMarkVSide, r.top() + h * kMarkVTop);
    v.lineTo(r.center().x(), r.top() + h * kMarkVBottom);
    v.lineTo(r.right() - w * kMarkVSide, r.top() + h * kMarkVTop);
    p.setPen(
        QPen(glyph, std::max(1.5, w * kMarkVWidth), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(v);
    p.restore();
}

// The symbol of an icon button, by its layout key.
void Symbol(QPainter& p, std::string_view key, const QRectF& r, const QColor& c,
            const Fonts& fonts) {
    const QPointF m = r.center();
    const double s = std::min(r.width(), r.height()) * 0.5;
    QPen pen(c, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.save();
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    if (key == "CONTROL_CLOSE") {
        const double h = s * 0.4;
        p.drawLine(m + QPointF(-h, -h), m + QPointF(h, h));
        p.drawLine(m + QPointF(-h, h), m + QPointF(h, -h));
    } else if (key == "CONTROL_MINIMIZE" || key == "FUNC_MACRO_DELETE") {
        p.drawLine(m + QPointF(-s * 0.42, 0), m + QPointF(s * 0.42, 0));
    } else if (key == "FUNC_MACRO_ADD") {
        p.drawLine(m + QPointF(-s * 0.42, 0), m + QPointF(s * 0.42, 0));
        p.drawLine(m + QPointF(0, -s * 0.42), m + QPointF(0, s * 0.42));
    } else if (key == "CONTROL_MENU") {
        for (int i = -1; i <= 1; ++i)
            p.drawLine(m + QPointF(-s * 0.42, i * s * 0.32), m + QPointF(s * 0.42, i * s * 0.32));
    } else if (key == "CONTROL_HELP") {
        p.setFont(Font(fonts, int(std::lround(s * 1.1)), true));
        p.drawText(r, Qt::AlignCenter, QStringLiteral("?"));
    } else if (key == "CONTROL_CLEAR") {
        // Back to the factory function: an arrow turning back.
        QRectF arc(m.x() - s * 0.45, m.y() - s * 0.45, s * 0.9, s * 0.9);
        p.drawArc(arc, 90 * 16, 270 * 16);
        QPointF tip(m.x(), m.y() - s * 0.45);
        QPainterPath head;
        head.moveTo(tip + QPointF(-s * 0.28, -s * 0.22));
        head.lineTo(tip);
        head.lineTo(tip + QPointF(-s * 0.22, s * 0.28));
        p.drawPath(head);
    } else if (key == "CONTROL_OSK") {
        QRectF board(m.x() - s * 0.6, m.y() - s * 0.38, s * 1.2, s * 0.76);
        p.drawRoundedRect(board, 2, 2);
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        for (int row = 0; row < 2; ++row)
            for (int col = 0; col < 4; ++col)
                p.drawRect(QRectF(board.left() + 3 + col * (board.width() - 6) / 4.0,
                                  board.top() + 3 + row * 3.4, 1.6, 1.6));
        p.drawRect(QRectF(board.left() + board.width() * 0.3, board.bottom() - 3.4,
                          board.width() * 0.4, 1.4));
    } else if (key == "FLIP_1" || key == "FLIP_2") {
        Arrow(p, m + QPointF(-s * 0.3, 0), 90, s * 0.9, c, 1.6);
        Arrow(p, m + QPointF(s * 0.3, 0), -90, s * 0.9, c, 1.6);
    }
    p.restore();
}

// ---- captions --------------------------------------------------------------------------

// Key captions at about 11 px: one line when it fits, else split at blanks, then smaller.
// Single symbols are drawn larger, and a keypad key shows its symbol large under a small "Num".
void Caption(QPainter& p, const QRectF& r, const QString& text, const QColor& colour,
             const Fonts& fonts) {
    const QString numPrefix = QStringLiteral("Num ");
    if (text.startsWith(numPrefix) && text.size() == numPrefix.size() + 1) {
        QFont small = Font(fonts, 9);
        QFont big = Font(fonts, 15);
        const double smallH = QFontMetricsF(small).height(), bigH = QFontMetricsF(big).height();
        const double top = r.center().y() - (smallH + bigH * 0.8) / 2;
        p.setFont(small);
        p.setPen(Mix(colour, kSecondary, 0.6));
        p.drawText(QRectF(r.left(), top, r.width(), smallH), Qt::AlignCenter,
                   QStringLiteral("Num"));
        p.setFont(big);
        p.setPen(colour);
        p.drawText(QRectF(r.left(), top + smallH * 0.8, r.width(), bigH), Qt::AlignCenter,
                   text.mid(numPrefix.size()));
        return;
    }
    if (text.size() == 1) {
        p.setFont(Font(fonts, 15));
        p.setPen(colour);
        p.drawText(r, Qt::AlignCenter, text);
        return;
    }
    const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const double room = r.width() - 4;
    for (int px = 11; px >= 8; --px) {
        QFont f = Font(fonts, px);
        QFontMetricsF fm(f);
        QStringList lines;
        if (fm.horizontalAdvance(text) <= room) {
            lines = {text};
        } else if (words.size() > 1) {
            lines = words;
        } else {
            continue;
        }
        bool fits = true;
        for (const QString& l : lines) fits = fits && fm.horizontalAdvance(l) <= room;
        if (!fits && px > 8) continue;
        const double lineH = fm.height() * 0.92;
        const double top = r.center().y() - lineH * lines.size() / 2;
        p.setFont(f);
        p.setPen(colour);
        for (int i = 0; i < lines.size(); ++i)
            p.drawText(QRectF(r.left(), top + i * lineH, r.width(), lineH), Qt::AlignCenter,
                       lines[i]);
        return;
    }
}

// ---- controls --------------------------------------------------------------------------

Role RoleIn(const SkinControl& c, const LookSet& set, std::string_view file) {
    static constexpr Role kBySlot[] = {Role::Normal, Role::Over, Role::Down, Role::Disabled,
                                       Role::Selected};
    for (int i = 0; i < 5; ++i)
        if (set.files[static_cast<int>(c.looks[i])] == file) return kBySlot[i];
    return Role::Normal;
}

// A raised cap: a darker side below the face and a lighter top edge.
void Cap(QPainter& p, const QRectF& r, Role role, double radius, const QColor& tint = {}) {
    QColor face = kCap, top = kCapTop;
    double lift = 3;
    if (role == Role::Over) {
        face = kCapOver;
        top = kCapOverTop;
    } else if (role == Role::Down) {
        face = kCapDown;
        top = kCapDown;
        lift = 1;
    }
    if (tint.isValid()) face = Mix(face, tint, 0.22);
    p.setPen(Qt::NoPen);
    p.setBrush(kCapSide);
    p.drawRoundedRect(r, radius, radius);
    QRectF faceRect = r.adjusted(0, role == Role::Down ? 2 : 0, 0, -lift);
    p.setBrush(face);
    p.drawRoundedRect(faceRect, radius, radius);
    if (role != Role::Down) {
        // The lighter top edge: one pixel band clipped to the face's rounded shape.
        p.save();
        QPainterPath clip;
        clip.addRoundedRect(faceRect, radius, radius);
        p.setClipPath(clip);
        p.setBrush(top);
        p.drawRect(QRectF(faceRect.left(), faceRect.top(), faceRect.width(), 1.2));
        p.restore();
    } else {
        // Pressed in: a shadow along the top.
        p.save();
        QPainterPath clip;
        clip.addRoundedRect(faceRect, radius, radius);
        p.setClipPath(clip);
        QLinearGradient g(faceRect.topLeft(), faceRect.topLeft() + QPointF(0, 5));
        g.setColorAt(0, QColor(0, 0, 0, 110));
        g.setColorAt(1, QColor(0, 0, 0, 0));
        p.setBrush(g);
        p.drawRect(faceRect);
        p.restore();
    }
}

QRectF FaceOf(const QRectF& r, Role role) {
    return role == Role::Down ? r.adjusted(0, 2, 0, -1) : r.adjusted(0, 0, 0, -3);
}

void AccentFrame(QPainter& p, const QRectF& r, double radius, const QColor& colour) {
    p.setPen(QPen(colour, 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(r.adjusted(0.75, 0.75, -0.75, -0.75), radius, radius);
}

void DrawKey(QPainter& p, const SkinControl& c, const QRectF& r, Role role, const Fonts& fonts) {
    const PictureKey* key = FindPictureKey(c.id);
    const QString label = key ? QString::fromUtf8(key->label) : QString();
    Cap(p, r, role, 4, role == Role::SwitchOn ? kAccent : QColor());
    QRectF face = FaceOf(r, role);
    QColor text = role == Role::Down ? Mix(kText, kSecondary, 0.4) : kText;
    Caption(p, face, label, text, fonts);
    if (role == Role::Selected) {
        // The assigned mark: a warm bar along the bottom of the face.
        p.setPen(Qt::NoPen);
        p.setBrush(kWarm);
        p.drawRoundedRect(QRectF(face.left() + 7, face.bottom() - 4.5, face.width() - 14, 2.5), 1,
                          1);
    } else if (role == Role::SwitchOff || role == Role::SwitchOn) {
        QRectF dot(face.right() - 9, face.top() + 4, 5, 5);
        p.setBrush(role == Role::SwitchOn ? kAccent : Qt::NoBrush);
        p.setPen(QPen(role == Role::SwitchOn ? kAccent : kSecondary, 1.2));
        p.drawEllipse(dot);
    }
}

void DrawButton(QPainter& p, const QRectF& r, Role role) {
    Cap(p, r, role == Role::Selected ? Role::Normal : role, 6,
        role == Role::Selected ? kAccent : QColor());
    if (role == Role::Selected) AccentFrame(p, r.adjusted(0, 0, 0, -1), 6, kAccent);
}

void DrawTab(QPainter& p, const QRectF& r, Role role) {
    const bool shown = role == Role::Down || role == Role::Selected;
    p.setPen(Qt::NoPen);
    p.setBrush(shown ? kCap : role == Role::Over ? Mix(kPanel, kCap, 0.6) : kPanel);
    p.drawRoundedRect(r, 6, 6);
    if (shown) {
        p.setBrush(kAccent);
        p.drawRoundedRect(QRectF(r.left() + 10, r.bottom() - 3, r.width() - 20, 3), 1.5, 1.5);
    }
}

void DrawIndicator(QPainter& p, std::string_view key, const QRectF& r, Role role,
                   const Fonts& fonts) {
    const bool lit = role == Role::Selected;
    p.setPen(Qt::NoPen);
    p.setBrush(kCapSide);
    p.drawRoundedRect(r, 5, 5);
    QPointF led(r.left() + 9, r.center().y());
    if (lit) {
        QColor glow = kAccent;
        glow.setAlpha(70);
        p.setBrush(glow);
        p.drawEllipse(led, 5.5, 5.5);
    }
    p.setBrush(lit ? kAccent : QColor(0x3a, 0x3f, 0x49));
    p.drawEllipse(led, 3, 3);
    // A symbol for the lock, not a word: 1, A and a down arrow as keyboards print them.
    QRectF glyph(r.left() + 15, r.top(), r.width() - 17, r.height());
    const QColor colour = lit ? kText : kSecondary;
    if (key == "LOCK_SCROLL") {
        Arrow(p, glyph.center(), -90, 10, colour, 1.5);
    } else if (key == "FLIP_0") {
        Arrow(p, glyph.center() + QPointF(-3, 0), 90, 9, colour, 1.4);
        Arrow(p, glyph.center() + QPointF(3, 0), -90, 9, colour, 1.4);
    } else {
        p.setFont(Font(fonts, 11, true));
        p.setPen(colour);
        p.drawText(glyph, Qt::AlignCenter,
                   key == "LOCK_NUM"    ? QStringLiteral("1")
                   : key == "LOCK_CAPS" ? QStringLiteral("A")
                                        : QStringLiteral("AB"));
    }
}

// Icon buttons in a title bar are flat until the pointer is over them.
bool InTitleBar(const WindowLayout& layout, const LayoutRect& r) {
    return r.y + r.h <= (layout.skin->window == SkinWindow::Main ? 44 : 40);
}

void DrawControl(QPainter& p, const WindowLayout& layout, const SkinControl& c, Role role,
                 const Fonts& fonts) {
    const LayoutRect lr = layout.Rect(c.key);
    const QRectF r = ToRect(lr);
    if (role == Role::Disabled) {
        // Dimmed to 40 % over what lies beneath.
        p.save();
        p.setOpacity(kDisabledOpacity);
        DrawControl(p, layout, c, Role::Normal, fonts);
        p.restore();
        return;
    }
    if (c.kind != ControlKind::Key && (role == Role::SwitchOff || role == Role::SwitchOn))
        role = Role::Normal;
    switch (c.kind) {
        case ControlKind::Key:
            DrawKey(p, c, r, role, fonts);
            break;
        case ControlKind::Button:
            DrawButton(p, r, role);
            break;
        case ControlKind::Tab:
            DrawTab(p, r, role);
            break;
        case ControlKind::Indicator:
            DrawIndicator(p, c.key, r, role, fonts);
            break;
        case ControlKind::Page:
            p.setPen(QPen(kPanelEdge, 1));
            p.setBrush(kPanel);
            p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
            break;
        case ControlKind::Flat:
            // Only the web link answers the pointer; the version label and the editor's title
            // area are the background.
            if (c.key == "KOLVEN_LINK" && (role == Role::Over || role == Role::Down)) {
                p.setPen(Qt::NoPen);
                p.setBrush(role == Role::Over ? kPanelEdge : kCapDown);
                p.drawRoundedRect(r, 5, 5);
            }
            break;
        case ControlKind::Icon: {
            QColor colour = role == Role::Normal ? kSecondary : kText;
            if (InTitleBar(layout, lr)) {
                if (role == Role::Over || role == Role::Down) {
                    p.setPen(Qt::NoPen);
                    QColor bg = c.key == "CONTROL_CLOSE" ? kDanger : kCapOver;
                    p.setBrush(role == Role::Down ? Mix(bg, kBackground, 0.35) : bg);
                    p.drawRoundedRect(r, 6, 6);
                }
                Symbol(p, c.key, r, colour, fonts);
            } else {
                DrawButton(p, r, role);
                Symbol(p, c.key, FaceOf(r, role == Role::Selected ? Role::Normal : role),
                       role == Role::Selected ? kAccent : colour, fonts);
            }
            break;
        }
        default:
            break;
    }
}

// ---- windows ---------------------------------------------------------------------------

constexpr double kWindowRadius = 10;

void Panel(QPainter& p, const QRectF& r, double radius = 8) {
    p.setPen(QPen(kPanelEdge, 1));
    p.setBrush(kPanel);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
}

void PaintBackground(QPainter& p, const WindowLayout& layout) {
    const WindowSkin& skin = *layout.skin;
    const QRectF all(0, 0, skin.width, skin.height);
    p.fillRect(all, kBackground);
    const double titleH = skin.window == SkinWindow::Main ? 44 : 40;
    // The title bar: a panel band under the window's rounded top.
    p.save();
    QPainterPath shape;
    shape.addRoundedRect(all, kWindowRadius, kWindowRadius);
    p.setClipPath(shape);
    p.fillRect(QRectF(0, 0, skin.width, titleH), kPanel);
    p.fillRect(QRectF(0, titleH - 1, skin.width, 1), kPanelEdge);
    p.restore();
    Mark(p, QRectF(14, (titleH - 22) / 2, 22, 22), kCap, kAccent);
    switch (skin.window) {
        case SkinWindow::Main: {
            // The keyboard plate, the lighting panel with its column rules, the bottom rule.
            Panel(p, QRectF(98, 92, 984, 310), 10);
            const QRectF lighting(16, 406, 1148, 170);
            Panel(p, lighting, 10);
            for (double x : {308.0, 624.0, 920.0})
                p.fillRect(QRectF(x, lighting.top() + 12, 1, lighting.height() - 24), kPanelEdge);
            p.fillRect(QRectF(16, 584, 1148, 1), kPanelEdge);
            break;
        }
        case SkinWindow::Composite:
            Panel(p, ToRect(layout.Rect("CONTROL_MASK")));
            break;
        case SkinWindow::Profile:
            Panel(p, ToRect(layout.Rect("PROGRAM_LIST")).adjusted(-4, -4, 4, 4));
            break;
        case SkinWindow::Update:
            Panel(p, ToRect(layout.Rect("CONTROL_UPStatic")).adjusted(-4, -4, 4, 4), 6);
            break;
    }
    // The window's edge.
    p.setPen(QPen(QColor(0x2e, 0x32, 0x3a), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(all.adjusted(0.5, 0.5, -0.5, -0.5), kWindowRadius, kWindowRadius);
}

// Everything outside the rounded window is white (cut away); the window itself is black.
// Drawn without smoothing so that the edge holds no grey the mask reading would keep.
void PaintMask(QPainter& p, const WindowSkin& skin) {
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(QRectF(0, 0, skin.width, skin.height), Qt::white);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawRoundedRect(QRectF(0, 0, skin.width, skin.height), kWindowRadius, kWindowRadius);
}

bool Drawn(const WindowLayout& layout, const SkinControl& c) {
    return c.placement == Placement::ImageButton && !c.hidden &&
           !PlacementDisables(layout.Rect(c.key));
}

// A full-window image: the background shifted one pixel up and left (buttons cut their look
// at x - 1, y - 1, so the cut then lines up with the background around it), and each button
// in the look this file gives it.
void PaintLookFile(QPainter& p, const WindowLayout& layout, std::string_view file,
                   std::optional<Role> switchRole, const Fonts& fonts) {
    p.translate(-1, -1);
    PaintBackground(p, layout);
    const LookSet* set = nullptr;
    for (const LookSet& s : layout.skin->lookSets)
        for (std::string_view f : s.files)
            if (f == file) set = &s;
    for (const SkinControl& c : layout.skin->controls) {
        if (!Drawn(layout, c)) continue;
        Role role = switchRole ? *switchRole : set ? RoleIn(c, *set, file) : Role::Normal;
        DrawControl(p, layout, c, role, fonts);
    }
}

// ---- pictures --------------------------------------------------------------------------

void Toggle(QPainter& p, const QRectF& r, bool on) {
    const QRectF track(r.center().x() - 20, r.center().y() - 8, 40, 16);
    p.setPen(on ? Qt::NoPen : QPen(kCapTop, 1));
    p.setBrush(on ? kAccent : kCap);
    p.drawRoundedRect(track, 8, 8);
    p.setPen(Qt::NoPen);
    p.setBrush(on ? kText : kSecondary);
    p.drawEllipse(QPointF(on ? track.right() - 8 : track.left() + 8, track.center().y()), 6, 6);
}

void Rainbow(QPainter& p, const QRectF& r, bool on) {
    const QRectF bar(r.left() + 6, r.center().y() - 6, r.width() - 12, 12);
    QLinearGradient g(bar.topLeft(), bar.topRight());
    const QColor stops[] = {QColor(0xff, 0x3b, 0x3b), QColor(0xff, 0xd6, 0x0a),
                            QColor(0x30, 0xd1, 0x58), QColor(0x0a, 0x84, 0xff),
                            QColor(0xbf, 0x5a, 0xf2)};
    for (int i = 0; i < 5; ++i) g.setColorAt(i / 4.0, on ? stops[i] : Mix(stops[i], kPanel, 0.72));
    p.setPen(on ? QPen(kText, 1.2) : QPen(kCapTop, 1));
    p.setBrush(g);
    p.drawRoundedRect(bar, 6, 6);
}

void Chip(QPainter& p, const QRectF& r, const QColor& colour, bool chosen) {
    const QPointF c = r.center();
    if (chosen) {
        p.setPen(QPen(kAccent, 2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(c, 12, 12);
    }
    p.setPen(QPen(Mix(colour, kBackground, 0.5), 1));
    p.setBrush(colour);
    p.drawEllipse(c, 8.5, 8.5);
    if (chosen) {
        QPainterPath tick;
        tick.moveTo(c + QPointF(-4, 0));
        tick.lineTo(c + QPointF(-1, 3));
        tick.lineTo(c + QPointF(4, -3));
        p.setPen(QPen(kBackground, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(tick);
    }
}

void ChoiceCap(QPainter& p, const QRectF& r, bool chosen) {
    p.setPen(chosen ? QPen(kAccent, 1.5) : Qt::NoPen);
    p.setBrush(chosen ? Mix(kCap, kAccent, 0.25) : kCap);
    p.drawRoundedRect(r.adjusted(1, 1, -1, -1), 6, 6);
}

void Tool(QPainter& p, const QRectF& r, int tool, bool chosen) {
    ChoiceCap(p, r, chosen);
    const QColor c = chosen ? kText : kSecondary;
    const QPointF m = r.center();
    p.setPen(QPen(c, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    if (tool == 0) {
        // A brush: paints single keys in the free colour.
        p.drawLine(m + QPointF(5, -7), m + QPointF(-1, 1));
        QPainterPath tip;
        tip.moveTo(m + QPointF(-1, 1));
        tip.quadTo(m + QPointF(-6, 2), m + QPointF(-6, 7));
        tip.quadTo(m + QPointF(-1, 7), m + QPointF(0, 2));
        p.setBrush(c);
        p.drawPath(tip);
    } else {
        // A bucket: the base colour fills every base key.
        QPainterPath bucket;
        bucket.moveTo(m + QPointF(-6, -3));
        bucket.lineTo(m + QPointF(-4, 7));
        bucket.lineTo(m + QPointF(4, 7));
        bucket.lineTo(m + QPointF(6, -3));
        bucket.closeSubpath();
        p.drawPath(bucket);
        p.drawArc(QRectF(m.x() - 5, m.y() - 8, 10, 10), 0, 180 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(chosen ? kAccent : kSecondary);
        p.drawEllipse(m + QPointF(8, 4), 2, 2);
    }
}

void Direction(QPainter& p, const QRectF& r, std::string_view what, bool chosen) {
    p.setPen(Qt::NoPen);
    p.setBrush(chosen ? kAccent : kCap);
    p.drawRoundedRect(r.adjusted(1, 1, -1, -1), 6, 6);
    const QColor c = chosen ? kBackground : kSecondary;
    const QPointF m = r.center();
    if (what == "left") Arrow(p, m, 180, 16, c, 2);
    if (what == "right") Arrow(p, m, 0, 16, c, 2);
    if (what == "up") Arrow(p, m, 90, 14, c, 2);
    if (what == "down") Arrow(p, m, -90, 14, c, 2);
    if (what == "kuosan") {  // spreading from the middle
        Arrow(p, m + QPointF(-7, 0), 180, 10, c, 2);
        Arrow(p, m + QPointF(7, 0), 0, 10, c, 2);
    }
    if (what == "julong") {  // converging on the middle
        Arrow(p, m + QPointF(-8, 0), 0, 10, c, 2);
        Arrow(p, m + QPointF(8, 0), 180, 10, c, 2);
    }
}

// The slider at position 0..5. The knob sits where a click selects that position: the slider
// maps x to position trunc((x + 10) / width * 5).
void Slider(QPainter& p, const QRectF& r, int position) {
    const double left = 10, right = r.width() - 8;
    const double y = r.center().y();
    auto at = [&](int pos) { return r.left() + left + pos * (right - left) / 5; };
    p.setPen(Qt::NoPen);
    p.setBrush(kCap);
    p.drawRoundedRect(QRectF(r.left() + left - 2, y - 2, right - left + 4, 4), 2, 2);
    p.setBrush(kAccent);
    p.drawRoundedRect(QRectF(r.left() + left - 2, y - 2, at(position) - r.left() - left + 2, 4), 2,
                      2);
    for (int i = 0; i < kSliderPositions; ++i) {
        p.setBrush(i <= position ? kAccent : kCapTop);
        p.drawEllipse(QPointF(at(i), y + 8), 1.2, 1.2);
    }
    p.setPen(QPen(kAccent, 2));
    p.setBrush(kText);
    p.drawEllipse(QPointF(at(position), y), 6.5, 6.5);
}

void Busy(QPainter& p, const QRectF& r, int frame) {
    const QPointF m = r.center();
    const double radius = std::min(r.width(), r.height()) / 2 - 5;
    p.setPen(Qt::NoPen);
    for (int i = 0; i < kBusyFrames; ++i) {
        const int age = (frame - 1 - i + kBusyFrames) % kBusyFrames;  // 0: the leading dot
        const double a = -std::numbers::pi / 2 + i * 2 * std::numbers::pi / kBusyFrames;
        // The leading dot and a fading tail of three; the rest stay as a dim ring.
        const QColor dot = age == 0  ? kAccent
                           : age < 4 ? Mix(kAccent, kBackground, 0.2 + age * 0.18)
                                     : kCapTop;
        p.setBrush(dot);
        p.drawEllipse(m + QPointF(std::cos(a) * radius, std::sin(a) * radius), age == 0 ? 3 : 2.4,
                      age == 0 ? 3 : 2.4);
    }
}

QRectF IconMarkRect(double s) {
    return QRectF(s * kIconMargin, s * kIconMargin, s * (1 - 2 * kIconMargin),
                  s * (1 - 2 * kIconMargin));
}

void Icon(QPainter& p, std::string_view file, double s) {
    const QRectF r = IconMarkRect(s);
    if (file == kAppIcon) {
        Mark(p, r, kPanel, kAccent);
        p.setPen(QPen(kPanelEdge, s * kAppRimWidth));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(r, s * kAppRimCorner, s * kAppRimCorner);
    } else if (file == kTrayConnectedIcon) {
        Mark(p, r, kCap, kAccent);
    } else if (file == kTrayIndicatorIcon) {
        Mark(p, r, kWarm, kBackground);
    } else {
        Mark(p, r, kCap, kSecondary);
        p.setPen(QPen(kDanger, s * 0.09, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(s * 0.22, s * 0.78), QPointF(s * 0.78, s * 0.22));
    }
}

bool Starts(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

// The lighting panel pictures sit on the panel; false for a name the generator does not know.
bool PaintPicture(QPainter& p, std::string_view file, const QRectF& r) {
    p.fillRect(r, kPanel);
    if (file == kLightingViewOffImage || file == kLightingViewOnImage) {
        Toggle(p, r, file == kLightingViewOnImage);
        return true;
    }
    if (file == kMulticolourOffImage || file == kMulticolourOnImage) {
        Rainbow(p, r, file == kMulticolourOnImage);
        return true;
    }
    const QColor chips[] = {QColor(0xff, 0x3b, 0x3b), QColor(0xff, 0xd6, 0x0a),
                            QColor(0x30, 0xd1, 0x58), QColor(0x0a, 0x84, 0xff)};
    for (int i = 0; i < 4; ++i) {
        if (file == kColourChoiceImages[i] || file == kColourChoiceChosenImages[i]) {
            Chip(p, r, chips[i], file == kColourChoiceChosenImages[i]);
            return true;
        }
    }
    for (int i = 0; i < 2; ++i) {
        if (file == kToolImages[i] || file == kToolChosenImages[i]) {
            Tool(p, r, i, file == kToolChosenImages[i]);
            return true;
        }
    }
    for (int pos = 0; pos < kSliderPositions; ++pos) {
        if (file == BrightnessTrackImage(pos) || file == SpeedTrackImage(pos)) {
            Slider(p, r, pos);
            return true;
        }
    }
    for (int n = 1; n <= kBusyFrames; ++n) {
        if (file == BusyFrameImage(n)) {
            p.fillRect(r, kBackground);
            Busy(p, r, n);
            return true;
        }
    }
    // Direction pictures: "<what>.bmp" plain, "<what>down.bmp" chosen; "updown" is up chosen
    // and "downup" down plain, so the suffix decides.
    std::string_view stem = file.substr(0, file.find('.'));
    for (std::string_view what : {"left", "right", "up", "down", "kuosan", "julong"}) {
        for (std::string_view suffix : {"up", "down", ""}) {
            if (stem.size() == what.size() + suffix.size() && Starts(stem, what) &&
                stem.substr(what.size()) == suffix) {
                Direction(p, r, what, suffix == "down");
                return true;
            }
        }
    }
    return false;
}

void PaintArrowSheet(QPainter& p, const WindowLayout& layout, double w, double h) {
    p.fillRect(QRectF(0, 0, w, h), kPanel);
    for (const SkinControl& c : layout.skin->controls) {
        if (c.placement != Placement::Arrow) continue;
        const LayoutRect size = layout.Rect(c.key);
        for (std::string_view key2 : {c.upKey, c.downKey}) {
            auto it = layout.rects2.find(key2);
            if (it == layout.rects2.end()) continue;
            const QRectF r(it->second.x - 1, it->second.y - 1, size.w, size.h);
            Chevron(p, r.center(), key2 == c.upKey ? 90 : -90, 12, kAccent);
        }
    }
}

}  // namespace

LayoutRect WindowLayout::Rect(std::string_view key) const {
    auto it = rects.find(key);
    return it == rects.end() ? ParseLayoutValue(kMissingLayoutValue) : it->second;
}

WindowLayout ReadWindowLayout(const WindowSkin& skin, const std::filesystem::path& skinFolder) {
    WindowLayout layout;
    layout.skin = &skin;
    auto doc = IniDocument::Load(skinFolder / skin.layoutFile);
    if (!doc) return layout;
    for (auto& [key, value] : doc->Entries(kLayoutSection))
        layout.rects[key] = ParseLayoutValue(value);
    for (auto& [key, value] : doc->Entries(kLayoutSection2))
        layout.rects2[key] = ParseLayoutValue(value);
    return layout;
}

bool LoadFonts(Fonts& fonts) {
    const char* files[] = {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                           "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"};
    QString* names[] = {&fonts.regular, &fonts.bold};
    for (int i = 0; i < 2; ++i) {
        const int id = QFontDatabase::addApplicationFont(QString::fromUtf8(files[i]));
        const QStringList families =
            id < 0 ? QStringList() : QFontDatabase::applicationFontFamilies(id);
        if (families.isEmpty()) {
            std::fprintf(stderr, "skin-gen: cannot load the font %s (package fonts-dejavu-core)\n",
                         files[i]);
            return false;
        }
        *names[i] = families.first();
    }
    return true;
}

QImage DrawImage(const WindowLayout& layout, const SkinPicture& image, int w, int h, int scale,
                 const Fonts& fonts) {
    const bool icon = image.role == ImageRole::Icon;
    QImage out(w * scale, h * scale, icon ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    out.fill(icon ? Qt::transparent : kBackground);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(scale, scale);
    bool known = true;
    switch (image.role) {
        case ImageRole::Look:
            PaintLookFile(p, layout, image.file, std::nullopt, fonts);
            break;
        case ImageRole::Switch:
            PaintLookFile(p, layout, image.file,
                          image.file == "main_color1.jpg" ? Role::SwitchOn : Role::SwitchOff,
                          fonts);
            break;
        case ImageRole::Background:
            PaintBackground(p, layout);
            break;
        case ImageRole::Mask:
            PaintMask(p, *layout.skin);
            break;
        case ImageRole::ArrowSheet:
            PaintArrowSheet(p, layout, w, h);
            break;
        case ImageRole::Picture:
            known = PaintPicture(p, image.file, QRectF(0, 0, w, h));
            break;
        case ImageRole::Icon:
            Icon(p, image.file, w);
            break;
    }
    p.end();
    return known ? out : QImage();
}

QImage DrawAppIcon(int size) {
    QImage out(size, size, QImage::Format_ARGB32);
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    Icon(p, kAppIcon, size);
    p.end();
    return out;
}

QByteArray AppIconSvg() {
    constexpr double s = kAppIconSvgSide;
    const QRectF r = IconMarkRect(s);
    const double w = r.width();
    auto n = [](double v) { return QByteArray::number(v, 'f', 2); };
    auto colour = [](const QColor& c) { return c.name(QColor::HexRgb).toLatin1(); };
    QByteArray svg;
    svg += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + n(s) + "\" height=\"" + n(s) +
           "\" viewBox=\"0 0 " + n(s) + " " + n(s) + "\">\n";
    svg += "  <rect x=\"" + n(r.left()) + "\" y=\"" + n(r.top()) + "\" width=\"" + n(w) +
           "\" height=\"" + n(w) + "\" rx=\"" + n(w * kMarkCorner) + "\" fill=\"" + colour(kPanel) +
           "\"/>\n";
    svg += "  <polyline points=\"" + n(r.left() + w * kMarkVSide) + "," +
           n(r.top() + w * kMarkVTop) + " " + n(r.center().x()) + "," +
           n(r.top() + w * kMarkVBottom) + " " + n(r.right() - w * kMarkVSide) + "," +
           n(r.top() + w * kMarkVTop) + "\" fill=\"none\" stroke=\"" + colour(kAccent) +
           "\" stroke-width=\"" + n(w * kMarkVWidth) +
           "\" stroke-linecap=\"round\" stroke-linejoin=\"round\"/>\n";
    svg += "  <rect x=\"" + n(r.left()) + "\" y=\"" + n(r.top()) + "\" width=\"" + n(w) +
           "\" height=\"" + n(w) + "\" rx=\"" + n(s * kAppRimCorner) +
           "\" fill=\"none\" stroke=\"" + colour(kPanelEdge) + "\" stroke-width=\"" +
           n(s * kAppRimWidth) + "\"/>\n";
    svg += "</svg>\n";
    return svg;
}

}  // namespace skingen
