// boot: asks the keyboard to switch to its boot loader, for an external firmware updater.
#include <CLI/CLI.hpp>

#include "cli/cli_commands.h"
#include "cli/cli_context.h"
#include "device/protocol.h"

namespace vorlin {
namespace {

int RunBoot(CliSession& s) {
    if (int code = s.Connect(); code != kExitOk) return code;
    // The keyboard stops working as a keyboard until it is flashed: ask first.
    if (!s.Ask("The keyboard will switch to its boot loader and stop working as a keyboard until "
               "a firmware updater flashes it. Continue?",
               PromptButtons::YesNoDefaultNo))
        return s.Fail(kExitFailed, "boot-loader request not sent.");
    s.ClearLinkFailure();
    const int r = EnterBootMode(*s.link);
    if (r != kDone) return s.FailDevice("the boot-loader request", r);
    s.out << "Boot-loader request sent; the keyboard now waits for a firmware updater.\n";
    return kExitOk;
}

}  // namespace

void AddBootCommand(CLI::App& app, CliSession& s, CommandAction& action) {
    CLI::App* sub = app.add_subcommand(
        "boot", "Send the boot-loader request (for an external firmware updater); asks first");
    sub->callback([&s, &action] { action = [&s] { return RunBoot(s); }; });
}

}  // namespace vorlin
