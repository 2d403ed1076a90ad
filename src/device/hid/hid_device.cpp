// CHidDevice over a HidBackend: enumeration, open with layouts from the descriptor parser,
// single-report transfers with time-out and a shared cancel eventfd, and the optional reader.
#include "device/hid/hid_device.h"

#include <algorithm>
#include <chrono>

#include <unistd.h>

#include "device/hid/fd_io.h"
#include "device/hid/interface_path.h"
#include "device/hid/report_descriptor.h"

namespace vorlin {
CHidDevice::CHidDevice(HidBackend& backend) : backend_(backend) {
    cancelEvent_ = MakeCancelEvent();
}

CHidDevice::~CHidDevice() {
    Close();
    StopReader();
    FreePaths();
    if (cancelEvent_ >= 0) ::close(cancelEvent_);
}

bool CHidDevice::Enumerate() {
    pathCursor_ = 0;
    FreePaths();
    std::vector<std::string> found;
    if (!backend_.Enumerate(found)) return false;
    // The list grows by doubling from 8 entries, keeping what it holds.
    size_t capacity = 8;
    paths_.reserve(capacity);
    for (auto& p : found) {
        if (paths_.size() == capacity) {
            capacity *= 2;
            paths_.reserve(capacity);
        }
        paths_.push_back(std::move(p));
    }
    return true;
}

const std::string* CHidDevice::NextPath() {
    if (pathCursor_ >= paths_.size()) return nullptr;
    return &paths_[pathCursor_++];
}

const std::string* CHidDevice::FirstPath() {
    pathCursor_ = 0;
    return NextPath();
}

void CHidDevice::FreePaths() {
    paths_.clear();
    paths_.shrink_to_fit();
    pathCursor_ = 0;
}

bool CHidDevice::Open(const std::string& newPath, const HidOpenMode& mode) {
    mode_ = mode;
    if (newPath.size() > kMaxHidPathChars) {
        // It would not fit the path_ field; refuse it and leave the object closed.
        ReleaseOpen();
        path_.clear();
        return false;
    }
    path_ = newPath;
    return Reopen();
}

void CHidDevice::ReleaseOpen() {
    {
        std::lock_guard<std::mutex> lock(handleLock_);
        if (handle_) {
            // One signal for every transfer in flight, so each of them gives up.
            if (inFlight_ > 0 && SignalCancelEvent(cancelEvent_, inFlight_))
                signalsOwed_ += inFlight_;
        }
        handle_.reset();  // a transfer in flight still holds its own reference
    }
    preparsed_.reset();
    caps_ = HidCaps{};
    attributes_ = HidAttributes{};
    input_ = output_ = feature_ = HidReportLayout{};
    interfaceNumber_ = 0;
    collectionNumber_ = 0;
}

bool CHidDevice::Reopen() {
    ReleaseOpen();
    if (path_.empty() || path_.size() > kMaxHidPathChars) return false;
    HidInterfaceInfo info;
    std::unique_ptr<HidTransport> transport = backend_.Open(path_, mode_, info);
    if (!transport) return false;

    HidDescriptorInfo parsed;
    if (!ParseReportDescriptor(info.reportDescriptor.data(), info.reportDescriptor.size(), parsed))
        return false;
    if (info.collectionIndex < 1 ||
        static_cast<size_t>(info.collectionIndex) > parsed.collections.size())
        return false;
    preparsed_ = parsed.collections[info.collectionIndex - 1];
    attributes_ = info.attributes;
    if (hidp::GetCaps(preparsed_.get(), caps_) != HidStatus::Success ||
        !BuildLayout(HidReportType::Input, input_) ||
        !BuildLayout(HidReportType::Output, output_) ||
        !BuildLayout(HidReportType::Feature, feature_)) {
        ReleaseOpen();
        return false;
    }
    interfaceNumber_ = static_cast<int>(HexFieldAfter(path_, "&mi_", 8) & 0x7FFFFFFF);
    collectionNumber_ = static_cast<int>(HexFieldAfter(path_, "&col", 8) & 0x7FFFFFFF);
    std::lock_guard<std::mutex> lock(handleLock_);
    handle_ = std::move(transport);
    return true;
}

bool CHidDevice::BuildLayout(HidReportType type, HidReportLayout& layout) {
    layout = HidReportLayout{};
    uint16_t length = type == HidReportType::Input    ? caps_.inputReportByteLength
                      : type == HidReportType::Output ? caps_.outputReportByteLength
                                                      : caps_.featureReportByteLength;
    layout.reportBuffer.assign(length, 0);
    const HidPreparsedData* pd = preparsed_.get();
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
        wasOpen = handle_ != nullptr;
    }
    ReleaseOpen();
    return wasOpen;
}

int CHidDevice::NativeFd() const {
    std::lock_guard<std::mutex> lock(handleLock_);
    return handle_ ? handle_->NativeFd() : -1;
}

bool CHidDevice::IsOpen() const {
    std::lock_guard<std::mutex> lock(handleLock_);
    return handle_ != nullptr;
}

void CHidDevice::SignalCancel() {
    SignalCancelEvent(cancelEvent_);
}

std::shared_ptr<HidTransport> CHidDevice::BeginTransfer() {
    std::lock_guard<std::mutex> lock(handleLock_);
    if (!handle_) return nullptr;
    ++inFlight_;
    return handle_;
}

void CHidDevice::EndTransfer() {
    std::lock_guard<std::mutex> lock(handleLock_);
    --inFlight_;
    if (inFlight_ == 0) {
        // Signals we sent to stop our own transfers and that none of them took would cancel
        // the next, unrelated transfer: take them back.
        while (signalsOwed_ > 0) {
            --signalsOwed_;
            if (!TakeCancelSignal(cancelEvent_)) break;
        }
        signalsOwed_ = 0;
    }
}

bool CHidDevice::ReadReport(std::span<uint8_t> buffer, size_t* bytesRead, int timeoutMs) {
    if (bytesRead) *bytesRead = 0;
    std::shared_ptr<HidTransport> t = BeginTransfer();
    if (!t) return false;
    readPending_ = 1;
    size_t n = 0;
    bool ok = t->Read(buffer.data(), buffer.size(), &n, timeoutMs, cancelEvent_);
    readPending_ = 0;
    EndTransfer();
    if (bytesRead) *bytesRead = n;
    return ok;
}

bool CHidDevice::WriteReport(std::span<const uint8_t> buffer, size_t* bytesWritten, int timeoutMs) {
    if (bytesWritten) *bytesWritten = 0;
    std::shared_ptr<HidTransport> t = BeginTransfer();
    if (!t) return false;
    writePending_ = 1;
    size_t n = 0;
    bool ok = t->Write(buffer.data(), buffer.size(), &n, timeoutMs, cancelEvent_);
    writePending_ = 0;
    EndTransfer();
    if (bytesWritten) *bytesWritten = n;
    return ok;
}

bool CHidDevice::ParseReport(std::span<const uint8_t> reportBytes, HidReportType type,
                             std::vector<HidUsageDescriptor>& descriptors, int descriptorCount,
                             const HidPreparsedData* pd) {
    const uint8_t* report = reportBytes.data();
    const size_t reportLength = reportBytes.size();
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
    readerCallback_ = std::move(callback);
    readerStop_ = false;
    readerRunning_ = true;
    size_t length = std::max<size_t>(caps_.inputReportByteLength, 1);
    try {
        readerThread_ = std::thread(&CHidDevice::ReaderLoop, this, length);
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
        bool ok = !readerStop_ && ReadReport(buffer, &n, -1);
        if (!ok || readerStop_) {
            if (readerCallback_) readerCallback_(buffer.data(), -1);
            break;
        }
        if (readerCallback_) readerCallback_(buffer.data(), static_cast<int>(n));
    }
    readerRunning_ = false;
}

void CHidDevice::StopReader() {
    if (!readerThread_.joinable()) return;
    readerStop_ = true;
    // The signal may be taken by another waiter first; repeat until the reader has gone.
    while (readerRunning_) {
        {
            std::lock_guard<std::mutex> lock(handleLock_);
            if (inFlight_ > 0 && SignalCancelEvent(cancelEvent_)) ++signalsOwed_;
        }
        for (int i = 0; i < 50 && readerRunning_; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    readerThread_.join();
}

}  // namespace vorlin
