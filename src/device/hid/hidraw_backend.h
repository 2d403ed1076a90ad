// The machine's HID interfaces through Linux hidraw: nodes are found in sysfs, one interface
// path per top-level collection of a node's report descriptor, spelled like
// "/dev/hidraw3&vid_320f&pid_5000&mi_01&col02" (&mi_ for USB interfaces, &col only when the
// node has several collections, numbered from 1).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/hid/hid_backend.h"
#include "device/hid/hid_types.h"
#include "device/hid/report_descriptor.h"

namespace vorlin {

// What the backend knows about one interface path, for diagnostics.
struct HidrawInterfaceDetails {
    std::string path;
    std::string node;  // the /dev node behind it
    std::string name;  // the device's own name
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t versionNumber = 0;  // 0 when sysfs does not tell
    uint32_t bus = 0;
    int interfaceNumber = -1;  // -1: not a USB interface
    int collectionIndex = 1;
    int collectionCount = 0;
    bool described = false;  // the report descriptor was read and parsed
    std::string error;       // why not
    HidCaps caps;
    // The parsed collection (caps, button and value caps, report ids); null when not described.
    std::shared_ptr<const HidPreparsedData> preparsed;
};

class HidrawBackend final : public HidBackend {
  public:
    explicit HidrawBackend(std::string sysfsRoot = "/sys/class/hidraw",
                           std::string devRoot = "/dev");

    // A machine without the hidraw class lists no paths and succeeds.
    bool Enumerate(std::vector<std::string>& paths) override;
    // The path must name a node that still belongs to the same device, interface and collection.
    // read/write choose the access; neither opens the node without access (I/O then fails).
    // Linux has no share modes and every transfer waits through poll, so the exclusive and
    // overlapped wishes change nothing.
    std::unique_ptr<HidTransport> Open(const std::string& path, const HidOpenMode& mode,
                                       HidInterfaceInfo& info) override;
    bool Exists(const std::string& path) override;

    bool ListDetails(std::vector<HidrawInterfaceDetails>& out);

  private:
    struct Node;
    struct PathParts;
    bool ReadNode(const std::string& name, Node& node, bool withDescriptor) const;
    bool ParsePath(const std::string& path, PathParts& parts) const;
    bool ListNodes(std::vector<std::string>& names) const;

    std::string sysfsRoot_;
    std::string devRoot_;
};

}  // namespace vorlin
