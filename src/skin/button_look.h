// What an image button shows: which of its images and caption colours wins, the outline of the
// keyboard picture, and where its caption goes. Qt-free so the rules are tested without a screen.
#pragma once

#include <cstdint>

namespace vorlin {

// The five image slots, in the order the placement hands them over, plus the alternative pair.
enum class ButtonImage { Normal = 0, Over = 1, Down = 2, Disabled = 3, Selected = 4, AltA, AltB };

struct ButtonState {
    bool enabled = true;
    bool altOn = false;
    bool altSelector = false;  // shows the pair's B image when set
    bool pressed = false;
    bool hover = false;
    bool selected = false;
};

struct ButtonLook {
    ButtonImage image = ButtonImage::Normal;
    int captionSlot = 0;  // index into the five caption colours
    bool operator==(const ButtonLook&) const = default;
};

// First rule that applies: disabled, the alternative pair (normal caption colour), pressed, hover,
// selected, normal. A disabled button therefore never shows its over look.
ButtonLook ChooseButtonLook(const ButtonState& s);

// The coloured outline the keyboard picture draws instead of a key's image.
struct ButtonOutline {
    std::uint32_t colour = 0;  // 0xRRGGBB
    int strength = 0;          // 0..100 once switched on; kept, not drawn
    bool on = false;
    bool operator==(const ButtonOutline&) const = default;
};

inline constexpr int kMaxOutlineStrength = 100;
inline constexpr int kOutlinePenWidth = 2;

// Switching the outline on limits the strength to 0..100; switched off, the values are kept as
// given and the button draws its image again.
ButtonOutline MakeOutline(std::uint32_t colour, int strength, bool on);

struct CaptionBox {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
    bool operator==(const CaptionBox&) const = default;
};

struct CaptionMargins {
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;
};

// The client rectangle shrunk by the margins (never below zero size).
CaptionBox CaptionRect(int clientW, int clientH, const CaptionMargins& m);

// Draw-text flags the layout code passes; 37 = single line, centred both ways.
inline constexpr unsigned kTextLeft = 0x0;
inline constexpr unsigned kTextCenter = 0x1;
inline constexpr unsigned kTextRight = 0x2;
inline constexpr unsigned kTextVCenter = 0x4;
inline constexpr unsigned kTextBottom = 0x8;
inline constexpr unsigned kTextWordBreak = 0x10;
inline constexpr unsigned kTextSingleLine = 0x20;
inline constexpr unsigned kDefaultTextFormat = kTextCenter | kTextVCenter | kTextSingleLine;

enum class HAlign { Left, Center, Right };
enum class VAlign { Top, Center, Bottom };

struct CaptionAlignment {
    HAlign h = HAlign::Left;
    VAlign v = VAlign::Top;
    bool singleLine = false;
    bool wordBreak = false;
    bool operator==(const CaptionAlignment&) const = default;
};

// Vertical centring and bottom alignment apply to single-line captions only; a multi-line caption
// starts at the top.
CaptionAlignment DecodeTextFormat(unsigned flags);

// Font pixel height of a caption of pointSize at dpi dots per inch (rounded, at least 1).
int CaptionPixelSize(int pointSize, int dpi);

// Weight on the 0..1000 scale: regular, heavy when rotated.
int CaptionWeight(bool rotated);

// Where to start drawing a w x h caption turned counter-clockwise by escapement tenths of a
// degree so that its middle lands on the middle of box. y grows downwards.
struct CaptionOrigin {
    double x = 0;
    double y = 0;
};
CaptionOrigin RotatedCaptionOrigin(const CaptionBox& box, double textW, double textH,
                                   int escapement);

}  // namespace vorlin
