// The connection monitor, the consumer-report listener and the tray indicator against
// simulated keyboards that are plugged in, unplugged and swapped.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "device/connect_once.h"
#include "device/connection_monitor.h"
#include "device/connection_state.h"
#include "device/device_link.h"
#include "device/protocol.h"
#include "keys/factory_key_map.h"
#include "sim/sim_backend.h"
#include "support/recording_sink.h"
#include "support/scripted_prompter.h"

namespace vorlin {
namespace {

using namespace std::chrono_literals;

using test::RecordingSink;
using test::ScriptedPrompter;

MonitorTimings Fast() {
    MonitorTimings t;
    t.startupPause = 1ms;
    t.connectedPoll = 5ms;
    t.searchPoll = 10ms;
    t.listenerPause = 10ms;
    return t;
}

bool Eventually(const std::function<bool()>& condition, std::chrono::milliseconds limit = 5s) {
    auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

struct Machine {
    explicit Machine(SimBackend::Transport transport = SimBackend::Transport::InProcess)
        : backend(transport), link(backend) {}
    SimBackend backend;
    DeviceLink link;
    ConnectionState state;
    RecordingSink sink;
    ScriptedPrompter prompter;
};

TEST(PathFilter, AcceptsOnlyTheTwoModels) {
    struct Case {
        const char* path;
        bool accepted;
    };
    const Case cases[] = {
        {"\\\\?\\hid#VID_0C45&PID_5004&MI_01#7&1a&0&0000#{4d1e55b2}", true},
        {"/dev/hidraw3&vid_320f&pid_5000&mi_01&col02", true},
        {"sim:0&Vid_320F&Pid_5000", true},
        {"/dev/hidraw1&vid_0c45&pid_5000", false},  // crossed pairs
        {"/dev/hidraw1&vid_320f&pid_5004", false},
        {"/dev/hidraw1&vid_1234&pid_5000", false},
        {"/dev/hidraw1&pid_5000", false},            // no vendor: 0
        {"/dev/hidraw1&vid_320f", false},            // no product: 0
        {"/dev/hidraw1&vid_10c45&pid_25004", true},  // only the low 16 bits count
        {"/dev/hidraw1&vid_ffffffffffffffffff&pid_5000", false},
        {"", false},
    };
    for (const Case& c : cases) EXPECT_EQ(PathPassesFilter(c.path), c.accepted) << c.path;
}

TEST(ConnectionMonitor, ConnectsLosesAndSwitchesModels) {
    Machine m;
    auto large = SimKeyboard::Create(SimModel::k320F_5000);
    int slot = m.backend.Add(large);
    ConnectionMonitor monitor(m.link, m.state, m.sink, m.prompter, Fast());
    monitor.Start();

    ASSERT_TRUE(m.sink.WaitFor("open"));  // the last step of the first connection
    EXPECT_EQ(m.link.ready, 1);
    EXPECT_EQ(m.link.keyMapSize, 512u);
    EXPECT_EQ(m.link.profileStride, 512u);
    EXPECT_EQ(m.link.keyCount, 128u);
    EXPECT_EQ(m.state.connectionState, 1);
    EXPECT_EQ(m.state.macroCapacity, 64u * 128);
    EXPECT_EQ(m.state.defaultKeyMap, large->Memory().factoryMap);  // with the G keys
    EXPECT_TRUE(m.prompter.Keys().empty());
    EXPECT_EQ(m.sink.Events(), (std::vector<std::string>{"reload", "tray connected", "open"}));

    // Unplugged: ready drops, the window is told, every command fails with 0.
    m.sink.Clear();
    m.backend.Remove(slot);
    ASSERT_TRUE(m.sink.WaitFor("tray not connected"));
    EXPECT_EQ(m.link.ready, 0);
    EXPECT_EQ(m.state.activeProfileCache, -1);
    EXPECT_EQ(m.sink.Events(), (std::vector<std::string>{"lost", "hide", "tray not connected"}));
    uint8_t buffer[512];
    EXPECT_EQ(ConfigBegin(m.link), kFailed);
    EXPECT_EQ(ReadState(m.link, buffer), kFailed);
    EXPECT_EQ(ReadKeyMap(m.link, buffer, 0), kFailed);

    // The other model: sizes follow; the window is not opened again by itself.
    m.sink.Clear();
    auto small = SimKeyboard::Create(SimModel::k0C45_5004);
    m.backend.Add(small);
    ASSERT_TRUE(m.sink.WaitFor("tray connected"));
    EXPECT_EQ(m.link.keyMapSize, 378u);
    EXPECT_EQ(m.link.profileStride, 378u);
    EXPECT_EQ(m.link.keyCount, 126u);
    EXPECT_EQ(m.state.macroCapacity, 32u * 128);
    EXPECT_EQ(ReadKeyMap(m.link, buffer, 2), kDone);
    EXPECT_EQ(m.sink.Count("open"), 0);
    // Only the first 378 bytes of the factory map are replaced.
    const auto expected = small->Memory().factoryMap;
    EXPECT_TRUE(
        std::equal(expected.begin(), expected.begin() + 378, m.state.defaultKeyMap.begin()));
    EXPECT_EQ(m.state.defaultKeyMap[3 * 126], 6);  // G key record left from the larger map

    monitor.Stop();
    EXPECT_EQ(m.link.ready, 0);
}

TEST(ConnectionMonitor, BootLoaderLooksLikeAnUnplugAndTheKeyboardComesBack) {
    Machine m;
    auto kb = SimKeyboard::Create(SimModel::k320F_5000);
    m.backend.Add(kb);
    ConnectionMonitor monitor(m.link, m.state, m.sink, m.prompter, Fast());
    monitor.Start();
    ASSERT_TRUE(m.sink.WaitFor("open"));

    EXPECT_EQ(EnterBootMode(m.link), kDone);
    ASSERT_TRUE(m.sink.WaitFor("tray not connected"));
    EXPECT_TRUE(kb->InBootMode());
    EXPECT_EQ(m.link.ready, 0);

    kb->Reappear();  // flashed and restarted
    ASSERT_TRUE(m.sink.WaitFor("tray connected", 2));
    EXPECT_EQ(m.link.ready, 1);
    uint8_t block[44];
    EXPECT_EQ(ReadState(m.link, block), kDone);
    monitor.Stop();
    EXPECT_EQ(m.sink.Count("reload"), 2);

    // Started again, it reports the keyboard afresh.
    monitor.Start();
    ASSERT_TRUE(m.sink.WaitFor("reload", 3));
    monitor.Stop();
}

TEST(ConnectionMonitor, StartsWithoutKeyboardAndOpensNothingLater) {
    Machine m;
    ConnectionMonitor monitor(m.link, m.state, m.sink, m.prompter, Fast());
    monitor.Start();
    ASSERT_TRUE(Eventually([&] { return m.state.startupReported == 1; }));
    EXPECT_TRUE(m.sink.Events().empty());

    m.backend.Add(SimKeyboard::Create(SimModel::k320F_5000));
    ASSERT_TRUE(m.sink.WaitFor("tray connected"));
    monitor.Stop();
    EXPECT_EQ(m.sink.Count("open"), 0);
}

TEST(ConnectionMonitor, UnreadableFactoryMapIsReportedAndTheOldOneKept) {
    Machine m;
    auto kb = SimKeyboard::Create(SimModel::k320F_5000);
    kb->RefuseCommand(CMD_READ_DEFAULT_KEYMAP);
    kb->RefuseCommand(CMD_READ_STATE);
    m.state.macroCapacity = 7;
    m.backend.Add(kb);
    ConnectionMonitor monitor(m.link, m.state, m.sink, m.prompter, Fast());
    monitor.Start();
    ASSERT_TRUE(m.sink.WaitFor("tray connected"));
    monitor.Stop();
    EXPECT_EQ(m.prompter.Keys(), std::vector<std::string>{"MAIN_DEFAULT_MATRIX_PROMPT"});
    EXPECT_EQ(m.prompter.Questions().at(0).buttons, PromptButtons::Ok);
    EXPECT_EQ(m.state.defaultKeyMap, BuiltInFactoryKeyMap());
    EXPECT_EQ(m.state.macroCapacity, 7u);
}

TEST(ConnectionMonitor, LateRepliesAtConnectionAreNotTakenForTheNextRequest) {
    struct Case {
        std::chrono::milliseconds delay;
        bool read;  // the factory map and the state block arrive, late but in time
    };
    for (auto transport : {SimBackend::Transport::InProcess, SimBackend::Transport::Socketpair}) {
        for (const Case c : {Case{350ms, true}, Case{1500ms, false}}) {
            const std::string context =
                std::to_string(c.delay.count()) + " ms, " +
                (transport == SimBackend::Transport::InProcess ? "in process" : "socketpair");
            Machine m(transport);
            auto kb = SimKeyboard::Create(SimModel::k0C45_5004);
            kb->EditMemory([](SimMemory& mem) {
                for (size_t i = 0; i < 378; ++i) mem.factoryMap[i] = static_cast<uint8_t>(i + 1);
            });
            kb->SetReplyDelay(c.delay);
            m.backend.Add(kb);
            m.state.macroCapacity = 7 * 128;
            MonitorContext ctx(m.link, m.state, m.sink, m.prompter);
            ASSERT_TRUE(ConnectOnce(ctx).found) << context;
            DisconnectOnce(m.link);
            const SimMemory mem = kb->Memory();
            if (c.read) {
                EXPECT_TRUE(m.prompter.Keys().empty()) << context;
                EXPECT_EQ(m.state.macroCapacity, 128u * mem.state[kStateMacroUnits]) << context;
                EXPECT_TRUE(std::equal(mem.factoryMap.begin(), mem.factoryMap.begin() + 378,
                                       m.state.defaultKeyMap.begin()))
                    << context;
            } else {
                // Nothing came in time: the factory map and the capacity stay as they were.
                EXPECT_EQ(m.prompter.Keys(), std::vector<std::string>{"MAIN_DEFAULT_MATRIX_PROMPT"})
                    << context;
                EXPECT_EQ(m.state.macroCapacity, 7u * 128) << context;
                EXPECT_EQ(m.state.defaultKeyMap, BuiltInFactoryKeyMap()) << context;
            }
        }
    }
}

// On the 0x320F model both collections sit on one node: over the socketpair, as with hidraw,
// the command handle also receives the keyboard's notifications and the listener the replies.
TEST(ConnectionMonitor, NotificationsInTheMiddleOfExchangesReachOnlyTheListener) {
    struct Case {
        SimModel model;
        int consumerReceivers;  // the listener, and on a shared node the command handle too
    };
    for (const Case c : {Case{SimModel::k320F_5000, 2}, Case{SimModel::k0C45_5004, 1}}) {
        Machine m(SimBackend::Transport::Socketpair);
        auto kb = SimKeyboard::Create(c.model);
        kb->SetLinkDelay(200us);
        m.backend.Add(kb);
        ConnectionMonitor monitor(m.link, m.state, m.sink, m.prompter, Fast());
        monitor.Start();
        ASSERT_TRUE(m.sink.WaitFor("open"));
        ASSERT_TRUE(Eventually([&] { return kb->OpenHandles(SimEndpoint::Consumer) == 1; }));
        EXPECT_EQ(kb->HandlesReceiving(SimEndpoint::Consumer), c.consumerReceivers);
        EXPECT_EQ(kb->HandlesReceiving(SimEndpoint::Vendor), c.consumerReceivers);
        m.sink.Clear();

        const SimMemory mem = kb->Memory();
        const unsigned size = m.link.keyMapSize;
        constexpr uint16_t kUsages[] = {0x0401, 0x0402, 0x1811, 0x1810};
        std::atomic<bool> stop{false};
        std::atomic<int> raised{0};
        std::thread keyboardSide([&] {
            while (!stop.load()) {
                kb->RaiseConsumerUsage(kUsages[raised % 4]);
                ++raised;
                std::this_thread::sleep_for(4ms);
            }
        });
        int wrong = 0, failed = 0;
        for (int i = 0; i < 60; ++i) {
            uint8_t map[512] = {}, block[44] = {}, lighting[56] = {};
            if (ReadKeyMap(m.link, map, i % 3) != kDone || ReadState(m.link, block) != kDone ||
                ReadLighting(m.link, lighting, 56, 42) != kDone) {
                ++failed;
                continue;
            }
            if (!std::equal(map, map + size, mem.keyMaps.begin() + (i % 3) * size) ||
                !std::equal(block, block + 44, mem.state.begin()) ||
                !std::equal(lighting, lighting + 56, mem.lighting.begin() + 42))
                ++wrong;
        }
        stop.store(true);
        keyboardSide.join();
        EXPECT_EQ(failed, 0);
        EXPECT_EQ(wrong, 0);
        ASSERT_GE(raised.load(), 8);
        // Every notification reached the listener, none was lost to the command handle.
        const int rounds = raised.load() / 4, rest = raised.load() % 4;
        EXPECT_TRUE(m.sink.WaitFor("lighting reload", rounds + (rest > 0)));
        EXPECT_TRUE(m.sink.WaitFor("user colour reset", rounds + (rest > 1)));
        EXPECT_TRUE(m.sink.WaitFor("tray indicator", rounds + (rest > 2)));
        EXPECT_TRUE(m.sink.WaitFor("tray connected", rounds));
        monitor.Stop();
        EXPECT_EQ(m.sink.Count("lighting reload"), rounds + (rest > 0));
        EXPECT_EQ(m.sink.Count("tray indicator"), rounds + (rest > 2));
    }
}

// Serves the keyboard's interfaces with the vendor collection's usage changed, as a keyboard
// of the right ids but the wrong collection would look.
class WrongUsageBackend : public HidBackend {
  public:
    explicit WrongUsageBackend(SimBackend& inner) : inner_(inner) {}
    bool Enumerate(std::vector<std::string>& paths) override { return inner_.Enumerate(paths); }
    bool Exists(const std::string& path) override { return inner_.Exists(path); }
    std::unique_ptr<HidTransport> Open(const std::string& path, const HidOpenMode& mode,
                                       HidInterfaceInfo& info) override {
        auto t = inner_.Open(path, mode, info);
        auto& d = info.reportDescriptor;
        for (size_t i = 0; i + 1 < d.size(); ++i)
            if (d[i] == 0x09 && d[i + 1] == 0x92) d[i + 1] = 0x93;
        ++opened;
        return t;
    }
    std::atomic<int> opened{0};

  private:
    SimBackend& inner_;
};

TEST(ConnectionMonitor, SkipsACollectionWithTheWrongUsage) {
    SimBackend sims;
    sims.Add(SimKeyboard::Create(SimModel::k320F_5000));
    WrongUsageBackend backend(sims);
    DeviceLink link(backend);
    ConnectionState state;
    RecordingSink sink;
    ScriptedPrompter prompter;
    ConnectionMonitor monitor(link, state, sink, prompter, Fast());
    monitor.Start();
    ASSERT_TRUE(Eventually([&] { return state.startupReported == 1 && backend.opened > 4; }));
    monitor.Stop();
    EXPECT_EQ(link.ready, 0);
    EXPECT_EQ(sink.Count("tray connected"), 0);
    EXPECT_FALSE(link.device.IsOpen());
}

TEST(ConnectionMonitor, KeyboardNotificationsReachTheWindow) {
    Machine m;
    auto kb = SimKeyboard::Create(SimModel::k320F_5000);
    m.backend.Add(kb);
    ConnectionMonitor monitor(m.link, m.state, m.sink, m.prompter, Fast());
    monitor.Start();
    ASSERT_TRUE(m.sink.WaitFor("open"));
    // A notification sent before the listener has its handle open is lost, as on a real
    // keyboard.
    ASSERT_TRUE(Eventually([&] { return kb->OpenHandles(SimEndpoint::Consumer) == 1; }));
    m.sink.Clear();

    kb->StepBrightnessOnKeyboard();
    ASSERT_TRUE(m.sink.WaitFor("lighting reload"));
    kb->SwitchProfileOnKeyboard(2);
    ASSERT_TRUE(m.sink.WaitFor("user colour reset"));
    EXPECT_EQ(kb->Memory().state[10], 2);

    kb->RaiseConsumerUsage(0x1801);  // known, nothing to do
    kb->SetIndicator(true);
    kb->SetIndicator(false);
    ASSERT_TRUE(m.sink.WaitFor("tray connected", 1));
    monitor.Stop();
    EXPECT_EQ(m.sink.Events(), (std::vector<std::string>{"lighting reload", "user colour reset",
                                                         "tray indicator", "tray connected"}));
    EXPECT_EQ(monitor.context().tray.indicatorBusy, 0);
}

TEST(ConnectionMonitor, StopEndsBothThreadsPromptly) {
    for (auto transport : {SimBackend::Transport::InProcess, SimBackend::Transport::Socketpair}) {
        Machine m(transport);
        m.backend.Add(SimKeyboard::Create(SimModel::k0C45_5004));
        MonitorTimings slow;  // the real periods: Stop must not wait them out
        ConnectionMonitor monitor(m.link, m.state, m.sink, m.prompter, slow);
        monitor.Start();
        ASSERT_TRUE(m.sink.WaitFor("tray connected"));
        std::this_thread::sleep_for(50ms);  // the listener is now waiting in its read
        auto start = std::chrono::steady_clock::now();
        monitor.Stop();
        EXPECT_LT(std::chrono::steady_clock::now() - start, 900ms);
        EXPECT_EQ(m.link.ready, 0);
    }
}

}  // namespace
}  // namespace vorlin
