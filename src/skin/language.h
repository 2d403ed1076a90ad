// Language texts: every user-visible text is looked up by key in the language file of the
// chosen language ("Lang0409.ini", "Lang0416.ini" beside the executable); "#Error" when missing.
#pragma once

#include <string>
#include <string_view>

#include "platform/app_paths.h"

namespace vorlin {

constexpr int kLanguageTable[2] = {1033, 1046};

int LanguageIndex(const AppPaths& paths);
std::string LookupText(const AppPaths& paths, std::string_view key, int languageIndex);
std::string LookupLightText(const AppPaths& paths, std::string_view key, int languageIndex);
std::string LookupModeName(const AppPaths& paths, int mode, int languageIndex);

}  // namespace vorlin
