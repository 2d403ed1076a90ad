#include "app/qt/gui_bridge.h"

#include <QThread>
#include <memory>

namespace vorlin {

bool GuiBridge::Send(std::function<void()> call) {
    if (shuttingDown_.load()) return false;
    if (QThread::currentThread() == thread()) {
        call();
        return true;
    }
    auto done = std::make_shared<bool>(false);
    QMetaObject::invokeMethod(
        this,
        [this, done, call = std::move(call)] {
            if (!shuttingDown_.load()) call();
            std::lock_guard<std::mutex> guard(sendLock_);
            *done = true;
            cv_.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock<std::mutex> guard(sendLock_);
    cv_.wait(guard, [&] { return *done || shuttingDown_.load(); });
    return *done;
}

void GuiBridge::Post(std::function<void()> call) {
    if (shuttingDown_.load()) return;
    QMetaObject::invokeMethod(
        this,
        [this, call = std::move(call)] {
            if (!shuttingDown_.load()) call();
        },
        Qt::QueuedConnection);
}

void GuiBridge::BeginShutdown() {
    {
        std::lock_guard<std::mutex> guard(sendLock_);
        shuttingDown_.store(true);
    }
    cv_.notify_all();
}

}  // namespace vorlin
