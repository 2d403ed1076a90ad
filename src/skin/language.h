// Language texts: every user-visible text is looked up by key in the language file of the
// chosen language ("Lang0409.ini", "Lang0416.ini" beside the executable); "#Error" when missing.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/app_paths.h"
#include "platform/ini_file.h"

namespace vorlin {

constexpr int kLanguageTable[2] = {1033, 1046};

// The language chosen by the stored "LANGUAGE" value, or on first run by the system's default
// language (then stored). 0 English, 1 Portuguese (Brazil).
int LanguageIndex(const AppPaths& paths, IniLock& lock);
// The same choice with the system default given, for callers and tests that know it.
int ChooseLanguageIndex(const AppPaths& paths, IniLock& lock, uint16_t systemLanguageId);
// 3076 becomes 1033, 4100 becomes 1046, anything else but 1033 and 1046 becomes 1033.
uint16_t LanguageIdForSystemDefault(uint16_t systemLanguageId);

// exeFolder/"Lang%04X.ini" of the table entry; an index outside the table counts as 0.
std::filesystem::path LanguageFilePath(const AppPaths& paths, int languageIndex);

// The parsed language files of one application, and the lookups through them. Texts come from
// the file as it is on disk: a parsed copy is reused only while the file is unchanged (an edit,
// replacement or removal shows at the next lookup, or within 0.2 s for a file that had not
// changed for a few seconds before). The application context owns one, beside the paths it
// reads from; lookups may come from any thread.
class LanguageCache {
  public:
    explicit LanguageCache(const AppPaths& paths);
    ~LanguageCache();
    LanguageCache(const LanguageCache&) = delete;
    LanguageCache& operator=(const LanguageCache&) = delete;

    const AppPaths& paths() const { return paths_; }
    // The value in the language file of the index; nullopt when the file or the key is missing.
    std::optional<std::string> Find(int languageIndex, std::string_view section,
                                    std::string_view key) const;

  private:
    class Files;
    const AppPaths& paths_;
    std::unique_ptr<Files> files_;  // holds its own lock
};

// A missing file or key gives "#Error", a key with an empty value gives an empty text.
std::string LookupText(const LanguageCache& texts, std::string_view key, int languageIndex);
std::string LookupLightText(const LanguageCache& texts, std::string_view key, int languageIndex);
std::string LookupModeName(const LanguageCache& texts, int mode, int languageIndex);

}  // namespace vorlin
