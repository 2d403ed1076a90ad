// Cost of one lighting preview step for every mode, beside the goal of 20 us per step: for each
// mode the median over batches of the mean step time.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "bench_goal.h"
#include "ui/keyboard_layout.h"
#include "ui/preview_engine.h"

using namespace vorlin;

namespace {

constexpr double kGoalUs = 20.0;
constexpr int kBatches = 15;
constexpr int kStepsPerBatch = 2000;

// Median over batches of the mean step time, in microseconds.
double MeasureMode(const PreviewSettings& settings) {
    ClockSeededRandom random;
    auto ids = PictureControlIds();
    PreviewEngine engine(ids, random);
    for (int i = 0; i < 500; ++i) engine.Step(settings);  // warm up, and reach steady state
    std::vector<double> batches;
    unsigned sink = 0;
    for (int b = 0; b < kBatches; ++b) {
        auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kStepsPerBatch; ++i) {
            engine.Step(settings);
            sink += engine.Frame()[i % engine.Frame().size()].colour;
        }
        std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
        batches.push_back(spent.count() / kStepsPerBatch);
    }
    if (sink == 1) std::puts("");  // keeps the frames alive for the optimiser
    return bench::Median(std::move(batches));
}

}  // namespace

int main() {
    static_assert(kBatches >= bench::kMinRuns);
    std::printf("%-6s %-12s %12s %10s\n", "mode", "variant", "us/step", "goal");
    bench::Goals goals;
    const int modes[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20};
    for (int mode : modes) {
        for (bool multicolour : {false, true}) {
            PreviewSettings s{.mode = mode,
                              .direction = 255,
                              .multicolour = multicolour,
                              .colour = MakeRgb(40, 180, 255)};
            const double us = MeasureMode(s);
            const std::string figure = "preview step, mode " + std::to_string(mode) +
                                       (multicolour ? " multicolour" : " single");
            const bool met = goals.AtMost(figure, us, kGoalUs, "us");
            std::printf("%-6d %-12s %12.3f %7.1f us %s\n", mode,
                        multicolour ? "multicolour" : "single", us, kGoalUs, met ? "ok" : "MISS");
        }
    }
    return goals.Finish();
}
