// The desktop application as a user starts it, with the simulated keyboard, offscreen: the time
// from the process start until its window side is up (the named events exist and the tray icon
// is asked for, the last steps of the initialisation), its resident memory after start, and its
// CPU use over 10 s while idle in the tray (hidden, keyboard connected), and its CPU use over 10 s
// with the window shown and the lighting view on, the preview painting the keyboard picture.
#include <fcntl.h>
#include <semaphore.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench_goal.h"
#include "support/temp_folder.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr double kStartGoalS = 0.5;
constexpr double kRssGoalMb = 80;
constexpr double kIdleCpuGoalPercent = 0.3;
constexpr double kShownCpuGoalPercent = 3.0;
constexpr auto kIdleWindow = 10s;

bool LastEventExists() {
    sem_t* s = ::sem_open("/Vorlin_Event_Main_208", 0);
    if (s == SEM_FAILED) return false;
    ::sem_close(s);
    return true;
}

// utime + stime of the process, in seconds.
double CpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::istringstream fields(all.substr(all.rfind(')') + 2));
    std::string f;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> f; ++i) {
        if (i == 14) utime = std::stoull(f);
        if (i == 15) stime = std::stoull(f);
    }
    return static_cast<double>(utime + stime) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

double RssMb(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

struct Run {
    double startS = -1, rssMb = 0, idleCpuPercent = 0;
};

// shown: the window opens at the first connection and the lighting view is on (set in the
// user's settings by a first short run that made the user folder).
Run RunOnce(const fs::path& program, bool shown) {
    vorlin::test::TempFolder home;
    fs::create_directories(home.path() / "run");
    fs::permissions(home.path() / "run", fs::perms::owner_all);
    std::vector<std::string> env = {
        "HOME=" + home.path().string(), "XDG_RUNTIME_DIR=" + (home.path() / "run").string(),
        "XDG_CONFIG_HOME=" + (home.path() / "config").string(),
        "XDG_DATA_HOME=" + (home.path() / "data").string(), "QT_QPA_PLATFORM=offscreen"};
    std::vector<std::string> args = {program.string(), "--simulate"};
    if (!shown) args.push_back("/Start");
    std::vector<char*> argv, envp;
    for (std::string& a : args) argv.push_back(a.data());
    for (std::string& e : env) envp.push_back(e.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    Run run;
    pid_t pid = 0;
    if (shown) {
        // A first run makes the user folder and its settings; the view is then switched on.
        if (::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
            return run;
        while (!LastEventExists()) std::this_thread::sleep_for(1ms);
        std::this_thread::sleep_for(500ms);
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
        std::ofstream(home.path() / "data" / "Morvane Tesslar" / "wskb.ini", std::ios::app)
            << "\n[KEYCOLOR]\nDengCheck=1\n";
    }
    const auto t0 = Clock::now();
    if (::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) return run;
    ::posix_spawn_file_actions_destroy(&actions);
    while (!LastEventExists() && Clock::now() - t0 < 10s) std::this_thread::sleep_for(1ms);
    if (LastEventExists()) run.startS = std::chrono::duration<double>(Clock::now() - t0).count();
    // Let the connection settle, then watch it idle.
    std::this_thread::sleep_for(1s);
    run.rssMb = RssMb(pid);
    const double before = CpuSeconds(pid);
    std::this_thread::sleep_for(kIdleWindow);
    run.idleCpuPercent =
        (CpuSeconds(pid) - before) / std::chrono::duration<double>(kIdleWindow).count() * 100;
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
    ::sem_unlink("/Vorlin_Event_Main_208");
    return run;
}

}  // namespace

int main() {
    const fs::path program = fs::path(VORLIN_BINARY_DIR) / "vorlin";
    if (LastEventExists()) {
        std::printf("a copy of vorlin is running on this machine; end it first\n");
        return 2;
    }
    std::vector<double> start, rss, cpu, shownCpu;
    for (int i = 0; i < vorlin::bench::kMinRuns; ++i) {
        const Run shown = RunOnce(program, true);
        if (shown.startS < 0) {
            std::printf("vorlin did not come up within 10 s\n");
            return 1;
        }
        shownCpu.push_back(shown.idleCpuPercent);
        const Run r = RunOnce(program, false);
        if (r.startS < 0) {
            std::printf("vorlin did not come up within 10 s\n");
            return 1;
        }
        start.push_back(r.startS);
        rss.push_back(r.rssMb);
        cpu.push_back(r.idleCpuPercent);
    }
    using vorlin::bench::Median;
    std::printf("%-44s %10s %12s\n", "figure (median of 5 runs)", "value", "goal");
    std::printf("%-44s %8.3f s %10s\n", "start to tray icon asked for", Median(start), "<= 0.5 s");
    std::printf("%-44s %7.1f MB %10s\n", "resident memory after start", Median(rss), "<= 80 MB");
    std::printf("%-44s %8.3f %% %10s\n", "CPU idle in the tray over 10 s (one core)", Median(cpu),
                "<= 0.3 %");
    std::printf("%-44s %8.3f %% %10s\n", "CPU, window shown, lighting view on, 10 s",
                Median(shownCpu), "<= 3 %");
    vorlin::bench::Goals goals;
    goals.AtMost("start_to_tray", Median(start), kStartGoalS, "s");
    goals.AtMost("resident_memory", Median(rss), kRssGoalMb, "MB");
    goals.AtMost("idle_cpu", Median(cpu), kIdleCpuGoalPercent, "%");
    goals.AtMost("shown_cpu", Median(shownCpu), kShownCpuGoalPercent, "%");
    return goals.Finish();
}
