// user-mode: the ten per-key colour layouts of a profile's user-colour file; shows them, selects
// one (its layout is sent to the keyboard, as choosing it in the user-mode list does) or renames
// one.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "cli/cli_commands.h"
#include "cli/cli_context.h"
#include "cli/cli_lighting.h"
#include "store/lighting_model.h"

namespace vorlin {
namespace {

enum class UserModeVerb { Show, Select, Rename };

struct UserModeOptions {
    int profile = -1;  // -1: the active one
    UserModeVerb verb = UserModeVerb::Show;
    int number = 0;
    std::vector<std::string> name;
};

void PrintUserModes(CliSession& s, const LightingModel& m) {
    if (s.json) {
        nlohmann::json names = nlohmann::json::array();
        for (const std::string& n : m.userModeNames) names.push_back(n);
        s.out << nlohmann::json{{"profile", m.activeProfile},
                                {"userMode", m.userMode},
                                {"names", names}}
                     .dump(2)
              << '\n';
        return;
    }
    s.out << "Profile " << m.activeProfile << " user modes:\n";
    for (size_t n = 0; n < m.userModeNames.size(); ++n)
        s.out << (int(n) == m.userMode ? "* " : "  ") << n << "  " << m.userModeNames[n] << '\n';
}

int RunUserMode(CliSession& s, const UserModeOptions& o) {
    LightingModel model;
    LightingContext ctx{*s.link, s.paths, s.iniLock};
    if (int code = LoadUserColours(s, model, ctx, o.profile); code != kExitOk) return code;
    s.ClearLinkFailure();
    if (o.verb == UserModeVerb::Select) {
        SelectUserMode(model, ctx, o.number);
        if (s.LinkFailed()) return s.FailDevice("sending the user mode's colours");
    } else if (o.verb == UserModeVerb::Rename) {
        // The list renames the user mode it shows: that one is made current for the rename only.
        const int current = model.userMode;
        model.userMode = o.number;
        std::string name;
        for (const std::string& word : o.name) name += (name.empty() ? "" : " ") + word;
        RenameUserMode(model, s.paths, s.iniLock, name);
        model.userMode = current;
    }
    if (o.verb != UserModeVerb::Show) {
        // The file's writes report nothing: what it now holds is what is shown and checked.
        const std::vector<std::string> wanted = model.userModeNames;
        const int current = o.verb == UserModeVerb::Select ? o.number : model.userMode;
        FillUserModeList(model, s.paths);
        LightingModel stored = model;
        LoadUserMode(stored, s.paths);
        if (model.userModeNames != wanted || stored.userMode != current)
            return s.Fail(kExitFailed, "the user-colour file " +
                                           ActiveUserColourFile(model, s.paths).string() +
                                           " could not be written.");
    }
    PrintUserModes(s, model);
    return kExitOk;
}

}  // namespace

void AddUserModeCommand(CLI::App& app, CliSession& s, CommandAction& action) {
    auto o = std::make_shared<UserModeOptions>();
    CLI::App* sub = app.add_subcommand(
        "user-mode",
        "Show the ten user colour layouts of a profile (show), select one and send its colours "
        "(select N), or rename one (rename N TEXT)");
    AddProfileOption(*sub, o->profile);
    sub->add_flag("--json", s.json, "Print JSON");
    sub->add_subcommand("show", "The ten names, the current one marked (the default)");
    CLI::App* select =
        sub->add_subcommand("select", "Make user mode N current and send its colours");
    select->add_option("N", o->number, "User mode 0..9")->required()->check(CLI::Range(0, 9));
    select->callback([o] { o->verb = UserModeVerb::Select; });
    CLI::App* rename = sub->add_subcommand("rename", "Rename user mode N");
    rename->add_option("N", o->number, "User mode 0..9")->required()->check(CLI::Range(0, 9));
    rename->add_option("TEXT", o->name, "The new name")->required();
    rename->callback([o] { o->verb = UserModeVerb::Rename; });
    sub->callback([&s, &action, o] { action = [&s, o] { return RunUserMode(s, *o); }; });
}

}  // namespace vorlin
