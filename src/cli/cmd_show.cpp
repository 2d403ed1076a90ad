// show: every assigned key of a profile file or of the keyboard, in words, and every macro with
// its actions and delays.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "cli/cli_commands.h"
#include "cli/cli_context.h"
#include "cli/cli_store.h"
#include "cli/key_words.h"
#include "keys/key_codes.h"
#include "platform/utf.h"
#include "skin/key_names.h"
#include "store/profile_file.h"

namespace vorlin {
namespace {

struct ShowOptions {
    std::string file;
    bool keyboard = false;
    int profile = -1;  // -1: all three
};

// Entries that can hold an assignment: the key table and the two G-key sets.
constexpr int kLastEntry = 273;

int RunShow(CliSession& s, const ShowOptions& o) {
    if (o.file.empty() == !o.keyboard)
        return s.Fail(kExitUsage, "show needs either FILE or --keyboard.");
    CliStore store(s);
    if (o.keyboard) {
        if (int code = s.Connect(); code != kExitOk) return code;
        if (int code = LoadKeyboardIntoStore(s, store); code != kExitOk) return code;
    } else {
        std::vector<uint8_t> bytes;
        if (int code = ReadProfileFile(s, o.file, bytes); code != kExitOk) return code;
        std::lock_guard<std::recursive_mutex> guard(store.work.lock);
        if (LoadImageBytes(store.work, bytes) != 1)
            return s.Fail(kExitBadFile, o.file + " could not be loaded.");
    }

    std::lock_guard<std::recursive_mutex> guard(store.work.lock);
    const ConfigStore& work = store.work;
    nlohmann::json json = {{"profiles", nlohmann::json::array()},
                           {"macros", nlohmann::json::array()}};
    for (int table = 0; table < 3; ++table) {
        if (o.profile >= 0 && table != o.profile) continue;
        nlohmann::json keys = nlohmann::json::array();
        if (!s.json) s.out << "Profile " << table << ":\n";
        int shown = 0;
        for (KeyIndex entry = 1; entry <= kLastEntry; ++entry) {
            if (work.image->tables[table][entry].type == kActionDefault) continue;
            const std::string key = EntryName(s.texts, s.languageIndex, entry);
            const std::string action = DescribeAction(s.texts, s.languageIndex, work, table, entry);
            ++shown;
            if (s.json)
                keys.push_back({{"entry", entry}, {"key", key}, {"action", action}});
            else
                s.out << "  " << key << " -> " << action << '\n';
        }
        if (!s.json && shown == 0) s.out << "  (every key has its factory function)\n";
        json["profiles"].push_back({{"profile", table}, {"keys", keys}});
    }
    if (!s.json) s.out << "Macros: " << (work.macros.empty() ? "none" : "") << '\n';
    for (const MacroRecord& r : work.macros) {
        nlohmann::json actions = nlohmann::json::array();
        const std::string name = Utf16ToUtf8(r.Name());
        if (!s.json)
            s.out << "  " << name << " (id " << r.macroId << ", repeat " << int(r.repeatCount)
                  << ", " << r.actionCount << " actions):";
        for (int i = 0; i < r.actionCount && i < kMaxMacroActions; ++i) {
            const MacroAction& a = r.actions[i];
            const std::string key = KeyName(s.texts, s.languageIndex, a.keyCode);
            const char* event = a.release ? "release" : "press";
            if (s.json)
                actions.push_back({{"key", key}, {"event", event}, {"delayMs", a.delayMs}});
            else
                s.out << (i ? ", " : " ") << event << ' ' << key << ", " << a.delayMs << " ms";
        }
        if (!s.json) s.out << '\n';
        json["macros"].push_back(
            {{"id", r.macroId}, {"name", name}, {"repeat", r.repeatCount}, {"actions", actions}});
    }
    if (s.json) s.out << json.dump(2) << '\n';
    return kExitOk;
}

}  // namespace

void AddShowCommand(CLI::App& app, CliSession& s, CommandAction& action) {
    auto o = std::make_shared<ShowOptions>();
    CLI::App* sub = app.add_subcommand(
        "show", "Show every assigned key and every macro of a profile file, or of the keyboard");
    sub->add_option("FILE", o->file, "The profile file to show");
    sub->add_flag("--keyboard", o->keyboard, "Show what the keyboard holds");
    sub->add_option("--profile", o->profile, "Only this hardware profile (0..2)")
        ->check(CLI::Range(0, 2));
    sub->add_flag("--json", s.json, "Print JSON");
    sub->callback([&s, &action, o] { action = [&s, o] { return RunShow(s, *o); }; });
}

}  // namespace vorlin
