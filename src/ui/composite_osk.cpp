// Finding an on-screen keyboard.
#include "ui/composite_osk.h"

#include <unistd.h>

#include <system_error>

namespace vorlin {

std::optional<std::filesystem::path> FindOnScreenKeyboard(std::string_view pathList) {
    static constexpr std::string_view kKnown[] = {"onboard", "florence", "matchbox-keyboard",
                                                  "squeekboard", "xvkbd"};
    for (std::string_view name : kKnown) {
        std::string_view rest = pathList;
        while (true) {
            const size_t colon = rest.find(':');
            const std::string_view folder = rest.substr(0, colon);
            // An empty entry is no folder: the current directory is never searched.
            if (!folder.empty() && folder.front() == '/') {
                const std::filesystem::path candidate = std::filesystem::path(folder) / name;
                std::error_code ec;
                if (std::filesystem::is_regular_file(candidate, ec) &&
                    ::access(candidate.c_str(), X_OK) == 0) {
                    return candidate;
                }
            }
            if (colon == std::string_view::npos) break;
            rest.remove_prefix(colon + 1);
        }
    }
    return std::nullopt;
}

}  // namespace vorlin
