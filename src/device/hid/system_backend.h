// The machine's HID interfaces as one backend: the hidraw nodes, plus extra backends that own
// a path prefix (the simulated keyboard registers "sim:"). The rest of the program holds one
// HidBackend& and does not care where a path leads.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "device/hid/hid_backend.h"

namespace vorlin {

class SystemHidBackend final : public HidBackend {
  public:
    // primary lists and opens every path no registered prefix claims (normally the hidraw
    // backend); null for a machine without one.
    explicit SystemHidBackend(std::shared_ptr<HidBackend> primary);

    // The backend lists its own paths, each of which must start with prefix, and opens the
    // paths that start with it (the longest matching prefix wins). Registering a prefix again
    // replaces the earlier backend.
    void Register(const std::string& prefix, std::shared_ptr<HidBackend> backend);
    void Unregister(const std::string& prefix);

    // The paths of every backend that could list its own; false only when none could.
    bool Enumerate(std::vector<std::string>& paths) override;
    std::unique_ptr<HidTransport> Open(const std::string& path, const HidOpenMode& mode,
                                       HidInterfaceInfo& info) override;
    bool Exists(const std::string& path) override;

  private:
    std::shared_ptr<HidBackend> Route(const std::string& path);

    std::shared_ptr<HidBackend> primary_;
    // Guards extras_: registration may happen while the monitor thread enumerates.
    std::mutex extrasLock_;
    std::vector<std::pair<std::string, std::shared_ptr<HidBackend>>> extras_;
};

// The system backend over the machine's hidraw nodes.
std::unique_ptr<SystemHidBackend> MakeSystemHidBackend();

}  // namespace vorlin
