// macro: lists, shows, creates, imports, exports, renames and deletes the keyboard's macros. A
// change goes through the macro model as the key editor's Apply takes it (the list committed into
// the work store, keys of a deleted macro back to default) and is then applied as the main
// window's Apply does it.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "cli/cli_commands.h"
#include "cli/cli_context.h"
#include "cli/cli_store.h"
#include "cli/key_words.h"
#include "cli/macro_words.h"
#include "platform/atomic_file.h"
#include "platform/file_read.h"
#include "platform/text_format.h"
#include "platform/utf.h"
#include "skin/key_names.h"
#include "store/config_device.h"
#include "store/macro_list.h"

namespace vorlin {
namespace {

// The largest macro file: 2000 actions of long key names, with room for comments.
constexpr size_t kMacroFileLimit = 1024 * 1024;
// Entries that can hold an assignment: the key table and the two G-key sets.
constexpr KeyIndex kLastEntry = 273;

struct MacroOptions {
    std::string name;
    std::string newName;
    std::string file;
    int repeat = 1;
    std::vector<std::string> actions;
};

std::string NameOf(const MacroRecord& r) {
    return Utf16ToUtf8(r.Name());
}

std::string Quoted(const std::string& name) {
    return "\"" + name + "\"";
}

// The keys of the three profiles that play the macro, in words.
std::vector<std::pair<int, std::string>> KeysPlaying(CliSession& s, const ConfigStore& work,
                                                     uint16_t id) {
    std::vector<std::pair<int, std::string>> keys;
    for (int table = 0; table < 3; ++table)
        for (KeyIndex entry = 1; entry <= kLastEntry; ++entry) {
            const KeyAction& a = work.image->tables[table][entry];
            if (a.type == kActionMacro && static_cast<uint16_t>(a.value) == id)
                keys.emplace_back(table, EntryName(s.texts, s.languageIndex, entry));
        }
    return keys;
}

int FailNoMacro(CliSession& s, const ConfigStore& work, const std::string& name) {
    std::string names;
    for (const MacroRecord& r : work.macros) names += (names.empty() ? "" : ", ") + NameOf(r);
    return s.Fail(kExitUsage, "no macro named " + Quoted(name) +
                                  (names.empty() ? std::string("; the keyboard holds no macros")
                                                 : "; the macros are: " + names) +
                                  ".");
}

// The keyboard's configuration, read for a command that only looks.
int ReadKeyboard(CliSession& s, CliStore& store) {
    if (int code = s.Connect(); code != kExitOk) return code;
    return LoadKeyboardIntoStore(s, store);
}

// The keyboard's configuration as the work store, for a command that changes it.
int LoadForChange(CliSession& s, CliStore& store) {
    if (int code = s.Connect(); code != kExitOk) return code;
    return ReloadWorkStore(s, store);
}

// The editor's list, committed into the work store, then applied.
int CommitAndApply(CliSession& s, CliStore& store, std::vector<MacroRecord>& records,
                   bool allProfiles) {
    if (CommitMacroList(store.work, records, store.ui) != 1)
        return s.Fail(kExitFailed, "out of memory while changing the macro list.");
    return ApplyWorkStore(s, store, allProfiles, "writing the macros to the keyboard");
}

int RunList(CliSession& s) {
    CliStore store(s);
    if (int code = ReadKeyboard(s, store); code != kExitOk) return code;
    std::lock_guard<std::recursive_mutex> guard(store.work.lock);
    nlohmann::json json = nlohmann::json::array();
    if (!s.json) s.out << "Macros: " << store.work.macros.size() << " of " << kMaxMacros << '\n';
    for (const MacroRecord& r : store.work.macros) {
        const auto keys = KeysPlaying(s, store.work, r.macroId);
        if (s.json) {
            nlohmann::json k = nlohmann::json::array();
            for (const auto& [profile, key] : keys)
                k.push_back({{"profile", profile}, {"key", key}});
            json.push_back({{"id", r.macroId},
                            {"name", NameOf(r)},
                            {"repeat", r.repeatCount},
                            {"actions", r.actionCount},
                            {"keys", k}});
            continue;
        }
        s.out << "  " << r.macroId << "  " << NameOf(r) << " (repeat " << int(r.repeatCount) << ", "
              << r.actionCount << " actions)";
        for (size_t i = 0; i < keys.size(); ++i)
            s.out << (i ? ", " : "; played by ") << "profile " << keys[i].first << ' '
                  << keys[i].second;
        s.out << '\n';
    }
    if (s.json) s.out << json.dump(2) << '\n';
    return kExitOk;
}

int RunShowMacro(CliSession& s, const MacroOptions& o) {
    CliStore store(s);
    if (int code = ReadKeyboard(s, store); code != kExitOk) return code;
    std::lock_guard<std::recursive_mutex> guard(store.work.lock);
    const MacroRecord* r = FindMacroByName(store.work.macros, o.name);
    if (!r) return FailNoMacro(s, store.work, o.name);
    const int count = std::min<int>(r->actionCount, kMaxMacroActions);
    if (s.json) {
        nlohmann::json actions = nlohmann::json::array();
        for (int i = 0; i < count; ++i) {
            const MacroAction& a = r->actions[i];
            actions.push_back({{"key", KeyName(s.texts, s.languageIndex, a.keyCode)},
                               {"event", a.release ? "release" : "press"},
                               {"delayMs", a.delayMs}});
        }
        s.out << nlohmann::json{{"id", r->macroId},
                                {"name", NameOf(*r)},
                                {"repeat", r->repeatCount},
                                {"actions", actions}}
                     .dump(2)
              << '\n';
        return kExitOk;
    }
    s.out << "Macro " << Quoted(NameOf(*r)) << " (id " << r->macroId << ", repeat "
          << int(r->repeatCount) << ", " << count << " actions)\n";
    for (int i = 0; i < count; ++i) {
        const MacroAction& a = r->actions[i];
        s.out << "  " << (a.release ? "release " : "press   ")
              << KeyName(s.texts, s.languageIndex, a.keyCode) << ", " << a.delayMs << " ms\n";
    }
    return kExitOk;
}

// A new macro at the end of the list, with the smallest free id.
int AddMacro(CliSession& s, const std::string& name, int repeat,
             const std::vector<MacroAction>& actions) {
    CliStore store(s);
    if (int code = LoadForChange(s, store); code != kExitOk) return code;
    std::lock_guard<std::recursive_mutex> guard(store.work.lock);
    std::vector<MacroRecord> records = store.work.macros;
    if (const MacroRecord* taken = FindMacroByName(records, name))
        return s.Fail(kExitUsage, "a macro named " + Quoted(NameOf(*taken)) +
                                      " exists already (id " + std::to_string(taken->macroId) +
                                      ").");
    if (records.size() >= static_cast<size_t>(kMaxMacros))
        return s.Fail(kExitUsage, FormatInt(s.Text("MACRO_ERR_MAX"), kMaxMacros));
    const uint16_t id = SmallestFreeMacroId(records);
    MacroRecord& r = records.emplace_back();
    r.SetName(Utf8ToUtf16(name));
    r.repeatCount = static_cast<uint8_t>(repeat);
    r.newFlag = 1;
    r.macroId = id;
    r.actionCount = static_cast<uint16_t>(actions.size());
    std::copy(actions.begin(), actions.end(), r.actions.begin());
    if (int code = CommitAndApply(s, store, records, false); code != kExitOk) return code;
    s.out << "Macro " << Quoted(name) << " (id " << id << "): " << actions.size()
          << " actions, repeat " << repeat << ".\n";
    return kExitOk;
}

int RunAdd(CliSession& s, const MacroOptions& o) {
    if (std::string why = CheckMacroName(o.name); !why.empty())
        return s.Fail(kExitUsage, why + ".");
    if (o.actions.size() > static_cast<size_t>(kMaxMacroActions))
        return s.Fail(kExitUsage, "a macro holds at most " + std::to_string(kMaxMacroActions) +
                                      " actions, not " + std::to_string(o.actions.size()) + ".");
    std::vector<MacroAction> actions;
    for (const std::string& word : o.actions) {
        ParsedMacroAction parsed = ParseMacroAction(s.texts, s.languageIndex, word);
        if (!parsed.error.empty()) return s.Fail(kExitUsage, parsed.error + ".");
        actions.push_back(parsed.action);
    }
    return AddMacro(s, o.name, o.repeat, actions);
}

int RunImport(CliSession& s, const MacroOptions& o) {
    if (std::string why = CheckMacroName(o.name); !why.empty())
        return s.Fail(kExitUsage, why + ".");
    std::string text;
    const FileReadResult read = ReadFileBounded(o.file, kMacroFileLimit, text);
    if (!read.ok()) return s.Fail(kExitBadFile, o.file + " " + DescribeFileRead(read) + ".");
    MacroText macro = ParseMacroText(s.texts, s.languageIndex, text);
    if (!macro.error.empty())
        return s.Fail(kExitBadFile, o.file + " is not a macro file (" + macro.error +
                                        "); see macro import --help.");
    return AddMacro(s, o.name, macro.repeat, macro.actions);
}

int RunExport(CliSession& s, const MacroOptions& o) {
    CliStore store(s);
    if (int code = ReadKeyboard(s, store); code != kExitOk) return code;
    std::lock_guard<std::recursive_mutex> guard(store.work.lock);
    const MacroRecord* r = FindMacroByName(store.work.macros, o.name);
    if (!r) return FailNoMacro(s, store.work, o.name);
    if (int code = ConfirmOverwrite(s, o.file); code != kExitOk) return code;
    if (!WriteFileAtomically(o.file, FormatMacroText(s.texts, s.languageIndex, *r)))
        return s.Fail(kExitFailed, o.file + " could not be written.");
    s.out << "Macro " << Quoted(NameOf(*r)) << ": " << r->actionCount << " actions written to "
          << o.file << ".\n";
    return kExitOk;
}

int RunRename(CliSession& s, const MacroOptions& o) {
    if (std::string why = CheckMacroName(o.newName); !why.empty())
        return s.Fail(kExitUsage, why + ".");
    CliStore store(s);
    if (int code = LoadForChange(s, store); code != kExitOk) return code;
    std::lock_guard<std::recursive_mutex> guard(store.work.lock);
    std::vector<MacroRecord> records = store.work.macros;
    const MacroRecord* found = FindMacroByName(records, o.name);
    if (!found) return FailNoMacro(s, store.work, o.name);
    MacroRecord* r = &records[static_cast<size_t>(found - records.data())];
    if (const MacroRecord* taken = FindMacroByName(records, o.newName, r))
        return s.Fail(kExitUsage, "a macro named " + Quoted(NameOf(*taken)) +
                                      " exists already (id " + std::to_string(taken->macroId) +
                                      ").");
    const std::string old = NameOf(*r);
    r->SetName(Utf8ToUtf16(o.newName));
    if (int code = CommitAndApply(s, store, records, false); code != kExitOk) return code;
    s.out << "Macro " << Quoted(old) << " is now " << Quoted(o.newName) << ".\n";
    return kExitOk;
}

int RunDelete(CliSession& s, const MacroOptions& o) {
    CliStore store(s);
    if (int code = LoadForChange(s, store); code != kExitOk) return code;
    std::lock_guard<std::recursive_mutex> guard(store.work.lock);
    std::vector<MacroRecord> records = store.work.macros;
    const MacroRecord* found = FindMacroByName(records, o.name);
    if (!found) return FailNoMacro(s, store.work, o.name);
    const size_t index = static_cast<size_t>(found - records.data());
    const std::string name = NameOf(*found);
    if (!MacroInUse(store.work, *found, store.writeAllProfiles, s.prompter))
        return s.Fail(kExitFailed, "macro " + Quoted(name) + " was kept.");
    records.erase(records.begin() + static_cast<std::ptrdiff_t>(index));
    // Keys play macros by their place in the keyboard's list: when a later macro moves up, every
    // profile's key map must follow, not only the active one's.
    const bool shifted = index < records.size();
    if (int code = CommitAndApply(s, store, records, shifted); code != kExitOk) return code;
    s.out << "Macro " << Quoted(name) << " deleted.\n";
    return kExitOk;
}

constexpr const char* kFileFormatHelp =
    "The macro file is plain text, one action per line in the order played:\n"
    "  # comment lines and blank lines are skipped\n"
    "  repeat=N        optional, once: the repeat count 0..255 (1 when absent)\n"
    "  A:down@100      KEY:down or KEY:up, optionally @DELAY: milliseconds 0..40000 to the\n"
    "  A:up            next action, kept to 10 ms (125 becomes 120); 0 when left out\n"
    "KEY is a key name (A, Left Ctrl, F5, Num 1, 0x1E ...) or mouse:left|right|middle|\n"
    "wheel-up|wheel-down. `macro export` writes this format; importing it gives the same macro.";

}  // namespace

void AddMacroCommand(CLI::App& app, CliSession& s, CommandAction& action) {
    auto o = std::make_shared<MacroOptions>();
    CLI::App* macro = app.add_subcommand("macro",
                                         "List, show, add, import, export, rename or "
                                         "delete the keyboard's macros");
    macro->require_subcommand(1);
    macro->footer(kFileFormatHelp);
    auto set = [&s, &action, o](int (*run)(CliSession&, const MacroOptions&)) {
        return [&s, &action, o, run] { action = [&s, o, run] { return run(s, *o); }; };
    };

    CLI::App* list = macro->add_subcommand("list", "Every macro with its id, size and keys");
    list->add_flag("--json", s.json, "Print JSON");
    list->callback([&s, &action] { action = [&s] { return RunList(s); }; });

    CLI::App* show = macro->add_subcommand("show", "One macro's actions and delays");
    show->add_option("NAME", o->name, "The macro")->required();
    show->add_flag("--json", s.json, "Print JSON");
    show->callback(set(RunShowMacro));

    CLI::App* add = macro->add_subcommand(
        "add",
        "Create a macro from actions KEY:down or KEY:up, each optionally @DELAY in ms "
        "(e.g. A:down@100 A:up), and apply it");
    add->add_option("NAME", o->name, "Its name (up to 249 characters)")->required();
    add->add_option("ACTION", o->actions, "The actions, in the order played");
    add->add_option("--repeat", o->repeat, "How often the keyboard plays it (1..255, default 1)")
        ->check(CLI::Range(1, 255));
    add->callback(set(RunAdd));

    CLI::App* import = macro->add_subcommand("import", "Create a macro from a macro file");
    import->add_option("NAME", o->name, "Its name (up to 249 characters)")->required();
    import->add_option("FILE", o->file, "The macro file")->required();
    import->footer(kFileFormatHelp);
    import->callback(set(RunImport));

    CLI::App* exp = macro->add_subcommand("export", "Write a macro to a macro file");
    exp->add_option("NAME", o->name, "The macro")->required();
    exp->add_option("FILE", o->file, "The file (asks before replacing one)")->required();
    exp->footer(kFileFormatHelp);
    exp->callback(set(RunExport));

    CLI::App* rename = macro->add_subcommand("rename", "Rename a macro");
    rename->add_option("OLD", o->name, "The macro")->required();
    rename->add_option("NEW", o->newName, "Its new name")->required();
    rename->callback(set(RunRename));

    CLI::App* del = macro->add_subcommand(
        "delete",
        "Delete a macro; keys that play it return to their factory function (asks "
        "first, --yes answers)");
    del->add_option("NAME", o->name, "The macro")->required();
    del->callback(set(RunDelete));
}

}  // namespace vorlin
