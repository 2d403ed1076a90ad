// diagnose: what the program sees of the keyboard (nodes, access, udev rule, other programs
// holding it, whether it answers), the user's files and the language file, ending with the
// one most likely reason the keyboard cannot be used.
#include <unistd.h>
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <sstream>

#include "cli/cli_context.h"
#include "cli/devices_all.h"
#include "device/connect_once.h"
#include "device/connection_monitor.h"
#include "device/hid/keyboard_access.h"
#include "device/protocol.h"
#include "skin/language.h"
#include "skin/language_check.h"
#include "store/user_file_check.h"

namespace vorlin {
namespace {

namespace fs = std::filesystem;

struct DiagnoseOptions {
    std::string procRoot = "/proc";
    std::vector<std::string> udevFolders;  // empty: where udev reads rules
};

struct Outcome {
    int code = kExitOk;
    std::string lastLine;
};

std::string Join(const std::vector<std::string>& items, const char* sep) {
    std::string s;
    for (size_t i = 0; i < items.size(); ++i) s += (i ? sep : "") + items[i];
    return s;
}

void PrintKeyboardInterfaces(CliSession& s, const std::vector<const HidInterfaceReport*>& rows) {
    std::ostream& out = s.out;
    out << "Keyboard interfaces:\n";
    if (rows.empty()) out << "  none: no HID interface of 0c45:5004 or 320f:5000\n";
    std::string lastNode = "\x01";
    for (const HidInterfaceReport* r : rows) {
        const std::string node = r->node.empty() ? r->path : r->node;
        if (node != lastNode) {
            lastNode = node;
            out << "  " << node << "  " << HexId(r->vendorId) << ':' << HexId(r->productId);
            if (!r->name.empty()) out << " \"" << r->name << '"';
            if (!r->node.empty())
                out << "  " << DescribeNodeStatus(StatNode(r->node));
            else
                out << "  (not a hidraw node)";
            out << "\n    this user: read "
                << (r->access.canRead ? "yes"
                                      : "no (" + AccessError(false, r->access.readErrno) + ")")
                << ", write "
                << (r->access.canWrite ? "yes"
                                       : "no (" + AccessError(false, r->access.writeErrno) + ")")
                << '\n';
        }
        out << "    ";
        if (r->interfaceNumber >= 0) out << "interface " << r->interfaceNumber << ", ";
        out << "collection " << r->collection << ": ";
        if (r->described)
            out << "usage " << HexId(r->usagePage) << ':' << HexId(r->usage) << ' '
                << CollectionRoleName(r->usagePage, r->usage)
                << (IsCommandInterface(*r) ? "  <- the command interface" : "");
        else
            out << "not described (" << r->error << ')';
        out << '\n';
    }
}

// Why the blocked command interface cannot be used.
std::string AccessCause(const KeyboardAccess& a, const UdevRuleCheck& rules, Outcome& o) {
    const char* way = a.cannotRead ? "read" : "write to";
    const std::string node = a.Node();
    o.code = kExitNoKeyboard;
    if (a.NodeMissing()) {
        std::string command = AccessFixCommands(a, rules);
        if (!command.empty() && command.back() == '\n') command.pop_back();
        return "the kernel lists " + node +
               " but the node does not exist; let udev create it: " + command;
    }
    if (a.PermissionDenied()) {
        if (!rules.CoversAll())
            return "this user may not " + std::string(way) + " " + node +
                   " and the udev rule is not installed: install it with the commands above, "
                   "then run vorlinctl diagnose again";
        return "this user may not " + std::string(way) + " " + node +
               " although the udev rule is installed: apply it (" + std::string(kUdevApplyCommand) +
               ") or replug the keyboard; the rule grants access to the user logged in at the "
               "machine, not to remote sessions";
    }
    return node + " cannot be opened: " + AccessError(false, a.error);
}

int RunDiagnose(CliSession& s, const DiagnoseOptions& opt) {
    std::ostream& out = s.out;
    Outcome o;
    out << "Kernel: " << KernelRelease(opt.procRoot) << '\n';

    std::error_code ec;
    const bool hidrawClass = fs::is_directory(s.options.sysfsRoot, ec);
    std::vector<HidInterfaceReport> rows;
    std::string listError;
    const bool listed = ListAllInterfaces(s, rows, &listError);
    if (!hidrawClass)
        out << "HID devices: " << s.options.sysfsRoot
            << " does not exist; the kernel's hidraw driver is not loaded\n";
    else if (!listed)
        out << "HID devices: " << listError << '\n';
    else
        out << "HID devices: " << rows.size() << " interface paths (" << s.options.sysfsRoot
            << ")\n";

    const KeyboardAccess access = JudgeKeyboardAccess(rows);
    const std::vector<const HidInterfaceReport*>& keyboard = access.keyboard;
    std::vector<const HidInterfaceReport*> unexamined;  // could be the keyboard; we cannot tell
    std::vector<std::string> nodes;
    for (const HidInterfaceReport* r : keyboard)
        if (!r->node.empty() && (nodes.empty() || nodes.back() != r->node))
            nodes.push_back(r->node);
    for (const HidInterfaceReport& r : rows)
        if (!IsKeyboardInterface(r) && !r.identified) unexamined.push_back(&r);
    PrintKeyboardInterfaces(s, keyboard);
    if (!unexamined.empty()) {
        out << "Interfaces that could not be examined:\n";
        for (const HidInterfaceReport* r : unexamined)
            out << "  " << r->path << ": " << r->error << '\n';
    }
    out << "Other HID interfaces: " << rows.size() - keyboard.size() - unexamined.size()
        << " (vorlinctl devices --all lists every one)\n";

    const std::vector<std::string> folders =
        opt.udevFolders.empty() ? DefaultUdevRuleFolders() : opt.udevFolders;
    const UdevRuleCheck rules = CheckUdevRules(folders);
    std::vector<std::string> granting;
    for (const auto& files : rules.grantingFiles)
        for (const std::string& f : files)
            if (std::find(granting.begin(), granting.end(), f) == granting.end())
                granting.push_back(f);
    if (rules.CoversAll()) {
        out << "udev rule: installed (" << Join(granting, ", ") << ")\n";
    } else {
        out << "udev rule: not installed";
        if (!granting.empty()) out << " for both models (only " << Join(granting, ", ") << ")";
        out << "; looked in " << Join(folders, ", ") << '\n';
    }
    for (const std::string& note : rules.notes) out << "  note: " << note << '\n';
    if (!rules.CoversAll()) {
        out << "  Install and apply it with:\n";
        std::istringstream commands(UdevInstallCommands());
        for (std::string line; std::getline(commands, line);) out << "    " << line << '\n';
    }

    const HolderScan holders = FindNodeHolders(opt.procRoot, nodes, static_cast<int>(::getpid()));
    out << "Other programs with the keyboard open:" << (holders.holders.empty() ? " none" : "")
        << '\n';
    for (const NodeHolder& h : holders.holders)
        out << "  " << h.name << " (pid " << h.pid << ") has " << h.node << " open\n";
    if (holders.hidden > 0)
        out << "  note: " << holders.hidden
            << " processes of other users could not be looked at (run as root to see them)\n";

    // Try the command interface the way every command does.
    bool openable = access.reach == KeyboardReach::Usable;
    const bool blocked = access.reach == KeyboardReach::Blocked;
    bool answered = false;
    std::string foundPath;
    if (openable && s.LockRealKeyboard() != kExitOk) openable = false;  // said why already
    if (openable) {
        ConnectOutcome c = ConnectOnce(*s.monitorContext);
        if (c.found) {
            foundPath = s.link->device.path();
            uint8_t block[kStateBlockSize] = {};
            answered = ReadState(*s.link, block) == kDone;
        }
        DisconnectOnce(*s.link);
        out << "Commands: "
            << (answered ? "the keyboard answered (" + foundPath + ")"
                         : "the keyboard did not answer")
            << '\n';
    } else {
        out << "Commands: not tried ("
            << (blocked ? "this user cannot open the command interface"
                        : "no command interface found")
            << ")\n";
    }

    out << "Files:\n";
    int faultyFiles = 0;
    for (const FileCheck& f : CheckUserFiles(s.paths)) {
        char word[16];
        std::snprintf(word, sizeof word, "%-10s", VerdictWord(f.verdict));
        out << "  " << word << f.role << ": " << f.path.string();
        if (!f.detail.empty()) out << " (" << f.detail << ')';
        out << '\n';
        faultyFiles += f.verdict == FileVerdict::Faulty || f.verdict == FileVerdict::Unreadable;
    }

    const fs::path langFile = LanguageFilePath(s.paths, s.languageIndex);
    const LanguageFileCheck lang = CheckLanguageFile(langFile);
    out << "Language: " << (s.languageIndex == 1 ? "Portuguese (Brazil)" : "English") << ", "
        << langFile.string() << ": ";
    if (!lang.readable)
        out << "missing or unreadable; every text shows \"#Error\"\n";
    else if (lang.Complete())
        out << "complete (" << lang.wanted << " keys)\n";
    else
        out << lang.missing.size() << " of " << lang.wanted
            << " keys missing or empty, shown as \"#Error\": "
            << Join(std::vector<std::string>(
                        lang.missing.begin(),
                        lang.missing.begin() + std::min<size_t>(lang.missing.size(), 5)),
                    ", ")
            << (lang.missing.size() > 5 ? ", ..." : "") << '\n';

    // The one most likely reason, most basic first.
    if (answered) {
        std::string warnings;
        const int w = faultyFiles + (lang.Complete() ? 0 : 1);
        if (w) warnings = " (" + std::to_string(w) + " warning" + (w > 1 ? "s" : "") + " above)";
        o.lastLine = "The keyboard is usable: " + foundPath + warnings;
    } else if (!hidrawClass) {
        o.code = kExitNoKeyboard;
        o.lastLine = "Most likely cause: the kernel offers no hidraw devices (" +
                     s.options.sysfsRoot + " is missing); load the driver: sudo modprobe hidraw";
    } else if (!listed) {
        o.code = kExitFailed;
        o.lastLine = "Most likely cause: the HID devices cannot be listed: " + listError;
    } else if (keyboard.empty()) {
        o.code = kExitNoKeyboard;
        o.lastLine = unexamined.empty()
                         ? "Most likely cause: the keyboard is not plugged in or not seen by the "
                           "kernel (no HID interface of 0c45:5004 or 320f:5000); try another "
                           "USB port or cable"
                         : "Most likely cause: the keyboard is not among the interfaces that "
                           "could be examined; " +
                               std::to_string(unexamined.size()) + " could not be (listed above)";
    } else if (!openable && !blocked) {
        o.code = kExitNoKeyboard;
        const HidInterfaceReport* undescribed = nullptr;
        for (const HidInterfaceReport* r : keyboard)
            if (!r->described && !undescribed) undescribed = r;
        o.lastLine = undescribed
                         ? "Most likely cause: the keyboard's report descriptor cannot be used (" +
                               undescribed->error + ")"
                         : "Most likely cause: the keyboard offers no command interface (usage "
                           "ff1c:0092); it may be in its boot loader: replug it";
    } else if (!openable) {
        o.lastLine = "Most likely cause: " + AccessCause(access, rules, o);
    } else {
        o.code = kExitFailed;
        if (!holders.holders.empty()) {
            const NodeHolder& h = holders.holders.front();
            o.lastLine = "Most likely cause: the keyboard does not answer commands while " +
                         h.name + " (pid " + std::to_string(h.pid) +
                         ") has it open; close that program and try again";
        } else {
            o.lastLine =
                "Most likely cause: the keyboard does not answer commands; unplug it and plug "
                "it in again";
        }
    }
    out << '\n' << o.lastLine << '\n';
    return o.code;
}

}  // namespace

void AddDiagnoseCommand(CLI::App& app, CliSession& s, CommandAction& action) {
    auto opt = std::make_shared<DiagnoseOptions>();
    CLI::App* sub = app.add_subcommand(
        "diagnose", "Explain why the keyboard cannot be used, and what to do about it");
    sub->footer(
        "Shows the kernel release; each node of the two keyboard models with its owner, mode "
        "and whether this user can open it; whether the udev rule is installed, with the "
        "commands to install it when it is not; other programs holding the keyboard open; "
        "whether the keyboard answers; the user's files and the language file, each checked.\n"
        "The last line names the most likely cause. Exit code 0 when the keyboard is usable, 3 "
        "when it is missing or cannot be opened, 1 when it does not answer.");
    sub->add_option("--proc-root", opt->procRoot, "Where the process list lives")->type_name("DIR");
    sub->add_option("--udev-rules-dir", opt->udevFolders,
                    "A folder udev reads rules from, highest priority first (repeatable; default "
                    "the system's)")
        ->type_name("DIR");
    sub->callback([&s, &action, opt] { action = [&s, opt] { return RunDiagnose(s, *opt); }; });
}

}  // namespace vorlin
