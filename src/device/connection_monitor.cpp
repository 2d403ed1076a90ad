// Connection monitor, consumer-report listener and tray indicator.
#include "device/connection_monitor.h"

#include <algorithm>
#include <functional>
#include <span>
#include <vector>

#include "device/keyboard_open.h"
#include "device/protocol.h"
#include "platform/text_key_names.h"

namespace vorlin {
namespace {

constexpr auto& kDefaultMatrixPrompt = kTextMainDefaultMatrixPrompt;

bool IsCollection(const CHidDevice& device, uint16_t usagePage, uint16_t usage) {
    return FindKeyboardModel(device.attributes().vendorId, device.attributes().productId) &&
           device.caps().usagePage == usagePage && device.caps().usage == usage;
}

// The first usage the report carried in the collection's first input item; 0 when none.
uint16_t FirstUsage(const CHidDevice& device, std::span<const uint8_t> report,
                    std::vector<HidUsageDescriptor>& descriptors, int descriptorCount) {
    if (descriptors.empty() || report.empty()) return 0;
    for (HidUsageDescriptor& d : descriptors) d.updated = 0;
    CHidDevice::ParseReport(report, HidReportType::Input, descriptors, descriptorCount,
                            device.preparsed());
    HidUsageDescriptor& first = descriptors.front();
    if (!first.updated) return 0;  // a report of another item; not a notification
    if (first.isButton) return first.usages.empty() ? 0 : first.usages.front();
    return static_cast<uint16_t>(first.rawValue());
}

// Shows the connection in the tray and remembers it for the end of an indicator.
void ShowConnection(MonitorContext& ctx, TrayState shown) {
    ctx.sink.ShowTrayState(shown);
    ctx.tray.connection.store(shown);
}

}  // namespace

// ---- StopSignal ----

void StopSignal::Request() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        requested_.store(true);
    }
    cv_.notify_all();
}

void StopSignal::Reset() {
    std::lock_guard<std::mutex> guard(lock_);
    requested_.store(false);
}

bool StopSignal::WaitFor(std::chrono::milliseconds period) {
    std::unique_lock<std::mutex> guard(lock_);
    return cv_.wait_for(guard, period, [this] { return requested_.load(); });
}

// ---- connection handler ----

void OnConnectionChanged(MonitorContext& ctx, int connected) {
    ConnectionState& state = ctx.state;
    state.connectionBusy.store(1);
    if (connected == state.connectionState.load()) {
        state.connectionBusy.store(0);
        return;
    }
    if (connected == 0) {
        state.activeProfileCache.store(-1);
        ctx.sink.SendKeyboardLost();
        ctx.sink.HideMainWindow();
        ShowConnection(ctx, TrayState::NotConnected);
    } else {
        uint8_t map[512];
        if (ReadDefaultKeyMap(ctx.link, map) == kDone) {
            const size_t size = std::min<size_t>(ctx.link.keyMapSize.load(), sizeof map);
            std::lock_guard<std::mutex> guard(state.defaultKeyMapLock);
            std::copy_n(map, size, state.defaultKeyMap.begin());
        } else {
            ctx.prompter.Ask(kDefaultMatrixPrompt, PromptButtons::Ok);
        }
        uint8_t block[kStateBlockSize];
        if (ReadState(ctx.link, block) == kDone)
            state.macroCapacity.store(StateMacroCapacity(block));
        ctx.sink.SendReloadProfile();
        ShowConnection(ctx, TrayState::Connected);
    }
    state.connectionState.store(connected);
    if (state.startupReported.load() == 0) {
        if (connected == 1) ctx.sink.PostOpen();
        state.startupReported.store(1);
    }
    state.connectionBusy.store(0);
}

// ---- threads ----

namespace {

void DeviceMonitorThread(MonitorContext& ctx) {
    DeviceLink& link = ctx.link;
    CHidDevice& device = link.device;
    const auto stopRequested = [&ctx] { return ctx.stop.Requested(); };
    bool firstReport = true;
    if (ctx.state.startupReported.load() == 1 && ctx.stop.WaitFor(ctx.timings.startupPause)) return;

    // Probe pass: a first request to the keyboard, if it is there; the outcome is not reported.
    const VendorSearch probe = OpenVendorCollection(link, stopRequested);
    if (!probe.enumerated) return;
    if (probe.model) {
        link.ready.store(1);
        uint8_t block[kStateBlockSize];
        ReadState(link, block);
    }
    CloseShared(link);
    link.ready.store(0);

    while (!ctx.stop.Requested()) {
        if (link.ready.load() == 1 && !device.backend().Exists(device.path())) {
            link.ready.store(0);
            CloseShared(link);  // released at once rather than at the next open
            OnConnectionChanged(ctx, 0);
        }
        if (link.ready.load() == 0) {
            const VendorSearch search = OpenVendorCollection(link, stopRequested);
            if (!search.enumerated) return;
            if (search.model) {
                TakeKeyboard(link, *search.model);
                OnConnectionChanged(ctx, 1);
            }
            if (firstReport) {
                firstReport = false;
                const int ready = link.ready.load();
                OnConnectionChanged(ctx, ready);
                if (ready == 0) ctx.state.startupReported.store(1);
            }
        }
        if (ctx.stop.WaitFor(link.ready.load() ? ctx.timings.connectedPoll
                                               : ctx.timings.searchPoll))
            break;
    }
}

// device: the listener's private interface, on the same backend as the link.
void ConsumerListenerThread(MonitorContext& ctx, CHidDevice& device,
                            const std::function<void(uint16_t usage)>& startIndicator) {
    while (!ctx.stop.Requested()) {
        if (!device.Enumerate()) return;
        while (const std::string* path = device.NextPath()) {
            if (ctx.stop.Requested()) break;
            if (!PathPassesFilter(*path)) continue;
            const std::string candidate = *path;
            if (!device.Open(candidate, kOpenRead)) continue;
            if (!IsCollection(device, kConsumerUsagePage, kConsumerUsage)) {
                device.Close();
                continue;
            }
            // The listener's own report buffer and usage list, sized by the collection's layout.
            std::vector<uint8_t> buffer = device.input().reportBuffer;
            std::vector<HidUsageDescriptor> descriptors = device.input().descriptors;
            const int descriptorCount = device.input().descriptorCount;
            size_t got = 0;
            while (!ctx.stop.Requested() && !buffer.empty() &&
                   device.ReadReport(buffer, &got, -1)) {
                const uint16_t usage = FirstUsage(device, buffer, descriptors, descriptorCount);
                switch (usage) {
                    case kUsageLightingChanged:
                        ctx.sink.ScheduleLightingReload();
                        break;
                    case kUsageProfileChanged:
                        ctx.sink.ScheduleUserColourReset();
                        break;
                    case kUsageIndicatorOff:
                    case kUsageIndicatorOn:
                        if (startIndicator) startIndicator(usage);
                        break;
                    default:  // 0x1801..0x1804 are known and need nothing; the rest is noise
                        break;
                }
            }
            device.Close();
            break;
        }
        device.FreePaths();
        if (ctx.stop.WaitFor(ctx.timings.listenerPause)) break;
    }
}

// Waits for its ticket, so indicator changes show in the order the keyboard reported them.
void TrayIndicatorThread(MonitorContext& ctx, std::atomic<unsigned>& serving, uint16_t usage,
                         unsigned ticket) {
    TrayMemory& tray = ctx.tray;
    for (;;) {
        int idle = 0;
        if (serving.load() == ticket && tray.indicatorBusy.compare_exchange_strong(idle, 1)) break;
        if (ctx.stop.Requested()) return;
        std::this_thread::sleep_for(ctx.timings.indicatorStep);
    }
    if (usage == kUsageIndicatorOn)
        ctx.sink.ShowTrayState(TrayState::Indicator);  // shown, not remembered
    else if (usage == kUsageIndicatorOff)
        ctx.sink.ShowTrayState(tray.connection.load());
    std::this_thread::sleep_for(ctx.timings.indicatorStep);
    serving.fetch_add(1);
    tray.indicatorBusy.store(0);
}

}  // namespace

// ---- owner ----

struct ConnectionMonitor::Indicators {
    struct Change {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    // Guards changes (launched from the listener thread, joined by Stop).
    std::mutex lock;
    std::vector<Change> changes;
    // Tickets keep indicator changes in the order the keyboard reported them.
    std::atomic<unsigned> nextTicket{0};
    std::atomic<unsigned> serving{0};

    void Launch(MonitorContext& ctx, uint16_t usage) {
        std::lock_guard<std::mutex> guard(lock);
        // Reap the changes that have finished.
        for (auto it = changes.begin(); it != changes.end();) {
            if (it->done->load()) {
                it->thread.join();
                it = changes.erase(it);
            } else {
                ++it;
            }
        }
        if (ctx.stop.Requested()) return;
        const unsigned ticket = nextTicket.fetch_add(1);
        auto done = std::make_shared<std::atomic<bool>>(false);
        changes.push_back({std::thread([this, &ctx, usage, ticket, done] {
                               TrayIndicatorThread(ctx, serving, usage, ticket);
                               done->store(true);
                           }),
                           done});
    }

    void JoinAll() {
        std::lock_guard<std::mutex> guard(lock);
        for (Change& c : changes) c.thread.join();
        changes.clear();
    }
};

ConnectionMonitor::ConnectionMonitor(DeviceLink& link, ConnectionState& state, MainWindowSink& sink,
                                     Prompter& prompter, MonitorTimings timings)
    : ctx_(link, state, sink, prompter, timings),
      listenerDevice_(link.device.backend()),
      indicators_(std::make_unique<Indicators>()) {}

ConnectionMonitor::~ConnectionMonitor() {
    Stop();
}

void ConnectionMonitor::Start() {
    if (running_) return;
    running_ = true;
    ctx_.stop.Reset();
    indicators_->serving.store(indicators_->nextTicket.load());  // tickets a stop left unserved
    monitor_ = std::thread([this] { DeviceMonitorThread(ctx_); });
    listener_ = std::thread([this] {
        ConsumerListenerThread(ctx_, listenerDevice_,
                               [this](uint16_t usage) { indicators_->Launch(ctx_, usage); });
    });
}

void ConnectionMonitor::Stop() {
    if (!running_) return;
    ctx_.stop.Request();
    listenerDevice_.SignalCancel();  // the listener may wait in a read without time-out
    monitor_.join();
    listener_.join();
    indicators_->JoinAll();
    ctx_.link.ready.store(0);
    CloseShared(ctx_.link);
    // Quietly: the window is not told, but a later Start reports the keyboard afresh.
    ctx_.state.connectionState.store(0);
    running_ = false;
}

}  // namespace vorlin
