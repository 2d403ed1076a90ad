#include "skin/skin_images.h"

namespace vorlin {

std::string HiDpiImageName(std::string_view name) {
    const size_t dot = name.rfind('.');
    const size_t slash = name.find_last_of("/\\");
    // A dot inside a folder name or leading a hidden file's name is no extension.
    const bool hasExtension = dot != std::string_view::npos && dot != 0 &&
                              (slash == std::string_view::npos || dot > slash + 1);
    std::string stem(hasExtension ? name.substr(0, dot) : name);
    return stem + "@2x.png";
}

}  // namespace vorlin
