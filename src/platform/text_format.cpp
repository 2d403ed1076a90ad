// Safe substitution of caller-supplied arguments into texts taken from data files.
#include "platform/text_format.h"

#include <charconv>
#include <vector>

namespace vorlin {
namespace {

struct Spec {
    bool leftAlign = false;
    bool plus = false;
    bool space = false;
    bool zero = false;
    int width = 0;
    FormatArg::Kind kind = FormatArg::Kind::Integer;
    bool isUnsigned = false;
    size_t length = 0;  // characters of the placeholder, '%' included
};

// Parses a placeholder at format[pos] == '%'; false when it is not one we fill.
bool ParseSpec(std::string_view f, size_t pos, Spec& spec) {
    size_t i = pos + 1;
    for (; i < f.size(); ++i) {
        const char c = f[i];
        if (c == '-')
            spec.leftAlign = true;
        else if (c == '+')
            spec.plus = true;
        else if (c == ' ')
            spec.space = true;
        else if (c == '0')
            spec.zero = true;
        else
            break;
    }
    int digits = 0;
    while (i < f.size() && f[i] >= '0' && f[i] <= '9') {
        if (++digits > 2) return false;
        spec.width = spec.width * 10 + (f[i] - '0');
        ++i;
    }
    if (i >= f.size()) return false;
    // Size prefixes.
    std::string_view size;
    if (f.substr(i, 2) == "ll")
        size = "ll";
    else if (f[i] == 'l' || f[i] == 'h' || f[i] == 'w')
        size = f.substr(i, 1);
    i += size.size();
    if (i >= f.size()) return false;
    const char conv = f[i];
    if ((conv == 'd' || conv == 'i' || conv == 'u') && size != "w") {
        spec.kind = FormatArg::Kind::Integer;
        spec.isUnsigned = conv == 'u';
    } else if (conv == 's' && (size.empty() || size == "l" || size == "w")) {
        spec.kind = FormatArg::Kind::Text;
    } else if (conv == 'S' && size.empty()) {
        spec.kind = FormatArg::Kind::Text;
    } else {
        return false;
    }
    spec.length = i + 1 - pos;
    return true;
}

std::string Pad(std::string body, const Spec& spec, bool numeric) {
    const size_t width = static_cast<size_t>(spec.width);
    if (body.size() >= width) return body;
    const size_t fill = width - body.size();
    if (spec.leftAlign) return body + std::string(fill, ' ');
    if (numeric && spec.zero) {
        const size_t signLength =
            (!body.empty() && (body[0] == '-' || body[0] == '+' || body[0] == ' ')) ? 1 : 0;
        return body.substr(0, signLength) + std::string(fill, '0') + body.substr(signLength);
    }
    return std::string(fill, ' ') + body;
}

std::string FormatInteger(int64_t value, const Spec& spec) {
    std::string body;
    if (spec.isUnsigned) {
        body = std::to_string(static_cast<uint32_t>(value));
    } else {
        if (value >= 0 && spec.plus)
            body.push_back('+');
        else if (value >= 0 && spec.space)
            body.push_back(' ');
        body.append(std::to_string(value));
    }
    return Pad(std::move(body), spec, true);
}

}  // namespace

std::string FormatText(std::string_view format, std::initializer_list<FormatArg> args) {
    const std::vector<FormatArg> queue(args);
    size_t next = 0;
    std::string out;
    out.reserve(format.size() + 16);
    size_t i = 0;
    while (i < format.size()) {
        const char c = format[i];
        if (c != '%') {
            out.push_back(c);
            ++i;
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == '%') {
            out.push_back('%');
            i += 2;
            continue;
        }
        Spec spec;
        if (next < queue.size() && ParseSpec(format, i, spec) && queue[next].kind == spec.kind) {
            const FormatArg& arg = queue[next++];
            out += spec.kind == FormatArg::Kind::Integer ? FormatInteger(arg.integer, spec)
                                                         : Pad(std::string(arg.text), spec, false);
            i += spec.length;
            continue;
        }
        out.push_back('%');  // not a placeholder we fill: shown literally
        ++i;
    }
    return out;
}

std::string FormatPromptText(std::string_view format, const std::string& argument) {
    int64_t value = 0;
    const char* end = argument.data() + argument.size();
    const auto [ptr, ec] = std::from_chars(argument.data(), end, value);
    if (!argument.empty() && ec == std::errc() && ptr == end) {
        std::string filled = FormatInt(format, value);
        if (filled != format) return filled;
    }
    return FormatString(format, argument);
}

}  // namespace vorlin
