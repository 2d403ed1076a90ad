#include "skin/button_look.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vorlin {

ButtonLook ChooseButtonLook(const ButtonState& s) {
    if (!s.enabled) return {ButtonImage::Disabled, 3};
    if (s.altOn) return {s.altSelector ? ButtonImage::AltB : ButtonImage::AltA, 0};
    if (s.pressed) return {ButtonImage::Down, 2};
    if (s.hover) return {ButtonImage::Over, 1};
    if (s.selected) return {ButtonImage::Selected, 4};
    return {ButtonImage::Normal, 0};
}

ButtonOutline MakeOutline(std::uint32_t colour, int strength, bool on) {
    if (on) strength = std::clamp(strength, 0, kMaxOutlineStrength);
    return {colour & 0xFFFFFFu, strength, on};
}

CaptionBox CaptionRect(int clientW, int clientH, const CaptionMargins& m) {
    CaptionBox b{m.left, m.top, clientW - m.left - m.right, clientH - m.top - m.bottom};
    b.w = std::max(b.w, 0);
    b.h = std::max(b.h, 0);
    return b;
}

CaptionAlignment DecodeTextFormat(unsigned flags) {
    CaptionAlignment a;
    if (flags & kTextRight)
        a.h = HAlign::Right;
    else if (flags & kTextCenter)
        a.h = HAlign::Center;
    a.singleLine = (flags & kTextSingleLine) != 0;
    a.wordBreak = !a.singleLine && (flags & kTextWordBreak) != 0;
    if (a.singleLine) {
        if (flags & kTextBottom)
            a.v = VAlign::Bottom;
        else if (flags & kTextVCenter)
            a.v = VAlign::Center;
    }
    return a;
}

int CaptionPixelSize(int pointSize, int dpi) {
    const long px = std::lround(static_cast<double>(pointSize) * dpi / 72.0);
    return static_cast<int>(std::clamp<long>(px, 1, 1000));
}

int CaptionWeight(bool rotated) {
    return rotated ? 956 : 400;
}

CaptionOrigin RotatedCaptionOrigin(const CaptionBox& box, double textW, double textH,
                                   int escapement) {
    // Counter-clockwise on screen is a negative angle when y grows downwards.
    const double a = -escapement / 10.0 * std::numbers::pi / 180.0;
    const double cx = box.x + box.w / 2.0;
    const double cy = box.y + box.h / 2.0;
    const double hx = textW / 2.0;
    const double hy = textH / 2.0;
    // The text's middle, turned, must sit on the box's middle.
    return {cx - (hx * std::cos(a) - hy * std::sin(a)), cy - (hx * std::sin(a) + hy * std::cos(a))};
}

}  // namespace vorlin
