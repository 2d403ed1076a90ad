// assign: changes one key in the work store, which holds the active profile's backing file as
// the main window loads it on connection, saves that file and applies it to the keyboard.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstring>
#include <filesystem>

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

// Why a backing file cannot be written, in words; empty when nothing stands in the way. The
// file is replaced by a new one made beside it, so what counts is its folder.
std::string WhyUnwritable(const std::filesystem::path& file) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::is_directory(file, ec)) return "it is a folder";
    const fs::path folder = file.parent_path();
    if (!fs::is_directory(folder, ec)) {
        fs::create_directories(folder, ec);
        if (ec) return ec.message();
        if (!fs::is_directory(folder, ec)) return "its folder cannot be made";
    }
    if (::access(folder.c_str(), W_OK | X_OK) != 0) return std::strerror(errno);
    return {};
}

int FailBackingFile(CliSession& s, int profile, std::string why) {
    const std::filesystem::path file = ProfileFilePath(s.paths, profile);
    if (why.empty()) why = WhyUnwritable(file);
    return s.Fail(kExitFailed, "the backing file of profile " + std::to_string(profile) + " (" +
                                   file.string() + ") cannot be written" +
                                   (why.empty() ? "" : ": " + why) +
                                   "; the keyboard was not changed.");
}

int RunAssign(CliSession& s, const AssignOptions& o) {
    const std::optional<KeyCode> key = ParseKeyName(s.texts, s.languageIndex, o.key);
    if (!key) return s.Fail(kExitUsage, "unknown key \"" + o.key + "\".");
    if (int code = s.Connect(); code != kExitOk) return code;
    if (!KeyboardHasKey(s, *key))
        return s.Fail(kExitUsage, "this keyboard has no key \"" + o.key + "\".");

    CliStore store(s);
    s.ClearLinkFailure();
    // What the main window does on connection: the keyboard into the backing file, and that
    // file into the work store.
    if (ReloadFromKeyboard(store.ctx) != 1) {
        // The keyboard may have answered every read and the backing file not taken it.
        const int p = GetActiveProfile(store.ctx);
        if (p >= 0 && !s.LinkFailed()) {
            std::string why = WhyUnwritable(ProfileFilePath(s.paths, p));
            if (!why.empty()) return FailBackingFile(s, p, why);
        }
        return s.FailDevice("reading the keyboard");
    }
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

    s.ClearLinkFailure();
    if (SaveActiveProfileFile(store.ctx) != 1) return FailBackingFile(s, active, {});
    // Another profile than the active one is written along with all three.
    if (SnapshotAndApply(store.ctx, table != active) != 1)
        return s.FailDevice("writing the key map to the keyboard");
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
    sub->add_option("--profile", o->profile, "Hardware profile 0..2 (default: the active one)")
        ->check(CLI::Range(0, 2));
    sub->callback([&s, &action, o] { action = [&s, o] { return RunAssign(s, *o); }; });
}

}  // namespace vorlin
