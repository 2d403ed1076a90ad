// Is a language file complete? Every key the program looks up, in its section, with a text.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace vorlin {

struct LanguageFileCheck {
    std::filesystem::path file;
    bool readable = false;
    size_t wanted = 0;                 // keys looked for
    std::vector<std::string> missing;  // "[SECTION] KEY" of each key absent or empty
    bool Complete() const { return readable && missing.empty(); }
};

LanguageFileCheck CheckLanguageFile(const std::filesystem::path& file);

}  // namespace vorlin
