// The keyboard panel and the profile commands around one simulated keyboard, with the real
// language file and the active profile's backing file read from the keyboard, as after a
// connection.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "device/frame_layout.h"
#include "platform/text_key_names.h"
#include "skin/language.h"
#include "store/config_device.h"
#include "store/sim_store.h"
#include "ui/key_panel.h"
#include "ui/profile_commands.h"

namespace vorlin::test {

// The lighting side as the commands see it: what was asked, and which profile the keyboard had
// active at that moment.
class RecordingWindow : public ProfileWindow {
  public:
    explicit RecordingWindow(SimKeyboard& keyboard) : keyboard_(keyboard) {}
    std::vector<int> lightingShown;
    std::vector<int> activeWhenShown;
    int lightingDefaults = 0;
    void ShowProfileLighting(int profile) override {
        lightingShown.push_back(profile);
        keyboard_.EditMemory(
            [&](SimMemory& m) { activeWhenShown.push_back(m.state[kStateActiveProfile]); });
    }
    void RestoreLightingDefaults() override { ++lightingDefaults; }

  private:
    SimKeyboard& keyboard_;
};

class UiTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::filesystem::path language = s.paths.exeFolder / "Lang0409.ini";
        std::filesystem::copy_file(std::filesystem::path(VORLIN_ASSETS_DIR) / "Lang0409.ini",
                                   language, std::filesystem::copy_options::overwrite_existing);
        // An installed language file is old; a fresh one is read again at every lookup.
        std::filesystem::last_write_time(
            language, std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
        s.Connect();
        ASSERT_EQ(ReloadFromKeyboard(s.ctx), 1);
    }

    // Makes p the keyboard's active profile and reloads as a connection does.
    void StartOnProfile(int p) {
        s.SetActiveOnKeyboard(p);
        ASSERT_EQ(ReloadFromKeyboard(s.ctx), 1);
    }

    std::string T(const char* key) const { return LookupText(s.texts, key, 0); }
    KeyAction& Entry(int table, int entry) { return s.work.image->tables[table][entry]; }
    int KeyboardActiveProfile() {
        int p = -1;
        s.keyboard->EditMemory([&](SimMemory& m) { p = m.state[kStateActiveProfile]; });
        return p;
    }
    // The commands of the requests recorded since the last call, in order.
    std::vector<int> RecordedCommands() {
        std::vector<int> commands;
        for (const auto& frame : s.keyboard->TakeRecordedRequests()) commands.push_back(frame[3]);
        return commands;
    }

    SimStore s;
    KeyPanel panel{s.ctx};
    RecordingWindow window{*s.keyboard};
    ChangedState changed;
    ProfileCommands commands{s.ctx, panel, window, changed};
};

}  // namespace vorlin::test
