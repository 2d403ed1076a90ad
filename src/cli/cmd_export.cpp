// export: a copy of the backing file of a profile, as the export command saves the work store.
#include <CLI/CLI.hpp>

#include "cli/cli_commands.h"
#include "cli/cli_context.h"
#include "cli/cli_store.h"
#include "store/config_device.h"
#include "store/profile_file.h"

namespace vorlin {
namespace {

struct ExportOptions {
    int profile = -1;  // -1: the active one
    std::string file;
};

int RunExport(CliSession& s, const ExportOptions& o) {
    int profile = o.profile;
    if (profile < 0) {
        if (int code = s.Connect(); code != kExitOk) return code;
        CliStore probe(s);
        s.ClearLinkFailure();
        profile = GetActiveProfile(probe.ctx);
        if (profile < 0) return s.FailDevice("reading the active profile");
    }
    const std::filesystem::path backing = ProfileFilePath(s.paths, profile);
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::symlink_status(backing, ec)))
        return s.Fail(kExitBadFile, "profile " + std::to_string(profile) +
                                        " has no backing file yet (" + backing.string() +
                                        "); `vorlinctl assign` or the desktop application "
                                        "creates it.");
    std::vector<uint8_t> bytes;
    if (int code = ReadProfileFile(s, backing, bytes); code != kExitOk) return code;
    if (int code = ConfirmOverwrite(s, o.file); code != kExitOk) return code;
    CliStore store(s);
    std::lock_guard<std::recursive_mutex> guard(store.work.lock);
    if (LoadImageBytes(store.work, bytes) != 1)
        return s.Fail(kExitBadFile, backing.string() + " could not be loaded.");
    if (SaveImageFile(store.work, o.file) != 1)
        return s.Fail(kExitFailed, o.file +
                                       " could not be written; any earlier file there is "
                                       "unchanged.");
    s.out << "Exported profile " << profile << " to " << o.file << ".\n";
    return kExitOk;
}

}  // namespace

void AddExportCommand(CLI::App& app, CliSession& s, CommandAction& action) {
    auto o = std::make_shared<ExportOptions>();
    CLI::App* sub = app.add_subcommand(
        "export", "Save the backing file of a profile (the active one by default) as FILE");
    sub->add_option("FILE", o->file, "The profile file to write (.fwc)")->required();
    sub->add_option("--profile", o->profile, "Hardware profile 0..2")->check(CLI::Range(0, 2));
    sub->callback([&s, &action, o] { action = [&s, o] { return RunExport(s, *o); }; });
}

}  // namespace vorlin
