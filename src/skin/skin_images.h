// How skin image files are named: the windows load "name.jpg" or "name.bmp" as the layout files
// and the code give them, and on a screen of device pixel ratio 2 the same picture drawn at twice
// the size, "name@2x.png" beside it. The generator writes both under these names.
#pragma once

#include <string>
#include <string_view>

namespace vorlin {

// "main_normal.jpg" -> "main_normal@2x.png"; a name without an extension gets "@2x.png" added.
std::string HiDpiImageName(std::string_view name);

}  // namespace vorlin
