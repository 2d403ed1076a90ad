#include "skin/slider_math.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vorlin {

namespace {

int TruncToInt(double v) {
    v = std::trunc(v);
    v = std::clamp(v, static_cast<double>(std::numeric_limits<int>::min()),
                   static_cast<double>(std::numeric_limits<int>::max()));
    return static_cast<int>(v);
}

// Steps that would leave int range are held at its edge; SetPos then clamps to the range.
int Offset(int base, long long by) {
    const long long v = static_cast<long long>(base) + by;
    return static_cast<int>(
        std::clamp<long long>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

}  // namespace

void SliderLogic::SetRange(int minimum, int maximum) {
    minimum_ = std::min(minimum, maximum);
    maximum_ = std::max(minimum, maximum);
    position_ = std::clamp(position_, minimum_, maximum_);
}

int SliderLogic::SetPageSize(int n) {
    const int previous = pageSize_;
    pageSize_ = n;
    return previous;
}

void SliderLogic::SetPos(int p) {
    position_ = std::clamp(p, minimum_, maximum_);
}

int SliderLogic::PixelOf(int position) const {
    if (maximum_ == minimum_) return 0;
    const double span = static_cast<double>(maximum_) - minimum_;
    return TruncToInt((static_cast<double>(position) - minimum_) / span * width_);
}

int SliderLogic::PositionAt(int x) const {
    if (width_ <= 0) return minimum_;
    const double span = static_cast<double>(maximum_) - minimum_;
    return TruncToInt(minimum_ + (static_cast<double>(x) + 10) / width_ * span);
}

bool SliderLogic::MoveTo(int x) {
    if (x == PixelOf(position_)) return false;
    SetPos(PositionAt(x));
    return true;
}

bool SliderLogic::Press(int x) {
    if (!enabled_) return false;
    focused_ = true;
    dragging_ = true;
    return MoveTo(x);
}

bool SliderLogic::Move(int x) {
    if (!dragging_ || !enabled_) return false;
    return MoveTo(x);
}

bool SliderLogic::Release() {
    if (!enabled_) return false;
    dragging_ = false;
    return true;
}

bool SliderLogic::Key(SliderKey k) {
    if (!enabled_) return false;
    switch (k) {
        case SliderKey::PageUp:
            SetPos(Offset(position_, -static_cast<long long>(pageSize_)));
            break;
        case SliderKey::PageDown:
            SetPos(Offset(position_, pageSize_));
            break;
        case SliderKey::End:
            SetPos(maximum_);
            break;
        case SliderKey::Home:
            SetPos(minimum_);
            break;
        case SliderKey::Left:
        case SliderKey::Up:
            SetPos(Offset(position_, -1));
            break;
        case SliderKey::Right:
        case SliderKey::Down:
            SetPos(Offset(position_, 1));
            break;
    }
    return true;
}

bool SliderLogic::Wheel(int delta) {
    if (!focused_) return false;
    if (delta >= kWheelNotch)
        SetPos(Offset(position_, -(delta / kWheelNotch)));  // one step per whole notch away
    else if (delta < 0)
        SetPos(Offset(position_, 1));
    return true;  // a part notch away changes nothing but is still reported
}

}  // namespace vorlin
