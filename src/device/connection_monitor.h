// Watching for the keyboard: the connection monitor (finds the vendor collection, keeps the
// device link's sizes and ready flag, reports connection changes to the main window), the
// consumer-report listener (turns the keyboard's notifications into main-window work) and the
// tray indicator. ConnectionMonitor owns the threads and can stop and join them.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "device/connection_state.h"
#include "device/device_link.h"
#include "platform/main_window_sink.h"
#include "platform/prompter.h"

namespace vorlin {

struct AcceptedModel {
    uint16_t vendorId;
    uint16_t productId;
    unsigned keyMapSize;  // also the profile stride
    unsigned keyCount;
};

// The two keyboards the application talks to; nullptr for anything else.
const AcceptedModel* FindAcceptedModel(uint16_t vendorId, uint16_t productId);

// Does an interface path name one of the accepted keyboards ("vid_" / "pid_", any case)?
bool PathPassesFilter(const std::string& path);

constexpr uint16_t kVendorUsagePage = 0xFF1C;
constexpr uint16_t kVendorUsage = 0x0092;
constexpr uint16_t kConsumerUsagePage = 0x000C;
constexpr uint16_t kConsumerUsage = 0x0001;

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

// What the threads work on; all of it belongs to the caller.
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
    // Starts one tray-indicator change; set by the owner of the threads.
    std::function<void(uint16_t usage)> startIndicator;
    // Tickets keep indicator changes in the order the keyboard reported them.
    std::atomic<unsigned> indicatorNextTicket{0};
    std::atomic<unsigned> indicatorServing{0};
};

// Thread bodies. Each returns when ctx.stop is requested (or, for the two loops, when the HID
// interfaces cannot be listed).
void DeviceMonitorThread(MonitorContext& ctx);
void OnConnectionChanged(MonitorContext& ctx, int connected);
// listenerDevice: the listener's private interface, on the same backend as the link.
void ConsumerListenerThread(MonitorContext& ctx, CHidDevice& listenerDevice);
void TrayIndicatorThread(MonitorContext& ctx, uint16_t usage, unsigned ticket);

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
    void LaunchIndicator(uint16_t usage);

    struct Indicator {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };

    MonitorContext ctx_;
    CHidDevice listenerDevice_;
    std::thread monitor_;
    std::thread listener_;
    // Guards indicators_ (launched from the listener thread, joined by Stop).
    std::mutex indicatorLock_;
    std::vector<Indicator> indicators_;
    bool running_ = false;
};

}  // namespace vorlin
