// CHidDevice: one HID interface of the machine, found by enumeration, opened with chosen
// access, described by caps and three report layouts, and moved one report at a time with a
// time-out and a shared cancel event.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "device/hid/hid_backend.h"
#include "device/hid/hid_types.h"

namespace vorlin {

struct HidPreparsedData;  // what the report-descriptor parser keeps for one collection

constexpr size_t kMaxHidPathChars = 259;  // longer paths are refused by Open

class CHidDevice {
  public:
    using ReaderCallback = std::function<void(const uint8_t* report, int count)>;

    explicit CHidDevice(HidBackend& backend);
    ~CHidDevice();
    CHidDevice(const CHidDevice&) = delete;
    CHidDevice& operator=(const CHidDevice&) = delete;

    bool Enumerate();
    const std::string* NextPath();  // nullptr when exhausted
    const std::string* FirstPath();
    void FreePaths();

    bool Open(const std::string& path, bool wantRead, bool wantWrite, bool overlapped,
              bool exclusive);
    bool Reopen();
    bool Close();
    bool IsOpen() const;

    // The out count may be null; it is 0 on entry and the transferred bytes on return.
    bool ReadReport(uint8_t* buffer, size_t length, size_t* bytesRead, int timeoutMs);
    bool WriteReport(const uint8_t* buffer, size_t length, size_t* bytesWritten, int timeoutMs);

    static bool ParseReport(const uint8_t* report, size_t reportLength, HidReportType type,
                            std::vector<HidUsageDescriptor>& descriptors, int descriptorCount,
                            const HidPreparsedData* preparsed);

    bool StartReader(ReaderCallback callback);

    // Wakes one waiting transfer (auto-reset: one signal releases one waiter).
    void SignalCancel();
    HidBackend& backend() { return backend_; }

    // Fields, in the documented order.
    std::vector<std::string> paths;
    int pathCount = 0;
    unsigned pathCursor = 0;
    int wantRead = 0;
    int wantWrite = 0;
    int overlapped = 0;
    int exclusive = 0;
    std::shared_ptr<HidTransport> handle;  // shared so a transfer in flight keeps it alive
    std::string path;
    std::shared_ptr<const HidPreparsedData> preparsed;
    HidCaps caps;
    HidAttributes attributes;
    HidReportLayout input, output, feature;
    int interfaceNumber = 0;
    int collectionNumber = 0;
    int cancelEvent = -1;  // eventfd, semaphore mode
    std::atomic<int> readPending{0};
    std::atomic<int> writePending{0};
    std::thread readerThread;
    ReaderCallback readerCallback;

  private:
    bool BuildLayout(HidReportType type, HidReportLayout& layout);
    void ReleaseOpen();
    std::shared_ptr<HidTransport> BeginTransfer();
    void EndTransfer();
    void StopReader();
    void ReaderLoop(size_t length);

    HidBackend& backend_;
    std::atomic<bool> readerRunning_{false};
    std::atomic<bool> readerStop_{false};
    // Guards handle, inFlight_ and signalsOwed_: a transfer takes its reference to the
    // transport and counts itself in under it, so Close knows how many waiters to wake.
    mutable std::mutex handleLock_;
    int inFlight_ = 0;
    int signalsOwed_ = 0;  // cancel signals we sent to our own transfers, not yet taken back
};

}  // namespace vorlin
