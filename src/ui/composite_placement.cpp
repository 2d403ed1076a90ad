// Placement of the composite key editor.
#include "ui/composite_placement.h"

namespace vorlin {

ScreenPoint PlaceCompositeDialog(const ScreenRect& button, int width, int height,
                                 const ScreenRect& screen, bool centred) {
    if (centred) {
        return {screen.x + (screen.w - width) / 2, screen.y + (screen.h - height) / 2};
    }
    ScreenPoint p;
    if (button.right() + width <= screen.right()) {
        p.x = button.right();
    } else if (button.x - width >= screen.x) {
        p.x = button.x - width;
    } else {
        p.x = button.right();
    }
    if (button.bottom() + height <= screen.bottom()) {
        p.y = button.bottom();
    } else if (button.y - height >= screen.y) {
        p.y = button.y - height;
    } else {
        p.y = button.bottom();
    }
    return p;
}

}  // namespace vorlin
