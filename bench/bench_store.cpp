// Figures for the store's heaviest paths, printed beside their goals: validating, loading and
// saving the largest profile file, and encoding the largest macro area the keyboard can address.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "bench_goal.h"
#include "store/macro_area.h"
#include "store/profile_file.h"
#include "support/scripted_prompter.h"
#include "support/temp_folder.h"

namespace {

using namespace vorlin;
using Clock = std::chrono::steady_clock;

MacroRecord Macro(uint16_t id, int actions, int nameChars) {
    MacroRecord r;
    r.macroId = id;
    r.repeatCount = 1;
    r.SetName(std::u16string(nameChars, u'm'));
    r.actionCount = static_cast<uint16_t>(actions);
    for (int i = 0; i < actions; ++i) {
        r.actions[i] = {10 * (i % 4000), static_cast<KeyCode>(0x10 + i % 40), uint16_t(i % 2)};
    }
    return r;
}

// Median of runs, in milliseconds.
template <typename F>
double MedianMs(int runs, F&& body) {
    std::vector<double> ms;
    for (int i = 0; i < std::max(runs, bench::kMinRuns); ++i) {
        const auto start = Clock::now();
        body();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return bench::Median(std::move(ms));
}

bench::Goals goals;

void Report(const char* what, double ms, double goal) {
    const bool met = goals.AtMost(what, ms, goal, "ms");
    std::printf("%-52s %9.3f ms   goal <= %.1f ms   %s\n", what, ms, goal, met ? "ok" : "MISS");
}

}  // namespace

int main() {
    const test::TempFolder folder("vorlin-bench-store");
    const auto path = folder / "largest.fwc";

    ConfigStore work;
    work.image = MakeDefaultImage();
    for (uint16_t id = 1; id <= kMaxMacros; ++id) {
        work.macros.push_back(Macro(id, kMaxMacroActions, kMaxMacroNameChars));
    }
    for (int table = 0; table < 3; ++table) {
        for (int key = 1; key < 256; key += 2) {
            const int slot = table * kKeyActionsPerTable + key;
            work.image->Slot(slot).type = key % 4 == 1 ? kActionText : kActionLaunch;
            SetKeyString(work, slot, std::u16string(120, u'a' + table));
        }
    }
    if (SaveImageFile(work, path) != 1) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }
    std::printf("largest file: %ju bytes (100 macros x 2000 actions, %d string bytes)\n",
                static_cast<uintmax_t>(std::filesystem::file_size(path)), work.stringBytes);

    test::ScriptedPrompter prompter(false);
    ConfigStore loaded;
    int failures = 0;
    const double load = MedianMs(21, [&] {
        failures += ValidateImageFile(path, prompter) != 1;
        failures += LoadImageFile(loaded, path) != 1;
    });
    const double save = MedianMs(21, [&] { failures += SaveImageFile(loaded, path) != 1; });
    const double build = MedianMs(21, [&] { failures += BuildImageFile(loaded).empty(); });
    Report("validate + load of the largest file", load, 10);
    Report("save of the largest file", save, 10);
    std::printf(
        "  of which building the bytes: %.3f ms; the rest is the atomic write and its "
        "flush to disk\n",
        build);
    // The same save where flushing costs nothing, to tell the store's share from the disk's.
    const std::filesystem::path memoryFolder = "/dev/shm";
    if (std::filesystem::is_directory(memoryFolder)) {
        const auto memoryPath = memoryFolder / "vorlin-bench-largest.fwc";
        const double inMemory =
            MedianMs(21, [&] { failures += SaveImageFile(loaded, memoryPath) != 1; });
        std::filesystem::remove(memoryPath);
        Report("save of the largest file to a memory file system", inMemory, 10);
    }

    // As many actions as keep the named area within its 16-bit size.
    ConfigStore apply;
    int actions = 0;
    for (;;) {
        apply.macros.clear();
        for (uint16_t id = 1; id <= kMaxMacros; ++id)
            apply.macros.push_back(Macro(id, actions + 1, 20));
        if (MacroAreaSize(apply).full > kMacroAreaMaxSize) break;
        ++actions;
    }
    apply.macros.clear();
    for (uint16_t id = 1; id <= kMaxMacros; ++id) apply.macros.push_back(Macro(id, actions, 20));
    const MacroAreaSizes sizes = MacroAreaSize(apply);
    std::vector<uint8_t> area(sizes.full);
    constexpr int kRepeats = 200;
    const double encode = MedianMs(21,
                                   [&] {
                                       for (int i = 0; i < kRepeats; ++i)
                                           EncodeMacroArea(apply, area, true);
                                   }) /
                          kRepeats;
    std::printf("largest area: %u bytes (100 macros x %d actions, names of 20)\n", sizes.full,
                actions);
    Report("EncodeMacroArea of the largest area", encode, 0.5);

    if (failures) std::fprintf(stderr, "%d operations failed\n", failures);
    const int verdict = goals.Finish();
    return failures || verdict ? 1 : 0;
}
