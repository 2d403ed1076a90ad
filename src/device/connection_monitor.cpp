// Connection monitor, consumer-report listener and tray indicator.
#include "device/connection_monitor.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "device/protocol.h"

namespace vorlin {
namespace {

constexpr AcceptedModel kAcceptedModels[] = {
    {0x0C45, 0x5004, 378, 126},
    {0x320F, 0x5000, 512, 128},
};

constexpr char kDefaultMatrixPrompt[] = "MAIN_DEFAULT_MATRIX_PROMPT";

// The hexadecimal number after key (found without regard to case), 0 when absent.
unsigned long HexAfter(const std::string& path, const char* key) {
    const size_t keyLength = std::strlen(key);
    auto it = std::search(path.begin(), path.end(), key, key + keyLength, [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == b;
    });
    if (it == path.end()) return 0;
    return std::strtoul(path.c_str() + (it - path.begin()) + keyLength, nullptr, 16);
}

bool IsCollection(const CHidDevice& device, uint16_t usagePage, uint16_t usage) {
    return FindAcceptedModel(device.attributes.vendorId, device.attributes.productId) &&
           device.caps.usagePage == usagePage && device.caps.usage == usage;
}

// The first usage the report carried in the collection's first input item; 0 when none.
uint16_t FirstUsage(CHidDevice& device, size_t reportLength) {
    HidReportLayout& input = device.input;
    if (input.descriptors.empty() || input.reportBuffer.empty()) return 0;
    for (HidUsageDescriptor& d : input.descriptors) d.updated = 0;
    CHidDevice::ParseReport(input.reportBuffer.data(), reportLength, HidReportType::Input,
                            input.descriptors, input.descriptorCount, device.preparsed.get());
    HidUsageDescriptor& first = input.descriptors.front();
    if (!first.updated) return 0;  // a report of another item; not a notification
    if (first.isButton) return first.usages.empty() ? 0 : first.usages.front();
    return static_cast<uint16_t>(first.rawValue());
}

void SetSizes(DeviceLink& link, const AcceptedModel& model) {
    link.keyMapSize.store(model.keyMapSize);
    link.profileStride.store(model.keyMapSize);
    link.keyCount.store(model.keyCount);
}

// Open, Close and the transfers share the device's handle, so they never overlap.
bool OpenShared(DeviceLink& link, const std::string& path, bool write) {
    std::lock_guard<std::recursive_mutex> io(link.ioLock);
    return link.device.Open(path, true, write, true, false);
}

void CloseShared(DeviceLink& link) {
    std::lock_guard<std::recursive_mutex> io(link.ioLock);
    link.device.Close();
}

}  // namespace

const AcceptedModel* FindAcceptedModel(uint16_t vendorId, uint16_t productId) {
    for (const AcceptedModel& m : kAcceptedModels)
        if (m.vendorId == vendorId && m.productId == productId) return &m;
    return nullptr;
}

bool PathPassesFilter(const std::string& path) {
    const unsigned vendor = HexAfter(path, "vid_") & 0xFFFF;
    const unsigned product = HexAfter(path, "pid_") & 0xFFFF;
    if (vendor == 0x0C45) return product == 0x5004;
    return vendor == 0x320F && product == 0x5000;
}

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

// ---- threads ----

void DeviceMonitorThread(MonitorContext& ctx) {
    DeviceLink& link = ctx.link;
    CHidDevice& device = link.device;
    bool firstReport = true;
    if (ctx.state.startupReported.load() == 1 && ctx.stop.WaitFor(ctx.timings.startupPause)) return;

    // Probe pass: a first request to the keyboard, if it is there; the outcome is not reported.
    if (!device.Enumerate()) return;
    while (const std::string* path = device.NextPath()) {
        if (ctx.stop.Requested()) break;
        if (!PathPassesFilter(*path)) continue;
        const std::string candidate = *path;
        bool found = OpenShared(link, candidate, true) &&
                     IsCollection(device, kVendorUsagePage, kVendorUsage);
        if (found) {
            link.ready.store(1);
            uint8_t block[kStateBlockSize];
            ReadState(link, block);
        }
        CloseShared(link);
        if (found) break;
    }
    device.FreePaths();
    link.ready.store(0);

    while (!ctx.stop.Requested()) {
        if (link.ready.load() == 1 && !device.backend().Exists(device.path)) {
            link.ready.store(0);
            CloseShared(link);  // released at once rather than at the next open
            OnConnectionChanged(ctx, 0);
        }
        if (link.ready.load() == 0) {
            if (!device.Enumerate()) return;
            while (const std::string* path = device.NextPath()) {
                if (ctx.stop.Requested()) break;
                if (!PathPassesFilter(*path)) continue;
                const std::string candidate = *path;
                if (OpenShared(link, candidate, true) &&
                    IsCollection(device, kVendorUsagePage, kVendorUsage)) {
                    // Sizes first: a command issued as soon as ready rises must chunk for
                    // this model, not the previous one.
                    SetSizes(link, *FindAcceptedModel(device.attributes.vendorId,
                                                      device.attributes.productId));
                    // Before anything else is asked: which replies answer which request.
                    LearnReplyEcho(link);
                    link.ready.store(1);
                    OnConnectionChanged(ctx, 1);
                    break;
                }
                CloseShared(link);
            }
            if (firstReport) {
                firstReport = false;
                const int ready = link.ready.load();
                OnConnectionChanged(ctx, ready);
                if (ready == 0) ctx.state.startupReported.store(1);
            }
            device.FreePaths();
        }
        if (ctx.stop.WaitFor(link.ready.load() ? ctx.timings.connectedPoll
                                               : ctx.timings.searchPoll))
            break;
    }
}

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
        ctx.sink.SetTrayIcon(kTrayIconDisconnected);
        state.currentTrayIcon.store(kTrayIconDisconnected);
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
        if (ReadState(ctx.link, block) == kDone) state.macroCapacity.store(128u * block[11]);
        ctx.sink.SendReloadProfile();
        ctx.sink.SetTrayIcon(kTrayIconConnected);
        state.currentTrayIcon.store(kTrayIconConnected);
    }
    state.connectionState.store(connected);
    if (state.startupReported.load() == 0) {
        if (connected == 1) ctx.sink.PostOpen();
        state.startupReported.store(1);
    }
    state.connectionBusy.store(0);
}

void ConsumerListenerThread(MonitorContext& ctx, CHidDevice& device) {
    while (!ctx.stop.Requested()) {
        if (!device.Enumerate()) return;
        while (const std::string* path = device.NextPath()) {
            if (ctx.stop.Requested()) break;
            if (!PathPassesFilter(*path)) continue;
            const std::string candidate = *path;
            if (!device.Open(candidate, true, false, true, false)) continue;
            if (!IsCollection(device, kConsumerUsagePage, kConsumerUsage)) {
                device.Close();
                continue;
            }
            std::vector<uint8_t>& buffer = device.input.reportBuffer;
            size_t got = 0;
            while (!ctx.stop.Requested() && !buffer.empty() &&
                   device.ReadReport(buffer.data(), buffer.size(), &got, -1)) {
                const uint16_t usage = FirstUsage(device, buffer.size());
                switch (usage) {
                    case kUsageLightingChanged:
                        ctx.sink.SetTimer(kTimerReloadLighting, 0);
                        break;
                    case kUsageProfileChanged:
                        ctx.sink.SetTimer(kTimerResetUserColours, 0);
                        break;
                    case kUsageIndicatorOff:
                    case kUsageIndicatorOn:
                        if (ctx.startIndicator) ctx.startIndicator(usage);
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

void TrayIndicatorThread(MonitorContext& ctx, uint16_t usage, unsigned ticket) {
    ConnectionState& state = ctx.state;
    for (;;) {
        int idle = 0;
        if (ctx.indicatorServing.load() == ticket &&
            state.trayIndicatorBusy.compare_exchange_strong(idle, 1))
            break;
        if (ctx.stop.Requested()) return;
        std::this_thread::sleep_for(ctx.timings.indicatorStep);
    }
    if (usage == kUsageIndicatorOn)
        ctx.sink.SetTrayIcon(kTrayIconIndicator);
    else if (usage == kUsageIndicatorOff)
        ctx.sink.SetTrayIcon(state.currentTrayIcon.load());
    std::this_thread::sleep_for(ctx.timings.indicatorStep);
    ctx.indicatorServing.fetch_add(1);
    state.trayIndicatorBusy.store(0);
}

// ---- owner ----

ConnectionMonitor::ConnectionMonitor(DeviceLink& link, ConnectionState& state, MainWindowSink& sink,
                                     Prompter& prompter, MonitorTimings timings)
    : ctx_(link, state, sink, prompter, timings), listenerDevice_(link.device.backend()) {
    ctx_.startIndicator = [this](uint16_t usage) { LaunchIndicator(usage); };
}

ConnectionMonitor::~ConnectionMonitor() {
    Stop();
}

void ConnectionMonitor::Start() {
    if (running_) return;
    running_ = true;
    ctx_.stop.Reset();
    ctx_.indicatorServing.store(ctx_.indicatorNextTicket.load());  // tickets a stop left unserved
    monitor_ = std::thread([this] { DeviceMonitorThread(ctx_); });
    listener_ = std::thread([this] { ConsumerListenerThread(ctx_, listenerDevice_); });
}

void ConnectionMonitor::Stop() {
    if (!running_) return;
    ctx_.stop.Request();
    listenerDevice_.SignalCancel();  // the listener may wait in a read without time-out
    monitor_.join();
    listener_.join();
    {
        std::lock_guard<std::mutex> guard(indicatorLock_);
        for (Indicator& i : indicators_) i.thread.join();
        indicators_.clear();
    }
    ctx_.link.ready.store(0);
    CloseShared(ctx_.link);
    // Quietly: the window is not told, but a later Start reports the keyboard afresh.
    ctx_.state.connectionState.store(0);
    running_ = false;
}

void ConnectionMonitor::LaunchIndicator(uint16_t usage) {
    std::lock_guard<std::mutex> guard(indicatorLock_);
    // Reap the changes that have finished.
    for (auto it = indicators_.begin(); it != indicators_.end();) {
        if (it->done->load()) {
            it->thread.join();
            it = indicators_.erase(it);
        } else {
            ++it;
        }
    }
    if (ctx_.stop.Requested()) return;
    const unsigned ticket = ctx_.indicatorNextTicket.fetch_add(1);
    auto done = std::make_shared<std::atomic<bool>>(false);
    indicators_.push_back({std::thread([this, usage, ticket, done] {
                               TrayIndicatorThread(ctx_, usage, ticket);
                               done->store(true);
                           }),
                           done});
}

}  // namespace vorlin
