// assign: changes one key in the work store, which holds the active profile's backing file as
// the main window loads it on connection, saves that file and applies it to the keyboard.
#include <CLI/CLI.hpp>

#include "cli/cli_commands.h"
#include "cli/cli_context.h"
#include "cli/cli_store.h"
#include "cli/key_words.h"
#include "keys/key_codes.h"
#include "store/config_device.h"
#include "store/macro_area.h"
#include "store/profile_file.h"

namespace vorlin {
namespace {

struct AssignOptions {
    std::string key;
    std::string action;
    int profile = -1;  // -1: the active one
};

// Is the key at some position of the connected keyboard's factory map?
bool KeyboardHasKey(CliSession& s, KeyCode code) {
    std::lock_guard<std::mutex> guard(s.state.defaultKeyMapLock);
    const unsigned count = std::min(s.link->keyCount.load(), 512u / 3);
    for (unsigned i = 0; i < count; ++i) {
        const DeviceKeyRecord r{s.state.defaultKeyMap[3 * i], s.state.defaultKeyMap[3 * i + 1],
                                s.state.defaultKeyMap[3 * i + 2]};
        if (DecodeDeviceRecord(r) == code) return true;
    }
    return false;
}

int RunAssign(CliSession& s, const AssignOptions& o) {
    const std::optional<KeyCode> key = ParseKeyName(s.texts, s.languageIndex, o.key);
    if (!key) return s.Fail(kExitUsage, UnknownKeyText(s.texts, s.languageIndex, o.key) + ".");
    if (int code = s.Connect(); code != kExitOk) return code;
    if (!KeyboardHasKey(s, *key))
        return s.Fail(kExitUsage, "this keyboard has no key \"" + o.key + "\".");

    CliStore store(s);
    if (int code = ReloadWorkStore(s, store); code != kExitOk) return code;
    const int active = GetActiveProfile(store.ctx);
    const int table = o.profile >= 0 ? o.profile : active;

    std::lock_guard<std::recursive_mutex> guard(store.work.lock);
    ParsedAction parsed = ParseAction(s.texts, s.languageIndex, store.work, o.action);
    if (!parsed.error.empty()) return s.Fail(kExitUsage, parsed.error + ".");
    const KeyIndex entry = KeyIndexOf(*key);
    KeyAction& target = store.work.image->tables[table][entry];
    target.type = parsed.action.type;
    target.value = parsed.action.value;
    target.extra = parsed.action.extra;
    if (target.type != kActionLaunch && target.type != kActionText)
        ClearKeyString(store.work, table * kKeyActionsPerTable + entry);

    // Another profile than the active one is written along with all three.
    if (int code = ApplyWorkStore(s, store, table != active, "writing the key map to the keyboard");
        code != kExitOk)
        return code;
    s.out << "Profile " << table << ": " << EntryName(s.texts, s.languageIndex, entry) << " -> "
          << DescribeAction(s.texts, s.languageIndex, store.work, table, entry) << '\n';
    return kExitOk;
}

}  // namespace

void AddAssignCommand(CLI::App& app, CliSession& s, CommandAction& action) {
    auto o = std::make_shared<AssignOptions>();
    CLI::App* sub = app.add_subcommand(
        "assign",
        "Assign ACTION to KEY and apply it: a key name, mouse:left|right|middle|wheel-up|"
        "wheel-down, media:NAME, function:1..11, macro:NAME, disabled or default");
    sub->add_option("KEY", o->key, "The key to change (a key name, or G1..G9)")->required();
    sub->add_option("ACTION", o->action, "What the key does")->required();
    AddProfileOption(*sub, o->profile);
    sub->callback([&s, &action, o] { action = [&s, o] { return RunAssign(s, *o); }; });
}

}  // namespace vorlin
