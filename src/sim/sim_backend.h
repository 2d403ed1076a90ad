// Simulated keyboards plugged into the machine: a backend that lists "sim:" interface paths for
// each keyboard added (spelled like real ones, e.g. "sim:0&vid_320f&pid_5000&mi_01&col02") and
// opens them either in process or over a socketpair served by a bridge thread, so that the real
// fd I/O code runs end to end. In process a handle is one collection's, as on Windows; over the
// socketpair it is the whole node's, as a hidraw node is: the reports of every collection of
// that interface arrive on one socket, and the fd transport keeps the ones of the collection
// the path names. A keyboard that vanishes drops out of the list, and its open handles fail.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "device/hid/hid_backend.h"
#include "sim/sim_keyboard.h"

namespace vorlin {

constexpr char kSimPathPrefix[] = "sim:";

class SimBackend final : public HidBackend {
  public:
    enum class Transport { InProcess, Socketpair };

    explicit SimBackend(Transport transport = Transport::InProcess);

    // Plugs a keyboard in; returns its slot, the number after "sim:" in its paths.
    int Add(std::shared_ptr<SimKeyboard> keyboard);
    // Unplugs it for good (its slot is not reused).
    void Remove(int slot);
    std::shared_ptr<SimKeyboard> Keyboard(int slot);

    bool Enumerate(std::vector<std::string>& paths) override;
    std::unique_ptr<HidTransport> Open(const std::string& path, const HidOpenMode& mode,
                                       HidInterfaceInfo& info) override;
    bool Exists(const std::string& path) override;

    // The endpoint a path names, and its descriptor details; false for an unknown path.
    struct Interface {
        std::string path;
        SimEndpoint endpoint;
        std::vector<uint8_t> reportDescriptor;
        int collectionIndex;
        std::vector<uint8_t> inputReportIds;
        std::vector<SimEndpoint> node;  // every collection of the interface
    };

  private:
    struct Slot {
        std::shared_ptr<SimKeyboard> keyboard;
        std::vector<Interface> interfaces;
    };
    bool Find(const std::string& path, std::shared_ptr<SimKeyboard>& keyboard, Interface& iface);

    const Transport transport_;
    // Guards slots_: tests plug keyboards in while the monitor thread enumerates.
    std::mutex lock_;
    std::vector<Slot> slots_;
};

}  // namespace vorlin
