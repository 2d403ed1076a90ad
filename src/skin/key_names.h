// The display names of keys in the current language: the key table says which text names a key,
// the language file gives the text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "keys/key_action.h"
#include "skin/language.h"

namespace vorlin {

// The display name: the language text of the row's name key, or the "UNKNOWN_KEY" text with
// the code filled in when the row has none (or its text is empty).
std::string KeyName(const LanguageCache& texts, int languageIndex, KeyCode code);
// The same name as UTF-16 in a caller buffer of `capacity` units (callers pass 260), cut so
// that it and its terminating zero fit; returns the units written before the zero.
size_t KeyNameOf(const LanguageCache& texts, int languageIndex, KeyCode code, char16_t* buffer,
                 size_t capacity);
// The language text of the name key of the first row with that displayId; "" when none.
std::string KeyNameOfDisplayId(const LanguageCache& texts, int languageIndex, uint16_t displayId);

}  // namespace vorlin
