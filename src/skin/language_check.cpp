// The keys a language file must hold: window texts, key and list names, lighting captions and
// the names of the lighting modes.
#include "skin/language_check.h"

#include <set>
#include <string_view>
#include <utility>

#include "keys/key_table.h"
#include "platform/ini_file.h"
#include "skin/text_keys.h"

namespace vorlin {

LanguageFileCheck CheckLanguageFile(const std::filesystem::path& file) {
    LanguageFileCheck check;
    check.file = file;
    std::set<std::string> text;
    for (std::string_view key : WindowTextKeys()) text.emplace(key);
    for (const KeyRow& row : KeyTable())
        if (row.nameKey[0] != '\0') text.emplace(row.nameKey);
    for (int f = 0; f < kFunctionCount; ++f) text.emplace(FunctionNameKey(f));
    for (const MouseEntry& m : MouseList()) text.emplace(m.nameKey);
    std::set<std::string> light(LightTextKeys().begin(), LightTextKeys().end());
    std::set<std::string> modes;
    for (int mode = kFirstNamedMode; mode <= kLastNamedMode; ++mode)
        modes.insert(std::to_string(mode));
    const std::pair<const char*, const std::set<std::string>*> sections[] = {
        {"TEXT", &text}, {"LIGHT", &light}, {"MODE", &modes}};
    for (const auto& [section, keys] : sections) check.wanted += keys->size();

    const auto doc = IniDocument::Load(file);
    if (!doc) return check;
    check.readable = true;
    for (const auto& [section, keys] : sections) {
        for (const std::string& key : *keys) {
            const auto value = doc->Find(section, key);
            if (!value || value->empty())
                check.missing.push_back(std::string("[") + section + "] " + key);
        }
    }
    return check;
}

}  // namespace vorlin
