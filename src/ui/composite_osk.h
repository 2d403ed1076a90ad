// The editor's on-screen keyboard button: which installed on-screen keyboard to start.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace vorlin {

// The first of the known on-screen keyboards (onboard, florence, matchbox-keyboard, squeekboard,
// xvkbd) found as an executable file in a PATH-style folder list; none when none is installed
// (the dialog then shows "COMPOSITE_OSK_MISSING").
std::optional<std::filesystem::path> FindOnScreenKeyboard(std::string_view pathList);

}  // namespace vorlin
