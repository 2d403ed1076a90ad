// The platform layer under CHidDevice: one backend lists interface paths and opens them; an
// open interface moves single reports with a time-out and a cancel descriptor.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/hid/hid_types.h"

namespace vorlin {

struct HidOpenMode {
    bool read = false;
    bool write = false;
    bool overlapped = false;
    bool exclusive = false;  // share read only
};

// The ways the program opens an interface: every transfer waits with a time-out, and nothing
// is opened for exclusive use.
constexpr HidOpenMode kOpenReadWrite{true, true, true, false};
constexpr HidOpenMode kOpenRead{true, false, true, false};
constexpr HidOpenMode kOpenWrite{false, true, true, false};
constexpr HidOpenMode kOpenNoAccess{false, false, true, false};

// What an open interface is: its ids and the report descriptor of its node, plus which
// top-level application collection of that descriptor the path names (1-based; 1 when the
// node has only one). CHidDevice builds caps and layouts from it with the descriptor parser.
struct HidInterfaceInfo {
    HidAttributes attributes;
    std::vector<uint8_t> reportDescriptor;
    int collectionIndex = 1;
};

class HidTransport {
  public:
    virtual ~HidTransport() = default;
    // One report each. timeoutMs < 0 waits without limit. cancelFd is an eventfd in semaphore
    // mode: when it becomes readable the call consumes one count and gives up. false on time-out,
    // cancellation or error; *transferred then holds what the platform reported (usually 0).
    // Nothing stays outstanding on the caller's buffer after return. Reports use the Windows
    // layout: byte 0 is the report id (0 for a device without ids).
    virtual bool Read(uint8_t* buf, size_t len, size_t* transferred, int timeoutMs,
                      int cancelFd) = 0;
    virtual bool Write(const uint8_t* buf, size_t len, size_t* transferred, int timeoutMs,
                       int cancelFd) = 0;
    // The descriptor the reports move through, for measurements beside it; -1 when none.
    virtual int NativeFd() const { return -1; }
};

class HidBackend {
  public:
    virtual ~HidBackend() = default;
    // Every present interface path, one per top-level collection. false when listing fails.
    virtual bool Enumerate(std::vector<std::string>& paths) = 0;
    // nullptr when the path cannot be opened or described.
    virtual std::unique_ptr<HidTransport> Open(const std::string& path, const HidOpenMode& mode,
                                               HidInterfaceInfo& info) = 0;
    // Presence check: can the path be opened with no access rights?
    virtual bool Exists(const std::string& path) = 0;
};

}  // namespace vorlin
