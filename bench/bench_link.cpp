// Device-link timings against the simulated keyboard over the socketpair path, each the median
// of several runs beside its goal: a full write of three key maps and a macro area with a 1 ms
// per-report link delay, the host CPU of one exchange through the link against a bare write,
// poll and read round trip on the same socketpair, and the CPU the monitor and listener
// threads use while connected. Exits 1 when a goal is missed, 2 when a run cannot be made.
#include <poll.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <thread>
#include <vector>

#include "bench_goal.h"
#include "device/connection_monitor.h"
#include "device/connection_state.h"
#include "device/device_link.h"
#include "device/protocol.h"
#include "sim/sim_backend.h"
#include "sim/sim_keyboard.h"
#include "support/connect.h"
#include "support/recording_sink.h"
#include "support/scripted_prompter.h"

using namespace vorlin;
using namespace std::chrono_literals;

namespace {

constexpr int kRuns = 5;
constexpr double kFullWriteGoal = 1.05;
constexpr double kExchangeCpuGoal = 1.15;
constexpr double kIdleShareGoal = 0.2;  // percent of one core

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

using bench::Median;

// Collects the misses so they are printed as the "MISS:" lines tools/bench gathers.
bench::Goals goals;

void PrintRuns(const char* what, const std::vector<double>& v, const char* format) {
    std::printf("  %-22s", what);
    for (double x : v) std::printf(format, x);
    std::printf("\n");
}

// figure names the measure in the MISS line; what labels it in the table.
bool Verdict(const char* what, const char* figure, double value, double goal, const char* unit) {
    const bool met = goals.AtMost(figure, value, goal, unit);
    std::printf("  %-22s %.3f%s   goal <= %.3g%s   %s\n", what, value, unit, goal, unit,
                met ? "met" : "MISSED");
    return met;
}

// The least a host can do for one exchange on this socket: write the request, wait for the
// reply, read it.
bool BareRoundTrip(int fd, const uint8_t* frame, uint8_t* reply) {
    if (write(fd, frame, kFrameSize) != static_cast<ssize_t>(kFrameSize)) return false;
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 1000) != 1) return false;
    return read(fd, reply, kFrameSize) == static_cast<ssize_t>(kFrameSize);
}

}  // namespace

int main() {
    SimBackend backend(SimBackend::Transport::Socketpair);
    auto keyboard = SimKeyboard::Create(SimModel::k320F_5000);
    backend.Add(keyboard);
    DeviceLink link(backend);
    // The connection's own way in: the vendor collection opened, sizes set, the reply echo learnt.
    if (!test::ConnectLink(link, test::LearnEcho::Yes)) {
        std::fprintf(stderr, "cannot open the simulated keyboard\n");
        return 2;
    }
    bool allMet = true;

    // 1. Full write with a 1 ms link delay per report: each exchange cannot take less than
    // 2 ms (request and reply), so the ratio tells the time the host adds.
    std::vector<uint8_t> map(512), macros(4096);
    for (size_t i = 0; i < macros.size(); ++i) macros[i] = static_cast<uint8_t>(i * 7);
    keyboard->SetLinkDelay(1ms);
    std::vector<double> walls, ratios;
    uint64_t exchanges = 0;
    for (int run = 0; run < kRuns; ++run) {
        const uint64_t before = keyboard->RequestsReceived();
        auto start = std::chrono::steady_clock::now();
        bool ok = WriteMacroArea(link, macros.data(), macros.size()) == kDone;
        for (int p = 0; p < 3; ++p) ok = ok && WriteKeyMap(link, map.data(), p) == kDone;
        const double wall =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        if (!ok) {
            std::fprintf(stderr, "write failed\n");
            return 2;
        }
        exchanges = keyboard->RequestsReceived() - before;
        walls.push_back(wall);
        ratios.push_back(wall / (exchanges * 2.0));
    }
    std::printf(
        "full write (3 x 512-byte key maps + 4 KiB macro area, %llu exchanges), "
        "1 ms per report, %d runs:\n",
        static_cast<unsigned long long>(exchanges), kRuns);
    PrintRuns("wall time (ms)", walls, " %8.1f");
    PrintRuns("ratio wall/(n x 2 ms)", ratios, " %8.3f");
    std::printf("  %-22s %.1f ms\n", "wall time (median)", Median(walls));
    allMet &= Verdict("ratio (median)", "full write wall/ideal ratio", Median(ratios),
                      kFullWriteGoal, "");

    // 2. Host CPU of one exchange without link delay, through the link and bare on the same
    // socket, alternated within each run so both see the same machine.
    keyboard->SetLinkDelay(0us);
    const int fd = link.device.NativeFd();
    if (fd < 0) {
        std::fprintf(stderr, "the link has no descriptor to measure beside\n");
        return 2;
    }
    uint8_t frame[kFrameSize] = {}, reply[kFrameSize], block[kStateBlockSize];
    frame[0] = kReportId;
    frame[3] = CMD_READ_STATE;
    frame[4] = kStateBlockSize;
    const uint16_t sum = FrameChecksum(frame);
    frame[1] = static_cast<uint8_t>(sum);
    frame[2] = static_cast<uint8_t>(sum >> 8);
    for (int i = 0; i < 500; ++i) {
        if (ReadState(link, block) != kDone || !BareRoundTrip(fd, frame, reply)) {
            std::fprintf(stderr, "warm-up exchange failed\n");
            return 2;
        }
    }
    constexpr int kExchanges = 10000;
    std::vector<double> ours, bare, cpuRatios;
    for (int run = 0; run < kRuns; ++run) {
        double start = ThreadCpuMicros();
        for (int i = 0; i < kExchanges; ++i) {
            if (!BareRoundTrip(fd, frame, reply)) {
                std::fprintf(stderr, "bare round trip failed\n");
                return 2;
            }
        }
        const double b = (ThreadCpuMicros() - start) / kExchanges;
        start = ThreadCpuMicros();
        for (int i = 0; i < kExchanges; ++i) {
            if (ReadState(link, block) != kDone) {
                std::fprintf(stderr, "exchange failed\n");
                return 2;
            }
        }
        const double o = (ThreadCpuMicros() - start) / kExchanges;
        ours.push_back(o);
        bare.push_back(b);
        cpuRatios.push_back(o / b);
    }
    std::printf("host CPU per exchange without link delay (%d exchanges a run, %d runs):\n",
                kExchanges, kRuns);
    PrintRuns("through the link (us)", ours, " %8.2f");
    PrintRuns("bare round trip (us)", bare, " %8.2f");
    PrintRuns("ratio", cpuRatios, " %8.3f");
    std::printf("  %-22s %.2f us\n", "link (median)", Median(ours));
    std::printf("  %-22s %.2f us\n", "bare (median)", Median(bare));
    allMet &= Verdict("ratio (median)", "host CPU per exchange link/bare ratio", Median(cpuRatios),
                      kExchangeCpuGoal, "");

    // 3. Monitor and listener while connected and idle.
    link.device.Close();
    link.ready = 0;
    DeviceLink monitored(backend);
    ConnectionState state;
    test::RecordingSink sink;
    test::ScriptedPrompter prompter;
    ConnectionMonitor monitor(monitored, state, sink, prompter);
    monitor.Start();
    for (int i = 0; i < 300 && state.connectionState.load() != 1; ++i)
        std::this_thread::sleep_for(10ms);
    if (state.connectionState.load() != 1) {
        std::fprintf(stderr, "monitor did not connect\n");
        return 2;
    }
    std::this_thread::sleep_for(1500ms);  // the listener has its collection open
    std::vector<double> shares;
    for (int run = 0; run < kRuns; ++run) {
        const double cpuStart = ProcessCpuMicros();
        const auto wallStart = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(2s);
        const double cpu = ProcessCpuMicros() - cpuStart;
        const double wall =
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - wallStart)
                .count();
        shares.push_back(100.0 * cpu / wall);
    }
    monitor.Stop();
    std::printf("connected and idle (monitor, listener and keyboard bridges), %d runs of 2 s:\n",
                kRuns);
    PrintRuns("CPU share of a core (%)", shares, " %8.3f");
    allMet &= Verdict("share (median)", "idle CPU share", Median(shares), kIdleShareGoal, "%");

    const int verdict = goals.Finish();
    return allMet && verdict == 0 ? 0 : 1;
}
