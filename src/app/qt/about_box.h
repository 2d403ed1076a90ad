// The About box: modeless, one at a time, its texts from the language file; closing it only
// hides it.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>

namespace vorlin {

class CAboutBox : public QDialog {
    Q_OBJECT
  public:
    explicit CAboutBox(QWidget* parent = nullptr);
    void SetTexts(const QString& title, const QString& about, const QString& copyright,
                  const QString& ok);

  private:
    QLabel about_;
    QLabel copyright_;
    QPushButton ok_;
};

}  // namespace vorlin
