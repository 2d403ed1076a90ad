// Cost of the lighting preview on the window, offscreen: one frame (an engine step and the
// repaint of every key button it changes) in CPU time of the GUI thread, for a few modes, and
// the CPU share of the process while the preview runs on its 50 ms timer with the view on and
// the window shown, over 10 s.
#include <stdlib.h>
#include <time.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_goal.h"
#include "store/lighting_edits.h"
#include "ui_lighting_qt/panel_window.h"

using namespace vorlin;

namespace {

constexpr double kFrameGoalMs = 2.0;
constexpr double kShareGoalPercent = 3.0;
constexpr int kRuns = 7;
constexpr int kFramesPerRun = 100;
constexpr int kShareRuns = 5;
constexpr int kShareSeconds = 10;

double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}
double ProcessCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

void Settle() {
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
}

void ChooseMode(test::PanelWindow& w, int mode, bool multicolour) {
    w.Model().multicolour = multicolour;
    w.Panel().ModeChosen(ModePosition(w.Model(), mode));
}

// Median over runs of the mean CPU time of one frame, in milliseconds.
double FrameMs(test::PanelWindow& w, int mode, bool multicolour) {
    ChooseMode(w, mode, multicolour);
    for (int i = 0; i < 20; ++i) w.Panel().PreviewStep();  // warm up
    std::vector<double> runs;
    for (int r = 0; r < kRuns; ++r) {
        const double start = ThreadCpuMs();
        for (int i = 0; i < kFramesPerRun; ++i) {
            w.Panel().PreviewStep();
            // The paint pass the step asked for belongs to the frame.
            QCoreApplication::processEvents();
        }
        runs.push_back((ThreadCpuMs() - start) / kFramesPerRun);
        Settle();
    }
    return bench::Median(std::move(runs));
}

// Median over runs of the process's CPU time per wall time while the preview timer runs.
double SharePercent(test::PanelWindow& w) {
    ChooseMode(w, 1, true);
    std::vector<double> runs;
    for (int r = 0; r < kShareRuns; ++r) {
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            w.Panel().PreviewStep();
            timer.start(kPreviewTickMs);
        });
        timer.start(kPreviewFirstTickMs);
        QEventLoop loop;
        QTimer::singleShot(kShareSeconds * 1000, &loop, &QEventLoop::quit);
        QElapsedTimer wall;
        wall.start();
        const double cpu = ProcessCpuMs();
        loop.exec();
        runs.push_back(100.0 * (ProcessCpuMs() - cpu) / double(wall.elapsed()));
    }
    return bench::Median(std::move(runs));
}

}  // namespace

int main() {
    static_assert(kRuns >= bench::kMinRuns && kShareRuns >= bench::kMinRuns);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    test::PanelWindow window;
    window.Dialog().show();
    Settle();
    window.Panel().ClickPicture(lightctl::kViewSwitch);
    if (!window.Model().lightingView) {
        std::printf("MISS: the lighting view could not be turned on\n");
        return 1;
    }
    bench::Goals goals;
    std::printf("%-34s %10s %10s\n", "figure", "value", "goal");
    struct Case {
        int mode;
        bool multicolour;
        const char* name;
    } cases[] = {{4, false, "mode 4 (every key, every step)"},
                 {1, true, "mode 1 multicolour"},
                 {3, false, "mode 3 single colour"},
                 {10, true, "mode 10 multicolour (twinkling)"}};
    for (const Case& c : cases) {
        const double ms = FrameMs(window, c.mode, c.multicolour);
        const std::string figure = std::string("preview frame, ") + c.name;
        const bool met = goals.AtMost(figure, ms, kFrameGoalMs, "ms CPU");
        std::printf("%-34s %7.3f ms %7.1f ms %s\n", c.name, ms, kFrameGoalMs, met ? "ok" : "MISS");
    }
    const double share = SharePercent(window);
    const bool met =
        goals.AtMost("preview CPU share, view on, window shown", share, kShareGoalPercent, "%");
    std::printf("%-34s %7.2f %%  %7.1f %%  %s\n", "CPU share over 10 s (50 ms timer)", share,
                kShareGoalPercent, met ? "ok" : "MISS");
    return goals.Finish();
}
