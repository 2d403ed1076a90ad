#include "ui/qt/keyboard_panel_view.h"

#include <QCursor>
#include <QFileDialog>
#include <QThread>

#include "store/config_device.h"
#include "ui/keyboard_layout.h"

namespace vorlin {

namespace {

// The busy picture shows only for work that lasts, and stays a moment after it.
constexpr int kBusyShowAfterMs = 100;
constexpr int kBusyHideAfterMs = 100;
constexpr int kBusyFrameMs = 50;

bool IsKeyButton(int id) {
    if (FindPictureKey(id)) return true;
    for (int g : kGKeyControlIds)
        if (g == id) return true;
    return (id >= panelctl::kFirstFlipKey && id <= panelctl::kLastFlipKey) ||
           id == panelctl::kMacroEdit;
}

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

KeyboardPanelView::KeyboardPanelView(QWidget& window, StoreContext& ctx, ButtonLookup button,
                                     KeyboardPanelLooks looks, QRect busyRect)
    : QObject(&window),
      window_(window),
      ctx_(ctx),
      button_(std::move(button)),
      looks_(std::move(looks)),
      panel_(ctx),
      commands_(ctx, panel_, *this, changed_),
      busy_(&window) {
    busy_.setGeometry(busyRect);
    busy_.hide();
    busyTimer_.setInterval(kBusyFrameMs);
    connect(&busyTimer_, &QTimer::timeout, this, [this] {
        busy_.setPixmap(looks_.busyFrames[static_cast<size_t>(busyFrame_)]);
        busyFrame_ = (busyFrame_ + 1) % static_cast<int>(looks_.busyFrames.size());
    });
    // The profile menu exists from the start, so control 1005 has its caption at once.
    ShowMenu(commands_.RebuildProfileMenu());
    Show(commands_.RefreshPanel());
    SetChanged(false);
}

KeyboardPanelView::~KeyboardPanelView() {
    Finish();
}

void KeyboardPanelView::Finish() {
    if (worker_.joinable()) worker_.join();
}

bool KeyboardPanelView::Handles(int id) const {
    using namespace commandctl;
    return IsKeyButton(id) || id == panelctl::kSwitchButton || id == panelctl::kFlipButton1 ||
           id == panelctl::kFlipButton2 || (id >= kProfileButton0 && id <= kProfileButton0 + 2) ||
           id == kDefault || id == kApply || id == kOk || id == kMenuButton || id == kImport ||
           id == kExport || ProfileCommands::ProfileMenuTarget(id).has_value();
}

void KeyboardPanelView::SetChanged(bool changed) {
    changed_.Set(changed);
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (CPngButton* apply = button_(commandctl::kApply))
                apply->setEnabled(changed_.On() && !Busy());
        },
        Qt::QueuedConnection);
}

void KeyboardPanelView::ShowKey(const KeyButtonView& key) {
    CPngButton* b = button_(key.controlId);
    if (!b) return;
    switch (key.look) {
        case KeyLook::Normal:
            b->SetImageSet(looks_.keys);
            break;
        case KeyLook::SwitchOff:
        case KeyLook::SwitchOn: {
            const QPixmap& p = key.look == KeyLook::SwitchOn ? looks_.switchOn : looks_.switchOff;
            b->SetImageSet({p, p, p, p, p});
            break;
        }
    }
    b->SetSelected(key.assigned);
    b->SetTooltip(Q(key.tooltip));
    b->setEnabled(key.enabled && !Busy());
}

void KeyboardPanelView::Show(const PanelView& view) {
    for (const KeyButtonView& key : view.keys) ShowKey(key);
    for (const auto& [id, enabled] : view.flip.enabled)
        if (CPngButton* b = button_(id)) b->setEnabled(enabled);
    if (CPngButton* indicator = button_(panelctl::kFlipIndicator))
        indicator->SetSelected(view.flip.flip == 1);
}

void KeyboardPanelView::ShowMenu(const ProfileMenu& menu) {
    profileMenu_.clear();
    for (const ProfileMenuItem& item : menu.items) {
        if (item.id == 0) {
            profileMenu_.addSeparator();
            continue;
        }
        QAction* a = profileMenu_.addAction(Q(item.text));
        a->setCheckable(true);
        a->setChecked(item.checked);
        const int id = item.id;
        connect(a, &QAction::triggered, this, [this, id] { OnCommand(id); });
    }
    if (CPngButton* manager = button_(commandctl::kManager)) {
        manager->SetCaption(Q(menu.managerCaption));
        manager->SetTooltip(Q(menu.managerTooltip));
    }
}

void KeyboardPanelView::PressProfileButton(std::optional<int> n) {
    if (n && lightingHooks_.activeProfile) lightingHooks_.activeProfile(*n);
    for (int i = 0; i < 3; ++i)
        if (CPngButton* b = button_(commandctl::kProfileButton0 + i)) b->SetSelected(n == i);
}

void KeyboardPanelView::Refresh() {
    Show(commands_.RefreshPanel());
    PressProfileButton(commands_.MarkActiveProfileButton());
    ShowMenu(commands_.RebuildProfileMenu());
}

void KeyboardPanelView::ApplyLanguage() {
    if (CPngButton* b = button_(panelctl::kSwitchButton)) b->SetCaption(Q(panel_.SwitchCaption()));
    Show(commands_.RefreshPanel());
    ShowMenu(commands_.RebuildProfileMenu());
}

void KeyboardPanelView::SetEditing(bool enabled) {
    for (const PictureKey& k : KeyboardPicture())
        if (CPngButton* b = button_(k.controlId)) b->setEnabled(enabled);
    using namespace commandctl;
    for (int id : {kProfileButton0, kProfileButton0 + 1, kProfileButton0 + 2, kDefault, kOk,
                   kMenuButton, kManager, panelctl::kMacroEdit, panelctl::kSwitchButton})
        if (CPngButton* b = button_(id)) b->setEnabled(enabled);
    if (CPngButton* apply = button_(kApply)) apply->setEnabled(enabled && changed_.On());
}

void KeyboardPanelView::RunLong(std::function<void()> work, std::function<void()> done) {
    if (Busy()) return;
    SetEditing(false);
    emit busyChanged(true);
    busyFrame_ = 0;
    QTimer::singleShot(kBusyShowAfterMs, this, [this] {
        if (!Busy()) return;
        busyTimer_.start();
        busy_.show();
    });
    worker_ = std::thread([this, work = std::move(work), done = std::move(done)]() mutable {
        work();
        QMetaObject::invokeMethod(
            this,
            [this, done = std::move(done)] {
                worker_.join();
                SetEditing(true);
                if (done) done();
                // The editors were enabled wholesale: the panel knows which stay disabled.
                Show(commands_.RefreshPanel());
                QTimer::singleShot(kBusyHideAfterMs, this, [this] {
                    if (Busy()) return;
                    busyTimer_.stop();
                    busy_.hide();
                });
                emit busyChanged(false);
            },
            Qt::QueuedConnection);
    });
}

void KeyboardPanelView::OnCommand(int id) {
    using namespace commandctl;
    if (Busy()) return;
    if (IsKeyButton(id)) {
        const KeyClick click = panel_.OnKeyButton(id, false);
        if (click.kind == KeyClickKind::SwitchFlag) {
            for (const KeyButtonView& k :
                 panel_.RefreshKeyButtons(PanelTable(GetActiveProfile(ctx_))).keys)
                if (k.controlId == id) ShowKey(k);
        }
        if (click.kind == KeyClickKind::OpenEditor && openEditor_) {
            const std::optional<EditorTarget> target = panel_.editorTarget();
            CPngButton* b = button_(target ? target->controlId : id);
            if (!target || !b) return;
            // The selected look while the editor is open.
            const QPixmap& over = looks_.keys[static_cast<size_t>(ButtonImage::Over)];
            b->SetAltImages(over, over, true, false);
            openEditor_(*target, QRect(b->mapToGlobal(QPoint(0, 0)), b->size()));
        }
        return;
    }
    if (id == panelctl::kSwitchButton) {
        if (CPngButton* b = button_(id)) b->SetCaption(Q(panel_.ToggleSwitchView()));
        Show(commands_.RefreshPanel());
        return;
    }
    if (id == panelctl::kFlipButton1 || id == panelctl::kFlipButton2) {
        FlipView flip = ClickFlipButton(ctx_.paths, ctx_.iniLock);
        PanelView view = commands_.RefreshPanel();
        view.flip = flip;
        Show(view);
        return;
    }
    if (id >= kProfileButton0 && id <= kProfileButton0 + 2) {
        auto outcome = std::make_shared<ProfileButtonOutcome>();
        const int n = id - kProfileButton0;
        RunLong([this, n, outcome] { *outcome = commands_.ProfileButton(n, Flags()); },
                [this, outcome] {
                    if (outcome->pressedButton >= 0) PressProfileButton(outcome->pressedButton);
                    if (outcome->change.refreshed) ShowMenu(outcome->change.menu);
                    ManagerRow(outcome->change.managerActiveRow);
                });
        return;
    }
    if (const std::optional<int> target = ProfileCommands::ProfileMenuTarget(id)) {
        auto outcome = std::make_shared<SwitchOutcome>();
        const int n = *target;
        RunLong([this, n, outcome] { *outcome = commands_.SwitchProfile(n, Flags()); },
                [this, outcome] {
                    if (outcome->refreshed) ShowMenu(outcome->menu);
                    ManagerRow(outcome->managerActiveRow);
                    PressProfileButton(commands_.MarkActiveProfileButton());
                });
        return;
    }
    switch (id) {
        case kApply:
            RunLong([this] { commands_.Apply(); }, {});
            break;
        case kOk:
            RunLong([this] { commands_.Ok(); }, [this] { emit hideRequested(); });
            break;
        case kDefault:
            RunLong([this] { commands_.ResetToDefault(); }, {});
            break;
        case kMenuButton:
            profileMenu_.popup(QCursor::pos());
            break;
        case kImport:
            Import();
            break;
        case kExport:
            Export();
            break;
        default:
            break;
    }
}

void KeyboardPanelView::Import() {
    const QString file = QFileDialog::getOpenFileName(
        &window_, QString(), QString::fromStdString(ctx_.paths.userFolder.string()),
        QString("Profiles (*.%1);;All files (*)").arg(kProfileFileSuffix));
    if (file.isEmpty()) return;
    const std::filesystem::path path = file.toStdString();
    auto outcome = std::make_shared<ImportOutcome>();
    RunLong([this, path, outcome] { *outcome = commands_.Import(path); },
            [this, outcome] {
                if (outcome->loaded) Show(outcome->panel);
            });
}

void KeyboardPanelView::Export() {
    QFileDialog dialog(&window_);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(kProfileFileSuffix);
    dialog.setNameFilters({QString("Profiles (*.%1)").arg(kProfileFileSuffix), "All files (*)"});
    dialog.setDirectory(QString::fromStdString(ctx_.paths.userFolder.string()));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    const std::filesystem::path path = dialog.selectedFiles().front().toStdString();
    RunLong([this, path] { commands_.Export(path); }, {});
}

SwitchFlags KeyboardPanelView::Flags() const {
    return lightingHooks_.switchFlags ? lightingHooks_.switchFlags() : SwitchFlags{};
}

void KeyboardPanelView::ManagerRow(int row) {
    if (row >= 0 && lightingHooks_.managerRow) lightingHooks_.managerRow(row);
}

SwitchOutcome KeyboardPanelView::SwitchNow(int profile) {
    SwitchOutcome outcome = commands_.SwitchProfile(profile, Flags());
    if (outcome.refreshed) {
        Show(outcome.panel);
        ShowMenu(outcome.menu);
    }
    ManagerRow(outcome.managerActiveRow);
    PressProfileButton(commands_.MarkActiveProfileButton());
    return outcome;
}

void KeyboardPanelView::SetAssignedMark(int controlId, bool assigned) {
    if (CPngButton* b = button_(controlId)) b->SetSelected(assigned);
}

void KeyboardPanelView::RefreshKeyTooltips() {
    for (const KeyButtonView& k : panel_.RefreshKeyTooltips(PanelTable(GetActiveProfile(ctx_))))
        if (CPngButton* b = button_(k.controlId)) b->SetTooltip(Q(k.tooltip));
}

void KeyboardPanelView::RestoreButtonLook(int controlId) {
    if (CPngButton* b = button_(controlId)) b->SetAltImages({}, {}, false, false);
}

void KeyboardPanelView::ShowProfileLighting(int profile) {
    if (lightingHooks_.showProfileLighting) lightingHooks_.showProfileLighting(profile);
}

void KeyboardPanelView::RestoreLightingDefaults() {
    if (lightingHooks_.restoreDefaults) lightingHooks_.restoreDefaults();
}

}  // namespace vorlin
