// The lighting panel's slider: it shows one picture that already depicts the slider at its
// position (the owner swaps the picture on every change) and reports every press, drag, release,
// key and wheel turn with its control id and position.
#pragma once

#include <QPixmap>
#include <QWidget>

#include "skin/slider_math.h"

namespace vorlin {

class CBitmapSlider : public QWidget {
    Q_OBJECT
  public:
    explicit CBitmapSlider(int controlId, QWidget* parent = nullptr);

    // Takes the picture's logical size as the control's, keeping its position. What is shown
    // comes from the next SetTrackImage.
    void Init(const QPixmap& image);
    void SetRange(int minimum, int maximum);
    int SetPageSize(int n);  // returns the previous page size
    void SetPos(int position);
    int GetPos() const { return logic_.Position(); }
    // Shows picture at once.
    void SetTrackImage(const QPixmap& picture);

    int ControlId() const { return controlId_; }
    const SliderLogic& Logic() const { return logic_; }

  signals:
    // After every press, drag step, release, key and wheel turn, even when the position stayed.
    // Owners that must not be re-entered from the event connect it queued.
    void notified(int controlId, int position);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

  private:
    void Notify(bool due);

    int controlId_;
    SliderLogic logic_;
    QPixmap picture_;
};

}  // namespace vorlin
