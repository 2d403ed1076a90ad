// The desktop application's window side in one process, offscreen, with the simulated keyboard:
// the resident memory once every window has been opened (the main window, the key editor on each
// page, the profile manager, the firmware dialog, the About box), and the longest stall of the
// event loop while Apply writes a full configuration (the macro area filled to the keyboard's
// capacity and the key map) over a link that takes 1 ms per report.
// Each figure is measured in a fresh process (this program run with "--once"), median of runs.
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "app/app_core.h"
#include "app/instance_start.h"
#include "app/qt/main_window.h"
#include "bench_goal.h"
#include "keys/key_codes.h"
#include "store/config_device.h"
#include "store/macro_area.h"
#include "support/scripted_prompter.h"
#include "support/temp_folder.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr double kRssGoalMb = 120;
constexpr double kStallGoalMs = 50;

double RssMb() {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

// Turns the event loop until done() or the limit; the longest gap between two turns of a 1 ms
// timer is kept in stallMs.
bool Turn(const std::function<bool()>& done, std::chrono::milliseconds limit,
          double* stallMs = nullptr) {
    QElapsedTimer clock;
    clock.start();
    qint64 last = clock.nsecsElapsed();
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (stallMs) *stallMs = std::max(*stallMs, (now - last) / 1e6);
        last = now;
    });
    tick.start();
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// Macros of 100 actions each, as many as the keyboard's macro area holds.
void FillMacros(vorlin::AppCore& core) {
    std::lock_guard guard(core.work.lock);
    const unsigned capacity = core.state.macroCapacity.load();
    for (uint16_t id = 1; id <= vorlin::kMaxMacros; ++id) {
        vorlin::MacroRecord m;
        m.SetName(u"Macro " + std::u16string(1, static_cast<char16_t>(u'0' + id % 10)));
        m.macroId = id;
        m.repeatCount = 1;
        m.actionCount = 100;
        for (int i = 0; i < m.actionCount; ++i)
            m.actions[static_cast<size_t>(i)] = {10, static_cast<vorlin::KeyCode>(0x1E + i % 26),
                                                 static_cast<uint16_t>(i % 2)};
        core.work.macros.push_back(m);
        if (!vorlin::MacroAreaFits(vorlin::MacroAreaSize(core.work), capacity)) {
            core.work.macros.pop_back();
            break;
        }
    }
}

// One measurement in this process: "rss" or "stall"; prints the figure, or nothing on failure.
int Once(int argc, char** argv, const std::string& what) {
    vorlin::test::TempFolder home;
    for (const char* v : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"})
        ::setenv(v, (home.path() / v).c_str(), 1);
    fs::create_directories(home.path() / "XDG_RUNTIME_DIR");
    fs::permissions(home.path() / "XDG_RUNTIME_DIR", fs::perms::owner_all);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    vorlin::AppArguments args;
    args.simulate = true;
    std::string why;
    auto core = vorlin::AppCore::Create(args, VORLIN_BINARY_DIR, home.path(), &why);
    if (!core) {
        std::fprintf(stderr, "bench_gui: %s\n", why.c_str());
        return 1;
    }
    vorlin::GuiBridge bridge;
    vorlin::test::ScriptedPrompter prompter(false);
    vorlin::MainWindowOptions options;
    options.eventPrefix = "VorlinBench" + std::to_string(::getpid()) + "_Event_";
    vorlin::CVorlinDlg window(*core, bridge, prompter, options);
    vorlin::InstanceStart start =
        vorlin::StartInstance(*vorlin::InstanceFolder(core->paths.runtimeFolder), false);
    window.Initialise(std::move(start.server));
    if (!Turn([&] { return core->state.connectionState.load() == 1 && window.isVisible(); }, 10s))
        return 1;

    if (what == "rss") {
        // Each window once, as a user would open them; the modal ones shown without their loop.
        vorlin::CVorlin_DlgComposite editor(*core, window.Store(), window.Keys(), &window);
        if (!editor.Begin(vorlin::KeyIndexOf(0x1E), 1066, false, QRect(100, 100, 40, 40))) return 1;
        editor.show();
        for (int page : {1029, 1030, 1031, 1028}) {
            editor.Button(page)->click();
            Turn([] { return false; }, 50ms);
        }
        editor.CloseIfOpen();
        window.OnCommand(32773);  // About
        Turn([] { return false; }, 100ms);
        vorlin::CVorlin_DlgProfile profiles(*core, window.Store(), &window);
        vorlin::CVorlin_DlgUpdate update(*core, prompter, &window);
        for (QWidget* w : {static_cast<QWidget*>(&profiles), static_cast<QWidget*>(&update)}) {
            w->show();
            Turn([] { return false; }, 100ms);
            w->hide();
        }
        Turn([] { return false; }, 200ms);
        std::printf("%.3f\n", RssMb());
    } else {
        FillMacros(*core);
        {
            // Every key of the active profile assigned, so the whole key map changes.
            std::lock_guard guard(core->work.lock);
            const int profile = std::max(0, vorlin::GetActiveProfile(window.Store()));
            for (auto& a : core->work.image->tables[static_cast<size_t>(profile)]) {
                a.type = vorlin::kActionKey;
                a.value = 0x30;
            }
        }
        window.Keys().SetChanged(true);
        core->sim->SetLinkDelay(1ms);
        double stall = 0;
        QElapsedTimer applyTime;
        applyTime.start();
        window.OnCommand(1006);
        if (!window.Keys().Busy()) return 1;
        if (!Turn([&] { return !window.Keys().Busy(); }, 120s, &stall)) return 1;
        core->sim->SetLinkDelay(0ms);
        // The apply's own length shows the link was slow enough to matter.
        std::printf("%.3f\n", stall);
        std::fprintf(stderr, "bench_gui: the apply took %lld ms\n",
                     static_cast<long long>(applyTime.elapsed()));
    }
    window.ExitApplication();
    return 0;
}

// Runs this program with "--once WHAT" and reads the figure it prints.
std::optional<double> Measure(const char* self, const char* what) {
    int out[2];
    if (::pipe(out) != 0) return std::nullopt;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], 1);
        ::close(out[0]);
        ::close(out[1]);
        ::execl(self, self, "--once", what, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(out[1]);
    std::string text;
    char buf[256];
    for (ssize_t n; (n = ::read(out[0], buf, sizeof buf)) > 0;) text.append(buf, size_t(n));
    ::close(out[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || text.empty()) return std::nullopt;
    return std::stod(text);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--once") return Once(1, argv, argv[2]);
    vorlin::bench::Goals goals;
    struct Figure {
        const char* what;
        const char* name;
        double goal;
        const char* unit;
    };
    const Figure figures[] = {
        {"rss", "resident memory after opening every window", kRssGoalMb, "MB"},
        {"stall", "longest event-loop stall during a full Apply (1 ms link)", kStallGoalMs, "ms"},
    };
    for (const Figure& f : figures) {
        std::vector<double> samples;
        for (int run = 0; run < vorlin::bench::kMinRuns; ++run) {
            const std::optional<double> v = Measure(argv[0], f.what);
            if (!v) {
                std::printf("MISS: %s could not be measured (run %d failed)\n", f.name, run + 1);
                return 1;
            }
            samples.push_back(*v);
        }
        const double median = vorlin::bench::Median(samples);
        std::printf("%-60s %8.1f %s   (goal <= %.0f %s, median of %zu)\n", f.name, median, f.unit,
                    f.goal, f.unit, samples.size());
        goals.AtMost(f.name, median, f.goal, f.unit);
    }
    return goals.Finish();
}
