// colours: the per-key colours of a profile's current user mode, shown from its user-colour file
// or painted as the lighting view paints them: a key painted with a colour is a click with the
// free-colour tool, one painted "base" a click with the base-colour tool, and a new base colour
// recolours the keys that follow it and sends the whole page.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "cli/cli_commands.h"
#include "cli/cli_context.h"
#include "cli/cli_lighting.h"
#include "store/lighting_edits.h"
#include "store/lighting_keys.h"
#include "store/lighting_modes.h"

namespace vorlin {
namespace {

struct ColoursOptions {
    int profile = -1;  // -1: the active one
    std::vector<std::string> words;
    std::string base;
    std::string all;
    bool show = false;
};

struct Paint {
    int controlId;
    std::optional<Rgb> colour;  // nullopt: the base colour
};

const char* ToolName(int tool) {
    return tool == kToolBaseColour ? "base" : tool == kToolFreeColour ? "free" : "unknown";
}

std::string UserModeName(const LightingModel& m) {
    return m.userMode >= 0 && size_t(m.userMode) < m.userModeNames.size()
               ? m.userModeNames[m.userMode]
               : std::string();
}

bool SameUserColours(const LightingModel& a, const LightingModel& b) {
    const int p = ProfileIndex(a);
    if (a.tool != b.tool || a.baseColour != b.baseColour || a.userColour != b.userColour)
        return false;
    const auto keys = LightKeys();
    for (size_t i = 0; i < keys.size(); ++i) {
        const int light = keys[i].lightPosition;
        if (PageColour(a.keyColours[p], light) != PageColour(b.keyColours[p], light)) return false;
        // The G keys share one entry of the file, so painting one sets the flag of all nine.
        if (light != kGKeyLightPosition && a.baseFlags[p][i] != b.baseFlags[p][i]) return false;
    }
    return true;
}

void PrintColours(CliSession& s, const LightingModel& m) {
    const int profile = ProfileIndex(m);
    const auto keys = LightKeys();
    if (s.json) {
        nlohmann::json list = nlohmann::json::array();
        for (size_t i = 0; i < keys.size(); ++i)
            list.push_back(
                {{"key", LightKeyName(s, keys[i].controlId)},
                 {"position", keys[i].lightPosition},
                 {"colour", ColourText(PageColour(m.keyColours[profile], keys[i].lightPosition))},
                 {"base", bool(m.baseFlags[profile][i])}});
        s.out << nlohmann::json{{"profile", m.activeProfile},
                                {"userMode", m.userMode},
                                {"userModeName", UserModeName(m)},
                                {"tool", ToolName(m.tool)},
                                {"baseColour", ColourText(m.baseColour)},
                                {"freeColour", ColourText(m.userColour)},
                                {"keys", list}}
                     .dump(2)
              << '\n';
        return;
    }
    s.out << "Profile " << m.activeProfile << ", user mode " << m.userMode << " \""
          << UserModeName(m) << "\"\n"
          << "Tool:         " << ToolName(m.tool) << " colour\n"
          << "Base colour:  " << ColourText(m.baseColour) << '\n'
          << "Free colour:  " << ColourText(m.userColour) << '\n';
    for (size_t i = 0; i < keys.size(); ++i) {
        std::string name = LightKeyName(s, keys[i].controlId);
        name.resize(std::max<size_t>(name.size(), 14), ' ');
        s.out << "  " << name
              << ColourText(PageColour(m.keyColours[profile], keys[i].lightPosition))
              << (m.baseFlags[profile][i] ? " base" : "") << '\n';
    }
}

int RunColours(CliSession& s, const ColoursOptions& o) {
    // Everything is understood before the keyboard is touched.
    const bool show = o.show || (o.words.empty() && o.base.empty() && o.all.empty());
    if (o.show && (!o.words.empty() || !o.base.empty() || !o.all.empty()))
        return s.Fail(kExitUsage, "colours show takes no keys, --base or --all.");
    std::vector<Paint> paints;
    {
        for (const std::string& word : o.words) {
            const size_t eq = word.rfind('=');
            if (eq == std::string::npos || eq == 0)
                return s.Fail(kExitUsage, "\"" + word + "\" is not KEY=#RRGGBB or KEY=base.");
            std::string why;
            const std::optional<int> id = ParseLightKey(s, word.substr(0, eq), &why);
            if (!id) return s.Fail(kExitUsage, why + ".");
            const std::string value = word.substr(eq + 1);
            Paint paint{*id, ParseColourText(value)};
            if (!paint.colour && value != "base")
                return s.Fail(kExitUsage, "bad colour \"" + value + "\" for " + word.substr(0, eq) +
                                              ": expected #RRGGBB or base.");
            paints.push_back(paint);
        }
    }
    std::optional<Rgb> base, all;
    if (!o.base.empty() && !(base = ParseColourText(o.base)))
        return s.Fail(kExitUsage, "bad base colour \"" + o.base + "\": expected #RRGGBB.");
    if (!o.all.empty() && !(all = ParseColourText(o.all)))
        return s.Fail(kExitUsage, "bad colour \"" + o.all + "\" for --all: expected #RRGGBB.");

    LightingModel model;
    LightingContext ctx{*s.link, s.paths, s.iniLock};
    if (int code = LoadUserColours(s, model, ctx, o.profile); code != kExitOk) return code;
    if (show) {
        PrintColours(s, model);
        return kExitOk;
    }

    s.ClearLinkFailure();
    // The free colour and its tool, as the user picks them before clicking.
    auto useColour = [&](Rgb colour) {
        if (model.userColour != colour) SetFreeColour(model, s.paths, colour);
        if (model.tool != kToolFreeColour) SetTool(model, s.paths, kToolFreeColour);
    };
    if (all) {
        useColour(*all);
        PaintAllKeysWithTool(model, ctx);
        s.out << "Every key: " << ColourText(*all) << '\n';
    }
    for (const Paint& p : paints) {
        if (p.colour) {
            useColour(*p.colour);
        } else if (model.tool != kToolBaseColour) {
            SetTool(model, s.paths, kToolBaseColour);
        }
        PaintKeyWithTool(model, ctx, p.controlId);
        s.out << LightKeyName(s, p.controlId) << ": "
              << ColourText(p.colour ? *p.colour : model.baseColour)
              << (p.colour ? "" : " (base colour)") << '\n';
    }
    if (base) {
        const auto keys = LightKeys();
        const auto& flags = model.baseFlags[ProfileIndex(model)];
        const long following = std::count(flags.begin(), flags.begin() + keys.size(), true);
        if (SetBaseColour(model, ctx, *base))
            s.out << "Base colour: " << ColourText(*base) << ", keys following it: " << following
                  << '\n';
        else
            s.out << "Base colour: " << ColourText(*base) << " already; nothing written\n";
    }
    if (s.LinkFailed()) return s.FailDevice("writing the key colours");
    // The writes of the user-colour file report nothing: read it back.
    LightingModel stored = model;
    LoadUserMode(stored, s.paths);
    if (!SameUserColours(model, stored))
        return s.Fail(kExitFailed, "the user-colour file " +
                                       ActiveUserColourFile(model, s.paths).string() +
                                       " could not be written; the keyboard has the new colours.");
    if (model.mode != kUserColourMode)
        s.out << "The keyboard shows these colours in lighting mode " << kUserColourMode
              << " (now mode " << model.mode << "): vorlinctl lighting mode=" << kUserColourMode
              << '\n';
    return kExitOk;
}

}  // namespace

void AddColoursCommand(CLI::App& app, CliSession& s, CommandAction& action) {
    auto o = std::make_shared<ColoursOptions>();
    CLI::App* sub = app.add_subcommand(
        "colours",
        "Show the per-key colours of the current user mode (show), or paint keys: KEY=#RRGGBB "
        "paints with that free colour, KEY=base with the base colour; --all paints every key, "
        "--base changes the base colour and the keys that follow it (in that order: --all, "
        "keys, --base)");
    sub->alias("colors");
    AddProfileOption(*sub, o->profile);
    sub->add_option("KEYS", o->words, "KEY=#RRGGBB or KEY=base (KEY: a key name, G1..G9, Fn)");
    sub->add_option("--base", o->base, "New base colour #RRGGBB");
    sub->add_option("--all", o->all, "Paint every key #RRGGBB");
    CLI::App* show = sub->add_subcommand(
        "show", "Every key's colour, and whether it follows the base colour (the default)");
    show->add_flag("--json", s.json, "Print JSON");
    sub->callback([&s, &action, o, show] {
        o->show = show->parsed();
        action = [&s, o] { return RunColours(s, *o); };
    });
}

}  // namespace vorlin
