// Calls from the device threads into the GUI thread. Send waits until the GUI thread has run the
// call, Post does not; once shutdown has begun Send returns at once (and the call is dropped),
// so a thread being joined never waits on a window that is going away.
#pragma once

#include <QObject>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace vorlin {

class GuiBridge : public QObject {
    Q_OBJECT
  public:
    explicit GuiBridge(QObject* parent = nullptr) : QObject(parent) {}

    // On the GUI thread itself the call runs at once. False when it was dropped.
    bool Send(std::function<void()> call);
    void Post(std::function<void()> call);
    // From the GUI thread, before the device threads are joined.
    void BeginShutdown();
    bool ShuttingDown() const { return shuttingDown_.load(); }

  private:
    std::atomic<bool> shuttingDown_{false};
    // Guards the done flags of the Sends in flight; cv_ wakes their senders.
    std::mutex sendLock_;
    std::condition_variable cv_;
};

}  // namespace vorlin
