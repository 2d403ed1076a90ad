#include "skin/skin_layout.h"

#include <cctype>
#include <charconv>

#include "platform/ini_file.h"

namespace vorlin {

namespace {

// One "%d": skips blanks, then an optional sign and digits. False when no number is there or
// it does not fit an int.
bool ReadInt(std::string_view text, size_t& at, int& out) {
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
    size_t start = at;
    if (at < text.size() && text[at] == '+') {
        ++at;
        start = at;
        if (at < text.size() && text[at] == '-') return false;
    }
    const char* first = text.data() + start;
    const char* last = text.data() + text.size();
    int value = 0;
    auto [end, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || end == first) return false;
    at = static_cast<size_t>(end - text.data());
    out = value;
    return true;
}

}  // namespace

LayoutRect ParseLayoutValue(std::string_view value) {
    LayoutRect r;
    int* fields[] = {&r.x, &r.y, &r.w, &r.h};
    size_t at = 0;
    for (size_t i = 0; i < 4; ++i) {
        if (i > 0) {
            if (at >= value.size() || value[at] != ',') break;
            ++at;
        }
        if (!ReadInt(value, at, *fields[i])) break;
    }
    return r;
}

LayoutRect ReadLayoutRect(const std::filesystem::path& layoutFile, std::string_view section,
                          std::string_view key) {
    return ParseLayoutValue(IniRead(layoutFile, section, key, kMissingLayoutValue));
}

SkinScreen ReadSkinScreen(const std::filesystem::path& layoutFile) {
    SkinScreen s;
    auto doc = IniDocument::Load(layoutFile);
    auto find = [&](std::string_view key) -> std::string {
        if (!doc) return {};
        auto v = doc->Find(kScreenSection, key);
        return v ? *v : std::string();
    };
    s.background = find("Main");
    s.mask = find("Mask");
    if (s.mask.empty()) s.mask = s.background;
    s.link = find("Link");
    if (s.link.empty()) s.link = std::string(kDefaultSkinLink);
    return s;
}

}  // namespace vorlin
