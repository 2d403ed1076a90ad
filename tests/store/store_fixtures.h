// Shared helpers of the store tests: a recording store side of the window, paths inside a
// temporary folder, and small builders for macros and images (the folder and the prompter
// come from tests/support).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "platform/app_paths.h"
#include "platform/prompter.h"
#include "store/config_store.h"
#include "store/macro_record.h"
#include "store/store_context.h"
#include "support/scripted_prompter.h"
#include "support/temp_folder.h"

namespace vorlin::test {

class RecordingUi : public StoreUi {
  public:
    int changedOn = 0;
    int changedOff = 0;
    std::vector<std::pair<int, KeyIndex>> resetButtons;
    std::vector<int> refreshed;
    void SetChanged(bool changed) override { (changed ? changedOn : changedOff)++; }
    void ResetKeyButton(int table, KeyIndex entry) override {
        resetButtons.emplace_back(table, entry);
    }
    void RefreshKeyButtons(int profile) override { refreshed.push_back(profile); }
};

inline AppPaths PathsIn(const std::filesystem::path& root) {
    AppPaths p;
    p.exeFolder = root / "app";
    p.skinFolder = p.exeFolder / "Skins";
    p.defaultUserColourPrefix = p.skinFolder / "UserDengColor_";
    p.userFolder = root / "data" / "Morvane Tesslar";
    p.userSettings = p.userFolder / "wskb.ini";
    p.userColourPrefix = p.userFolder / "UserDengColor_";
    p.registryFile = root / "config" / "Morvane Tesslar" / "registry.ini";
    p.settingsFile = root / "config" / "Vorlin_Pellix" / "Morvane Tesslar.ini";
    p.runtimeFolder = root / "run";
    return p;
}

inline MacroRecord MakeMacro(uint16_t id, std::u16string_view name,
                             std::vector<MacroAction> actions, uint8_t repeat = 1) {
    MacroRecord r;
    r.macroId = id;
    r.SetName(name);
    r.repeatCount = repeat;
    r.actionCount = static_cast<uint16_t>(actions.size());
    std::copy(actions.begin(), actions.end(), r.actions.begin());
    return r;
}

inline std::vector<uint8_t> ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

}  // namespace vorlin::test
