// Key names in the chosen language.
#include "skin/key_names.h"

#include "keys/key_codes.h"
#include "keys/key_table.h"
#include "platform/text_format.h"
#include "platform/text_key_names.h"
#include "platform/utf.h"
#include "skin/language.h"

namespace vorlin {

std::string KeyName(const LanguageCache& texts, int languageIndex, KeyCode code) {
    const KeyRow& row = KeyRowAt(KeyIndexOf(code));
    std::string text;
    if (row.nameKey[0] != '\0') text = LookupText(texts, row.nameKey, languageIndex);
    if (text.empty()) text = FormatInt(LookupText(texts, kTextUnknownKey, languageIndex), code);
    return text;
}

size_t KeyNameOf(const LanguageCache& texts, int languageIndex, KeyCode code, char16_t* buffer,
                 size_t capacity) {
    if (buffer == nullptr || capacity == 0) return 0;
    const std::u16string name = Utf8ToUtf16(KeyName(texts, languageIndex, code));
    const std::u16string_view cut = CutUtf16(name, capacity - 1);
    cut.copy(buffer, cut.size());
    buffer[cut.size()] = u'\0';
    return cut.size();
}

std::string KeyNameOfDisplayId(const LanguageCache& texts, int languageIndex, uint16_t displayId) {
    if (displayId == 0xFFFF) return {};
    for (const KeyRow& row : KeyTable()) {
        if (row.displayId == displayId) {
            return row.nameKey[0] == '\0' ? std::string()
                                          : LookupText(texts, row.nameKey, languageIndex);
        }
    }
    return {};
}

}  // namespace vorlin
