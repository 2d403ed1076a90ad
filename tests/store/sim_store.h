// A store context wired to a simulated keyboard through the real device link: each open of the
// vendor collection is served over a socketpair by the simulator's bridge, so every exchange
// runs through the fd transport, the protocol layer and the keyboard's own frame handling.
#pragma once

#include <sys/socket.h>

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "device/connection_state.h"
#include "device/device_link.h"
#include "device/hid/fd_io.h"
#include "device/hid/hid_backend.h"
#include "device/hid/keyboard_descriptors.h"
#include "device/protocol.h"
#include "sim/sim_keyboard.h"
#include "sim/sim_socket_bridge.h"
#include "store/config_store.h"
#include "store/store_context.h"
#include "store_fixtures.h"

namespace vorlin::test {

class SimBridgeBackend : public HidBackend {
  public:
    explicit SimBridgeBackend(std::shared_ptr<SimKeyboard> keyboard)
        : keyboard_(std::move(keyboard)) {}
    ~SimBridgeBackend() override {
        for (auto& bridge : bridges_) bridge->Stop();
    }

    std::string path() const {
        const SimModelInfo& info = keyboard_->info();
        char text[64];
        std::snprintf(text, sizeof text, "sim-store&vid_%04x&pid_%04x&mi_01", info.vendorId,
                      info.productId);
        return text;
    }

    bool Enumerate(std::vector<std::string>& paths) override {
        paths = {path()};
        return true;
    }

    std::unique_ptr<HidTransport> Open(const std::string& p, const HidOpenMode&,
                                       HidInterfaceInfo& info) override {
        if (p != path()) return nullptr;
        std::shared_ptr<SimPort> port = keyboard_->Open(SimEndpoint::Vendor);
        if (!port) return nullptr;
        int sv[2];
        if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, sv) != 0) {
            return nullptr;
        }
        bridges_.push_back(std::make_unique<SimSocketBridge>(port, sv[1]));
        info.attributes = {keyboard_->info().vendorId, keyboard_->info().productId, 0x0100};
        const auto descriptor = VendorCollectionDescriptor();
        info.reportDescriptor.assign(descriptor.begin(), descriptor.end());
        info.collectionIndex = 1;
        return MakeFdTransport(sv[0], true, {kVendorReportId});
    }

    bool Exists(const std::string& p) override { return p == path() && keyboard_->Present(); }

  private:
    std::shared_ptr<SimKeyboard> keyboard_;
    std::vector<std::unique_ptr<SimSocketBridge>> bridges_;
};

// Everything a store operation needs, around one simulated keyboard.
struct SimStore {
    explicit SimStore(SimModel model = SimModel::k320F_5000)
        : keyboard(SimKeyboard::Create(model)),
          backend(keyboard),
          link(backend),
          paths(PathsIn(dir.path())) {
        std::filesystem::create_directories(paths.exeFolder);
        WriteFile(paths.exeFolder / "Lang0409.ini",
                  {std::begin(kLanguage), std::end(kLanguage) - 1});
        work.image = MakeDefaultImage();
    }

    // What the connection monitor does when it finds the keyboard.
    void Connect() {
        ASSERT_TRUE(link.device.Open(backend.path(), true, true, true, false));
        link.keyMapSize = keyboard->info().keyMapSize;
        link.profileStride = keyboard->info().keyMapSize;
        link.keyCount = keyboard->info().keyCount;
        link.ready = 1;
        std::array<uint8_t, 512> factory{};
        ASSERT_EQ(ReadDefaultKeyMap(link, factory.data()), kDone);
        {
            std::lock_guard guard(connection.defaultKeyMapLock);
            std::copy_n(factory.begin(), keyboard->info().keyMapSize,
                        connection.defaultKeyMap.begin());
        }
        uint8_t state[kStateBlockSize];
        ASSERT_EQ(ReadState(link, state), kDone);
        connection.macroCapacity = 128u * state[11];
        connection.activeProfileCache = -1;
    }
    // The keyboard comes back after vanishing; the cache is forgotten as on a loss.
    void Reconnect() {
        keyboard->Reappear();
        link.ready = 0;
        link.device.Close();
        Connect();
    }
    void SetCapacity(unsigned units) {
        keyboard->EditMemory([&](SimMemory& m) { m.state[kStateMacroUnits] = units; });
        connection.macroCapacity = 128u * units;
    }
    void SetActiveOnKeyboard(int p) {
        keyboard->EditMemory([&](SimMemory& m) { m.state[kStateActiveProfile] = p; });
        connection.activeProfileCache = -1;
    }
    // The profiles whose key maps were written since recording started.
    std::vector<int> KeyMapsWritten() {
        std::vector<int> profiles;
        for (const auto& frame : keyboard->TakeRecordedRequests()) {
            if (frame[3] != CMD_WRITE_KEYMAP) continue;
            const int offset = frame[5] | frame[6] << 8;
            if (offset % keyboard->info().keyMapSize == 0) {
                profiles.push_back(offset / keyboard->info().keyMapSize);
            }
        }
        return profiles;
    }

    static constexpr char kLanguage[] = "[TEXT]\nMACRO_NEW_PREFIX=Macro\n";

    TempDir dir;
    std::shared_ptr<SimKeyboard> keyboard;
    SimBridgeBackend backend;
    DeviceLink link;
    ConnectionState connection;
    ConfigStore work;
    ConfigStore apply;
    int writeAllProfiles = 0;
    ScriptedPrompter prompter;
    RecordingUi ui;
    AppPaths paths;
    int languageIndex = 0;
    StoreContext ctx{work,     apply, link,          connection, writeAllProfiles,
                     prompter, paths, languageIndex, ui};
};

}  // namespace vorlin::test
