#include "app/app_arguments.h"

#include <algorithm>
#include <cctype>

namespace vorlin {

namespace {

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

AppArguments ParseAppArguments(std::span<const std::string_view> args) {
    constexpr std::string_view kSimulate = "--simulate";
    constexpr std::string_view kSimState = "--sim-state";
    AppArguments out;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        if (EqualsNoCase(a, "/Start") || EqualsNoCase(a, "--start")) {
            out.start = true;
        } else if (EqualsNoCase(a, "/Kill") || EqualsNoCase(a, "--kill")) {
            out.kill = true;
        } else if (a == kSimulate) {
            out.simulate = true;
        } else if (a.starts_with(kSimulate) && a.size() > kSimulate.size() &&
                   a[kSimulate.size()] == '=') {
            out.simulate = true;
            out.simulateModel = std::string(a.substr(kSimulate.size() + 1));
        } else if (a == kSimState && i + 1 < args.size()) {
            out.simState = std::string(args[++i]);
        } else if (a.starts_with(kSimState) && a.size() > kSimState.size() &&
                   a[kSimState.size()] == '=') {
            out.simState = std::string(a.substr(kSimState.size() + 1));
        } else {
            out.unknown.emplace_back(a);
        }
    }
    return out;
}

}  // namespace vorlin
