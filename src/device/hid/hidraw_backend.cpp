// hidraw nodes found through sysfs and opened as fd transports.
#include "device/hid/hidraw_backend.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

#include "device/hid/fd_io.h"
#include "device/hid/interface_path.h"
#include "device/hid/report_descriptor.h"
#include "platform/file_read.h"

namespace vorlin {

struct HidrawBackend::Node {
    std::string name;  // hidrawN
    std::string hidName;
    uint32_t bus = 0;
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t version = 0;
    int interfaceNumber = -1;
    bool described = false;
    std::string error;
    HidDescriptorInfo descriptor;
    std::vector<uint8_t> bytes;
};

struct HidrawBackend::PathParts {
    std::string node;  // hidrawN
    int vendorId = -1, productId = -1;
    int interfaceNumber = -1;
    int collection = 0;  // 0: no &col part
};

namespace {

bool ParseHex(const std::string& s, uint64_t& v) {
    if (s.empty() || s.size() > 16) return false;
    v = 0;
    for (char c : s) {
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return false;
        v = v * 16 + d;
    }
    return true;
}

bool IsNodeName(const std::string& s) {
    if (s.size() <= 6 || s.compare(0, 6, "hidraw") != 0) return false;
    return std::all_of(s.begin() + 6, s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string Trim(std::string s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
    return s;
}

}  // namespace

HidrawBackend::HidrawBackend(std::string sysfsRoot, std::string devRoot)
    : sysfsRoot_(std::move(sysfsRoot)), devRoot_(std::move(devRoot)) {}

bool HidrawBackend::ListNodes(std::vector<std::string>& names) const {
    names.clear();
    DIR* d = ::opendir(sysfsRoot_.c_str());
    if (!d) return errno == ENOENT;  // no hidraw class: nothing plugged in
    while (dirent* e = ::readdir(d)) {
        std::string n = e->d_name;
        if (IsNodeName(n)) names.push_back(n);
    }
    ::closedir(d);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;  // hidraw2 before hidraw10
    });
    return true;
}

bool HidrawBackend::ReadNode(const std::string& name, Node& node, bool withDescriptor) const {
    node = Node{};
    node.name = name;
    std::string dir = sysfsRoot_ + "/" + name + "/device";
    std::string uevent;
    if (!ReadFileLimited(dir + "/uevent", uevent, 64 * 1024)) return false;
    bool haveId = false;
    std::istringstream lines(uevent);
    for (std::string line; std::getline(lines, line);) {
        line = Trim(line);
        if (line.compare(0, 7, "HID_ID=") == 0) {
            // bus:vendor:product, all hexadecimal
            std::string v = line.substr(7);
            size_t a = v.find(':'), b = v.find(':', a == std::string::npos ? a : a + 1);
            uint64_t bus, vid, pid;
            if (a == std::string::npos || b == std::string::npos ||
                !ParseHex(v.substr(0, a), bus) || !ParseHex(v.substr(a + 1, b - a - 1), vid) ||
                !ParseHex(v.substr(b + 1), pid))
                return false;
            node.bus = static_cast<uint32_t>(bus);
            node.vendorId = static_cast<uint16_t>(vid);
            node.productId = static_cast<uint16_t>(pid);
            haveId = true;
        } else if (line.compare(0, 9, "HID_NAME=") == 0) {
            node.hidName = line.substr(9);
        } else if (line.compare(0, 9, "HID_PHYS=") == 0) {
            // usb-0000:00:14.0-3/input1: the USB interface number follows "/input"
            std::string phys = line.substr(9);
            size_t at = phys.rfind("/input");
            uint64_t n;
            if (phys.compare(0, 4, "usb-") == 0 && at != std::string::npos) {
                std::string digits = phys.substr(at + 6);
                if (!digits.empty() && digits.size() <= 3 &&
                    std::all_of(digits.begin(), digits.end(),
                                [](char c) { return c >= '0' && c <= '9'; })) {
                    n = std::stoul(digits);
                    node.interfaceNumber = static_cast<int>(n);
                }
            }
        }
    }
    if (!haveId) return false;
    std::string bcd;
    uint64_t version;
    if (ReadFileLimited(dir + "/../../bcdDevice", bcd, 16) && ParseHex(Trim(bcd), version))
        node.version = static_cast<uint16_t>(version);
    if (!withDescriptor) return true;
    std::string raw;
    if (!ReadFileLimited(dir + "/report_descriptor", raw, HidParseLimits::kMaxDescriptorBytes)) {
        node.error = "report descriptor unreadable or too long";
        return true;
    }
    node.bytes.assign(raw.begin(), raw.end());
    node.described =
        ParseReportDescriptor(node.bytes.data(), node.bytes.size(), node.descriptor, &node.error);
    if (node.described && node.descriptor.collections.empty()) {
        node.described = false;
        node.error = "no top-level collection";
    }
    return true;
}

bool HidrawBackend::ListDetails(std::vector<HidrawInterfaceDetails>& out) {
    out.clear();
    std::vector<std::string> names;
    if (!ListNodes(names)) return false;
    for (const auto& name : names) {
        Node node;
        if (!ReadNode(name, node, true)) continue;  // vanished while we looked
        int count = node.described ? static_cast<int>(node.descriptor.collections.size()) : 1;
        for (int c = 1; c <= count; ++c) {
            HidrawInterfaceDetails d;
            d.path = InterfacePath{devRoot_ + "/" + name, node.vendorId, node.productId,
                                   node.interfaceNumber, count > 1 ? c : 0}
                         .Format();
            d.node = devRoot_ + "/" + name;
            d.name = node.hidName;
            d.vendorId = node.vendorId;
            d.productId = node.productId;
            d.versionNumber = node.version;
            d.bus = node.bus;
            d.interfaceNumber = node.interfaceNumber;
            d.collectionIndex = c;
            d.collectionCount = node.described ? count : 0;
            d.described = node.described;
            d.error = node.error;
            if (node.described) {
                d.preparsed = node.descriptor.collections[c - 1];
                d.caps = d.preparsed->caps;
            }
            out.push_back(std::move(d));
        }
    }
    return true;
}

bool HidrawBackend::Enumerate(std::vector<std::string>& paths) {
    paths.clear();
    std::vector<HidrawInterfaceDetails> details;
    if (!ListDetails(details)) return false;
    for (auto& d : details) paths.push_back(std::move(d.path));
    return true;
}

bool HidrawBackend::ParsePath(const std::string& path, PathParts& parts) const {
    parts = PathParts{};
    const std::optional<InterfacePath> parsed = InterfacePath::Parse(path);
    const std::string prefix = devRoot_ + "/";
    if (!parsed || parsed->device.compare(0, prefix.size(), prefix) != 0) return false;
    parts.node = parsed->device.substr(prefix.size());
    if (!IsNodeName(parts.node)) return false;
    parts.vendorId = parsed->vendorId;
    parts.productId = parsed->productId;
    parts.interfaceNumber = parsed->interfaceNumber;
    parts.collection = parsed->collection;
    return true;
}

std::unique_ptr<HidTransport> HidrawBackend::Open(const std::string& path, const HidOpenMode& mode,
                                                  HidInterfaceInfo& info) {
    PathParts parts;
    if (!ParsePath(path, parts)) return nullptr;
    Node node;
    if (!ReadNode(parts.node, node, true) || !node.described) return nullptr;
    int count = static_cast<int>(node.descriptor.collections.size());
    // A node number can be reused by another device: the path must still describe this one.
    if (node.vendorId != parts.vendorId || node.productId != parts.productId ||
        node.interfaceNumber != parts.interfaceNumber)
        return nullptr;
    int index = parts.collection;
    if (count > 1 ? (index < 1 || index > count) : index != 0) return nullptr;
    if (index == 0) index = 1;

    int flags = O_NONBLOCK | O_CLOEXEC;
    if (mode.read && mode.write)
        flags |= O_RDWR;
    else if (mode.write)
        flags |= O_WRONLY;
    else if (mode.read)
        flags |= O_RDONLY;
    else
        flags = O_PATH | O_CLOEXEC;
    int fd = ::open((devRoot_ + "/" + parts.node).c_str(), flags);
    if (fd < 0) return nullptr;

    const HidPreparsedData& pd = *node.descriptor.collections[index - 1];
    std::vector<uint8_t> ids = InputReportIds(pd);
    // A numbered collection without input reports accepts none: no report of a numbered
    // node carries id 0.
    if (pd.numbered && ids.empty()) ids.push_back(0);
    info.attributes.vendorId = node.vendorId;
    info.attributes.productId = node.productId;
    info.attributes.versionNumber = node.version;
    info.reportDescriptor = std::move(node.bytes);
    info.collectionIndex = index;
    return MakeFdTransport(fd, pd.numbered, std::move(ids));
}

bool HidrawBackend::Exists(const std::string& path) {
    PathParts parts;
    if (!ParsePath(path, parts)) return false;
    int fd = ::open((devRoot_ + "/" + parts.node).c_str(), O_PATH | O_CLOEXEC);
    if (fd < 0) return false;
    ::close(fd);
    Node node;
    return ReadNode(parts.node, node, false) && node.vendorId == parts.vendorId &&
           node.productId == parts.productId && node.interfaceNumber == parts.interfaceNumber;
}

}  // namespace vorlin
