// A simulated keyboard as the host sees it: open handles on its collections that move reports,
// keyboard-side events (profile switch, lighting change, indicator), a per-report link delay,
// and faults that tests switch on (lost replies, late replies, refusals, unplugging).
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "sim/sim_firmware.h"
#include "sim/sim_memory.h"

namespace vorlin {

// The collections of the keyboard the host can open.
enum class SimEndpoint { Keyboard, Consumer, Vendor };

class SimKeyboard;

// One open handle. Every handle of a collection receives its own copy of each input report,
// as HID handles do. A handle on a whole node (as hidraw opens them) receives the reports of
// every collection of that node and routes its writes by report id. Thread-safe.
class SimPort {
  public:
    using Clock = std::chrono::steady_clock;
    enum class ReadResult { Got, Empty, NotYet, Dead, TooLong };

    ~SimPort();
    SimPort(const SimPort&) = delete;
    SimPort& operator=(const SimPort&) = delete;

    // The collection the handle was opened for.
    SimEndpoint endpoint() const { return endpoint_; }
    // Readable (eventfd) whenever a report may have been queued or the handle died. Clear it
    // with ClearSignal before TryRead so that no wake-up is lost.
    int signalFd() const { return signalFd_; }
    void ClearSignal();

    // false when the keyboard is gone (also for writes to a collection without output).
    bool Write(const uint8_t* report, size_t length);
    // The same for a report the host sent at sentAt (the link delay counts from then).
    bool Write(const uint8_t* report, size_t length, Clock::time_point sentAt);
    // Got: *transferred bytes copied. NotYet: the next report arrives at *readyAt. TooLong: the
    // next report did not fit the buffer and was consumed.
    ReadResult TryRead(uint8_t* buffer, size_t length, size_t* transferred,
                       Clock::time_point* readyAt);
    bool Dead() const;

  private:
    friend class SimKeyboard;
    struct Report {
        std::array<uint8_t, kSimReportSize> bytes;
        size_t length;
        Clock::time_point readyAt;
    };
    SimPort(std::shared_ptr<SimKeyboard> keyboard, SimEndpoint endpoint, unsigned receives);
    bool Receives(SimEndpoint e) const { return receives_ & (1u << static_cast<int>(e)); }
    void Push(const uint8_t* bytes, size_t length,
              Clock::time_point readyAt);  // keyboard lock held
    void Signal();

    std::shared_ptr<SimKeyboard> keyboard_;
    SimEndpoint endpoint_;
    unsigned receives_;  // bit per SimEndpoint whose input reports reach this handle
    int signalFd_ = -1;
    // Guarded by the keyboard's lock_.
    std::deque<Report> queue_;
    bool dead_ = false;
};

class SimKeyboard : public std::enable_shared_from_this<SimKeyboard> {
  public:
    using Clock = std::chrono::steady_clock;

    static std::shared_ptr<SimKeyboard> Create(SimModel model);
    static std::shared_ptr<SimKeyboard> Create(const SimMemory& memory);

    const SimModelInfo& info() const { return ModelInfo(model_); }
    SimModel model() const { return model_; }

    // Host side. nullptr while the keyboard is absent. With node, a handle on the whole node
    // that holds endpoint and the other collections listed.
    std::shared_ptr<SimPort> Open(SimEndpoint endpoint, const std::vector<SimEndpoint>& node = {});
    bool Present() const;
    bool InBootMode() const;

    // Memory, for tests and the state file.
    SimMemory Memory() const;
    // Replaces the memory; false (and nothing changed) when it is of another model.
    bool SetMemory(const SimMemory& memory);
    template <typename F>
    void EditMemory(F&& edit) {
        std::lock_guard<std::mutex> guard(lock_);
        edit(memory_);
    }

    // Keyboard-side actions, reported to the host on the consumer collection.
    void SwitchProfileOnKeyboard(int profile);  // 0x0402
    void StepBrightnessOnKeyboard();            // 0x0401
    void SetIndicator(bool on);                 // 0x1811 on, 0x1810 off
    void RaiseConsumerUsage(uint16_t usage);    // press then release

    // Faults.
    void DropReplies(int count);  // the next count replies are lost
    void SetReplyDelay(std::chrono::microseconds delay);
    void RefuseCommand(uint8_t command, uint8_t status = kSimStatusBadFrame);
    void ClearRefusals();
    void VanishAtExchange(int n);  // the n-th request from now fails and the keyboard is gone
    void Vanish();
    void Reappear();  // also leaves boot mode
    void SetLinkDelay(std::chrono::microseconds perReport);
    // A keyboard whose replies do not repeat their request's command, length and offset
    // (bytes 3..6 are 0), for tests of hosts that must not rely on it.
    void SetEchoesRequests(bool on);

    // Observation.
    uint64_t RequestsReceived() const;
    int OpenHandles(SimEndpoint endpoint) const;
    // Open handles that receive the collection's input reports (also handles on its node).
    int HandlesReceiving(SimEndpoint endpoint) const;
    void RecordRequests(bool on);
    std::vector<std::array<uint8_t, kSimReportSize>> TakeRecordedRequests();

    // Keep the lock order keyboard -> port; ports only use the keyboard's lock.
    SimKeyboard(const SimKeyboard&) = delete;
    SimKeyboard& operator=(const SimKeyboard&) = delete;

  private:
    friend class SimPort;
    explicit SimKeyboard(const SimMemory& memory);
    bool HandleWrite(SimPort& port, const uint8_t* report, size_t length, Clock::time_point sentAt);
    void VanishLocked();
    void PushConsumerLocked(uint16_t usage);
    void Detach(SimPort* port);

    const SimModel model_;
    // Guards everything below and the queues of every port.
    mutable std::mutex lock_;
    SimMemory memory_;
    std::vector<SimPort*> ports_;
    bool present_ = true;
    bool inBoot_ = false;
    int dropReplies_ = 0;
    int vanishCountdown_ = 0;
    std::chrono::microseconds replyDelay_{0};
    std::chrono::microseconds linkDelay_{0};
    bool echoesRequests_ = true;
    std::array<uint8_t, 256> refusals_{};  // status per command, 0 = none
    uint64_t requests_ = 0;
    bool recording_ = false;
    std::vector<std::array<uint8_t, kSimReportSize>> recorded_;
};

// The consumer-control input report that carries one usage (0 = released).
std::array<uint8_t, 3> SimConsumerReport(uint16_t usage);

}  // namespace vorlin
