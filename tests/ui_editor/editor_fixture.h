// The composite editor over a work store wired to a simulated keyboard, with the application's
// English texts, scripted answers and a main window that records what it was asked.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "store/sim_store.h"
#include "ui/composite_editor.h"

namespace vorlin::test {

class RecordingHost : public CompositeHost {
  public:
    std::vector<std::pair<int, bool>> marks;
    int tooltipRefreshes = 0;
    std::vector<int> restored;
    void SetAssignedMark(int controlId, bool assigned) override {
        marks.emplace_back(controlId, assigned);
    }
    void RefreshKeyTooltips() override { ++tooltipRefreshes; }
    void RestoreButtonLook(int controlId) override { restored.push_back(controlId); }
};

// Linux input codes used by the tests.
constexpr uint32_t kInA = 30, kInB = 48, kInEnter = 28, kInRightCtrl = 97, kInSysRq = 99,
                   kInVolumeUp = 115, kInLeftMeta = 125, kInRightMeta = 126, kInCompose = 127;
constexpr KeyCode kA = 0x1E, kB = 0x30, kPrint = 0x137;
constexpr int kKeyButton = 1066;  // any key button of the picture

struct EditorFixture : ::testing::Test {
    SimStore sim;
    RecordingHost host;
    CompositeEditor editor{sim.ctx, host};

    void SetUp() override {
        std::filesystem::copy_file(std::filesystem::path(VORLIN_ASSETS_DIR) / "Lang0409.ini",
                                   sim.paths.exeFolder / "Lang0409.ini",
                                   std::filesystem::copy_options::overwrite_existing);
    }
    KeyAction& Entry(int table, KeyIndex entry) { return sim.work.image->tables[table][entry]; }
    KeyVerdict Key(uint32_t input, KeyTransition t, uint64_t timeMs = 0) {
        return editor.OnKey({input, t, timeMs});
    }
    void OpenOn(KeyIndex entry, int profile = 0) {
        ASSERT_TRUE(editor.Open(entry, kKeyButton, false, profile));
    }
    std::vector<std::u16string> Names() const {
        std::vector<std::u16string> names;
        for (const MacroRecord& r : editor.macros()) names.emplace_back(r.Name());
        return names;
    }
};

}  // namespace vorlin::test
