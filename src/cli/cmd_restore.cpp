// restore: a profile file checked, loaded and written to all three profiles of the keyboard, as
// the import command does; the active profile's backing file then holds it too.
#include <CLI/CLI.hpp>

#include "cli/cli_commands.h"
#include "cli/cli_context.h"
#include "cli/cli_store.h"
#include "store/config_device.h"
#include "store/macro_area.h"
#include "store/profile_file.h"

namespace vorlin {
namespace {

int RunRestore(CliSession& s, const std::string& file) {
    std::vector<uint8_t> bytes;
    if (int code = ReadProfileFile(s, file, bytes); code != kExitOk) return code;
    if (int code = s.Connect(); code != kExitOk) return code;
    CliStore store(s);
    std::lock_guard<std::recursive_mutex> guard(store.work.lock);
    if (LoadImageBytes(store.work, bytes) != 1)
        return s.Fail(kExitBadFile, file + " could not be loaded; nothing was written.");
    // Refuse before writing anything when the macros cannot fit at all.
    const MacroAreaSizes sizes = MacroAreaSize(store.work);
    const unsigned capacity = s.state.macroCapacity.load();
    if (sizes.bare > capacity)
        return s.Fail(kExitBadFile, "the macros of " + file + " need " +
                                        std::to_string(sizes.bare) + " bytes; the keyboard has " +
                                        std::to_string(capacity) + ". Nothing was written.");
    s.ClearLinkFailure();
    const int active = GetActiveProfile(store.ctx);
    if (active < 0) return s.FailDevice("reading the active profile");
    s.err << "Writing the macros and the key maps of profiles 0, 1 and 2...\n";
    if (SnapshotAndApply(store.ctx, true) != 1)
        return s.FailDevice("writing the configuration to the keyboard");
    if (SaveImageFile(store.work, ProfileFilePath(s.paths, active)) != 1)
        return s.Fail(kExitFailed, "the keyboard now holds " + file +
                                       ", but the backing file of profile " +
                                       std::to_string(active) + " could not be saved.");
    s.out << "Restored " << file << " to the keyboard (" << store.work.macroCount()
          << " macros).\n";
    return kExitOk;
}

}  // namespace

void AddRestoreCommand(CLI::App& app, CliSession& s, CommandAction& action) {
    auto file = std::make_shared<std::string>();
    CLI::App* sub = app.add_subcommand(
        "restore", "Check a profile file and write it to all three profiles of the keyboard");
    sub->add_option("FILE", *file, "The profile file to read (.fwc)")->required();
    sub->callback([&s, &action, file] { action = [&s, file] { return RunRestore(s, *file); }; });
}

}  // namespace vorlin
