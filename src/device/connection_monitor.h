// Watching for the keyboard: the connection monitor (finds the vendor collection, keeps the
// device link's sizes and ready flag, reports connection changes to the main window), the
// consumer-report listener (turns the keyboard's notifications into main-window work) and the
// tray indicator. ConnectionMonitor owns the threads and can stop and join them.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "device/connection_state.h"
#include "device/device_link.h"
#include "device/keyboard_models.h"
#include "platform/main_window_sink.h"
#include "platform/prompter.h"

namespace vorlin {

// Keyboard notifications on the consumer collection.
constexpr uint16_t kUsageLightingChanged = 0x0401;
constexpr uint16_t kUsageProfileChanged = 0x0402;
constexpr uint16_t kUsageIndicatorOff = 0x1810;
constexpr uint16_t kUsageIndicatorOn = 0x1811;

struct MonitorTimings {
    std::chrono::milliseconds startupPause{10};
    std::chrono::milliseconds connectedPoll{100};
    std::chrono::milliseconds searchPoll{1000};
    std::chrono::milliseconds listenerPause{1000};
    std::chrono::milliseconds indicatorStep{1};
};

// A stop request that also wakes a thread out of its sleep.
class StopSignal {
  public:
    void Request();
    void Reset();
    bool Requested() const { return requested_.load(); }
    // Sleeps for the period; true when stopping was requested (before or during the sleep).
    bool WaitFor(std::chrono::milliseconds period);

  private:
    std::atomic<bool> requested_{false};
    // Guards nothing but the wake-up of cv_.
    std::mutex lock_;
    std::condition_variable cv_;
};

// The tray as the monitor last set it: the indicator shows over it and gives way to it again.
struct TrayMemory {
    std::atomic<TrayState> connection{TrayState::NotConnected};  // not the indicator
    std::atomic<int> indicatorBusy{0};                           // 1 while an indicator change runs
};

// What the threads work on; all of it belongs to the caller but the stop signal and the tray.
struct MonitorContext {
    MonitorContext(DeviceLink& l, ConnectionState& s, MainWindowSink& w, Prompter& p,
                   MonitorTimings t = {})
        : link(l), state(s), sink(w), prompter(p), timings(t) {}

    DeviceLink& link;
    ConnectionState& state;
    MainWindowSink& sink;
    Prompter& prompter;
    MonitorTimings timings;
    StopSignal stop;
    TrayMemory tray;
};

// The connection handler: tells the window and reads what a connection needs (factory key map,
// state block) when connected changes. The monitor's thread runs it; so does ConnectOnce.
void OnConnectionChanged(MonitorContext& ctx, int connected);

class ConnectionMonitor {
  public:
    ConnectionMonitor(DeviceLink& link, ConnectionState& state, MainWindowSink& sink,
                      Prompter& prompter, MonitorTimings timings = {});
    ~ConnectionMonitor();
    ConnectionMonitor(const ConnectionMonitor&) = delete;
    ConnectionMonitor& operator=(const ConnectionMonitor&) = delete;

    void Start();
    // Asks every thread to end and joins them; the device link is left closed and not ready,
    // and the connection state says not connected (without telling the window).
    void Stop();

    MonitorContext& context() { return ctx_; }

  private:
    struct Indicators;  // the tray-indicator changes in flight, kept in order by tickets

    MonitorContext ctx_;
    CHidDevice listenerDevice_;
    std::unique_ptr<Indicators> indicators_;
    std::thread monitor_;
    std::thread listener_;
    bool running_ = false;
};

}  // namespace vorlin
