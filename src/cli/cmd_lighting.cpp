// lighting: prints a profile's lighting, or changes it with the same writes the lighting panel
// makes (each setting its own begin/write/end sequence, sent at once).
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <optional>

#include "cli/cli_commands.h"
#include "cli/cli_context.h"
#include "cli/cli_lighting.h"
#include "skin/language.h"
#include "store/device_state.h"
#include "store/lighting_edits.h"
#include "store/lighting_model.h"
#include "store/lighting_modes.h"

namespace vorlin {
namespace {

struct LightingOptions {
    int profile = -1;  // -1: the active profile
    std::vector<std::string> settings;
};

struct Settings {
    std::optional<std::string> mode;
    std::optional<int> brightness, speed, direction, rate, choice;
    std::optional<Rgb> colour;
    std::optional<bool> multicolour;
};

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::optional<int> SmallNumber(const std::string& v, int max) {
    if (v.empty() || v.size() > 2 || !std::all_of(v.begin(), v.end(), ::isdigit)) return {};
    int n = std::stoi(v);
    if (n > max) return {};
    return n;
}

constexpr const char* kChoiceNames[] = {"red", "yellow", "green", "blue"};

// Empty on success, else what is wrong.
std::string ParseSettings(const std::vector<std::string>& words, Settings& out) {
    for (const std::string& word : words) {
        const size_t eq = word.find('=');
        if (eq == std::string::npos) return "\"" + word + "\" is not of the form name=value";
        const std::string name = Lower(word.substr(0, eq));
        const std::string value = word.substr(eq + 1);
        const std::string v = Lower(value);
        auto bad = [&](const char* expected) {
            return "bad value \"" + value + "\" for " + name + ": expected " + expected;
        };
        if (name == "mode") {
            if (value.empty()) return bad("a mode name or number");
            out.mode = value;
        } else if (name == "brightness") {
            if (!(out.brightness = SmallNumber(v, kMaxBrightness))) return bad("0..5");
        } else if (name == "speed") {
            if (!(out.speed = SmallNumber(v, kMaxSpeed))) return bad("0..5");
        } else if (name == "rate") {
            if (!(out.rate = SmallNumber(v, kReportRates - 1))) return bad("0..3");
        } else if (name == "direction") {
            if (v == "left" || v == "up" || v == "spread")
                out.direction = kDirectionLeft;
            else if (v == "right" || v == "down" || v == "converge")
                out.direction = kDirectionRight;
            else
                return bad("left, right, up, down, spread or converge");
        } else if (name == "colour" || name == "color") {
            if (!(out.colour = ParseColourText(v))) return bad("#RRGGBB");
        } else if (name == "multicolour" || name == "multicolor") {
            if (v == "on")
                out.multicolour = true;
            else if (v == "off")
                out.multicolour = false;
            else
                return bad("on or off");
        } else if (name == "choice") {
            auto it = std::find(std::begin(kChoiceNames), std::end(kChoiceNames), v);
            if (it == std::end(kChoiceNames)) return bad("red, yellow, green or blue");
            out.choice = int(it - std::begin(kChoiceNames));
        } else {
            return "unknown setting \"" + name +
                   "\"; use mode, brightness, speed, direction, colour, multicolour, rate or "
                   "choice";
        }
    }
    return {};
}

const char* DirectionName(int mode, int direction) {
    const ModeParameters* p = FindModeParameters(mode);
    const bool left = direction == kDirectionLeft;
    if (!p || p->direction == ModeDirection::kNone) return nullptr;
    if (p->direction == ModeDirection::kUpDown) return left ? "up" : "down";
    if (p->direction == ModeDirection::kSpreadConverge) return left ? "spread" : "converge";
    return left ? "left" : "right";
}

// Finds an offered mode by number or (case-insensitive) name; 0 when none.
int ResolveMode(CliSession& s, const LightingModel& model, const std::string& text) {
    for (const ModeIndexEntry& e : model.modeIndexTable) {
        if (text == std::to_string(e.mode)) return e.mode;
        if (Lower(LookupModeName(s.texts, e.mode, s.languageIndex)) == Lower(text)) return e.mode;
    }
    return 0;
}

void PrintLighting(CliSession& s, const LightingModel& m) {
    const ModeParameters* p = FindModeParameters(m.mode);
    const std::string name = LookupModeName(s.texts, m.mode, s.languageIndex);
    const char* direction = DirectionName(m.mode, m.direction);
    const int speedPosition = kMaxSpeed - std::clamp(m.speed, 0, kMaxSpeed);
    if (s.json) {
        nlohmann::json j = {{"profile", m.activeProfile},
                            {"mode", m.mode},
                            {"modeName", name},
                            {"brightness", m.brightness},
                            {"speed", speedPosition},
                            {"rate", m.reportRate},
                            {"colour", ColourText(m.colour)},
                            {"multicolour", m.multicolour}};
        if (direction) j["direction"] = direction;
        if (p && p->extra == ModeExtra::kColourChoice && m.colourChoice >= 0 &&
            m.colourChoice < kColourChoices)
            j["choice"] = kChoiceNames[m.colourChoice];
        s.out << j.dump(2) << '\n';
        return;
    }
    s.out << "Profile:      " << m.activeProfile << '\n'
          << "Mode:         " << m.mode << ' ' << name << '\n'
          << "Brightness:   " << m.brightness << '\n';
    if (!p || p->speed) s.out << "Speed:        " << speedPosition << '\n';
    if (direction) s.out << "Direction:    " << direction << '\n';
    if (!p || p->colour != ModeColour::kNone)
        s.out << "Colour:       " << ColourText(m.colour) << '\n'
              << "Multicolour:  " << (m.multicolour ? "on" : "off") << '\n';
    if (p && p->extra == ModeExtra::kColourChoice && m.colourChoice >= 0 &&
        m.colourChoice < kColourChoices)
        s.out << "Choice:       " << kChoiceNames[m.colourChoice] << '\n';
    s.out << "Report rate:  " << m.reportRate << '\n';
}

int RunLighting(CliSession& s, const LightingOptions& o) {
    Settings settings;
    if (std::string why = ParseSettings(o.settings, settings); !why.empty())
        return s.Fail(kExitUsage, why + ".");
    if (int code = s.Connect(); code != kExitOk) return code;

    LightingModel model;
    LightingContext ctx{*s.link, s.paths, s.iniLock};
    DeviceStateBlock state;
    s.ClearLinkFailure();
    if (const int r = ReadDeviceState(*s.link, state); r != kDone)
        return s.FailDevice("reading the keyboard's state", r);
    model.activeProfile = o.profile >= 0 ? o.profile : state.activeProfile();
    s.ClearLinkFailure();
    if (LoadLighting(model, ctx) != 0 || s.LinkFailed())
        return s.FailDevice("reading the lighting");

    const bool changing = settings.mode || settings.brightness || settings.speed ||
                          settings.direction || settings.colour || settings.multicolour ||
                          settings.rate || settings.choice;
    if (!changing) {
        PrintLighting(s, model);
        return kExitOk;
    }

    // Check everything before the first write, so a bad setting changes nothing.
    int mode = model.mode;
    if (settings.mode) {
        mode = ResolveMode(s, model, *settings.mode);
        if (mode == 0)
            return s.Fail(kExitUsage, "the keyboard offers no lighting mode \"" + *settings.mode +
                                          "\"; `vorlinctl info` lists the offered modes.");
        if (!FindModeParameters(mode))
            return s.Fail(kExitUsage, "mode " + std::to_string(mode) +
                                          " has no settings the keyboard takes; it cannot be "
                                          "selected.");
    }
    const ModeParameters* p = FindModeParameters(mode);
    const std::string modeText = "mode " + std::to_string(mode);
    if (settings.speed && p && !p->speed) return s.Fail(kExitUsage, modeText + " has no speed.");
    if (settings.direction && (!p || p->direction == ModeDirection::kNone))
        return s.Fail(kExitUsage, modeText + " has no direction.");
    if ((settings.colour || settings.multicolour) && (!p || p->colour == ModeColour::kNone))
        return s.Fail(kExitUsage, modeText + " has no colour.");
    if (settings.choice && (!p || p->extra != ModeExtra::kColourChoice))
        return s.Fail(kExitUsage, modeText + " has no colour choice.");

    s.ClearLinkFailure();
    DeviceLink& link = *s.link;
    if (settings.mode) SelectModeNumber(model, link, mode);
    if (settings.brightness) SetBrightness(model, link, *settings.brightness);
    if (settings.speed) SetSpeedPosition(model, link, *settings.speed);
    if (settings.direction) SetDirection(model, link, *settings.direction);
    if (settings.colour) SetColour(model, link, *settings.colour);
    if (settings.multicolour && *settings.multicolour != model.multicolour)
        ToggleMulticolour(model, link);
    if (settings.choice) SetColourChoice(model, link, *settings.choice);
    if (settings.rate) SetReportRate(model, link, *settings.rate);
    if (s.LinkFailed()) return s.FailDevice("changing the lighting");

    // Read back what the keyboard now holds.
    LightingModel after;
    after.activeProfile = model.activeProfile;
    if (LoadLighting(after, ctx) != 0 || s.LinkFailed())
        return s.FailDevice("reading the lighting back");
    PrintLighting(s, after);
    return kExitOk;
}

}  // namespace

void AddLightingCommand(CLI::App& app, CliSession& s, CommandAction& action) {
    auto o = std::make_shared<LightingOptions>();
    CLI::App* sub = app.add_subcommand(
        "lighting",
        "Print a profile's lighting, or change it: mode=NAME|N brightness=0..5 speed=0..5 "
        "direction=left|right|up|down|spread|converge colour=#RRGGBB multicolour=on|off "
        "rate=0..3 choice=red|yellow|green|blue");
    AddProfileOption(*sub, o->profile);
    sub->add_option("settings", o->settings,
                    "Settings as name=value; speed is the panel's slider position");
    sub->add_flag("--json", s.json, "Print JSON");
    sub->callback([&s, &action, o] { action = [&s, o] { return RunLighting(s, *o); }; });
}

}  // namespace vorlin
