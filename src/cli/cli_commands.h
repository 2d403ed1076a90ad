// The commands of vorlinctl. Each adds its subcommand (options and --help text) to the app; when
// that subcommand is chosen, its action is stored in `action` and run once the global options
// have set up the session.
#pragma once

#include <functional>

namespace CLI {
class App;
}

namespace vorlin {

struct CliSession;

using CommandAction = std::function<int()>;
using AddCommand = void (*)(CLI::App& app, CliSession& session, CommandAction& action);

void AddDevicesCommand(CLI::App& app, CliSession& session, CommandAction& action);
void AddInfoCommand(CLI::App& app, CliSession& session, CommandAction& action);
void AddProfileCommand(CLI::App& app, CliSession& session, CommandAction& action);
void AddBootCommand(CLI::App& app, CliSession& session, CommandAction& action);
void AddWatchCommand(CLI::App& app, CliSession& session, CommandAction& action);
void AddLightingCommand(CLI::App& app, CliSession& session, CommandAction& action);
void AddBackupCommand(CLI::App& app, CliSession& session, CommandAction& action);
void AddRestoreCommand(CLI::App& app, CliSession& session, CommandAction& action);
void AddExportCommand(CLI::App& app, CliSession& session, CommandAction& action);
void AddShowCommand(CLI::App& app, CliSession& session, CommandAction& action);
void AddAssignCommand(CLI::App& app, CliSession& session, CommandAction& action);
void AddMacroCommand(CLI::App& app, CliSession& session, CommandAction& action);
void AddColoursCommand(CLI::App& app, CliSession& session, CommandAction& action);
void AddUserModeCommand(CLI::App& app, CliSession& session, CommandAction& action);

// --profile N (0..2) of a command that otherwise works on the active profile (profile stays -1).
void AddProfileOption(CLI::App& command, int& profile);

}  // namespace vorlin
