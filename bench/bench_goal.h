// Verdicts for the benchmark harnesses: each figure is the median of at least kMinRuns runs,
// printed beside its goal, and every miss is also printed as one line
// "MISS: <figure> <value> (goal <goal>)" that tools/bench collects. A harness exits non-zero when
// any figure missed.
#pragma once

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace vorlin::bench {

constexpr int kMinRuns = 5;

// Median of the samples (the upper one of the middle two for an even count); 0 for none.
inline double Median(std::vector<double> samples) {
    if (samples.empty()) return 0;
    const size_t mid = samples.size() / 2;
    std::nth_element(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(mid),
                     samples.end());
    return samples[mid];
}

class Goals {
  public:
    // Records a figure whose goal is an upper bound; true when it was met. Miss lines are
    // printed together by Finish, after the harness's own table.
    bool AtMost(const std::string& figure, double value, double goal, const char* unit) {
        if (value <= goal) return true;
        char line[512];
        std::snprintf(line, sizeof line, "MISS: %s %.3f %s (goal <= %.3g %s)", figure.c_str(),
                      value, unit, goal, unit);
        misses_.push_back(line);
        return false;
    }

    // Prints the misses (or that there were none) and gives the exit code.
    int Finish() const {
        if (misses_.empty()) {
            std::printf("every figure within its goal\n");
            return 0;
        }
        for (const std::string& m : misses_) std::printf("%s\n", m.c_str());
        return 1;
    }

  private:
    std::vector<std::string> misses_;
};

}  // namespace vorlin::bench
