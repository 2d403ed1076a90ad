// Lighting in words for the lighting, colours and user-mode commands: colours as #RRGGBB, the
// keys of the keyboard picture that carry a light, and the user colours of a profile loaded as
// the main window holds them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/cli_context.h"
#include "store/lighting_model.h"

namespace vorlin {

// "#1A2B3C" (either case); nullopt for anything else.
std::optional<Rgb> ParseColourText(const std::string& text);
std::string ColourText(Rgb colour);

// A key whose colour the user-colour mode keeps, by name: a key name, G1..G9 or Fn. The control
// id of its key button, or the error sentence (without its full stop) in *error.
std::optional<int> ParseLightKey(CliSession& s, const std::string& name, std::string* error);
// The name of a light key's button: its key's name, G1..G9 or Fn.
std::string LightKeyName(CliSession& s, int controlId);

// Connects and loads the lighting of the profile (the active one for -1) with its user-colour
// file's current user mode, as showing that profile's lighting does, but without writing the
// keyboard. Refused when the keyboard offers no user colours. kExitOk or the error printed.
int LoadUserColours(CliSession& s, LightingModel& model, LightingContext& ctx, int profile);

}  // namespace vorlin
