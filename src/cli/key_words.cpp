// Key names and assignments in words.
#include "cli/key_words.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>

#include "keys/key_codes.h"
#include "keys/key_table.h"
#include "platform/utf.h"
#include "skin/key_names.h"
#include "skin/language.h"
#include "store/macro_list.h"

namespace vorlin {
namespace {

constexpr KeyCode kFirstGKey = 0x200;  // G1
constexpr int kGKeys = 9;

struct MouseWord {
    const char* word;
    KeyCode code;
};
constexpr MouseWord kMouseWords[] = {
    {"left", 0x171},     {"right", 0x172},      {"middle", 0x173},
    {"wheel-up", 0x161}, {"wheel-down", 0x162},
};

const char* MouseWordOf(uint32_t code) {
    for (const MouseWord& m : kMouseWords)
        if (m.code == code) return m.word;
    return nullptr;
}

bool StartsWith(const std::string& s, const char* prefix) {
    return s.rfind(prefix, 0) == 0;
}

std::string ShortNameKey(const char* nameKey) {
    std::string key = nameKey;
    if (StartsWith(key, "IDS_KEYBOARD_")) return key.substr(13);
    if (StartsWith(key, "MEDIA_")) return key.substr(6);
    return key;
}

// KeyCodes are 0..0x17F (plain and E0 keys) and the G keys; any other value names no key.
bool IsKeyCodeValue(uint32_t value) {
    return value < 0x180 || (value >= kFirstGKey && value < kFirstGKey + kGKeys);
}

std::string Hex32(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", value);
    return text;
}

std::string MacroName(const MacroRecord& r) {
    return Utf16ToUtf8(r.Name());
}

// Edits (insert, delete, replace) that turn a into b.
size_t EditDistance(const std::string& a, const std::string& b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

}  // namespace

std::string NormaliseName(const std::string& name) {
    std::string out;
    for (unsigned char c : name)
        if (c != ' ' && c != '-' && c != '_') out += static_cast<char>(std::tolower(c));
    return out;
}

std::optional<KeyCode> ParseKeyName(const LanguageCache& texts, int languageIndex,
                                    const std::string& name) {
    const std::string wanted = NormaliseName(name);
    if (wanted.empty()) return std::nullopt;
    if (wanted.size() == 2 && wanted[0] == 'g' && wanted[1] >= '1' && wanted[1] <= '9')
        return static_cast<KeyCode>(kFirstGKey + (wanted[1] - '1'));
    if (StartsWith(wanted, "0x") && wanted.size() > 2 && wanted.size() <= 5) {
        unsigned code = 0;
        char tail;
        if (std::sscanf(wanted.c_str() + 2, "%x%c", &code, &tail) == 1 && code > 0 &&
            KeyIndexOf(static_cast<KeyCode>(code)) != 0)
            return static_cast<KeyCode>(code);
        return std::nullopt;
    }
    // The language's names first, then the English labels, then the short key names.
    for (int pass = 0; pass < 3; ++pass) {
        for (int index = 1; index < kKeyTableRows; ++index) {
            const KeyRow& row = KeyRowAt(static_cast<KeyIndex>(index));
            if (row.nameKey[0] == '\0' && row.label[0] == '\0') continue;
            const KeyCode code = KeyCodeOf(static_cast<KeyIndex>(index));
            std::string candidate;
            if (pass == 0 && row.nameKey[0] != '\0')
                candidate = LookupText(texts, row.nameKey, languageIndex);
            else if (pass == 1)
                candidate = row.label;
            else if (pass == 2 && row.nameKey[0] != '\0')
                candidate = ShortNameKey(row.nameKey);
            if (!candidate.empty() && candidate != "#Error" && NormaliseName(candidate) == wanted)
                return code;
        }
    }
    return std::nullopt;
}

std::vector<std::string> ClosestKeyNames(const LanguageCache& texts, int languageIndex,
                                         const std::string& name,
                                         std::span<const std::string> extra) {
    const std::string wanted = NormaliseName(name);
    if (wanted.empty()) return {};
    // Every name ParseKeyName takes, with the key it names (extra names count as keys of their
    // own).
    struct Candidate {
        std::string text;
        uint32_t key;
    };
    std::vector<Candidate> candidates;
    for (int index = 1; index < kKeyTableRows; ++index) {
        const KeyRow& row = KeyRowAt(static_cast<KeyIndex>(index));
        const uint32_t code = KeyCodeOf(static_cast<KeyIndex>(index));
        if (row.nameKey[0] != '\0') {
            std::string text = LookupText(texts, row.nameKey, languageIndex);
            if (!text.empty() && text != "#Error") candidates.push_back({text, code});
            candidates.push_back({ShortNameKey(row.nameKey), code});
        }
        if (row.label[0] != '\0') candidates.push_back({row.label, code});
    }
    for (int g = 0; g < kGKeys; ++g)
        candidates.push_back({"G" + std::to_string(g + 1), uint32_t(kFirstGKey + g)});
    for (size_t i = 0; i < extra.size(); ++i)
        candidates.push_back({extra[i], 0x10000u + uint32_t(i)});

    // The nearest spelling of each key.
    std::map<uint32_t, std::pair<size_t, std::string>> best;
    const size_t limit = std::max<size_t>(2, wanted.size() / 3);
    for (const Candidate& c : candidates) {
        const size_t d = EditDistance(wanted, NormaliseName(c.text));
        if (d > limit) continue;
        auto it = best.find(c.key);
        if (it == best.end() || d < it->second.first) best[c.key] = {d, c.text};
    }
    std::vector<std::pair<size_t, std::string>> ranked;
    for (const auto& [key, entry] : best) ranked.push_back(entry);
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> names;
    for (const auto& r : ranked) {
        if (names.size() == 3) break;
        if (std::find(names.begin(), names.end(), r.second) == names.end())
            names.push_back(r.second);
    }
    return names;
}

std::string UnknownKeyText(const LanguageCache& texts, int languageIndex, const std::string& name,
                           std::span<const std::string> extra) {
    std::string text = "unknown key \"" + name + "\"";
    const std::vector<std::string> near = ClosestKeyNames(texts, languageIndex, name, extra);
    for (size_t i = 0; i < near.size(); ++i)
        text += (i == 0 ? (near.size() == 1 ? "; the nearest name is " : "; the nearest names are ")
                 : i + 1 == near.size() ? " and "
                                        : ", ") +
                near[i];
    return text;
}

std::optional<KeyCode> ParseMacroKeyName(const LanguageCache& texts, int languageIndex,
                                         const std::string& name) {
    const size_t colon = name.find(':');
    if (colon != std::string::npos && NormaliseName(name.substr(0, colon)) == "mouse") {
        const std::string word = NormaliseName(name.substr(colon + 1));
        for (const MouseWord& m : kMouseWords)
            if (NormaliseName(m.word) == word) return m.code;
        return std::nullopt;
    }
    return ParseKeyName(texts, languageIndex, name);
}

std::string KeyWordOf(const LanguageCache& texts, int languageIndex, KeyCode code) {
    if (code >= kFirstGKey && code < kFirstGKey + kGKeys)
        return "G" + std::to_string(code - kFirstGKey + 1);
    const KeyRow& row = KeyRowAt(KeyIndexOf(code));
    for (const std::string& word : {std::string(row.label), ShortNameKey(row.nameKey)}) {
        // A name with a colon or an at sign would not survive the action syntax.
        if (word.empty() || word.find_first_of(":@#") != std::string::npos) continue;
        if (ParseKeyName(texts, languageIndex, word) == code) return word;
    }
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%X", static_cast<unsigned>(code));
    return hex;
}

std::string EntryName(const LanguageCache& texts, int languageIndex, KeyIndex entry) {
    if (entry >= 256 && entry < 256 + kGKeys) return "G" + std::to_string(entry - 255);
    if (entry >= 256 + kGKeys && entry < 256 + 2 * kGKeys)
        return "G" + std::to_string(entry - 255 - kGKeys) + " (second set)";
    return KeyName(texts, languageIndex, KeyCodeOf(entry));
}

ParsedAction ParseAction(const LanguageCache& texts, int languageIndex, const ConfigStore& work,
                         const std::string& text) {
    ParsedAction out;
    KeyAction& a = out.action;
    const std::string lower = NormaliseName(text);
    const size_t colon = text.find(':');
    const std::string kind = colon == std::string::npos ? "" : NormaliseName(text.substr(0, colon));
    const std::string arg = colon == std::string::npos ? "" : text.substr(colon + 1);
    if (lower == "default") {
        a.type = kActionDefault;
    } else if (lower == "disabled" || lower == "disable") {
        a.type = kActionDisabled;
    } else if (kind == "mouse") {
        for (const MouseWord& m : kMouseWords)
            if (NormaliseName(m.word) == NormaliseName(arg)) {
                a.type = kActionKey;
                a.value = m.code;
                return out;
            }
        out.error =
            "unknown mouse action \"" + arg + "\"; use left, right, middle, wheel-up or wheel-down";
    } else if (kind == "media") {
        const std::string wanted = NormaliseName(arg);
        for (int i = 0; i < kMediaCount; ++i) {
            const KeyCode code = MediaList()[i].code;
            const KeyRow& row = KeyRowAt(KeyIndexOf(code));
            if (NormaliseName(KeyName(texts, languageIndex, code)) == wanted ||
                NormaliseName(row.label) == wanted ||
                NormaliseName(ShortNameKey(row.nameKey)) == wanted) {
                a.type = kActionMedia;
                a.value = static_cast<uint32_t>(i);
                return out;
            }
        }
        std::string names;
        for (int i = 0; i < kMediaCount; ++i)
            names += (i ? ", " : "") + KeyName(texts, languageIndex, MediaList()[i].code);
        out.error = "unknown media function \"" + arg + "\"; use one of: " + names;
    } else if (kind == "function") {
        int n = 0;
        char tail;
        if (std::sscanf(arg.c_str(), "%d%c", &n, &tail) == 1 && n >= 1 && n <= kFunctionCount) {
            a.type = kActionFunction;
            a.value = static_cast<uint32_t>(n - 1);
        } else {
            out.error = "bad function \"" + arg + "\"; use 1.." + std::to_string(kFunctionCount);
        }
    } else if (kind == "macro") {
        std::lock_guard<std::recursive_mutex> guard(work.lock);
        for (const MacroRecord& r : work.macros)
            if (MacroName(r) == arg) {
                a.type = kActionMacro;
                a.value = r.macroId;
                a.extra = r.repeatCount;
                return out;
            }
        std::string names;
        for (const MacroRecord& r : work.macros)
            names += (names.empty() ? "" : ", ") + MacroName(r);
        out.error = "no macro named \"" + arg + "\"" +
                    (names.empty() ? std::string("; the profile has no macros")
                                   : "; the profile's macros are: " + names);
    } else if (std::optional<KeyCode> code = ParseKeyName(texts, languageIndex, text)) {
        if (*code >= kFirstGKey) {
            out.error = "a macro key cannot be sent by another key";
        } else {
            if (!KeyboardCanSend(*code))
                out.error = "\"" + text +
                            "\" cannot be given to a key: the keyboard has no code to send for it";
            a.type = kActionKey;
            a.value = *code;
        }
    } else {
        out.error = "unknown key or action \"" + text +
                    "\"; use a key name, mouse:..., media:..., function:N, macro:NAME, default "
                    "or disabled";
    }
    return out;
}

std::string DescribeAction(const LanguageCache& texts, int languageIndex, const ConfigStore& work,
                           int table, KeyIndex entry) {
    std::lock_guard<std::recursive_mutex> guard(work.lock);
    if (!work.image) return "default";
    const KeyAction& a = work.image->tables[table][entry];
    const int slot = table * kKeyActionsPerTable + entry;
    switch (a.type) {
        case kActionDefault:
            return "default";
        case kActionDisabled:
            return "disabled";
        case kActionKey:
            if (const char* m = MouseWordOf(a.value)) return std::string("mouse:") + m;
            if (!IsKeyCodeValue(a.value)) return "unknown value " + Hex32(a.value);
            return KeyName(texts, languageIndex, static_cast<KeyCode>(a.value));
        case kActionLaunch:
            return "launch: " + Utf16ToUtf8(work.strings.Text(slot));
        case kActionMacro: {
            const uint16_t id = static_cast<uint16_t>(a.value);
            for (const MacroRecord& r : work.macros)
                if (r.macroId == id)
                    return "macro:" + MacroName(r) + " (id " + std::to_string(id) + ")";
            return "macro id " + std::to_string(id) + " (not in the macro list)";
        }
        case kActionStopMacro:
            return "stop macro";
        case kActionText:
            return "text: " + Utf16ToUtf8(work.strings.Text(slot));
        case kActionMedia:
            if (a.value < static_cast<uint32_t>(kMediaCount))
                return "media:" + KeyName(texts, languageIndex, MediaList()[a.value].code);
            return "media index " + std::to_string(a.value) + " (unknown)";
        case kActionFunction:
            if (a.value < static_cast<uint32_t>(kFunctionCount))
                return "function:" + std::to_string(a.value + 1) + " (" +
                       LookupText(texts, FunctionNameKey(static_cast<int>(a.value)),
                                  languageIndex) +
                       ")";
            return "function index " + std::to_string(a.value) + " (unknown)";
        default:
            return "unknown type " + std::to_string(a.type);
    }
}

}  // namespace vorlin
