// A store context wired to a simulated keyboard through the real device link: the keyboard is
// served over a socketpair, so every exchange runs through the fd transport, the protocol layer
// and the keyboard's own frame handling.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "device/connection_monitor.h"
#include "device/connection_state.h"
#include "device/device_link.h"
#include "device/protocol.h"
#include "sim/sim_backend.h"
#include "sim/sim_keyboard.h"
#include "store/config_store.h"
#include "store/store_context.h"
#include "store_fixtures.h"
#include "support/connect.h"

namespace vorlin::test {

// Everything a store operation needs, around one simulated keyboard.
struct SimStore {
    explicit SimStore(SimModel model = SimModel::k320F_5000)
        : keyboard(SimKeyboard::Create(model)), link(backend), paths(PathsIn(dir.path())) {
        backend.Add(keyboard);
        std::filesystem::create_directories(paths.exeFolder);
        WriteFile(paths.exeFolder / "Lang0409.ini",
                  {std::begin(kLanguage), std::end(kLanguage) - 1});
        work.image = MakeDefaultImage();
    }

    // What the connection monitor does when it finds the keyboard.
    void Connect() {
        ASSERT_TRUE(ConnectLink(link, LearnEcho::No)) << "no vendor collection";
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

    TempFolder dir;
    std::shared_ptr<SimKeyboard> keyboard;
    SimBackend backend{SimBackend::Transport::Socketpair};
    DeviceLink link;
    ConnectionState connection;
    ConfigStore work;
    ConfigStore apply;
    int writeAllProfiles = 0;
    ScriptedPrompter prompter;
    RecordingUi ui;
    AppPaths paths;
    int languageIndex = 0;
    LanguageCache texts{paths};
    IniLock iniLock;
    StoreContext ctx{work,  apply,         link, connection, writeAllProfiles, prompter,
                     paths, languageIndex, ui,   texts,      iniLock};
};

}  // namespace vorlin::test
