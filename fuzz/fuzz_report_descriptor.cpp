// Feeds arbitrary bytes to the report-descriptor parser as a device's descriptor, opens every
// collection it finds through CHidDevice, and decodes reports made of the same bytes with the
// resulting layouts.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "device/hid/hid_device.h"
#include "device/hid/report_descriptor.h"

namespace {

using namespace vorlin;

class NoTransport : public HidTransport {
  public:
    bool Read(uint8_t*, size_t, size_t* n, int, int) override {
        if (n) *n = 0;
        return false;
    }
    bool Write(const uint8_t*, size_t, size_t* n, int, int) override {
        if (n) *n = 0;
        return false;
    }
};

class BytesBackend : public HidBackend {
  public:
    BytesBackend(const uint8_t* data, size_t size) : bytes_(data, data + size) {}
    bool Enumerate(std::vector<std::string>& paths) override {
        paths.assign(1, "fuzz");
        return true;
    }
    std::unique_ptr<HidTransport> Open(const std::string& path, const HidOpenMode&,
                                       HidInterfaceInfo& info) override {
        info.reportDescriptor = bytes_;
        info.collectionIndex = std::stoi(path);
        return std::make_unique<NoTransport>();
    }
    bool Exists(const std::string&) override { return true; }

  private:
    std::vector<uint8_t> bytes_;
};

void Decode(CHidDevice& dev, HidReportType type, HidReportLayout layout, const uint8_t* data,
            size_t size) {
    const HidPreparsedData* pd = dev.preparsed();
    std::vector<uint8_t> report(layout.reportBuffer.size());
    for (uint8_t id : pd->of(type).reportIds) {
        for (size_t i = 0; i < report.size(); ++i) report[i] = size ? data[i % size] : 0;
        if (!report.empty()) report[0] = id;
        // The whole report, then cut short, which must be refused and not read past.
        for (size_t len : {report.size(), report.size() / 2}) {
            CHidDevice::ParseReport(std::span(report).first(len), type, layout.descriptors,
                                    layout.descriptorCount, pd);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    HidDescriptorInfo info;
    if (!ParseReportDescriptor(data, size, info)) return 0;
    BytesBackend backend(data, size);
    CHidDevice dev(backend);
    for (size_t c = 1; c <= info.collections.size() && c <= 8; ++c) {
        if (!dev.Open(std::to_string(c), kOpenReadWrite)) continue;
        Decode(dev, HidReportType::Input, dev.input(), data, size);
        Decode(dev, HidReportType::Output, dev.output(), data, size);
        Decode(dev, HidReportType::Feature, dev.feature(), data, size);
    }
    return 0;
}
