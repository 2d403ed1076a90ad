// The profile manager: the skinned dialog of "Profile.ini" over ProfileManager. It shows the
// list and forwards the buttons; its Apply runs on a worker thread with the controls disabled.
#pragma once

#include <QPointer>
#include <map>
#include <memory>
#include <thread>

#include "app/app_core.h"
#include "skin/qt/base_dialog.h"
#include "skin/qt/png_button.h"
#include "store/store_context.h"
#include "ui/profile_manager.h"
#include "ui/qt/dialog_support.h"

class QLabel;
class QTableWidget;
class QTableWidgetItem;

namespace vorlin {

class CVorlin_DlgProfile : public CBaseDialog {
    Q_OBJECT
  public:
    // store: the main window's; its ui is told when the changed state goes off.
    CVorlin_DlgProfile(AppCore& core, StoreContext& store, QWidget* parent = nullptr);
    ~CVorlin_DlgProfile() override;

    // 1 while the dialog is shown.
    int OpenCount() const { return manager_.OpenCount(); }
    // The Apply button's state: the manager has changes not applied yet.
    bool HasUnappliedChanges() const { return manager_.ApplyEnabled(); }
    // The main window switched to profile n: row n ticked, Apply off (only while open).
    void SwitchProfile(int n);
    // 'LANG': every text again in that language.
    void ApplyLanguage(int languageIndex);
    // While the apply runs on its thread.
    bool Busy() const { return worker_.joinable(); }

    // For tests: the chooser of the file dialogs and what F1 does.
    void SetFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }
    void SetHelpOpener(std::function<void()> open) { openHelp_ = std::move(open); }
    CPngButton* Button(int id) const;
    QTableWidget* List() const { return list_; }
    const ProfileManager& Manager() const { return manager_; }

  signals:
    // An apply ended: the main window rebuilds its profile menu.
    void applied();

  public slots:
    void done(int result) override;

  protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void OnCommand(int id);
    void ShowRows();
    void OnItemChanged(QTableWidgetItem* item);
    void StartApply(bool thenClose);
    void ApplyEnded(bool thenClose);
    void SetControlsEnabled(bool on);
    QString Text(const char* key) const;

    AppCore& core_;
    GuiThreadStoreUi storeUi_;
    StoreContext store_;  // the main window's, with storeUi_ as its window side
    ProfileManager manager_;
    FileChooser chooser_;
    std::function<void()> openHelp_;
    ButtonImageSet looks_;
    std::map<int, CPngButton*> buttons_;
    QTableWidget* list_ = nullptr;
    QLabel* title_ = nullptr;
    int languageIndex_;
    bool showing_ = false;
    std::thread worker_;
};

}  // namespace vorlin
