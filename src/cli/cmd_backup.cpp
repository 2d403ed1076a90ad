// backup: the keyboard read into a profile file, as on connection.
#include <CLI/CLI.hpp>

#include "cli/cli_commands.h"
#include "cli/cli_context.h"
#include "cli/cli_store.h"
#include "store/config_device.h"

namespace vorlin {
namespace {

int RunBackup(CliSession& s, const std::string& file) {
    if (int code = ConfirmOverwrite(s, file); code != kExitOk) return code;
    if (int code = s.Connect(); code != kExitOk) return code;
    CliStore store(s);
    s.ClearLinkFailure();
    s.err << "Reading the keyboard's three profiles and its macros...\n";
    if (ReadDeviceIntoFile(store.ctx, file) != 1) {
        if (!s.LinkFailed() && s.link->ready.load())
            return s.Fail(kExitFailed, "the backup could not be written to " + file +
                                           "; any earlier file there is unchanged.");
        return s.FailDevice("reading the keyboard");
    }
    s.out << "Backed up the keyboard to " << file << ".\n";
    return kExitOk;
}

}  // namespace

void AddBackupCommand(CLI::App& app, CliSession& s, CommandAction& action) {
    auto file = std::make_shared<std::string>();
    CLI::App* sub = app.add_subcommand(
        "backup", "Read the keyboard (three profiles and the macros) into a profile file");
    sub->add_option("FILE", *file, "The profile file to write (.fwc)")->required();
    sub->callback([&s, &action, file] { action = [&s, file] { return RunBackup(s, *file); }; });
}

}  // namespace vorlin
