// The lighting panel's colour button: a colour well with a drop-down mark that opens a palette of
// ten columns, an automatic entry and an "other" entry for any colour.
#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QString>
#include <vector>

class QColorDialog;
class QFrame;

namespace vorlin {

class CSkinColorBtn : public QAbstractButton {
    Q_OBJECT
  public:
    // The colour value of "automatic".
    static constexpr int kAutomatic = -1;

    explicit CSkinColorBtn(QWidget* parent = nullptr);

    // 0xRRGGBB, or kAutomatic.
    void SetColor(int rgb);
    int GetColor() const { return colour_; }
    // The colour drawn for kAutomatic, and the text of the palette's automatic entry (none
    // without a text).
    void SetAutomaticColor(const QColor& colour, const QString& text = QString());
    QColor AutomaticColor() const { return automatic_; }
    // The text of the entry that opens the colour dialog (none without a text).
    void EnableOtherButton(const QString& text);
    void SetColumnsNumber(int columns);
    void SetPalette(const std::vector<QColor>& colours);
    const std::vector<QColor>& PaletteColours() const { return colours_; }
    // The colour the well shows.
    QColor DisplayedColor() const;

    // The palette, built on first use and shown under the button.
    void ShowPopup();
    QFrame* Popup() const { return popup_; }
    QColorDialog* OtherDialog() const { return otherDialog_; }

  signals:
    // The user chose a colour (0xRRGGBB or kAutomatic).
    void colorChosen(int rgb);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool event(QEvent* event) override;

  private:
    void Choose(int rgb);
    void BuildPopup();
    void OpenOtherDialog();

    int colour_ = kAutomatic;
    QColor automatic_ = Qt::black;
    QString automaticText_;
    QString otherText_;
    int columns_ = 10;
    std::vector<QColor> colours_;
    bool hover_ = false;
    QFrame* popup_ = nullptr;
    QColorDialog* otherDialog_ = nullptr;
};

}  // namespace vorlin
