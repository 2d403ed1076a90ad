// Cost of one lighting preview step for every mode, beside the goal of 20 us per step.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

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
    std::nth_element(batches.begin(), batches.begin() + kBatches / 2, batches.end());
    return batches[kBatches / 2];
}

}  // namespace

int main() {
    std::printf("%-6s %-12s %12s %10s\n", "mode", "variant", "us/step", "goal");
    bool allMet = true;
    const int modes[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20};
    for (int mode : modes) {
        for (bool multicolour : {false, true}) {
            PreviewSettings s{.mode = mode,
                              .direction = 255,
                              .multicolour = multicolour,
                              .colour = MakeRgb(40, 180, 255)};
            double us = MeasureMode(s);
            bool met = us <= kGoalUs;
            allMet = allMet && met;
            std::printf("%-6d %-12s %12.3f %7.1f us %s\n", mode,
                        multicolour ? "multicolour" : "single", us, kGoalUs, met ? "ok" : "OVER");
        }
    }
    std::printf("%s\n", allMet ? "every mode within the goal" : "some modes over the goal");
    return allMet ? 0 : 1;
}
