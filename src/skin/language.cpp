// Language choice and text lookup.
#include "skin/language.h"

#include <cstdio>
#include <iterator>
#include <optional>

#include "platform/ini_file.h"
#include "platform/locale_language.h"
#include "platform/settings.h"

namespace vorlin {
namespace {

constexpr std::string_view kMissingText = "#Error";
constexpr int kLanguageCount = static_cast<int>(std::size(kLanguageTable));

std::string Lookup(const AppPaths& paths, std::string_view section, std::string_view key,
                   int languageIndex) {
    return IniRead(LanguageFilePath(paths, languageIndex), section, key, kMissingText);
}

}  // namespace

uint16_t LanguageIdForSystemDefault(uint16_t systemLanguageId) {
    uint16_t id = systemLanguageId;
    if (id == 3076) id = 1033;
    if (id == 4100) id = 1046;
    if (id != 1033 && id != 1046) id = 1033;
    return id;
}

int ChooseLanguageIndex(const AppPaths& paths, uint16_t systemLanguageId) {
    std::optional<uint32_t> value = RegistryReadDword(paths, "LANGUAGE");
    if (!value) {
        // A store that cannot even take the value counts as a key that cannot be opened.
        if (!RegistryWriteDword(paths, "LANGUAGE", 0)) return 0;
        value = 0;
    }
    if (*value == 0) {
        value = LanguageIdForSystemDefault(systemLanguageId);
        RegistryWriteDword(paths, "LANGUAGE", *value);
    }
    for (int i = 0; i < kLanguageCount; ++i) {
        if (static_cast<uint32_t>(kLanguageTable[i]) == *value) return i;
    }
    return 0;
}

int LanguageIndex(const AppPaths& paths) {
    return ChooseLanguageIndex(paths, SystemDefaultLanguageId());
}

std::filesystem::path LanguageFilePath(const AppPaths& paths, int languageIndex) {
    if (languageIndex < 0 || languageIndex >= kLanguageCount) languageIndex = 0;
    char name[32];
    std::snprintf(name, sizeof name, "Lang%04X.ini", kLanguageTable[languageIndex]);
    return paths.exeFolder / name;
}

std::string LookupText(const AppPaths& paths, std::string_view key, int languageIndex) {
    return Lookup(paths, "TEXT", key, languageIndex);
}

std::string LookupLightText(const AppPaths& paths, std::string_view key, int languageIndex) {
    return Lookup(paths, "LIGHT", key, languageIndex);
}

std::string LookupModeName(const AppPaths& paths, int mode, int languageIndex) {
    return Lookup(paths, "MODE", std::to_string(mode), languageIndex);
}

}  // namespace vorlin
