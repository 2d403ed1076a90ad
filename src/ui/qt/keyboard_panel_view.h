// The keyboard panel and the profile commands on the main window: key buttons drawn from the
// work store (assigned mark, tooltip, switch look, flip), clicks routed by the Qt-free panel,
// and Apply, OK, Default, the profile buttons, the profile menu, import and export. Work that
// talks to the keyboard runs on a worker thread while the busy picture turns and the controls
// that edit the store are disabled.
#pragma once

#include <QLabel>
#include <QMenu>
#include <QObject>
#include <QPixmap>
#include <QTimer>
#include <array>
#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

#include "skin/qt/png_button.h"
#include "store/store_context.h"
#include "ui/composite_editor.h"
#include "ui/key_panel.h"
#include "ui/profile_commands.h"

namespace vorlin {

struct KeyboardPanelLooks {
    ButtonImageSet keys;  // a key button's five looks from the main images
    QPixmap switchOff, switchOn;
    std::array<QPixmap, 10> busyFrames;
};

class KeyboardPanelView : public QObject, public ProfileWindow, public CompositeHost {
    Q_OBJECT
  public:
    using ButtonLookup = std::function<CPngButton*(int controlId)>;
    KeyboardPanelView(QWidget& window, StoreContext& ctx, ButtonLookup button,
                      KeyboardPanelLooks looks, QRect busyRect);
    ~KeyboardPanelView() override;

    // True for the commands this panel handles (key buttons, profile and apply commands).
    bool Handles(int id) const;
    void OnCommand(int id);
    // The whole panel again from the store and the keyboard (on connection and after a load).
    void Refresh();
    void ApplyLanguage();
    // The store's changed state (its StoreUi forwards here, from any thread).
    void SetChanged(bool changed);
    bool Busy() const { return worker_.joinable(); }
    bool BusyPictureShown() const { return !busy_.isHidden(); }
    KeyPanel& Panel() { return panel_; }
    ProfileCommands& Commands() { return commands_; }
    // A switch the keyboard asked for (its own profile key), on the window's thread.
    SwitchOutcome SwitchNow(int profile);
    // Waits for a running command (at shutdown).
    void Finish();

    // What the lighting side does for the profile commands; called on the command's thread, so
    // the window carries them to its own.
    struct LightingHooks {
        std::function<void(int profile)> showProfileLighting;
        std::function<void()> restoreDefaults;
        std::function<void(int profile)> activeProfile;  // the profile button now pressed
        // The other windows a profile switch must know of, and the manager's row to mark.
        std::function<SwitchFlags()> switchFlags;
        std::function<void(int row)> managerRow;
    };
    void SetLightingHooks(LightingHooks hooks) { lightingHooks_ = std::move(hooks); }

    void ShowProfileLighting(int profile) override;
    void RestoreLightingDefaults() override;

    // The key editor: a key selection opens it for the target beside the button (its screen
    // rectangle); it calls back for the key buttons' looks.
    using EditorOpener = std::function<void(const EditorTarget& target, const QRect& button)>;
    void SetEditorOpener(EditorOpener open) { openEditor_ = std::move(open); }
    void SetAssignedMark(int controlId, bool assigned) override;
    void RefreshKeyTooltips() override;
    void RestoreButtonLook(int controlId) override;

  signals:
    void hideRequested();
    void busyChanged(bool busy);

  private:
    SwitchFlags Flags() const;
    void ManagerRow(int row);
    void Show(const PanelView& view);
    void ShowKey(const KeyButtonView& key);
    void ShowMenu(const ProfileMenu& menu);
    void PressProfileButton(std::optional<int> n);
    // Runs work on the worker thread, then done on the GUI thread.
    void RunLong(std::function<void()> work, std::function<void()> done);
    void SetEditing(bool enabled);
    void Import();
    void Export();

    QWidget& window_;
    StoreContext& ctx_;
    ButtonLookup button_;
    KeyboardPanelLooks looks_;
    KeyPanel panel_;
    ChangedState changed_;
    ProfileCommands commands_;
    QMenu profileMenu_;
    QLabel busy_;
    QTimer busyTimer_;  // 1050
    int busyFrame_ = 0;
    std::thread worker_;
    LightingHooks lightingHooks_;
    EditorOpener openEditor_;
};

}  // namespace vorlin
