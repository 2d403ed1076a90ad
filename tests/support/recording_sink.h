// The main window of tests: records what the core and the monitor's threads ask of it, in
// order, as words ("reload", "tray connected"), and lets a test wait for one.
#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/main_window_sink.h"

namespace vorlin::test {

inline const char* TrayEvent(TrayState state) {
    switch (state) {
        case TrayState::NotConnected:
            return "tray not connected";
        case TrayState::Connected:
            return "tray connected";
        case TrayState::Indicator:
            return "tray indicator";
    }
    return "tray ?";
}

class RecordingSink final : public MainWindowSink {
  public:
    void SendKeyboardLost() override { Add("lost"); }
    void SendReloadProfile() override { Add("reload"); }
    void PostOpen() override { Add("open"); }
    void HideMainWindow() override { Add("hide"); }
    void ScheduleLightingReload() override { Add("lighting reload"); }
    void ScheduleUserColourReset() override { Add("user colour reset"); }
    void ShowTrayState(TrayState state) override { Add(TrayEvent(state)); }

    std::vector<std::string> Events() const {
        std::lock_guard<std::mutex> guard(lock_);
        return events_;
    }
    int Count(const std::string& event) const {
        std::lock_guard<std::mutex> guard(lock_);
        return static_cast<int>(std::count(events_.begin(), events_.end(), event));
    }
    // Waits until the event has been seen n times; false when the limit passed first.
    bool WaitFor(const std::string& event, int n = 1,
                 std::chrono::milliseconds limit = std::chrono::seconds(5)) const {
        std::unique_lock<std::mutex> guard(lock_);
        return cv_.wait_for(guard, limit,
                            [&] { return std::count(events_.begin(), events_.end(), event) >= n; });
    }
    void Clear() {
        std::lock_guard<std::mutex> guard(lock_);
        events_.clear();
    }

  private:
    void Add(std::string event) {
        {
            std::lock_guard<std::mutex> guard(lock_);
            events_.push_back(std::move(event));
        }
        cv_.notify_all();
    }

    mutable std::mutex lock_;  // guards events_
    mutable std::condition_variable cv_;
    std::vector<std::string> events_;
};

}  // namespace vorlin::test
