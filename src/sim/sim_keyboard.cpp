// The simulated keyboard's handles, event queues, link timing and faults.
#include "sim/sim_keyboard.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "sim/keyboard_descriptors.h"

namespace vorlin {
namespace {

constexpr size_t kQueueDepth = 64;  // reports kept per handle; the oldest go first

}  // namespace

std::array<uint8_t, 3> SimConsumerReport(uint16_t usage) {
    return {kConsumerReportId, static_cast<uint8_t>(usage), static_cast<uint8_t>(usage >> 8)};
}

// ---- SimPort ----

SimPort::SimPort(std::shared_ptr<SimKeyboard> keyboard, SimEndpoint endpoint, unsigned receives)
    : keyboard_(std::move(keyboard)), endpoint_(endpoint), receives_(receives) {
    signalFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

SimPort::~SimPort() {
    keyboard_->Detach(this);
    if (signalFd_ >= 0) close(signalFd_);
}

void SimPort::Signal() {
    uint64_t one = 1;
    ssize_t n = write(signalFd_, &one, sizeof one);
    (void)n;  // a full counter is still readable, which is all a waiter needs
}

void SimPort::ClearSignal() {
    uint64_t value;
    ssize_t n = read(signalFd_, &value, sizeof value);
    (void)n;
}

void SimPort::Push(const uint8_t* bytes, size_t length, Clock::time_point readyAt) {
    if (dead_) return;
    if (queue_.size() == kQueueDepth) queue_.pop_front();
    Report r;
    r.length = std::min(length, r.bytes.size());
    std::memcpy(r.bytes.data(), bytes, r.length);
    r.readyAt = readyAt;
    queue_.push_back(r);
    Signal();
}

bool SimPort::Write(const uint8_t* report, size_t length) {
    return keyboard_->HandleWrite(*this, report, length, Clock::now());
}

bool SimPort::Write(const uint8_t* report, size_t length, Clock::time_point sentAt) {
    return keyboard_->HandleWrite(*this, report, length, std::min(sentAt, Clock::now()));
}

SimPort::ReadResult SimPort::TryRead(uint8_t* buffer, size_t length, size_t* transferred,
                                     Clock::time_point* readyAt) {
    *transferred = 0;
    std::lock_guard<std::mutex> guard(keyboard_->lock_);
    if (dead_) return ReadResult::Dead;
    if (queue_.empty()) return ReadResult::Empty;
    const Report& head = queue_.front();
    if (head.readyAt > Clock::now()) {
        *readyAt = head.readyAt;
        return ReadResult::NotYet;
    }
    if (head.length > length) {
        queue_.pop_front();
        return ReadResult::TooLong;
    }
    std::memcpy(buffer, head.bytes.data(), head.length);
    *transferred = head.length;
    queue_.pop_front();
    return ReadResult::Got;
}

bool SimPort::Dead() const {
    std::lock_guard<std::mutex> guard(keyboard_->lock_);
    return dead_;
}

// ---- SimKeyboard ----

SimKeyboard::SimKeyboard(const SimMemory& memory) : model_(memory.model), memory_(memory) {}

std::shared_ptr<SimKeyboard> SimKeyboard::Create(SimModel model) {
    return Create(FactoryMemory(model));
}

std::shared_ptr<SimKeyboard> SimKeyboard::Create(const SimMemory& memory) {
    return std::shared_ptr<SimKeyboard>(new SimKeyboard(memory));
}

std::shared_ptr<SimPort> SimKeyboard::Open(SimEndpoint endpoint,
                                           const std::vector<SimEndpoint>& node) {
    unsigned receives = 1u << static_cast<int>(endpoint);
    for (SimEndpoint e : node) receives |= 1u << static_cast<int>(e);
    std::lock_guard<std::mutex> guard(lock_);
    if (!present_) return nullptr;
    std::shared_ptr<SimPort> port(new SimPort(shared_from_this(), endpoint, receives));
    if (port->signalFd_ < 0) return nullptr;
    ports_.push_back(port.get());
    return port;
}

void SimKeyboard::Detach(SimPort* port) {
    std::lock_guard<std::mutex> guard(lock_);
    ports_.erase(std::remove(ports_.begin(), ports_.end(), port), ports_.end());
}

bool SimKeyboard::Present() const {
    std::lock_guard<std::mutex> guard(lock_);
    return present_;
}

bool SimKeyboard::InBootMode() const {
    std::lock_guard<std::mutex> guard(lock_);
    return inBoot_;
}

bool SimKeyboard::HandleWrite(SimPort& port, const uint8_t* report, size_t length,
                              Clock::time_point sentAt) {
    std::lock_guard<std::mutex> guard(lock_);
    if (port.dead_ || !present_) return false;
    // A handle on a node reaches the collection the report id names; only the vendor
    // collection has output reports.
    SimEndpoint target = port.endpoint_;
    const bool node = (port.receives_ & (port.receives_ - 1)) != 0;
    if (node)
        target = length > 0 && report[0] == kVendorReportId && port.Receives(SimEndpoint::Vendor)
                     ? SimEndpoint::Vendor
                     : SimEndpoint::Consumer;
    if (target == SimEndpoint::Consumer) return false;  // input only
    if (target == SimEndpoint::Keyboard) return true;   // LED reports, ignored

    ++requests_;
    if (vanishCountdown_ > 0 && --vanishCountdown_ == 0) {
        VanishLocked();
        return false;
    }
    if (recording_) {
        std::array<uint8_t, kSimReportSize> copy{};
        std::memcpy(copy.data(), report, std::min(length, copy.size()));
        recorded_.push_back(copy);
    }

    uint8_t reply[kSimReportSize];
    using namespace framebyte;
    uint8_t refusal = length > kCommand ? refusals_[report[kCommand]] : 0;
    SimFrameResult result;
    if (refusal != 0 && !(length > kLength && report[kCommand] == CMD_ENTER_BOOT &&
                          report[kLength] == CMD_ENTER_BOOT)) {
        std::memset(reply, 0, sizeof reply);
        reply[kId] = report[kId];
        std::memcpy(reply + kCommand, report + kCommand,
                    std::min<size_t>(length, kOffsetHigh + 1) - kCommand);
        reply[kStatus] = refusal;
        StampFrameChecksum(reply);
        result.replied = true;
    } else {
        result = HandleSimFrame(memory_, report, length, reply);
    }
    if (result.enterBoot) {
        inBoot_ = true;
        VanishLocked();
        return true;  // the request went out; the keyboard leaves to its boot loader
    }
    if (!result.replied) return true;
    if (dropReplies_ > 0) {
        --dropReplies_;
        return true;
    }
    if (!echoesRequests_) {
        std::memset(reply + 3, 0, 4);
        StampFrameChecksum(reply);
    }
    Clock::time_point readyAt = sentAt + 2 * linkDelay_ + replyDelay_;
    for (SimPort* p : ports_)
        if (p->Receives(SimEndpoint::Vendor)) p->Push(reply, sizeof reply, readyAt);
    return true;
}

void SimKeyboard::VanishLocked() {
    present_ = false;
    for (SimPort* p : ports_) {
        p->dead_ = true;
        p->queue_.clear();
        p->Signal();
    }
}

void SimKeyboard::PushConsumerLocked(uint16_t usage) {
    if (!present_) return;
    Clock::time_point readyAt = Clock::now() + linkDelay_;
    auto press = SimConsumerReport(usage);
    auto release = SimConsumerReport(0);
    for (SimPort* p : ports_) {
        if (!p->Receives(SimEndpoint::Consumer)) continue;
        p->Push(press.data(), press.size(), readyAt);
        p->Push(release.data(), release.size(), readyAt + linkDelay_);
    }
}

SimMemory SimKeyboard::Memory() const {
    std::lock_guard<std::mutex> guard(lock_);
    return memory_;
}

bool SimKeyboard::SetMemory(const SimMemory& memory) {
    std::lock_guard<std::mutex> guard(lock_);
    if (memory.model != model_) return false;
    memory_ = memory;
    return true;
}

void SimKeyboard::SwitchProfileOnKeyboard(int profile) {
    std::lock_guard<std::mutex> guard(lock_);
    memory_.state[kStateActiveProfile] = static_cast<uint8_t>(std::clamp(profile, 0, 2));
    PushConsumerLocked(0x0402);
}

void SimKeyboard::StepBrightnessOnKeyboard() {
    std::lock_guard<std::mutex> guard(lock_);
    uint8_t& brightness =
        memory_.lighting[memory_.state[kStateActiveProfile] * kLightingRecordSize + 1];
    brightness = static_cast<uint8_t>((brightness + 1) % 6);
    PushConsumerLocked(0x0401);
}

void SimKeyboard::SetIndicator(bool on) {
    std::lock_guard<std::mutex> guard(lock_);
    PushConsumerLocked(on ? 0x1811 : 0x1810);
}

void SimKeyboard::RaiseConsumerUsage(uint16_t usage) {
    std::lock_guard<std::mutex> guard(lock_);
    PushConsumerLocked(usage);
}

void SimKeyboard::DropReplies(int count) {
    std::lock_guard<std::mutex> guard(lock_);
    dropReplies_ = std::max(count, 0);
}

void SimKeyboard::SetReplyDelay(std::chrono::microseconds delay) {
    std::lock_guard<std::mutex> guard(lock_);
    replyDelay_ = delay;
}

void SimKeyboard::RefuseCommand(uint8_t command, uint8_t status) {
    std::lock_guard<std::mutex> guard(lock_);
    refusals_[command] = status;
}

void SimKeyboard::ClearRefusals() {
    std::lock_guard<std::mutex> guard(lock_);
    refusals_.fill(0);
}

void SimKeyboard::VanishAtExchange(int n) {
    std::lock_guard<std::mutex> guard(lock_);
    vanishCountdown_ = std::max(n, 0);
}

void SimKeyboard::Vanish() {
    std::lock_guard<std::mutex> guard(lock_);
    VanishLocked();
}

void SimKeyboard::Reappear() {
    std::lock_guard<std::mutex> guard(lock_);
    present_ = true;
    inBoot_ = false;
    vanishCountdown_ = 0;
}

void SimKeyboard::SetLinkDelay(std::chrono::microseconds perReport) {
    std::lock_guard<std::mutex> guard(lock_);
    linkDelay_ = perReport;
}

void SimKeyboard::SetEchoesRequests(bool on) {
    std::lock_guard<std::mutex> guard(lock_);
    echoesRequests_ = on;
}

uint64_t SimKeyboard::RequestsReceived() const {
    std::lock_guard<std::mutex> guard(lock_);
    return requests_;
}

int SimKeyboard::OpenHandles(SimEndpoint endpoint) const {
    std::lock_guard<std::mutex> guard(lock_);
    return static_cast<int>(std::count_if(ports_.begin(), ports_.end(), [&](const SimPort* p) {
        return p->endpoint_ == endpoint && !p->dead_;
    }));
}

int SimKeyboard::HandlesReceiving(SimEndpoint endpoint) const {
    std::lock_guard<std::mutex> guard(lock_);
    return static_cast<int>(std::count_if(ports_.begin(), ports_.end(), [&](const SimPort* p) {
        return p->Receives(endpoint) && !p->dead_;
    }));
}

void SimKeyboard::RecordRequests(bool on) {
    std::lock_guard<std::mutex> guard(lock_);
    recording_ = on;
}

std::vector<std::array<uint8_t, kSimReportSize>> SimKeyboard::TakeRecordedRequests() {
    std::lock_guard<std::mutex> guard(lock_);
    return std::exchange(recorded_, {});
}

}  // namespace vorlin
