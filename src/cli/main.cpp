// vorlinctl: the global options, the list of commands, and running the one chosen.
#include <CLI/CLI.hpp>

#include <chrono>
#include <iostream>
#include <optional>
#include <sstream>

#include "cli/cli.h"
#include "cli/cli_commands.h"
#include "cli/cli_context.h"

namespace vorlin {

void AddProfileOption(CLI::App& command, int& profile) {
    command.add_option("--profile", profile, "Hardware profile 0..2 (default: the active one)")
        ->check(CLI::Range(0, 2));
}

namespace {

constexpr const char* kModelOpen = "default";

// What a command prints, held back until the simulated keyboard's state is saved: a run whose
// changes were lost must not have reported success.
class HeldOutput {
  public:
    explicit HeldOutput(std::ostream& out) : out_(out), saved_(out.rdbuf(held_.rdbuf())) {}
    ~HeldOutput() { out_.rdbuf(saved_); }
    HeldOutput(const HeldOutput&) = delete;
    HeldOutput& operator=(const HeldOutput&) = delete;
    void Pass() {
        out_.rdbuf(saved_);
        out_ << held_.str() << std::flush;
    }

  private:
    std::ostream& out_;
    std::stringstream held_;
    std::streambuf* saved_;
};

// Every command, in the order --help lists them.
constexpr AddCommand kCommands[] = {
    AddDevicesCommand, AddInfoCommand,     AddProfileCommand, AddBackupCommand, AddRestoreCommand,
    AddExportCommand,  AddShowCommand,     AddAssignCommand,  AddMacroCommand,  AddLightingCommand,
    AddColoursCommand, AddUserModeCommand, AddBootCommand,    AddWatchCommand,
};

void AddGlobalOptions(CLI::App& app, CliOptions& o) {
    // Without a value the model stays open: the --sim-state file's, else 320f:5000.
    app.add_flag("--simulate{" + std::string(kModelOpen) + "}", o.simulateModel,
                 "Talk to a simulated keyboard instead of a real one "
                 "(model 0c45:5004 or 320f:5000, default that of the --sim-state file, "
                 "else 320f:5000)")
        ->expected(0, 1)
        ->each([&o](const std::string&) { o.simulate = true; });
    app.add_option("--sim-state", o.simState,
                   "Load the simulated keyboard's memory from FILE when it exists, and save it "
                   "back on exit; FILE.lock beside it lets one process at a time use it")
        ->type_name("FILE");
    app.add_option_function<int>(
           "--lock-wait", [&o](const int& ms) { o.lockWait = std::chrono::milliseconds(ms); },
           "Milliseconds to wait for a keyboard another process is using (default 10000)")
        ->check(CLI::Range(0, 600000))
        ->group("");  // for tests
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
    if (session.options.simulateModel == kModelOpen) session.options.simulateModel.clear();

    int code = session.Prepare();
    if (code != kExitOk) return code;
    if (hooks.beforeCommand) hooks.beforeCommand(session);
    // watch prints as things happen and runs until stopped, so its lines cannot wait.
    std::optional<HeldOutput> held;
    if (session.sim && !session.options.simState.empty() && !app.got_subcommand("watch"))
        held.emplace(out);
    code = action();
    if (hooks.afterCommand) hooks.afterCommand(session);
    session.Disconnect();
    const int saved = session.Finish();
    if (held && saved == kExitOk) held->Pass();
    return code != kExitOk ? code : saved;
}

int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    return RunCli(argc, argv, out, err, std::cin, StdinIsTerminal(), {});
}

}  // namespace vorlin
