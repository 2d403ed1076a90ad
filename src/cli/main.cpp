// vorlinctl: the global options, the list of commands, and running the one chosen.
#include <CLI/CLI.hpp>

#include <iostream>
#include <sstream>

#include "cli/cli.h"
#include "cli/cli_commands.h"
#include "cli/cli_context.h"

namespace vorlin {
namespace {

// Every command, in the order --help lists them.
constexpr AddCommand kCommands[] = {
    AddDevicesCommand,  AddInfoCommand,   AddProfileCommand, AddBackupCommand,
    AddRestoreCommand,  AddExportCommand, AddShowCommand,    AddAssignCommand,
    AddLightingCommand, AddBootCommand,   AddWatchCommand,
};

void AddGlobalOptions(CLI::App& app, CliOptions& o) {
    app.add_flag("--simulate{320f:5000}", o.simulateModel,
                 "Talk to a simulated keyboard instead of a real one "
                 "(model 0c45:5004 or 320f:5000, default 320f:5000)")
        ->expected(0, 1)
        ->each([&o](const std::string&) { o.simulate = true; });
    app.add_option("--sim-state", o.simState,
                   "Load the simulated keyboard's memory from FILE when it exists, and save it "
                   "back on exit")
        ->type_name("FILE");
    app.add_flag("--sim-socket", o.simOverSocket,
                 "Serve the simulated keyboard over a socketpair, through the same file I/O as "
                 "a hidraw node")
        ->group("");  // for tests and debugging
    app.add_option("--language", o.language, "Language of the texts: 1033 English, 1046 Portuguese")
        ->check(CLI::IsMember({1033, 1046}));
    app.add_flag("-v,--verbose", o.verbose, "Log every frame sent and received, in hex, to stderr");
    app.add_flag("--yes", o.yes, "Answer Yes to every question");
    app.add_option("--sysfs-root", o.sysfsRoot, "Where the hidraw class lives in sysfs")
        ->type_name("DIR");
    app.add_option("--dev-root", o.devRoot, "Where the hidraw device nodes live")->type_name("DIR");
    app.add_option("--data-dir", o.dataFolder,
                   "Folder with the language files and Skins (default: found beside the program)")
        ->type_name("DIR");
}

}  // namespace

int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
           std::istream& in, bool inputIsTerminal, const CliHooks& hooks) {
    CliSession session(out, err, in, inputIsTerminal);
    CLI::App app{"vorlinctl: configure the Vorlin keyboard from the command line"};
    app.name("vorlinctl");
    app.fallthrough();
    AddGlobalOptions(app, session.options);
    CommandAction action;
    for (AddCommand add : kCommands) add(app, session, action);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        app.exit(e, out, err);
        return kExitOk;
    } catch (const CLI::CallForAllHelp& e) {
        app.exit(e, out, err);
        return kExitOk;
    } catch (const CLI::ParseError& e) {
        app.exit(e, out, err);
        return kExitUsage;
    }
    if (!action) return session.Fail(kExitUsage, "no command given; see --help.");

    int code = session.Prepare();
    if (code != kExitOk) return code;
    if (hooks.beforeCommand) hooks.beforeCommand(session);
    code = action();
    if (hooks.afterCommand) hooks.afterCommand(session);
    session.Disconnect();
    const int saved = session.Finish();
    return code != kExitOk ? code : saved;
}

int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    return RunCli(argc, argv, out, err, std::cin, StdinIsTerminal(), {});
}

}  // namespace vorlin
