// Locale names to Windows language identifiers.
#include "platform/locale_language.h"

#include <cctype>
#include <cstdlib>
#include <string>

namespace vorlin {
namespace {

struct LocaleId {
    std::string_view name;  // "ll" (language default) or "ll_RR"
    uint16_t id;
};

constexpr LocaleId kLocales[] = {
    {"en", 0x0409},    {"en_US", 0x0409}, {"en_GB", 0x0809}, {"en_AU", 0x0C09}, {"en_CA", 0x1009},
    {"en_NZ", 0x1409}, {"en_IE", 0x1809}, {"en_ZA", 0x1C09}, {"en_IN", 0x4009}, {"pt", 0x0416},
    {"pt_BR", 0x0416}, {"pt_PT", 0x0816}, {"zh", 0x0804},    {"zh_CN", 0x0804}, {"zh_TW", 0x0404},
    {"zh_HK", 0x0C04}, {"zh_SG", 0x1004}, {"zh_MO", 0x1404}, {"de", 0x0407},    {"de_DE", 0x0407},
    {"de_AT", 0x0C07}, {"de_CH", 0x0807}, {"fr", 0x040C},    {"fr_FR", 0x040C}, {"fr_CA", 0x0C0C},
    {"fr_BE", 0x080C}, {"fr_CH", 0x100C}, {"es", 0x0C0A},    {"es_ES", 0x0C0A}, {"es_MX", 0x080A},
    {"es_AR", 0x2C0A}, {"it", 0x0410},    {"it_IT", 0x0410}, {"ja", 0x0411},    {"ja_JP", 0x0411},
    {"ko", 0x0412},    {"ko_KR", 0x0412}, {"ru", 0x0419},    {"ru_RU", 0x0419}, {"nl", 0x0413},
    {"nl_NL", 0x0413}, {"pl", 0x0415},    {"pl_PL", 0x0415}, {"tr", 0x041F},    {"tr_TR", 0x041F},
    {"sv", 0x041D},    {"sv_SE", 0x041D}, {"cs", 0x0405},    {"cs_CZ", 0x0405}, {"uk", 0x0422},
    {"uk_UA", 0x0422}, {"vi", 0x042A},    {"vi_VN", 0x042A}, {"th", 0x041E},    {"th_TH", 0x041E},
    {"ar", 0x0401},    {"he", 0x040D},    {"el", 0x0408},    {"hu", 0x040E},    {"fi", 0x040B},
    {"da", 0x0406},    {"nb", 0x0414},    {"id", 0x0421},
};

uint16_t Find(std::string_view name) {
    for (const LocaleId& entry : kLocales) {
        if (entry.name == name) return entry.id;
    }
    return 0;
}

}  // namespace

uint16_t LanguageIdFromLocale(std::string_view locale) {
    // "ll_RR.codeset@modifier"; some systems write "ll-RR".
    const size_t cut = locale.find_first_of(".@");
    std::string name(locale.substr(0, cut));
    for (char& c : name) {
        if (c == '-') c = '_';
    }
    const size_t sep = name.find('_');
    std::string language = name.substr(0, sep);
    for (char& c : language) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::string region = sep == std::string::npos ? std::string() : name.substr(sep + 1);
    for (char& c : region) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));

    if (!region.empty()) {
        if (const uint16_t id = Find(language + "_" + region)) return id;
    }
    if (const uint16_t id = Find(language)) return id;
    return 0x0409;
}

uint16_t SystemDefaultLanguageId() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && value[0] != '\0') return LanguageIdFromLocale(value);
    }
    return 0x0409;
}

}  // namespace vorlin
