// Device-link timings against the simulated keyboard over the socketpair path: a full write
// of three key maps and a macro area with a 1 ms per-report link delay, host CPU per exchange
// without delay, and the CPU the monitor and listener threads use while connected.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>
#include <vector>

#include "device/connection_monitor.h"
#include "device/connection_state.h"
#include "device/device_link.h"
#include "device/hid/sim_backend.h"
#include "device/protocol.h"
#include "sim/sim_keyboard.h"

using namespace vorlin;
using namespace std::chrono_literals;

namespace {

class QuietSink : public MainWindowSink {
  public:
    void SendKeyboardLost() override {}
    void SendReloadProfile() override {}
    void PostOpen() override {}
    void HideMainWindow() override {}
    void SetTimer(int, int) override {}
    void SetTrayIcon(int) override {}
};

class QuietPrompter : public Prompter {
  public:
    bool Ask(const std::string&, PromptButtons, const std::string&) override { return true; }
};

double ThreadCpuMicros() {
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e6 + ts.tv_nsec / 1e3;
}

double ProcessCpuMicros() {
    rusage ru;
    getrusage(RUSAGE_SELF, &ru);
    return (ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) * 1e6 + ru.ru_utime.tv_usec +
           ru.ru_stime.tv_usec;
}

bool Connect(SimBackend& backend, DeviceLink& link) {
    std::vector<std::string> paths;
    backend.Enumerate(paths);
    for (const std::string& p : paths) {
        if (link.device.Open(p, true, true, true, false) &&
            link.device.caps.usagePage == kVendorUsagePage) {
            link.keyMapSize = link.profileStride = 512;
            link.keyCount = 128;
            link.ready = 1;
            return true;
        }
    }
    return false;
}

}  // namespace

int main() {
    SimBackend backend(SimBackend::Transport::Socketpair);
    auto keyboard = SimKeyboard::Create(SimModel::k320F_5000);
    backend.Add(keyboard);
    DeviceLink link(backend);
    if (!Connect(backend, link)) {
        std::fprintf(stderr, "cannot open the simulated keyboard\n");
        return 1;
    }

    std::vector<uint8_t> map(512), macros(4096);
    for (size_t i = 0; i < macros.size(); ++i) macros[i] = static_cast<uint8_t>(i * 7);

    // 1. Full write with a 1 ms link delay per report.
    keyboard->SetLinkDelay(1ms);
    double best = 1e9;
    uint64_t exchanges = 0;
    for (int run = 0; run < 3; ++run) {
        const uint64_t before = keyboard->RequestsReceived();
        auto start = std::chrono::steady_clock::now();
        bool ok = WriteMacroArea(link, macros.data(), macros.size()) == kDone;
        for (int p = 0; p < 3; ++p) ok = ok && WriteKeyMap(link, map.data(), p) == kDone;
        double wall =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        if (!ok) {
            std::fprintf(stderr, "write failed\n");
            return 1;
        }
        exchanges = keyboard->RequestsReceived() - before;
        best = std::min(best, wall);
        std::printf("full write run %d: %llu exchanges, %.1f ms, ratio %.3f\n", run + 1,
                    static_cast<unsigned long long>(exchanges), wall, wall / (exchanges * 2.0));
    }
    std::printf("full write (3 x 512-byte key maps + 4 KiB macro area), 1 ms per report:\n");
    std::printf("  exchanges            %llu\n", static_cast<unsigned long long>(exchanges));
    std::printf("  wall time (best)     %.1f ms\n", best);
    std::printf("  ratio wall/(n x 2ms) %.3f   goal <= 1.05\n", best / (exchanges * 2.0));

    // 2. Host CPU per exchange without link delay.
    keyboard->SetLinkDelay(0us);
    uint8_t block[kStateBlockSize];
    for (int i = 0; i < 200; ++i) ReadState(link, block);
    constexpr int kExchanges = 20000;
    const double cpuStart = ThreadCpuMicros();
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kExchanges; ++i) {
        if (ReadState(link, block) != kDone) {
            std::fprintf(stderr, "exchange failed\n");
            return 1;
        }
    }
    const double cpu = ThreadCpuMicros() - cpuStart;
    const double wall =
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
    std::printf("exchanges without link delay (%d):\n", kExchanges);
    std::printf("  host CPU per exchange %.2f us   goal <= 10 us\n", cpu / kExchanges);
    std::printf("  wall per exchange     %.2f us (host and simulated keyboard)\n",
                wall / kExchanges);

    // 3. Monitor and listener while connected and idle.
    link.device.Close();
    link.ready = 0;
    DeviceLink monitored(backend);
    ConnectionState state;
    QuietSink sink;
    QuietPrompter prompter;
    ConnectionMonitor monitor(monitored, state, sink, prompter);
    monitor.Start();
    for (int i = 0; i < 300 && state.connectionState.load() != 1; ++i)
        std::this_thread::sleep_for(10ms);
    if (state.connectionState.load() != 1) {
        std::fprintf(stderr, "monitor did not connect\n");
        return 1;
    }
    std::this_thread::sleep_for(1500ms);  // the listener has its collection open
    const double idleStart = ProcessCpuMicros();
    auto idleWallStart = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(10s);
    const double idleCpu = ProcessCpuMicros() - idleStart;
    const double idleWall =
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - idleWallStart)
            .count();
    monitor.Stop();
    std::printf("connected and idle for %.1f s (monitor, listener and keyboard bridges):\n",
                idleWall / 1e6);
    std::printf("  CPU share of one core %.3f %%   goal <= 0.2 %%\n", 100.0 * idleCpu / idleWall);
    return 0;
}
