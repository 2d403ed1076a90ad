// Shared helpers of the store tests: a scratch folder, a prompter with scripted answers, a
// recording main window, and small builders for macros and images.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "platform/app_paths.h"
#include "platform/prompter.h"
#include "store/config_store.h"
#include "store/macro_record.h"
#include "store/store_context.h"

namespace vorlin::test {

class TempDir {
  public:
    TempDir() {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() /
                ("vorlin-store-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

struct Asked {
    std::string key;
    PromptButtons buttons;
    std::string argument;
};

class ScriptedPrompter : public Prompter {
  public:
    bool answer = true;
    std::vector<Asked> asked;
    bool Ask(const std::string& key, PromptButtons buttons, const std::string& argument) override {
        asked.push_back({key, buttons, argument});
        return answer;
    }
    std::vector<std::string> Keys() const {
        std::vector<std::string> keys;
        for (const Asked& a : asked) keys.push_back(a.key);
        return keys;
    }
};

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
