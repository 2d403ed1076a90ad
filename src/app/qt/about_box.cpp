#include "app/qt/about_box.h"

#include <QVBoxLayout>

namespace vorlin {

CAboutBox::CAboutBox(QWidget* parent) : QDialog(parent) {
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    about_.setWordWrap(true);
    copyright_.setWordWrap(true);
    layout->addWidget(&about_);
    layout->addWidget(&copyright_);
    layout->addWidget(&ok_, 0, Qt::AlignRight);
    connect(&ok_, &QPushButton::clicked, this, &QDialog::hide);
    setMinimumWidth(320);
}

void CAboutBox::SetTexts(const QString& title, const QString& about, const QString& copyright,
                         const QString& ok) {
    setWindowTitle(title);
    about_.setText(about);
    copyright_.setText(copyright);
    ok_.setText(ok);
    ok_.setAccessibleName(ok);
}

}  // namespace vorlin
