// The composite key editor: the skinned dialog of "Composite.ini" over CompositeEditor. It shows
// the editor's state, forwards clicks, and hands it the key events of the dialog while the
// single-key page captures or the recorder records; Enter and Escape never close it.
#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "app/app_core.h"
#include "skin/qt/base_dialog.h"
#include "skin/qt/png_button.h"
#include "store/store_context.h"
#include "ui/composite_editor.h"

class QCheckBox;
class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QTableWidget;

namespace vorlin {

class CVorlin_DlgComposite : public CBaseDialog {
    Q_OBJECT
  public:
    // store: the main window's; host: the keyboard panel (assigned mark, tooltips, look).
    CVorlin_DlgComposite(AppCore& core, StoreContext& store, CompositeHost& host,
                         QWidget* parent = nullptr);
    ~CVorlin_DlgComposite() override;

    // Opens for a key of the active profile beside `button` (screen coordinates), or centred
    // for the macro button; false when the editor is open already. OpenFor runs it modally.
    bool Begin(KeyIndex entry, int controlId, bool macroOnly, const QRect& button);
    int OpenFor(KeyIndex entry, int controlId, bool macroOnly, const QRect& button);
    // Closes as Cancel does when open (keyboard loss, the main window hiding).
    void CloseIfOpen();
    int OpenCount() const { return editor_.openCount(); }
    void ApplyLanguage(int languageIndex);

    // For tests: the screen the dialog is placed on, what F1 does, the message when no
    // on-screen keyboard is installed, and the widgets.
    void SetScreenRect(std::function<QRect(const QRect& button)> screen) {
        screen_ = std::move(screen);
    }
    void SetHelpOpener(std::function<void()> open) { openHelp_ = std::move(open); }
    const CompositeEditor& Editor() const { return editor_; }
    CPngButton* Button(int id) const;
    QLineEdit* KeyEdit() const { return keyEdit_; }
    QComboBox* MacroCombo() const { return macroCombo_; }
    QTableWidget* Actions() const { return actions_; }
    QLineEdit* RepeatEdit() const { return repeat_; }
    QComboBox* Combo(int id) const;
    QCheckBox* Check(int id) const;
    // The cell editor a double click opened (key or state list, or the delay edit).
    QWidget* CellEditorWidget() const { return cellEditor_; }

  public slots:
    void done(int result) override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void Build();
    void OnCommand(int id);
    void Sync();
    void ShowActions();
    void ShowMacroList();
    void UpdateGrab();
    void EditCell(int row, int column);
    void EndCellEdit();
    void StartOnScreenKeyboard();
    QString Text(const char* key) const;

    AppCore& core_;
    StoreContext& store_;
    CompositeEditor editor_;
    int languageIndex_;
    std::function<QRect(const QRect&)> screen_;
    std::function<void()> openHelp_;
    std::map<std::string, ButtonImageSet> looks_;
    std::string lookShown_;
    std::map<int, QWidget*> controls_;  // every control of the layout, by id
    std::map<int, CPngButton*> buttons_;
    std::map<int, QLabel*> labels_;
    std::map<int, QCheckBox*> checks_;
    std::map<int, QComboBox*> combos_;
    QLineEdit* keyEdit_ = nullptr;
    QComboBox* macroCombo_ = nullptr;
    QTableWidget* actions_ = nullptr;
    QLineEdit* repeat_ = nullptr;
    QLabel* title_ = nullptr;
    std::vector<std::optional<ActionRow>> shownRows_;  // what each row of the list shows
    QPointer<QWidget> cellEditor_;
    bool recordToggled_ = false;  // the record caption leaves "A_RECORD" after the first toggle
    bool grabbing_ = false;
    uint64_t lastInputMs_ = 0;  // time stamp of the latest input event (starts the recorder)
    bool syncing_ = false;
    // The key event last handed on, so its trip through the parents is not seen twice.
    struct PassedKey {
        const QEvent* event = nullptr;
        int type = 0;
        uint32_t scanCode = 0;
        uint64_t timestamp = 0;
        bool operator==(const PassedKey&) const = default;
    };
    PassedKey passed_;
};

}  // namespace vorlin
