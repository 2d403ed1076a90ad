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
#include <span>
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
    const std::vector<std::string>& paths() const { return paths_; }
    int pathCount() const { return static_cast<int>(paths_.size()); }
    unsigned pathCursor() const { return pathCursor_; }

    bool Open(const std::string& path, const HidOpenMode& mode);
    bool Reopen();
    bool Close();
    bool IsOpen() const;

    // The out count may be null; it is 0 on entry and the transferred bytes on return.
    bool ReadReport(std::span<uint8_t> buffer, size_t* bytesRead, int timeoutMs);
    bool WriteReport(std::span<const uint8_t> buffer, size_t* bytesWritten, int timeoutMs);
    // The command protocol's call sites pass a pointer and a length.
    bool ReadReport(uint8_t* buffer, size_t length, size_t* bytesRead, int timeoutMs) {
        return ReadReport(std::span<uint8_t>(buffer, length), bytesRead, timeoutMs);
    }
    bool WriteReport(const uint8_t* buffer, size_t length, size_t* bytesWritten, int timeoutMs) {
        return WriteReport(std::span<const uint8_t>(buffer, length), bytesWritten, timeoutMs);
    }

    static bool ParseReport(std::span<const uint8_t> report, HidReportType type,
                            std::vector<HidUsageDescriptor>& descriptors, int descriptorCount,
                            const HidPreparsedData* preparsed);

    bool StartReader(ReaderCallback callback);

    // Wakes one waiting transfer (auto-reset: one signal releases one waiter).
    void SignalCancel();
    HidBackend& backend() { return backend_; }

    // What the open interface is; empty (zero) while closed.
    const std::string& path() const { return path_; }
    const HidOpenMode& openMode() const { return mode_; }
    const HidCaps& caps() const { return caps_; }
    const HidAttributes& attributes() const { return attributes_; }
    const HidPreparsedData* preparsed() const { return preparsed_.get(); }
    const HidReportLayout& input() const { return input_; }
    const HidReportLayout& output() const { return output_; }
    const HidReportLayout& feature() const { return feature_; }
    // From the path's "&mi_" and "&col" parts; 0 when absent.
    int interfaceNumber() const { return interfaceNumber_; }
    int collectionNumber() const { return collectionNumber_; }
    bool readPending() const { return readPending_.load() != 0; }
    bool writePending() const { return writePending_.load() != 0; }
    // The descriptor reports move through, for measurements beside it; -1 when none.
    int NativeFd() const;

  private:
    bool BuildLayout(HidReportType type, HidReportLayout& layout);
    void ReleaseOpen();
    std::shared_ptr<HidTransport> BeginTransfer();
    void EndTransfer();
    void StopReader();
    void ReaderLoop(size_t length);

    std::vector<std::string> paths_;
    unsigned pathCursor_ = 0;
    HidOpenMode mode_;
    std::shared_ptr<HidTransport> handle_;  // shared so a transfer in flight keeps it alive
    std::string path_;
    std::shared_ptr<const HidPreparsedData> preparsed_;
    HidCaps caps_;
    HidAttributes attributes_;
    HidReportLayout input_, output_, feature_;
    int interfaceNumber_ = 0;
    int collectionNumber_ = 0;
    int cancelEvent_ = -1;  // eventfd, semaphore mode
    std::atomic<int> readPending_{0};
    std::atomic<int> writePending_{0};
    std::thread readerThread_;
    ReaderCallback readerCallback_;

    HidBackend& backend_;
    std::atomic<bool> readerRunning_{false};
    std::atomic<bool> readerStop_{false};
    // Guards handle_, inFlight_ and signalsOwed_: a transfer takes its reference to the
    // transport and counts itself in under it, so Close knows how many waiters to wake.
    mutable std::mutex handleLock_;
    int inFlight_ = 0;
    int signalsOwed_ = 0;  // cancel signals we sent to our own transfers, not yet taken back
};

}  // namespace vorlin
