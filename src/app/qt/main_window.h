// The main window: the skinned dialog of "Main.ini" with its frame buttons, tray icon, About box,
// timers and the messages the device threads, other copies of the program and the language
// change send it. The panels inside it (keys, lighting, profiles, apply) are placed here and
// wired by their own classes.
#pragma once

#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "app/access_notice.h"
#include "app/app_core.h"
#include "app/named_events.h"
#include "app/qt/about_box.h"
#include "app/qt/gui_bridge.h"
#include "app/qt/gui_seams.h"
#include "app/qt/tray_icon.h"
#include "app/single_instance.h"
#include "device/connection_monitor.h"
#include "skin/qt/base_dialog.h"
#include "skin/qt/png_button.h"
#include "store/lighting_model.h"
#include "store/store_context.h"
#include "ui/qt/composite_dialog.h"
#include "ui/qt/keyboard_panel_view.h"
#include "ui/qt/lighting_panel.h"
#include "ui/qt/profile_dialog.h"
#include "ui/qt/update_dialog.h"

class QLabel;
class QMenu;

namespace vorlin {

struct MainWindowOptions {
    bool startHidden = false;  // "/Start": the first connection leaves the window hidden
    MonitorTimings timings{};
    std::string eventPrefix = kNamedEventPrefix;
    // Why this user cannot open the keyboard, asked when it is not connected; nullopt: it is
    // not there.
    std::function<std::optional<AccessNotice>()> accessNotice = [] {
        return KeyboardAccessNotice(AccessCheckRoots{});
    };
};

class CVorlinDlg : public CBaseDialog {
    Q_OBJECT
  public:
    CVorlinDlg(AppCore& core, GuiBridge& bridge, Prompter& prompter, MainWindowOptions options);
    ~CVorlinDlg() override;

    // The initialisation steps: images, layout, user folder, caption, named events, tray, the
    // hide at start, the language, the device threads and the preview timer. server, when
    // given, is this copy's instance socket: its requests are served from here on.
    void Initialise(std::optional<InstanceServer> server);

    // What the device threads and other copies ask (on the GUI thread).
    void CloseSecondaryWindows();
    void ReloadFromKeyboard();
    void ShowMainWindow();
    void HideMainWindow();
    void ReloadLighting(bool resetUserColourFiles);
    void ShowTrayState(TrayState state);
    void OnInstanceRequest(InstanceRequest request);
    // 'LED': each G-key button marked while the active profile assigns its key.
    void MarkAssignedGKeys();
    // A command of the window's buttons and menus.
    void OnCommand(int id);
    // 'LANG': every text again in that language, also in the open secondary windows.
    void ApplyLanguage(int languageIndex);
    // The orderly end: hide, close secondary windows, give up the instance socket, remove the
    // named events and the tray icon, stop the device threads, save the simulated keyboard.
    void ExitApplication();

    // For the application and its tests.
    CPngButton* Button(int id) const;
    CTrayIcon& Tray() { return *tray_; }
    CAboutBox* AboutBox() const { return about_; }
    bool Exited() const { return exited_; }
    StoreContext& Store() { return *store_; }
    const LightingModel& Lighting() const { return lighting_; }
    int SwitchView() const { return keys_ && keys_->Panel().switchView() ? 1 : 0; }
    KeyboardPanelView& Keys() { return *keys_; }
    LightingPanel& LightingControls() { return *lightingPanel_; }
    CVorlin_DlgProfile* ProfileDialog() const { return profileDialog_.get(); }
    CVorlin_DlgComposite* CompositeDialog() const { return compositeDialog_.get(); }
    CVorlin_DlgUpdate* UpdateDialog() const { return updateDialog_.get(); }

  signals:
    void exited();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    class WindowStoreUi;

    void LoadImages();
    void PlaceControls();
    void SetSwitchCaption();
    void ShowButtonMenu();
    void ShowAbout();
    void OpenHelp();
    void OpenLink(const QString& url);
    QString Text(const char* key) const;
    QString MenuLabel(int command) const;
    void Hide();  // into the tray, or to the taskbar without one
    // Tells why the keyboard cannot be used: refused to this user, or (unless onlyWhenRefused)
    // not there.
    void TellNoKeyboard(bool onlyWhenRefused);

    AppCore& core_;
    GuiBridge& bridge_;
    Prompter& prompter_;
    MainWindowOptions options_;
    GuiSink sink_;
    std::unique_ptr<WindowStoreUi> storeUi_;
    std::unique_ptr<StoreContext> store_;
    LightingModel lighting_;
    std::unique_ptr<KeyboardPanelView> keys_;
    std::unique_ptr<LightingPanel> lightingPanel_;
    std::unique_ptr<CVorlin_DlgProfile> profileDialog_;      // made when first opened
    std::unique_ptr<CVorlin_DlgComposite> compositeDialog_;  // made when first opened
    std::unique_ptr<CVorlin_DlgUpdate> updateDialog_;
    std::unique_ptr<ConnectionMonitor> monitor_;
    std::optional<InstanceServer> server_;
    std::unique_ptr<QSocketNotifier> serverNotifier_;
    NamedEvents events_;
    std::unique_ptr<CTrayIcon> tray_;
    QPointer<CAboutBox> about_;
    QMenu* buttonMenu_ = nullptr;
    QLabel* title_ = nullptr;
    ButtonImageSet looks_;  // main_normal, over, down, disable (as the looks' order)
    QPixmap arrowSheet_, switchOff_, switchOn_;
    std::map<int, CPngButton*> buttons_;
    QTimer previewTimer_;  // 1052
    QString linkUrl_;
    bool exited_ = false;
    bool showOnConnect_ = false;  // the user was told how to grant access and waits for it
};

}  // namespace vorlin
