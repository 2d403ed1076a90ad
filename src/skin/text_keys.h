// Every language key the application's windows and messages use, besides the key names of the
// key table and the choice lists (those live with their tables), as lists built from the named
// keys of platform/text_key_names.h. The language files must hold all of them; a test checks
// that.
#pragma once

#include <span>
#include <string_view>

#include "platform/text_key_names.h"

namespace vorlin {

// Section "TEXT".
std::span<const std::string_view> WindowTextKeys();
// Section "LIGHT".
std::span<const std::string_view> LightTextKeys();
// Section "MODE": the lighting modes that have a name, by number.
constexpr int kFirstNamedMode = 1;
constexpr int kLastNamedMode = 20;

// Texts used as formats, with the one placeholder each expects.
struct FormatTextKey {
    std::string_view key;
    std::string_view placeholder;  // "%d" or "%s"
};
std::span<const FormatTextKey> FormatTextKeys();

}  // namespace vorlin
