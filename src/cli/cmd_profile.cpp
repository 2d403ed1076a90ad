// profile: shows or sets the keyboard's active hardware profile.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "cli/cli_commands.h"
#include "cli/cli_context.h"
#include "cli/cli_store.h"
#include "store/config_device.h"
#include "store/device_state.h"

namespace vorlin {
namespace {

struct ProfileOptions {
    int profile = -1;  // -1: show
};

int RunProfile(CliSession& s, const ProfileOptions& o) {
    if (int code = s.Connect(); code != kExitOk) return code;
    s.ClearLinkFailure();
    DeviceStateBlock block;
    if (const int r = ReadDeviceState(*s.link, block); r != kDone)
        return s.FailDevice("reading the active profile", r);
    if (o.profile >= 0 && o.profile != block.activeProfile()) {
        CliStore store(s);
        if (const int r = SetActiveProfile(store.ctx, o.profile); r != kDone)
            return s.FailDevice("switching to profile " + std::to_string(o.profile), r);
        if (const int r = ReadDeviceState(*s.link, block); r != kDone)
            return s.FailDevice("reading the active profile back", r);
        if (block.activeProfile() != o.profile)
            return s.Fail(kExitFailed, "the keyboard kept profile " +
                                           std::to_string(block.activeProfile()) + ".");
    }
    if (s.json)
        s.out << nlohmann::json{{"activeProfile", block.activeProfile()}}.dump() << '\n';
    else
        s.out << "Active profile: " << block.activeProfile() << '\n';
    return kExitOk;
}

}  // namespace

void AddProfileCommand(CLI::App& app, CliSession& s, CommandAction& action) {
    auto o = std::make_shared<ProfileOptions>();
    CLI::App* sub =
        app.add_subcommand("profile", "Show the active hardware profile, or set it (0, 1 or 2)");
    sub->add_option("N", o->profile, "The profile to make active")->check(CLI::Range(0, 2));
    sub->add_flag("--json", s.json, "Print JSON");
    sub->callback([&s, &action, o] { action = [&s, o] { return RunProfile(s, *o); }; });
}

}  // namespace vorlin
