// Where the composite key editor opens: beside the clicked key button, or centred for the macro
// edit button. Logical pixels, screen coordinates.
#pragma once

namespace vorlin {

struct ScreenRect {
    int x = 0, y = 0, w = 0, h = 0;
    int right() const { return x + w; }
    int bottom() const { return y + h; }
};

struct ScreenPoint {
    int x = 0, y = 0;
    bool operator==(const ScreenPoint&) const = default;
};

// Top-left corner of a dialog of width x height: right of the button when the screen has room
// there, else left of it when that has room, else right anyway; below the button, else above,
// else below. Centred on the screen with `centred`.
ScreenPoint PlaceCompositeDialog(const ScreenRect& button, int width, int height,
                                 const ScreenRect& screen, bool centred);

}  // namespace vorlin
