// The device-link state of the process: the open vendor collection of the keyboard, the lock
// that serialises its report I/O, the sizes of the connected model, and why an exchange failed.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>

#include "device/hid/hid_device.h"

namespace vorlin {

class FrameTrace;

// Why an exchange with the keyboard failed, as the protocol saw it, for the front ends to tell.
struct LinkFailure {
    enum class Kind : uint8_t {
        None,
        NotReady,     // no keyboard open: nothing was sent
        WriteFailed,  // the request could not be written
        NoReply,      // no answer after every attempt
        Refused,      // the keyboard answered with a refusal status
    };
    Kind kind = Kind::None;
    uint8_t command = 0;   // the request's command code (not for NotReady)
    uint8_t attempts = 0;  // NoReply: how many times the request was written
    uint8_t status = 0;    // Refused: the keyboard's status, 255 or 254

    bool operator==(const LinkFailure&) const = default;
};
static_assert(std::atomic<LinkFailure>::is_always_lock_free);

struct DeviceLink {
    explicit DeviceLink(HidBackend& backend) : device(backend) {}

    std::atomic<int> ready{0};  // 1 while a matching keyboard is open on device
    CHidDevice device;
    // Guards report I/O on device: held across the write and the read of one exchange so a
    // reply always belongs to the request of the thread that holds it.
    std::recursive_mutex ioLock;
    // Written only by the connection monitor.
    std::atomic<unsigned> keyMapSize{378};
    std::atomic<unsigned> profileStride{378};
    std::atomic<unsigned> keyCount{126};
    // Guarded by ioLock: until then a reply the keyboard sent after its exchange gave up may
    // still arrive, so exchanges first discard whatever is waiting.
    std::chrono::steady_clock::time_point staleReplyUntil{};
    // What the keyboard's replies repeat of their request (kEchoCommand, kEchoPosition),
    // learnt at each connection by LearnReplyEcho. A reply that does not repeat what it should
    // answers another request and is passed over; 0 takes any reply as the answer.
    std::atomic<int> replyEcho{0};
    // Optional frame log (hex with time stamps); null when tracing is off.
    std::atomic<FrameTrace*> trace{nullptr};

    // The first failure since the record was last cleared: the one that ended an operation,
    // not what failed after it (an apply still sends its end). One atomic snapshot, so the
    // window can read it without waiting for ioLock.
    void RecordFailure(LinkFailure f) {
        LinkFailure none{};
        failure_.compare_exchange_strong(none, f);
    }
    LinkFailure Failure() const { return failure_.load(); }
    // Clears the record before an operation whose failure is to be told; returns what it held.
    LinkFailure TakeFailure() { return failure_.exchange(LinkFailure{}); }

  private:
    std::atomic<LinkFailure> failure_{};
};

}  // namespace vorlin
