// Colours, light keys and user colours in words.
#include "cli/cli_lighting.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "cli/key_words.h"
#include "device/protocol.h"
#include "skin/key_names.h"
#include "store/device_state.h"
#include "store/lighting_keys.h"
#include "store/lighting_modes.h"
#include "store/profile_file.h"
#include "ui/keyboard_layout.h"

namespace vorlin {
namespace {

constexpr KeyCode kFirstGKey = 0x200;
constexpr int kGIds[] = {keyctl::kG1, keyctl::kG2, keyctl::kG3, keyctl::kG4, keyctl::kG5,
                         keyctl::kG6, keyctl::kG7, keyctl::kG8, keyctl::kG9};

}  // namespace

std::optional<Rgb> ParseColourText(const std::string& text) {
    if (text.size() != 7 || text[0] != '#' ||
        !std::all_of(text.begin() + 1, text.end(),
                     [](unsigned char c) { return std::isxdigit(c) != 0; }))
        return std::nullopt;
    unsigned r, g, b;
    if (std::sscanf(text.c_str(), "#%2x%2x%2x", &r, &g, &b) != 3) return std::nullopt;
    return MakeRgb(int(r), int(g), int(b));
}

std::string ColourText(Rgb c) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%02X%02X%02X", RedOf(c), GreenOf(c), BlueOf(c));
    return buf;
}

std::optional<int> ParseLightKey(CliSession& s, const std::string& name, std::string* error) {
    if (NormaliseName(name) == "fn") return keyctl::kFn;
    const std::optional<KeyCode> code = ParseKeyName(s.texts, s.languageIndex, name);
    if (!code) {
        const std::string extra[] = {"Fn"};
        *error = UnknownKeyText(s.texts, s.languageIndex, name, extra);
        return std::nullopt;
    }
    if (*code >= kFirstGKey) return kGIds[*code - kFirstGKey];
    for (const PictureKey& k : KeyboardPicture())
        if (k.keyCode == *code && LightKeyIndex(k.controlId) >= 0) return k.controlId;
    *error = "\"" + name + "\" has no light of its own";
    return std::nullopt;
}

std::string LightKeyName(CliSession& s, int controlId) {
    const PictureKey* k = FindPictureKey(controlId);
    if (!k) return std::to_string(controlId);
    if (k->keyCode == 0) return k->label;  // G1..G9, Fn
    return KeyName(s.texts, s.languageIndex, k->keyCode);
}

int LoadUserColours(CliSession& s, LightingModel& model, LightingContext& ctx, int profile) {
    if (int code = s.Connect(); code != kExitOk) return code;
    // The application makes the user folder, with copies of the shipped colour files, at start.
    EnsureUserFolder(s.paths);
    DeviceStateBlock state;
    s.ClearLinkFailure();
    if (const int r = ReadDeviceState(*s.link, state); r != kDone)
        return s.FailDevice("reading the keyboard's state", r);
    model.activeProfile = profile >= 0 ? profile : state.activeProfile();
    s.ClearLinkFailure();
    if (LoadLighting(model, ctx) != 0 || s.LinkFailed())
        return s.FailDevice("reading the lighting");
    if (!OffersUserColours(model))
        return s.Fail(kExitFailed, "this keyboard offers no user colours (lighting mode " +
                                       std::to_string(kUserColourMode) +
                                       " is not among its modes).");
    FillUserModeList(model, ctx.paths);
    LoadUserMode(model, ctx.paths);
    return kExitOk;
}

}  // namespace vorlin
