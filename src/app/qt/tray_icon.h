// The tray icon: its three states, its menu (relabelled from the language file each time it
// opens) and the double-click that shows the main window. When the desktop has no tray the icon
// waits for one to appear.
#pragma once

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <QTimer>
#include <functional>
#include <map>

#include "platform/main_window_sink.h"

namespace vorlin {

class CTrayIcon : public QObject {
    Q_OBJECT
  public:
    // command receives 32771, 32773 and 32774; label gives each item's text when the menu opens.
    CTrayIcon(std::map<TrayState, QIcon> icons, std::function<void(int)> command,
              std::function<QString(int)> label, QObject* parent = nullptr);

    void SetTip(const QString& tip);
    // Replaces the icon only when the state differs from the one shown.
    void SetState(TrayState state);
    TrayState State() const { return state_; }
    // Shows the icon when a tray exists; false when there is none (yet).
    bool Show();
    void Remove();
    bool InUse() const { return icon_.isVisible(); }
    QMenu& Menu() { return menu_; }
    // Relabels the menu's items, as opening it does.
    void Relabel();

  signals:
    // A tray became available after start-up and the icon is now shown in it.
    void trayAppeared();

  private:
    std::map<TrayState, QIcon> icons_;
    std::function<void(int)> command_;
    std::function<QString(int)> label_;
    QSystemTrayIcon icon_;
    QMenu menu_;
    QTimer trayWatch_;
    TrayState state_ = TrayState::NotConnected;
    bool removed_ = false;
};

}  // namespace vorlin
