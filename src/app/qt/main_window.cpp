#include "app/qt/main_window.h"

#include <QCloseEvent>
#include <QCursor>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QUrl>
#include <iostream>

#include "app/autostart.h"
#include "app/daemon_launch.h"
#include "app/qt/language_menu.h"
#include "device/protocol.h"
#include "platform/text_key_names.h"
#include "skin/language.h"
#include "skin/qt/skin_image.h"
#include "skin/qt/skin_placement.h"
#include "skin/skin_catalog.h"
#include "store/config_device.h"
#include "store/config_image.h"
#include "store/lighting_model.h"
#include "store/profile_file.h"
#include "ui/keyboard_layout.h"
#include "ui/qt/dialog_support.h"

namespace vorlin {

namespace {

constexpr int kPreviewFirstMs = 100;
constexpr int kFirstSearchCheckMs = 100;
// Between the logo and the link in the title band.
constexpr QRect kTitleRect(56, 10, 250, 24);
constexpr int kPreviewPeriodMs = 50;
// The two fixed addresses of the social link buttons.
const QString kDiscussionsUrl = QString::fromUtf8(kDefaultSkinLink.data()) + "/discussions";
const QString kIssuesUrl = QString::fromUtf8(kDefaultSkinLink.data()) + "/issues";

// Captions of the buttons that carry text, by control id.
struct Caption {
    int id;
    const char* key;
};
constexpr Caption kCaptions[] = {
    {1135, kTextProfile1},     {1136, kTextProfile2},       {1137, kTextProfile3},
    {1007, kTextProfileMacro}, {1138, kTextProfileDefault}, {1, kTextProfileOk},
    {2, kTextProfileCancel},   {1006, kTextProfileApply},
};
constexpr Caption kTooltips[] = {
    {1122, kTextMainHelpPrompt},
    {1123, kTextMainMinimizePrompt},
    {1139, kTextMainMenuPrompt},
    {1124, kTextMainClosePrompt},
};

}  // namespace

// The store's calls on the window: the Apply button follows the changed state. The key buttons'
// part belongs to the keyboard panel.
class CVorlinDlg::WindowStoreUi final : public StoreUi {
  public:
    explicit WindowStoreUi(CVorlinDlg& window) : window_(window) {}
    // Called from worker threads too: the panel carries it to the window's thread.
    void SetChanged(bool changed) override {
        if (window_.keys_) window_.keys_->SetChanged(changed);
    }
    void ResetKeyButton(int, KeyIndex) override { RefreshSoon(); }
    void RefreshKeyButtons(int) override { RefreshSoon(); }

  private:
    void RefreshSoon() {
        QMetaObject::invokeMethod(
            &window_,
            [w = &window_] {
                if (w->keys_) w->keys_->Refresh();
            },
            Qt::QueuedConnection);
    }

  private:
    CVorlinDlg& window_;
};

CVorlinDlg::CVorlinDlg(AppCore& core, GuiBridge& bridge, Prompter& prompter,
                       MainWindowOptions options)
    : CBaseDialog(core.paths.mainSkin, core.paths.skinFolder, nullptr, Qt::Window),
      core_(core),
      bridge_(bridge),
      prompter_(prompter),
      options_(options),
      sink_(bridge, *this),
      storeUi_(std::make_unique<WindowStoreUi>(*this)) {
    store_ = std::make_unique<StoreContext>(StoreContext{
        core_.work, core_.apply, *core_.link, core_.state, core_.writeAllProfiles, prompter_,
        core_.paths, core_.languageIndex, *storeUi_, core_.texts, core_.iniLock});
    setObjectName("MAIN");
    setAccessibleName("MAIN");
}

CVorlinDlg::~CVorlinDlg() {
    if (!exited_) ExitApplication();
}

void CVorlinDlg::Initialise(std::optional<InstanceServer> server) {
    LoadSkinOrExit();
    core_.state.startupReported.store(options_.startHidden ? 1 : 0);
    // The device threads first, as the window's own steps may already use the link.
    monitor_ = std::make_unique<ConnectionMonitor>(*core_.link, core_.state, sink_, prompter_,
                                                   options_.timings);
    monitor_->Start();
    if (!options_.startHidden) {
        // Started by the user, who waits for a window: a first search that finds the keyboard
        // refused to this user says so rather than nothing.
        auto* firstSearch = new QTimer(this);
        connect(firstSearch, &QTimer::timeout, this, [this, firstSearch] {
            if (!core_.state.startupReported.load()) return;
            firstSearch->stop();
            firstSearch->deleteLater();
            if (!exited_ && !core_.state.connectionState.load()) TellNoKeyboard(true);
        });
        firstSearch->start(kFirstSearchCheckMs);
    }
    {
        std::lock_guard<std::recursive_mutex> guard(core_.work.lock);
        NewImage(core_.work, {}, true);
    }
    LoadImages();
    linkUrl_ = QString::fromStdString(ReadSkinScreen(core_.paths.mainSkin).link);
    PlaceControls();
    if (CPngButton* link = Button(1121)) {
        const QColor secondary(0x9a, 0xa0, 0xa8);
        link->SetTextStyle(true, 8, "DejaVu Sans",
                           {secondary, Qt::white, Qt::white, secondary, secondary});
        link->SetCaption(linkUrl_);
    }
    // The frameless window draws its own title beside the logo.
    title_ = new QLabel(this);
    title_->setGeometry(kTitleRect);
    title_->setStyleSheet("color: #e6e8eb; font-family: 'DejaVu Sans'; font-size: 13px;");
    title_->setAttribute(Qt::WA_TransparentForMouseEvents);
    if (CPngButton* apply = Button(1006)) apply->setEnabled(false);
    KeyboardPanelLooks keyLooks;
    for (const SkinControl& c : SkinOf(SkinWindow::Main).controls)
        if (c.kind == ControlKind::Key) {
            for (size_t i = 0; i < keyLooks.keys.size(); ++i)
                keyLooks.keys[i] = looks_[static_cast<size_t>(c.looks[i])];
            break;
        }
    keyLooks.switchOff = switchOff_;
    keyLooks.switchOn = switchOn_;
    for (int n = 1; n <= kBusyFrames; ++n)
        keyLooks.busyFrames[static_cast<size_t>(n - 1)] = SkinImageOrExit(
            LoadSkinImage(core_.paths.skinFolder, BusyFrameImage(n), SkinDevicePixelRatio()));
    const LayoutRect busy =
        ReadLayoutRect(core_.paths.mainSkin, kLayoutSection, "CONTROL_JDTStatic");
    keys_ = std::make_unique<KeyboardPanelView>(
        *this, *store_, [this](int id) { return Button(id); }, std::move(keyLooks),
        QRect(busy.x, busy.y, busy.w, busy.h));
    connect(keys_.get(), &KeyboardPanelView::hideRequested, this, [this] { Hide(); });
    lightingPanel_ = std::make_unique<LightingPanel>(
        this,
        LightingPanel::Context{*core_.link, core_.paths, core_.texts, core_.iniLock, lighting_,
                               core_.languageIndex},
        [this](int id) { return Button(id); },
        LightingPanel::Hooks{{}, [this] { keys_->Refresh(); }}, PictureControlIds());
    keys_->SetLightingHooks(
        {[this](int profile) {
             bridge_.Send([this, profile] { lightingPanel_->ShowProfileLighting(profile); });
         },
         [this] { bridge_.Send([this] { lightingPanel_->DefaultReset(); }); },
         [this](int profile) { lighting_.activeProfile = profile; },
         [this] {
             // Asked from the command's thread; the dialog is read on the window's.
             SwitchFlags flags;
             bridge_.Send([this, &flags] {
                 flags.editorOpen = compositeDialog_ && compositeDialog_->OpenCount() > 0;
                 flags.managerOpen = profileDialog_ && profileDialog_->OpenCount() > 0;
                 flags.managerHasChanges = profileDialog_ && profileDialog_->HasUnappliedChanges();
             });
             return flags;
         },
         [this](int row) {
             if (profileDialog_) profileDialog_->SwitchProfile(row);
         }});
    keys_->SetEditorOpener([this](const EditorTarget& target, const QRect& button) {
        if (!compositeDialog_)
            compositeDialog_ = std::make_unique<CVorlin_DlgComposite>(core_, *store_, *keys_, this);
        compositeDialog_->OpenFor(target.entry, target.controlId, target.macroOnly, button);
    });
    EnsureUserFolder(core_.paths);
    setWindowTitle(Text(kTextMainCaption));
    if (events_.Create(options_.eventPrefix) < kNamedEventCount)
        std::cerr << "vorlin: some of the named events for companion programs could not be "
                     "made; companions that wait on them will not see this program\n";
    SetSwitchCaption();

    std::map<TrayState, QIcon> icons;
    const std::pair<TrayState, std::string_view> files[] = {
        {TrayState::NotConnected, kTrayDisconnectedIcon},
        {TrayState::Connected, kTrayConnectedIcon},
        {TrayState::Indicator, kTrayIndicatorIcon}};
    for (const auto& [state, file] : files)
        icons[state] = QIcon(SkinImageOrExit(LoadSkinImage(core_.paths.skinFolder, file, 2.0)));
    setWindowIcon(QIcon(SkinImageOrExit(LoadSkinImage(core_.paths.skinFolder, kAppIcon, 2.0))));
    tray_ = std::make_unique<CTrayIcon>(
        std::move(icons), [this](int id) { OnCommand(id); },
        [this](int id) { return MenuLabel(id); }, this);
    tray_->SetTip(Text(kTextKeyboardTrayDesc));
    // Without a tray the window stays reachable on the taskbar; a tray that comes later is used.
    if (!tray_->Show()) showMinimized();
    connect(tray_.get(), &CTrayIcon::trayAppeared, this, [this] {
        if (isMinimized() && !core_.state.connectionState.load()) hide();
    });

    if (server) {
        server_ = std::move(server);
        serverNotifier_ =
            std::make_unique<QSocketNotifier>(server_->ListenFd(), QSocketNotifier::Read);
        connect(serverNotifier_.get(), &QSocketNotifier::activated, this, [this] {
            while (server_) {
                std::optional<InstanceRequest> r = server_->AcceptRequest();
                if (!r) break;
                OnInstanceRequest(*r);
            }
        });
    }

    // 'INIT' hides the window once the event loop runs; then 'LANG'.
    QMetaObject::invokeMethod(
        this, [this] { Hide(); }, Qt::QueuedConnection);
    ApplyLanguage(core_.languageIndex);

    previewTimer_.setSingleShot(true);
    connect(&previewTimer_, &QTimer::timeout, this, [this] {
        if (lightingPanel_) lightingPanel_->PreviewStep();
        previewTimer_.start(kPreviewPeriodMs);
    });
    previewTimer_.start(kPreviewFirstMs);
}

void CVorlinDlg::LoadImages() {
    const qreal dpr = SkinDevicePixelRatio();
    looks_ = LoadLookSet(SkinOf(SkinWindow::Main).lookSets.front(), core_.paths.skinFolder);
    arrowSheet_ = SkinImageOrExit(LoadSkinImage(core_.paths.skinFolder, "Arrow.jpg", dpr));
    switchOff_ = SkinImageOrExit(LoadSkinImage(core_.paths.skinFolder, "main_color0.jpg", dpr));
    switchOn_ = SkinImageOrExit(LoadSkinImage(core_.paths.skinFolder, "main_color1.jpg", dpr));
}

void CVorlinDlg::PlaceControls() {
    const ButtonTextColours white = {Qt::white, Qt::white, Qt::white, Qt::white, Qt::white};
    for (const SkinControl& c : SkinOf(SkinWindow::Main).controls) {
        if (c.placement != Placement::ImageButton && c.placement != Placement::Arrow) continue;
        if (c.id == 0 || buttons_.count(c.id)) continue;
        auto* b = new CPngButton(this);
        b->setObjectName(QString::fromUtf8(c.key.data(), static_cast<int>(c.key.size())));
        if (c.placement == Placement::Arrow) {
            PlaceArrowButton(*b, core_.paths.mainSkin, kLayoutSection, c.key, kLayoutSection2,
                             c.upKey, arrowSheet_);
            b->hide();  // shown beside a flip button while the pointer is over it
        } else {
            ButtonImageSet set;
            for (size_t i = 0; i < set.size(); ++i)
                set[i] = looks_[static_cast<size_t>(c.looks[i])];
            PlaceImageButton(*b, core_.paths.mainSkin, kLayoutSection, c.key, set);
            if (c.hidden) b->hide();
        }
        if (c.kind == ControlKind::Button) b->SetTextStyle(true, 10, "DejaVu Sans", white);
        const int id = c.id;
        connect(b, &QAbstractButton::clicked, this, [this, id] { OnCommand(id); });
        buttons_[id] = b;
    }
}

CPngButton* CVorlinDlg::Button(int id) const {
    auto it = buttons_.find(id);
    return it == buttons_.end() ? nullptr : it->second;
}

QString CVorlinDlg::Text(const char* key) const {
    return QString::fromStdString(LookupText(core_.texts, key, core_.languageIndex));
}

QString CVorlinDlg::MenuLabel(int command) const {
    switch (command) {
        case 32771:
            return Text(kTextMenu11);
        case 32773:
            return Text(kTextMenu22);
        case 32774:
            return Text(kTextMenu33);
        case 32776:
            return Text(kTextMenu1);
        case 32777:
            return Text(kTextMenu2);
        case 32779:
            return Text(kTextMenu4);
        default:
            return {};
    }
}

void CVorlinDlg::SetSwitchCaption() {
    if (CPngButton* b = Button(1144))
        b->SetCaption(Text(SwitchView() ? kTextMainSwitchColorText : kTextMainSwitchFunctionText));
}

void CVorlinDlg::ApplyLanguage(int languageIndex) {
    core_.languageIndex = languageIndex;
    for (const Caption& c : kTooltips)
        if (CPngButton* b = Button(c.id)) b->SetTooltip(Text(c.key));
    for (const Caption& c : kCaptions)
        if (CPngButton* b = Button(c.id)) b->SetCaption(Text(c.key));
    SetSwitchCaption();
    if (keys_) keys_->ApplyLanguage();
    if (lightingPanel_) lightingPanel_->ApplyLanguage(languageIndex);
    if (profileDialog_) profileDialog_->ApplyLanguage(languageIndex);
    if (compositeDialog_) compositeDialog_->ApplyLanguage(languageIndex);
    if (updateDialog_) updateDialog_->ApplyLanguage(languageIndex);
    setWindowTitle(Text(kTextMainCaption));
    if (title_) title_->setText(windowTitle());
    if (tray_) tray_->SetTip(Text(kTextKeyboardTrayDesc));
    if (about_)
        about_->SetTexts(Text(kTextLangAboutTitle), Text(kTextAboutIntroduction),
                         Text(kTextAboutCopyright), Text(kTextLangAboutOk));
}

void CVorlinDlg::CloseSecondaryWindows() {
    if (about_) about_->hide();
    if (compositeDialog_) compositeDialog_->CloseIfOpen();
    if (profileDialog_ && profileDialog_->OpenCount() > 0) profileDialog_->reject();
    if (updateDialog_ && updateDialog_->isVisible()) updateDialog_->reject();
    activateWindow();
}

void CVorlinDlg::ReloadFromKeyboard() {
    vorlin::ReloadFromKeyboard(*store_);
    if (keys_) keys_->Refresh();
    LightingContext ctx{*core_.link, core_.paths, core_.iniLock};
    LoadLightingWithUserModes(lighting_, ctx);
    if (OffersUserColours(lighting_)) RecomputeBaseFlags(lighting_);
    if (lightingPanel_) lightingPanel_->Refresh();
}

void CVorlinDlg::TellNoKeyboard(bool onlyWhenRefused) {
    if (const std::optional<AccessNotice> notice = options_.accessNotice()) {
        // Once access is granted the monitor finds the keyboard; the window then opens.
        showOnConnect_ = true;
        prompter_.Ask(notice->textKey, PromptButtons::Ok, notice->argument);
        return;
    }
    if (!onlyWhenRefused) prompter_.Ask(kTextMainNoDevicePrompt, PromptButtons::Ok);
}

void CVorlinDlg::ShowMainWindow() {
    if (core_.state.connectionState.load() != 1) {
        TellNoKeyboard(false);
        return;
    }
    showNormal();
    raise();
    activateWindow();
}

void CVorlinDlg::Hide() {
    if (compositeDialog_) compositeDialog_->CloseIfOpen();
    if (tray_ && tray_->InUse())
        hide();
    else
        showMinimized();
}

void CVorlinDlg::HideMainWindow() {
    Hide();
}

void CVorlinDlg::ReloadLighting(bool resetUserColourFiles) {
    LightingContext ctx{*core_.link, core_.paths, core_.iniLock};
    if (resetUserColourFiles)
        ResetUserColourFiles(
            lighting_, ctx,
            {[this] {
                 if (lightingPanel_) lightingPanel_->SetLightingViewOff();
             },
             [this](int profile) { return keys_ && keys_->SwitchNow(profile).result == 1; }});
    LoadLighting(lighting_, ctx);
    if (lightingPanel_) lightingPanel_->Refresh();
}

void CVorlinDlg::ShowTrayState(TrayState state) {
    if (tray_) tray_->SetState(state);
    if (state == TrayState::Connected && showOnConnect_ && !exited_) {
        showOnConnect_ = false;
        showNormal();
        raise();
        activateWindow();
    }
}

void CVorlinDlg::MarkAssignedGKeys() {
    if (!keys_) return;
    for (const auto& [id, marked] : keys_->Panel().LedMarks(kLedTag, GetActiveProfile(*store_)))
        if (CPngButton* b = Button(id)) b->SetSelected(marked);
}

void CVorlinDlg::OnInstanceRequest(InstanceRequest request) {
    switch (request) {
        case InstanceRequest::Open:
            ShowMainWindow();
            break;
        case InstanceRequest::Kill:
        case InstanceRequest::Exit:
            ExitApplication();
            break;
        case InstanceRequest::OpenFirmwareDialog:
            OnCommand(32780);
            break;
        case InstanceRequest::Apply:
            OnCommand(1006);
            break;
    }
}

void CVorlinDlg::OnCommand(int id) {
    // In the per-key colour view a key click paints; otherwise it is the keyboard panel's.
    const bool keyButton =
        FindPictureKey(id) != nullptr || (id >= 1000 && id <= 1004) || (id >= 1140 && id <= 1143);
    if (lightingPanel_ &&
        (lightingPanel_->OnCommand(id) || (keyButton && lightingPanel_->OnKeyClick(id))))
        return;
    if (id == 1005) {
        if (!profileDialog_) {
            profileDialog_ = std::make_unique<CVorlin_DlgProfile>(core_, *store_, this);
            connect(profileDialog_.get(), &CVorlin_DlgProfile::applied, this, [this] {
                if (keys_) keys_->Refresh();
            });
        }
        profileDialog_->exec();
        return;
    }
    if (id == 32780) {
        if (!updateDialog_)
            updateDialog_ = std::make_unique<CVorlin_DlgUpdate>(core_, prompter_, this);
        updateDialog_->exec();
        return;
    }
    if (keys_ && keys_->Handles(id)) {
        keys_->OnCommand(id);
        return;
    }
    switch (id) {
        case 2:
            Hide();
            break;
        case 1008:
            SendTest(*core_.link);
            break;
        case 1121:
        case 1219:
            OpenLink(linkUrl_);
            break;
        case 1122:
            OpenHelp();
            break;
        case 1123:
            showMinimized();
            break;
        case 1124:
        case 32774:
        case 32779:
            ExitApplication();
            break;
        case 1139:
            ShowButtonMenu();
            break;
        case 1220:
            OpenLink(kDiscussionsUrl);
            break;
        case 1221:
            OpenLink(kIssuesUrl);
            break;
        case 32771:
            ShowMainWindow();
            break;
        case 32773:
            ShowAbout();
            break;
        default:
            break;  // the panels' and dialogs' commands are theirs
    }
}

void CVorlinDlg::ShowButtonMenu() {
    if (!buttonMenu_) {
        buttonMenu_ = new QMenu(this);
        for (int id : {32776, 32777}) {
            QAction* a = buttonMenu_->addAction(QString());
            a->setData(id);
            connect(a, &QAction::triggered, this, [this, id] { OnCommand(id); });
        }
        buttonMenu_->addSeparator();
        AddLanguageMenu(*buttonMenu_, core_, [this](int index) { ApplyLanguage(index); });
        QAction* firmware = buttonMenu_->addAction(QString());
        firmware->setData(32780);
        connect(firmware, &QAction::triggered, this, [this] { OnCommand(32780); });
        QAction* autostart = buttonMenu_->addAction(QString());
        autostart->setObjectName("autostart");
        autostart->setCheckable(true);
        connect(autostart, &QAction::triggered, this, [this, autostart](bool on) {
            const AutostartFolders folders = AutostartFoldersFromEnvironment();
            std::string why;
            if (!SetAutostart(folders, on,
                              ProgramAutostartEntry(Text(kTextMainCaption).toStdString()), &why))
                prompter_.Ask(kTextMainAutostartFailed, PromptButtons::Ok, why);
            autostart->setChecked(AutostartEnabled(folders));
        });
    }
    for (QAction* a : buttonMenu_->actions()) {
        const int id = a->data().toInt();
        if (a->objectName() == "autostart") {
            a->setText(Text(kTextMenuAutostart));
            a->setChecked(AutostartEnabled(AutostartFoldersFromEnvironment()));
        } else if (id == 32780)
            a->setText(Text(kTextMenuFirmware));
        else if (id != 0)
            a->setText(MenuLabel(id));
    }
    RelabelLanguageMenu(*buttonMenu_, core_);
    buttonMenu_->popup(QCursor::pos());
}

void CVorlinDlg::ShowAbout() {
    if (!about_) {
        about_ = new CAboutBox(this);
        about_->SetTexts(Text(kTextLangAboutTitle), Text(kTextAboutIntroduction),
                         Text(kTextAboutCopyright), Text(kTextLangAboutOk));
    }
    about_->show();
    about_->raise();
}

void CVorlinDlg::OpenHelp() {
    OpenHelpPage(core_.paths);
}

void CVorlinDlg::OpenLink(const QString& url) {
    if (!url.isEmpty()) QDesktopServices::openUrl(QUrl(url));
}

void CVorlinDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        OpenHelp();
        return;
    }
    // Escape and Enter do not close the main window: it is hidden only by its own buttons.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return ||
        event->key() == Qt::Key_Enter)
        return;
    CBaseDialog::keyPressEvent(event);
}

void CVorlinDlg::closeEvent(QCloseEvent* event) {
    // The window manager's close hides into the tray, as the close of a tray program does.
    event->ignore();
    Hide();
}

void CVorlinDlg::ExitApplication() {
    if (exited_) return;
    exited_ = true;
    hide();
    CloseSecondaryWindows();
    serverNotifier_.reset();
    server_.reset();
    events_.Remove();
    if (tray_) {
        tray_->Remove();
        tray_->SetState(TrayState::NotConnected);
    }
    if (CPngButton* apply = Button(1006)) apply->setEnabled(false);
    previewTimer_.stop();
    bridge_.BeginShutdown();
    // A command still running finishes first; its questions are answered No from here on.
    if (keys_) keys_->Finish();
    if (monitor_) monitor_->Stop();
    {
        std::lock_guard<std::recursive_mutex> guard(core_.work.lock);
        FreeStoreContents(core_.work);
    }
    {
        std::lock_guard<std::recursive_mutex> guard(core_.apply.lock);
        FreeStoreContents(core_.apply);
    }
    std::string why;
    if (!core_.SaveSimState(&why))
        std::cerr << "vorlin: the simulated keyboard's state could not be saved: " << why << "\n";
    emit exited();
}

}  // namespace vorlin
