// The system's default language identifier (as Windows numbers languages), taken from the
// locale environment: LC_ALL, then LC_MESSAGES, then LANG.
#pragma once

#include <cstdint>
#include <string_view>

namespace vorlin {

// "pt_BR.UTF-8" -> 1046, "en_US" -> 1033, "zh_HK" -> 3076. A known language without a known
// region takes that language's default identifier; "C", "POSIX", empty or unknown locales give
// 1033.
uint16_t LanguageIdFromLocale(std::string_view locale);
uint16_t SystemDefaultLanguageId();

}  // namespace vorlin
