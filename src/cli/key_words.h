// Key names and key assignments in words, both ways: what `assign` accepts and what `show`
// prints. Names come from the chosen language file; the English labels of the key table and
// the short language-key names (LCTRL, ESC, ...) are accepted too, without regard to case,
// spaces, '-' or '_'.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "keys/key_action.h"
#include "skin/language.h"
#include "store/config_store.h"

namespace vorlin {

// "A", "Left Ctrl", "lctrl", "G3", "0x1E" (a KeyCode in hex); nullopt when nothing matches.
std::optional<KeyCode> ParseKeyName(const LanguageCache& texts, int languageIndex,
                                    const std::string& name);
// The known key names closest to one that matched nothing, nearest first and at most three (one
// per key); extra names (such as "Fn") take part too. Empty when none is near.
std::vector<std::string> ClosestKeyNames(const LanguageCache& texts, int languageIndex,
                                         const std::string& name,
                                         std::span<const std::string> extra = {});
// `unknown key "NAME"`, followed by "; the nearest names are A, B and C" when some are near.
std::string UnknownKeyText(const LanguageCache& texts, int languageIndex, const std::string& name,
                           std::span<const std::string> extra = {});
// The key of a macro action: a key name, or mouse:left|right|middle|wheel-up|wheel-down.
std::optional<KeyCode> ParseMacroKeyName(const LanguageCache& texts, int languageIndex,
                                         const std::string& name);
// A name of the key that ParseKeyName reads back as that same key in this language, for files
// written to be read again: the English label where it is unambiguous, else the short language
// key name, else the code in hex.
std::string KeyWordOf(const LanguageCache& texts, int languageIndex, KeyCode code);

// The name of a key-table entry (G keys by their G number).
std::string EntryName(const LanguageCache& texts, int languageIndex, KeyIndex entry);

struct ParsedAction {
    KeyAction action;
    std::string error;  // empty when the action was understood
};
// A key name, mouse:left|right|middle|wheel-up|wheel-down, media:NAME, function:1..11,
// macro:NAME (a macro of the store), default or disabled.
ParsedAction ParseAction(const LanguageCache& texts, int languageIndex, const ConfigStore& work,
                         const std::string& text);

// The assignment of one table entry in words, in the syntax ParseAction takes where one exists
// ("mouse:left", "media:Mute", "macro:Fire (id 2)", "launch: C:\\x.exe").
std::string DescribeAction(const LanguageCache& texts, int languageIndex, const ConfigStore& work,
                           int table, KeyIndex entry);

// Lower case without spaces, '-' and '_'.
std::string NormaliseName(const std::string& name);

}  // namespace vorlin
