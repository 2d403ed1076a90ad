// The picture slider's behaviour without a screen: range, page size, the pixel/position formulas,
// and what each pointer, key and wheel event does. The widget forwards its events here and sends
// a notification whenever a call returns true.
#pragma once

namespace vorlin {

enum class SliderKey { PageUp, PageDown, End, Home, Left, Up, Right, Down };

class SliderLogic {
  public:
    // A reversed range is put in order; the position is kept inside the new range.
    void SetRange(int minimum, int maximum);
    // Returns the previous page size.
    int SetPageSize(int n);
    // Clamped to the range.
    void SetPos(int p);
    // The track picture's width; the formulas scale by it.
    void SetWidth(int w) { width_ = w; }
    void SetEnabled(bool on) { enabled_ = on; }

    int Minimum() const { return minimum_; }
    int Maximum() const { return maximum_; }
    int Position() const { return position_; }
    int PageSize() const { return pageSize_; }
    int Width() const { return width_; }
    bool Dragging() const { return dragging_; }
    bool Focused() const { return focused_; }

    // (position - minimum) / (maximum - minimum) * width, truncated; 0 for an empty range.
    int PixelOf(int position) const;
    // minimum + (x + 10) / width * (maximum - minimum), truncated; minimum without a width.
    int PositionAt(int x) const;

    // Each returns true when the owner must be notified (with the position after the call).
    bool Press(int x);      // takes the focus and starts dragging
    bool Move(int x);       // follows the pointer while dragging
    bool Release();         // always notifies
    bool Key(SliderKey k);  // always notifies, even when the position stays
    bool Wheel(int delta);  // while focused; always notifies then
    void Leave() { focused_ = false; }
    void FocusLost() { focused_ = false; }

  private:
    bool MoveTo(int x);

    int minimum_ = 0;
    int maximum_ = 100;
    int position_ = 0;
    int pageSize_ = 10;
    int width_ = 0;
    bool enabled_ = true;
    bool dragging_ = false;
    bool focused_ = false;
};

// Mouse wheel deltas come in notches of this size.
inline constexpr int kWheelNotch = 120;

}  // namespace vorlin
