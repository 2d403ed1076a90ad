#include "app/qt/tray_icon.h"

namespace vorlin {

namespace {
constexpr int kTrayMenuCommands[] = {32771, 32773, 32774};
// How often a desktop without a tray is asked again whether one has appeared.
constexpr int kTrayWatchMs = 3000;
}  // namespace

CTrayIcon::CTrayIcon(std::map<TrayState, QIcon> icons, std::function<void(int)> command,
                     std::function<QString(int)> label, QObject* parent)
    : QObject(parent),
      icons_(std::move(icons)),
      command_(std::move(command)),
      label_(std::move(label)) {
    for (int id : kTrayMenuCommands) {
        QAction* a = menu_.addAction(QString());
        a->setData(id);
        connect(a, &QAction::triggered, this, [this, id] { command_(id); });
    }
    menu_.setDefaultAction(menu_.actions().front());
    connect(&menu_, &QMenu::aboutToShow, this, &CTrayIcon::Relabel);
    icon_.setContextMenu(&menu_);
    icon_.setIcon(icons_[state_]);
    // A single click does nothing; a double click is the menu's first item.
    connect(&icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::DoubleClick) command_(kTrayMenuCommands[0]);
    });
    trayWatch_.setInterval(kTrayWatchMs);
    connect(&trayWatch_, &QTimer::timeout, this, [this] {
        if (removed_ || !QSystemTrayIcon::isSystemTrayAvailable()) return;
        trayWatch_.stop();
        icon_.show();
        emit trayAppeared();
    });
}

void CTrayIcon::SetTip(const QString& tip) {
    icon_.setToolTip(tip);
}

void CTrayIcon::SetState(TrayState state) {
    if (state == state_) return;
    state_ = state;
    icon_.setIcon(icons_[state]);
}

bool CTrayIcon::Show() {
    removed_ = false;
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        icon_.show();
        return true;
    }
    trayWatch_.start();
    return false;
}

void CTrayIcon::Remove() {
    removed_ = true;
    trayWatch_.stop();
    icon_.hide();
}

void CTrayIcon::Relabel() {
    for (QAction* a : menu_.actions()) a->setText(label_(a->data().toInt()));
}

}  // namespace vorlin
