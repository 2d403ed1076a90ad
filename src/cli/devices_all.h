// The troubleshooting side of vorlinctl: `devices --all` (every HID interface with its caps and
// access) and `diagnose`. Both hang off the devices command: AddDiagnosticsCommands takes over
// its callback and adds the diagnose command beside it.
#pragma once

#include <string>
#include <vector>

#include "cli/cli_commands.h"
#include "device/hid/hid_diagnostics.h"

namespace CLI {
class App;
}

namespace vorlin {

struct CliSession;

// plainListing runs `devices` without --all.
void AddDiagnosticsCommands(CLI::App& app, CLI::App& devices, CliSession& session,
                            CommandAction& action, CommandAction plainListing);

void AddDiagnoseCommand(CLI::App& app, CliSession& session, CommandAction& action);

// Every interface the session's backend offers: the hidraw nodes with their caps and access
// (unreadable ones included), then those of other backends (the simulated keyboard).
bool ListAllInterfaces(CliSession& session, std::vector<HidInterfaceReport>& out,
                       std::string* error);

// Short words for a collection's purpose ("mouse", "vendor (commands)", "other").
std::string CollectionRoleName(uint16_t usagePage, uint16_t usage);
// Four lower-case hex digits, as ids and usages are shown.
std::string HexId(unsigned value);

}  // namespace vorlin
