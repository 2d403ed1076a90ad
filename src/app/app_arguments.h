// The desktop application's command line: "/Start" and "/Kill" (any letter case, also --start and
// --kill), and the simulated keyboard as vorlinctl takes it. Anything else is named and ignored,
// since session managers and launchers pass arguments of their own.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vorlin {

struct AppArguments {
    bool start = false;  // stay hidden when the keyboard is first found
    bool kill = false;   // make a running copy exit, then end
    bool simulate = false;
    std::string simulateModel;  // "" = the state file's model, else the default one
    std::optional<std::string> simState;
    std::vector<std::string> unknown;  // in the order given
};

// args excludes the program name.
AppArguments ParseAppArguments(std::span<const std::string_view> args);

}  // namespace vorlin
