// The key editor's dialog over the generated skin, offscreen, with the simulated keyboard: key
// events carry native scan codes as X11 gives them (Linux input code + 8).
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableWidget>

#include "app/app_core.h"
#include "keys/key_codes.h"
#include "skin/skin_layout.h"
#include "store/config_image.h"
#include "support/connect.h"
#include "support/qt_app.h"
#include "support/scripted_prompter.h"
#include "support/sim_core.h"
#include "support/temp_folder.h"
#include "ui/qt/composite_dialog.h"
#include "ui_editor/editor_fixture.h"

namespace vorlin {
namespace {

namespace fs = std::filesystem;
using test::App;

class NullUi final : public StoreUi {
  public:
    int changedOn = 0;
    void SetChanged(bool changed) override { changedOn += changed ? 1 : 0; }
    void ResetKeyButton(int, KeyIndex) override {}
    void RefreshKeyButtons(int) override {}
};

constexpr uint32_t kX11Offset = 8;
using test::kInA, test::kInB, test::kInLeftMeta, test::kInVolumeUp;
constexpr uint32_t kInEscape = 1;
constexpr KeyIndex kG9 = 264;
const QRect kButton(300, 300, 40, 40);

class CompositeDialogTest : public ::testing::Test {
  protected:
    CompositeDialogTest() {
        core_ = test::MakeSimCore(home_);
        store_ = test::MakeConnectedStore(*core_, prompter_, ui_);
        dialog_ = std::make_unique<CVorlin_DlgComposite>(*core_, *store_, host_);
        dialog_->SetScreenRect([](const QRect&) { return QRect(0, 0, 1366, 768); });
    }
    ~CompositeDialogTest() override { dialog_.reset(); }

    void Open(KeyIndex entry, int controlId, bool macroOnly = false) {
        ASSERT_TRUE(dialog_->Begin(entry, controlId, macroOnly, kButton));
        dialog_->show();
        QApplication::processEvents();
    }
    // As X11 delivers it: to the window holding the keyboard, else the dialog.
    void Key(uint32_t input, Qt::Key key, QEvent::Type type, uint64_t timeMs = 0,
             bool autoRepeat = false) {
        QKeyEvent e(type, key, Qt::NoModifier, input + kX11Offset, 0, 0, QString(), autoRepeat);
        e.setTimestamp(timeMs);
        QWidget* to = QWidget::keyboardGrabber() ? QWidget::keyboardGrabber() : dialog_.get();
        QApplication::sendEvent(to, &e);
    }
    void Tap(uint32_t input, Qt::Key key, uint64_t t0 = 0, uint64_t t1 = 0) {
        Key(input, key, QEvent::KeyPress, t0);
        Key(input, key, QEvent::KeyRelease, t1);
    }
    KeyAction Stored(KeyIndex entry) {
        std::lock_guard guard(core_->work.lock);
        return core_->work.image->tables[0][entry];
    }
    QRect Layout(const char* key) {
        const LayoutRect r = ReadLayoutRect(core_->paths.compositeSkin, kLayoutSection, key);
        return QRect(r.x, r.y, r.w, r.h);
    }

    test::TempFolder home_;
    std::unique_ptr<AppCore> core_;
    test::ScriptedPrompter prompter_{true};
    NullUi ui_;
    test::RecordingHost host_;
    std::unique_ptr<StoreContext> store_;
    std::unique_ptr<CVorlin_DlgComposite> dialog_;
};

TEST_F(CompositeDialogTest, SingleKeyPageCapturesWinKeysIgnoresMediaKeysAndKeepsEscape) {
    const KeyIndex a = KeyIndexOf(0x1E);
    Open(a, 1066);
    EXPECT_EQ(dialog_->size(), QSize(560, 456));
    EXPECT_EQ(dialog_->KeyEdit()->geometry(), Layout("FUNC_KEY_INPUT"));
    EXPECT_TRUE(dialog_->KeyEdit()->isVisible());
    EXPECT_FALSE(dialog_->Actions()->isVisible());
    EXPECT_TRUE(dialog_->Button(1028)->Selected());
    EXPECT_FALSE(dialog_->Button(1015)->isEnabled());

    // A multimedia key passes: nothing captured, Apply still off.
    Tap(kInVolumeUp, Qt::Key_VolumeUp);
    EXPECT_EQ(dialog_->Editor().capturedKey(), 0);
    EXPECT_TRUE(dialog_->KeyEdit()->text().isEmpty());

    Tap(kInLeftMeta, Qt::Key_Meta);
    EXPECT_EQ(dialog_->Editor().capturedKey(), 0x15B);
    EXPECT_FALSE(dialog_->KeyEdit()->text().isEmpty());
    EXPECT_TRUE(dialog_->Button(1015)->isEnabled());

    // Escape is captured as a key on this page and never closes the dialog.
    Tap(kInEscape, Qt::Key_Escape);
    EXPECT_TRUE(dialog_->isVisible());
    Tap(kInLeftMeta, Qt::Key_Meta);

    dialog_->Button(1015)->click();
    EXPECT_EQ(Stored(a).type, kActionKey);
    EXPECT_EQ(Stored(a).value, 0x15Bu);
    EXPECT_EQ(host_.marks.back(), std::make_pair(1066, true));
    EXPECT_GE(ui_.changedOn, 1);
    EXPECT_FALSE(dialog_->Button(1015)->isEnabled());

    // Capturing the edited key itself makes it default again.
    Tap(kInA, Qt::Key_A);
    dialog_->Button(1)->click();
    EXPECT_FALSE(dialog_->isVisible());
    EXPECT_EQ(dialog_->OpenCount(), 0);
    EXPECT_EQ(Stored(a).type, kActionDefault);
    EXPECT_EQ(host_.restored.size(), 1u);
}

TEST_F(CompositeDialogTest, MouseChoiceAndOtherPagesWithEscapeOnAPageThatDoesNotCapture) {
    const KeyIndex b = KeyIndexOf(0x30);
    Open(b, 1066);
    dialog_->Check(1186)->click();  // mouse
    EXPECT_FALSE(dialog_->KeyEdit()->isEnabled());
    EXPECT_TRUE(dialog_->Combo(1187)->isEnabled());
    dialog_->Button(1030)->click();  // multimedia page
    EXPECT_TRUE(dialog_->Combo(1128)->isVisible());
    EXPECT_FALSE(dialog_->KeyEdit()->isVisible());
    EXPECT_TRUE(dialog_->Button(1030)->Selected());
    EXPECT_FALSE(dialog_->Button(1028)->Selected());
    Tap(kInEscape, Qt::Key_Escape);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(dialog_.get(), &enter);
    EXPECT_TRUE(dialog_->isVisible());
    dialog_->Button(2)->click();  // Cancel leaves the store alone
    EXPECT_FALSE(dialog_->isVisible());
    EXPECT_EQ(Stored(b).type, kActionDefault);
}

TEST_F(CompositeDialogTest, MacroButtonRecordsAMacroAndOkGivesItToG9) {
    Open(kG9, kMacroEditButtonId, true);
    // Centred on the screen; the other pages off.
    EXPECT_EQ(dialog_->pos(), QPoint((1366 - 560) / 2, (768 - 456) / 2));
    EXPECT_FALSE(dialog_->Button(1028)->isEnabled());
    EXPECT_FALSE(dialog_->Button(1032)->isEnabled());
    EXPECT_TRUE(dialog_->Actions()->isVisible());
    EXPECT_FALSE(dialog_->Button(1020)->isEnabled());  // no macro yet

    dialog_->Button(1017)->click();  // Add
    ASSERT_EQ(dialog_->MacroCombo()->count(), 1);
    ASSERT_TRUE(dialog_->Button(1020)->isEnabled());
    if (!dialog_->Check(1027)->isChecked()) dialog_->Check(1027)->click();  // measure delays
    ASSERT_EQ(dialog_->Editor().recordDelays(), 1);
    dialog_->Button(1020)->click();  // record
    EXPECT_TRUE(dialog_->Editor().recording());
    EXPECT_FALSE(dialog_->Button(1017)->isEnabled());
    Key(kInA, Qt::Key_A, QEvent::KeyPress, 1000);
    Key(kInA, Qt::Key_A, QEvent::KeyPress, 1030, true);  // auto-repeat: swallowed
    Key(kInA, Qt::Key_A, QEvent::KeyRelease, 1100);
    Tap(kInB, Qt::Key_B, 1200, 1250);
    Tap(kInEscape, Qt::Key_Escape, 1300, 1310);  // recorded, not closing
    dialog_->Button(1020)->click();              // stop
    EXPECT_FALSE(dialog_->Editor().recording());
    ASSERT_EQ(dialog_->Actions()->rowCount(), 6);
    EXPECT_EQ(dialog_->Actions()->item(0, 2)->text(), "100");  // A down until A up
    EXPECT_EQ(dialog_->Actions()->item(1, 1)->text(), "  ↑");

    // Typed delays are clamped and rounded.
    dialog_->Actions()->cellDoubleClicked(1, 2);
    auto* edit = qobject_cast<QLineEdit*>(dialog_->CellEditorWidget());
    ASSERT_NE(edit, nullptr);
    edit->setText("125");
    emit edit->editingFinished();
    EXPECT_EQ(dialog_->Actions()->item(1, 2)->text(), "120");
    // The key cell offers the key list.
    dialog_->Actions()->cellDoubleClicked(2, 0);
    auto* keys = qobject_cast<QComboBox*>(dialog_->CellEditorWidget());
    ASSERT_NE(keys, nullptr);
    EXPECT_EQ(keys->count(), 111);
    keys->hidePopup();

    dialog_->RepeatEdit()->setText("300");
    emit dialog_->RepeatEdit()->textEdited("300");
    EXPECT_EQ(dialog_->RepeatEdit()->text(), "255");

    dialog_->Button(1)->click();  // OK
    EXPECT_FALSE(dialog_->isVisible());
    const KeyAction g9 = Stored(kG9);
    EXPECT_EQ(g9.type, kActionMacro);
    std::lock_guard guard(core_->work.lock);
    ASSERT_EQ(core_->work.macros.size(), 1u);
    const MacroRecord& m = core_->work.macros.front();
    EXPECT_EQ(g9.value, m.macroId);
    EXPECT_EQ(m.actionCount, 6);
    EXPECT_EQ(m.repeatCount, 255);
    EXPECT_EQ(m.actions[1].delayMs, 120);
}

TEST_F(CompositeDialogTest, OpensBesideTheButtonWhereTheScreenHasRoom) {
    struct Case {
        QRect button;
        QPoint at;
    };
    const Case cases[] = {
        {QRect(100, 100, 40, 40), QPoint(140, 140)},   // right and below
        {QRect(1000, 100, 40, 40), QPoint(440, 140)},  // no room right: left
        {QRect(100, 600, 40, 40), QPoint(140, 144)},   // no room below: above
        {QRect(0, 0, 1366, 768), QPoint(1366, 768)},   // room nowhere: right and below
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(dialog_->Begin(KeyIndexOf(0x1E), 1066, false, c.button));
        EXPECT_EQ(dialog_->pos(), c.at) << c.button.x() << "," << c.button.y();
        dialog_->CloseIfOpen();
        EXPECT_EQ(dialog_->OpenCount(), 0);
    }
}

}  // namespace
}  // namespace vorlin
