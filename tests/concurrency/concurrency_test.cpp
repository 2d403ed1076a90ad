// The monitor's threads and a command thread at once against the simulated keyboard, in process
// and over a socketpair: commands issued while the keyboard raises notifications, disappears and
// comes back. Built under ThreadSanitizer by tools/test-tsan.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "device/connection_monitor.h"
#include "device/protocol.h"
#include "sim/sim_backend.h"
#include "sim/sim_keyboard.h"
#include "store/config_device.h"
#include "store/lighting_edits.h"
#include "store/lighting_model.h"
#include "store/profile_file.h"
#include "store/store_fixtures.h"
#include "support/recording_sink.h"
#include "support/temp_folder.h"
#include "support/transport_param.h"

namespace vorlin::test {
namespace {

using namespace std::chrono_literals;

template <typename Pred>
bool WaitUntil(Pred pred, std::chrono::milliseconds limit = 5000ms) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

class Concurrency : public ::testing::TestWithParam<SimBackend::Transport> {};

TEST_P(Concurrency, CommandsRunWhileTheMonitorWatchesAndTheKeyboardComesAndGoes) {
    SimBackend backend(GetParam());
    auto keyboard = SimKeyboard::Create(SimModel::k320F_5000);
    backend.Add(keyboard);
    DeviceLink link(backend);
    ConnectionState state;
    RecordingSink sink;
    ScriptedPrompter prompter;
    MonitorTimings fast;
    fast.connectedPoll = 5ms;
    fast.searchPoll = 10ms;
    fast.listenerPause = 10ms;
    ConnectionMonitor monitor(link, state, sink, prompter, fast);
    monitor.Start();
    ASSERT_TRUE(WaitUntil([&] { return state.connectionState.load() == 1; }));

    TempFolder dir;
    const AppPaths paths = PathsIn(dir.path());
    ConfigStore work, apply;
    int writeAll = 0;
    RecordingUi ui;
    const int language = 0;
    const LanguageCache texts(paths);
    IniLock iniLock;
    StoreContext ctx{work,  apply,    link, state, writeAll, prompter,
                     paths, language, ui,   texts, iniLock};

    // The keyboard acts on its own while commands run.
    std::atomic<bool> stop{false};
    std::thread keyboardSide([&] {
        int round = 0;
        while (!stop.load()) {
            keyboard->StepBrightnessOnKeyboard();
            keyboard->SetIndicator(round % 2 == 0);
            if (++round % 10 == 0) {
                keyboard->Vanish();
                std::this_thread::sleep_for(20ms);
                keyboard->Reappear();
            }
            std::this_thread::sleep_for(3ms);
        }
    });

    int whole = 0;
    for (int i = 0; i < 40; ++i) {
        // A command may fail while the keyboard is away; one that succeeds returns the
        // keyboard's own data, never another request's reply.
        uint8_t map[512];
        if (ReadKeyMap(link, map, 1) == kDone) {
            const SimMemory m = keyboard->Memory();
            EXPECT_TRUE(std::equal(map, map + 512, m.keyMaps.begin() + 512));
            ++whole;
        }
        LightingModel model;
        SetBrightness(model, link, i % 6);
        if (ReadDeviceIntoFile(ctx, dir / "read.fwc") == 1) {
            std::lock_guard<std::recursive_mutex> guard(work.lock);
            EXPECT_EQ(LoadImageFile(work, dir / "read.fwc"), 1);
        }
    }
    stop.store(true);
    keyboardSide.join();
    keyboard->Reappear();
    ASSERT_TRUE(WaitUntil([&] { return link.ready.load() == 1; }));
    monitor.Stop();
    EXPECT_GT(whole, 0);
    EXPECT_GE(sink.Count("reload"), 1);
    EXPECT_EQ(link.ready.load(), 0);
}

INSTANTIATE_TEST_SUITE_P(Transports, Concurrency,
                         ::testing::Values(SimBackend::Transport::InProcess,
                                           SimBackend::Transport::Socketpair),
                         TransportParamName());

}  // namespace
}  // namespace vorlin::test
