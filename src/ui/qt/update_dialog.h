// The firmware update and backup dialog: the skinned dialog of "UpdateDlg.ini" over
// FirmwareUpdate. Its backup runs on a worker thread with the buttons disabled.
#pragma once

#include <map>
#include <thread>

#include "app/app_core.h"
#include "skin/qt/base_dialog.h"
#include "skin/qt/png_button.h"
#include "ui/firmware_update.h"
#include "ui/qt/dialog_support.h"

class QComboBox;
class QLabel;

namespace vorlin {

class CVorlin_DlgUpdate : public CBaseDialog {
    Q_OBJECT
  public:
    // prompter: the application's message boxes.
    CVorlin_DlgUpdate(AppCore& core, Prompter& prompter, QWidget* parent = nullptr);
    ~CVorlin_DlgUpdate() override;

    // 'LANG': every text again in that language.
    void ApplyLanguage(int languageIndex);
    // While the backup runs on its thread.
    bool Busy() const { return worker_.joinable(); }

    // For tests: the file chooser and what F1 does.
    void SetFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }
    void SetHelpOpener(std::function<void()> open) { openHelp_ = std::move(open); }
    CPngButton* Button(int id) const;
    QLabel* PathLabel() const { return path_; }
    const FirmwareUpdate& Model() const { return firmware_; }
    // Where the updater chooser starts: the "Package" folder when there is one, else home.
    QString UpdaterFolder() const;

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void OnCommand(int id);
    void ShowPath();
    void StartBackup(const std::filesystem::path& file);
    void SetControlsEnabled(bool on);
    QString Text(const char* key) const;

    AppCore& core_;
    FirmwareUpdate firmware_;
    FileChooser chooser_;
    std::function<void()> openHelp_;
    ButtonImageSet looks_;
    std::map<int, CPngButton*> buttons_;
    QLabel* path_ = nullptr;
    QComboBox* combo_ = nullptr;
    QLabel* title_ = nullptr;
    int languageIndex_;
    std::thread worker_;
};

}  // namespace vorlin
