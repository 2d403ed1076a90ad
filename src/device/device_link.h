// The device-link state of the process: the open vendor collection of the keyboard, the lock
// that serialises its report I/O, and the sizes of the connected model.
#pragma once

#include <atomic>
#include <chrono>
#include <mutex>

#include "device/hid/hid_device.h"

namespace vorlin {

class FrameTrace;

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
};

}  // namespace vorlin
