// CHidDevice over a HidBackend: enumeration, open with layouts from the descriptor parser,
// single-report transfers with time-out and a shared cancel eventfd, and the optional reader.
#include "device/hid/hid_device.h"

#include <algorithm>
#include <cctype>
#include <chrono>

#include <unistd.h>

#include "device/hid/fd_io.h"
#include "device/hid/report_descriptor.h"

namespace vorlin {
namespace {

// Hexadecimal number after the key (matched without regard to case); 0 when absent.
int HexAfter(const std::string& path, const char* key) {
    std::string lower(path);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    size_t at = lower.find(key);
    if (at == std::string::npos) return 0;
    unsigned value = 0;
    int digits = 0;
    for (size_t i = at + std::char_traits<char>::length(key); i < lower.size() && digits < 8;
         ++i, ++digits) {
        char c = lower[i];
        unsigned d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else
            break;
        value = value * 16 + d;
    }
    return static_cast<int>(value & 0x7FFFFFFF);
}

}  // namespace

CHidDevice::CHidDevice(HidBackend& backend) : backend_(backend) {
    cancelEvent = MakeCancelEvent();
}

CHidDevice::~CHidDevice() {
    Close();
    StopReader();
    FreePaths();
    if (cancelEvent >= 0) ::close(cancelEvent);
}

bool CHidDevice::Enumerate() {
    pathCursor = 0;
    FreePaths();
    std::vector<std::string> found;
    if (!backend_.Enumerate(found)) return false;
    // The list grows by doubling from 8 entries, keeping what it holds.
    size_t capacity = 8;
    paths.reserve(capacity);
    for (auto& p : found) {
        if (paths.size() == capacity) {
            capacity *= 2;
            paths.reserve(capacity);
        }
        paths.push_back(std::move(p));
    }
    pathCount = static_cast<int>(paths.size());
    return true;
}

const std::string* CHidDevice::NextPath() {
    if (pathCursor >= paths.size()) return nullptr;
    return &paths[pathCursor++];
}

const std::string* CHidDevice::FirstPath() {
    pathCursor = 0;
    return NextPath();
}

void CHidDevice::FreePaths() {
    paths.clear();
    paths.shrink_to_fit();
    pathCount = 0;
    pathCursor = 0;
}

bool CHidDevice::Open(const std::string& newPath, bool read, bool write, bool overlap,
                      bool exclusiveShare) {
    wantRead = read;
    wantWrite = write;
    overlapped = overlap;
    exclusive = exclusiveShare;
    if (newPath.size() > kMaxHidPathChars) {
        // It would not fit the path field; refuse it and leave the object closed.
        ReleaseOpen();
        path.clear();
        return false;
    }
    path = newPath;
    return Reopen();
}

void CHidDevice::ReleaseOpen() {
    {
        std::lock_guard<std::mutex> lock(handleLock_);
        if (handle) {
            // One signal for every transfer in flight, so each of them gives up.
            if (inFlight_ > 0 && SignalCancelEvent(cancelEvent, inFlight_))
                signalsOwed_ += inFlight_;
        }
        handle.reset();  // a transfer in flight still holds its own reference
    }
    preparsed.reset();
    caps = HidCaps{};
    attributes = HidAttributes{};
    input = output = feature = HidReportLayout{};
    interfaceNumber = 0;
    collectionNumber = 0;
}

bool CHidDevice::Reopen() {
    ReleaseOpen();
    if (path.empty() || path.size() > kMaxHidPathChars) return false;
    HidOpenMode mode;
    mode.read = wantRead;
    mode.write = wantWrite;
    mode.overlapped = overlapped;
    mode.exclusive = exclusive;
    HidInterfaceInfo info;
    std::unique_ptr<HidTransport> transport = backend_.Open(path, mode, info);
    if (!transport) return false;

    HidDescriptorInfo parsed;
    if (!ParseReportDescriptor(info.reportDescriptor.data(), info.reportDescriptor.size(), parsed))
        return false;
    if (info.collectionIndex < 1 ||
        static_cast<size_t>(info.collectionIndex) > parsed.collections.size())
        return false;
    preparsed = parsed.collections[info.collectionIndex - 1];
    attributes = info.attributes;
    if (hidp::GetCaps(preparsed.get(), caps) != HidStatus::Success ||
        !BuildLayout(HidReportType::Input, input) || !BuildLayout(HidReportType::Output, output) ||
        !BuildLayout(HidReportType::Feature, feature)) {
        ReleaseOpen();
        return false;
    }
    interfaceNumber = HexAfter(path, "&mi_");
    collectionNumber = HexAfter(path, "&col");
    std::lock_guard<std::mutex> lock(handleLock_);
    handle = std::move(transport);
    return true;
}

bool CHidDevice::BuildLayout(HidReportType type, HidReportLayout& layout) {
    layout = HidReportLayout{};
    uint16_t length = type == HidReportType::Input    ? caps.inputReportByteLength
                      : type == HidReportType::Output ? caps.outputReportByteLength
                                                      : caps.featureReportByteLength;
    layout.reportBuffer.assign(length, 0);
    const HidPreparsedData* pd = preparsed.get();
    // "No such capability" only means an empty list here.
    hidp::GetSpecificButtonCaps(type, 0, 0, 0, layout.buttonCaps, pd);
    hidp::GetSpecificValueCaps(type, 0, 0, 0, layout.valueCaps, pd);

    size_t valueUsages = 0;
    for (const auto& v : layout.valueCaps)
        valueUsages += v.isRange ? v.usageMax - v.usageMin + 1u : 1u;
    size_t count = layout.buttonCaps.size() + valueUsages;
    layout.descriptors.resize(count);
    size_t i = 0;
    for (const auto& b : layout.buttonCaps) {
        HidUsageDescriptor& d = layout.descriptors[i++];
        d.isButton = 1;
        d.usagePage = b.usagePage;
        d.reportId = b.reportId;
        d.usageMin = b.usageMin;
        d.usageMax = b.isRange ? b.usageMax : b.usageMin;
        d.maxUsages = hidp::MaxUsageListLength(type, b.usagePage, pd);
        d.usages.assign(d.maxUsages, 0);
    }
    for (const auto& v : layout.valueCaps) {
        uint32_t last = v.isRange ? v.usageMax : v.usageMin;
        for (uint32_t u = v.usageMin; u <= last && i < count; ++u) {
            HidUsageDescriptor& d = layout.descriptors[i++];
            d.isButton = 0;
            d.usagePage = v.usagePage;
            d.usageMin = static_cast<uint16_t>(u);
            d.reportId = v.reportId;
        }
    }
    layout.descriptorCount = static_cast<int>(count);
    return true;
}

bool CHidDevice::Close() {
    bool wasOpen;
    {
        std::lock_guard<std::mutex> lock(handleLock_);
        wasOpen = handle != nullptr;
    }
    ReleaseOpen();
    return wasOpen;
}

bool CHidDevice::IsOpen() const {
    std::lock_guard<std::mutex> lock(handleLock_);
    return handle != nullptr;
}

void CHidDevice::SignalCancel() {
    SignalCancelEvent(cancelEvent);
}

std::shared_ptr<HidTransport> CHidDevice::BeginTransfer() {
    std::lock_guard<std::mutex> lock(handleLock_);
    if (!handle) return nullptr;
    ++inFlight_;
    return handle;
}

void CHidDevice::EndTransfer() {
    std::lock_guard<std::mutex> lock(handleLock_);
    --inFlight_;
    if (inFlight_ == 0) {
        // Signals we sent to stop our own transfers and that none of them took would cancel
        // the next, unrelated transfer: take them back.
        while (signalsOwed_ > 0) {
            --signalsOwed_;
            if (!TakeCancelSignal(cancelEvent)) break;
        }
        signalsOwed_ = 0;
    }
}

bool CHidDevice::ReadReport(uint8_t* buffer, size_t length, size_t* bytesRead, int timeoutMs) {
    if (bytesRead) *bytesRead = 0;
    std::shared_ptr<HidTransport> t = BeginTransfer();
    if (!t) return false;
    readPending = 1;
    size_t n = 0;
    bool ok = t->Read(buffer, length, &n, timeoutMs, cancelEvent);
    readPending = 0;
    EndTransfer();
    if (bytesRead) *bytesRead = n;
    return ok;
}

bool CHidDevice::WriteReport(const uint8_t* buffer, size_t length, size_t* bytesWritten,
                             int timeoutMs) {
    if (bytesWritten) *bytesWritten = 0;
    std::shared_ptr<HidTransport> t = BeginTransfer();
    if (!t) return false;
    writePending = 1;
    size_t n = 0;
    bool ok = t->Write(buffer, length, &n, timeoutMs, cancelEvent);
    writePending = 0;
    EndTransfer();
    if (bytesWritten) *bytesWritten = n;
    return ok;
}

bool CHidDevice::ParseReport(const uint8_t* report, size_t reportLength, HidReportType type,
                             std::vector<HidUsageDescriptor>& descriptors, int descriptorCount,
                             const HidPreparsedData* pd) {
    if (!report || reportLength == 0 || !pd) return false;
    size_t count = std::min(descriptors.size(), static_cast<size_t>(std::max(0, descriptorCount)));
    bool allDecoded = true;
    for (size_t i = 0; i < count; ++i) {
        HidUsageDescriptor& d = descriptors[i];
        if (d.reportId != report[0]) continue;
        if (d.isButton) {
            uint32_t room = std::min<uint32_t>(d.maxUsages, static_cast<uint32_t>(d.usages.size()));
            uint32_t n = room;
            HidStatus st = hidp::GetUsages(type, d.usagePage, 0, d.usages.data(), &n, pd, report,
                                           reportLength);
            d.status = static_cast<uint32_t>(st);
            if (st != HidStatus::Success && st != HidStatus::BufferTooSmall) n = 0;
            // Keep only this capability's usages, in order, then end the list with zeros.
            uint32_t kept = 0;
            for (uint32_t k = 0; k < n; ++k) {
                uint16_t u = d.usages[k];
                if (u >= d.usageMin && u <= d.usageMax) d.usages[kept++] = u;
            }
            std::fill(d.usages.begin() + kept, d.usages.begin() + room, 0);
            if (st != HidStatus::Success) allDecoded = false;
        } else {
            uint32_t raw = 0;
            HidStatus st = hidp::GetUsageValue(type, d.usagePage, 0, d.usage(), &raw, pd, report,
                                               reportLength);
            d.status = static_cast<uint32_t>(st);
            if (st != HidStatus::Success) return false;
            d.rawValue() = raw;
            int32_t scaled = 0;
            st = hidp::GetScaledUsageValue(type, d.usagePage, 0, d.usage(), &scaled, pd, report,
                                           reportLength);
            d.status = static_cast<uint32_t>(st);
            if (st == HidStatus::Success) d.scaledValue() = static_cast<uint32_t>(scaled);
        }
        d.updated = 1;
    }
    return allDecoded;
}

bool CHidDevice::StartReader(ReaderCallback callback) {
    StopReader();
    readerCallback = std::move(callback);
    readerStop_ = false;
    readerRunning_ = true;
    size_t length = std::max<size_t>(caps.inputReportByteLength, 1);
    try {
        readerThread = std::thread(&CHidDevice::ReaderLoop, this, length);
    } catch (...) {
        readerRunning_ = false;
        return false;
    }
    return true;
}

void CHidDevice::ReaderLoop(size_t length) {
    // A buffer of its own: Close may release the layouts while the reader still runs.
    std::vector<uint8_t> buffer(length);
    for (;;) {
        size_t n = 0;
        bool ok = !readerStop_ && ReadReport(buffer.data(), buffer.size(), &n, -1);
        if (!ok || readerStop_) {
            if (readerCallback) readerCallback(buffer.data(), -1);
            break;
        }
        if (readerCallback) readerCallback(buffer.data(), static_cast<int>(n));
    }
    readerRunning_ = false;
}

void CHidDevice::StopReader() {
    if (!readerThread.joinable()) return;
    readerStop_ = true;
    // The signal may be taken by another waiter first; repeat until the reader has gone.
    while (readerRunning_) {
        {
            std::lock_guard<std::mutex> lock(handleLock_);
            if (inFlight_ > 0 && SignalCancelEvent(cancelEvent)) ++signalsOwed_;
        }
        for (int i = 0; i < 50 && readerRunning_; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    readerThread.join();
}

}  // namespace vorlin
