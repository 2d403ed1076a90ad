// Formatting of texts that come from data files (language files) and are used as formats. Such
// a text is data: only the placeholder the caller supplies an argument for is substituted, in
// order; every other '%' sequence ("%n", "%s" without a text argument, "%999999999d") is shown
// as it stands. "%%" shows one '%'.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace vorlin {

struct FormatArg {
    enum class Kind { Integer, Text };
    Kind kind;
    int64_t integer = 0;
    std::string_view text;

    FormatArg(int64_t value)
        : kind(Kind::Integer), integer(value) {}                   // NOLINT: implicit on purpose
    FormatArg(int value) : kind(Kind::Integer), integer(value) {}  // NOLINT
    FormatArg(std::string_view value) : kind(Kind::Text), text(value) {}    // NOLINT
    FormatArg(const char* value) : kind(Kind::Text), text(value) {}         // NOLINT
    FormatArg(const std::string& value) : kind(Kind::Text), text(value) {}  // NOLINT
};

// Integer placeholders: %d, %i, %u with optional flags "-+ 0" and a width of at most two digits,
// optionally with an 'l', "ll" or 'h' size. Text placeholders: %s, %ls, %S, %ws with the same
// flags and width. A placeholder is filled only when the next unused argument is of its kind.
std::string FormatText(std::string_view format, std::initializer_list<FormatArg> args);

inline std::string FormatInt(std::string_view format, int64_t value) {
    return FormatText(format, {FormatArg(value)});
}
inline std::string FormatString(std::string_view format, std::string_view value) {
    return FormatText(format, {FormatArg(value)});
}

// The one argument of a prompt, given as text: a whole number fills an integer placeholder
// ("%d" in "at most %d macros"), anything else, or a number the text takes as text, a text one.
std::string FormatPromptText(std::string_view format, const std::string& argument);

}  // namespace vorlin
