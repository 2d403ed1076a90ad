#include <gtest/gtest.h>
#include <QColorDialog>
#include <QFrame>
#include <QPushButton>
#include <QToolButton>

#include "qt_fixture.h"
#include "skin/qt/skin_color_button.h"

namespace vorlin {
namespace {

using namespace vorlin::testing;

class ColorButton : public QtTest {
  protected:
    void SetUp() override {
        App();
        button_ = new CSkinColorBtn(&window_);
        button_->setGeometry(0, 0, 40, 20);
        QObject::connect(button_, &CSkinColorBtn::colorChosen,
                         [this](int rgb) { chosen_.push_back(rgb); });
    }
    QWidget window_;
    CSkinColorBtn* button_ = nullptr;
    std::vector<int> chosen_;
};

TEST_F(ColorButton, WellShowsTheColourOrTheAutomaticOne) {
    button_->SetAutomaticColor(QColor(0, 200, 100));
    button_->SetColor(0x123456);
    QImage drawn = Render(*button_);
    EXPECT_EQ(drawn.pixel(10, 10), qRgb(0x12, 0x34, 0x56));
    EXPECT_EQ(drawn.pixel(30, 4), qRgb(148, 146, 139)) << "the drop-down part";
    EXPECT_EQ(drawn.pixel(32, 9), qRgb(0, 0, 0)) << "the drop-down mark";

    button_->SetColor(CSkinColorBtn::kAutomatic);
    EXPECT_EQ(button_->GetColor(), -1);
    EXPECT_EQ(Render(*button_).pixel(10, 10), qRgb(0, 200, 100));

    button_->setEnabled(false);
    EXPECT_NE(Render(*button_).pixel(10, 10), qRgb(0, 200, 100)) << "a disabled well is empty";
}

TEST_F(ColorButton, PaletteHasTenColumnsAndChoosesAColour) {
    button_->SetAutomaticColor(Qt::black, QStringLiteral("Automatic"));
    button_->EnableOtherButton(QStringLiteral("Other..."));
    button_->click();
    QFrame* popup = button_->Popup();
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(popup->isVisible());
    const auto swatches = popup->findChildren<QToolButton*>();
    ASSERT_EQ(swatches.size(), static_cast<qsizetype>(button_->PaletteColours().size()));
    // Ten to a row: the eleventh starts the second row under the first.
    EXPECT_EQ(swatches[10]->x(), swatches[0]->x());
    EXPECT_GT(swatches[10]->y(), swatches[9]->y());
    EXPECT_GT(swatches[9]->x(), swatches[8]->x());

    swatches[20]->click();
    ASSERT_EQ(chosen_.size(), 1u);
    EXPECT_EQ(chosen_[0], static_cast<int>(button_->PaletteColours()[20].rgb() & 0xFFFFFF));
    EXPECT_EQ(button_->GetColor(), chosen_[0]);
    EXPECT_FALSE(popup->isVisible());

    button_->click();
    for (QPushButton* b : button_->Popup()->findChildren<QPushButton*>())
        if (b->text() == QStringLiteral("Automatic")) b->click();
    ASSERT_EQ(chosen_.size(), 2u);
    EXPECT_EQ(chosen_[1], CSkinColorBtn::kAutomatic);
}

TEST_F(ColorButton, OtherEntryOpensTheColourDialog) {
    button_->EnableOtherButton(QStringLiteral("Other..."));
    button_->click();
    QPushButton* other = nullptr;
    for (QPushButton* b : button_->Popup()->findChildren<QPushButton*>())
        if (b->text() == QStringLiteral("Other...")) other = b;
    ASSERT_NE(other, nullptr);
    other->click();
    QColorDialog* dialog = button_->OtherDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    dialog->setCurrentColor(QColor(0xAB, 0xCD, 0xEF));
    dialog->accept();
    ASSERT_EQ(chosen_.size(), 1u);
    EXPECT_EQ(chosen_[0], 0xABCDEF);
}

}  // namespace
}  // namespace vorlin
