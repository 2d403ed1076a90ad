// Macro actions, names and the macro text file.
#include "cli/macro_words.h"

#include <algorithm>
#include <cctype>

#include "cli/key_words.h"
#include "keys/key_codes.h"
#include "platform/utf.h"
#include "store/macro_area.h"
#include "ui/macro_editing.h"

namespace vorlin {
namespace {

constexpr KeyCode kFirstGKey = 0x200;

std::string Lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

bool EndsWith(std::string_view s, std::string_view tail) {
    return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

}  // namespace

ParsedMacroAction ParseMacroAction(const LanguageCache& texts, int languageIndex,
                                   std::string_view word) {
    ParsedMacroAction out;
    const std::string quoted = "\"" + std::string(word) + "\"";
    const std::string form = quoted + " is not KEY:down or KEY:up, optionally followed by @DELAY";
    std::string_view head = word;
    std::string_view delayText;
    // A key name may hold '@' itself, so the delay is only what follows the state.
    if (!EndsWith(Lower(word), ":down") && !EndsWith(Lower(word), ":up")) {
        const size_t at = word.rfind('@');
        if (at == std::string_view::npos) {
            out.error = form;
            return out;
        }
        head = word.substr(0, at);
        delayText = word.substr(at + 1);
    }
    const std::string lowerHead = Lower(head);
    size_t stateLength;
    if (EndsWith(lowerHead, ":down")) {
        out.action.release = 0;
        stateLength = 5;
    } else if (EndsWith(lowerHead, ":up")) {
        out.action.release = 1;
        stateLength = 3;
    } else {
        out.error = form;
        return out;
    }
    if (!delayText.empty() || head.size() != word.size()) {
        const TypedDelay delay = ParseTypedDelay(delayText);
        if (!delay.valid) {
            out.error = "bad delay \"" + std::string(delayText) + "\" in " + quoted +
                        ": expected milliseconds 0..40000";
            return out;
        }
        if (delay.tooLong) {
            out.error = "the delay of " + quoted + " is longer than " +
                        std::to_string(kMaxMacroDelayMs) + " ms";
            return out;
        }
        out.action.delayMs = delay.value;
    }
    const std::string key(head.substr(0, head.size() - stateLength));
    const std::optional<KeyCode> code = ParseMacroKeyName(texts, languageIndex, key);
    if (!code) {
        out.error = UnknownKeyText(texts, languageIndex, key);
    } else if (*code >= kFirstGKey) {
        out.error = "a macro cannot press the macro key \"" + key + "\"";
    } else if (MacroKeyRecord(*code) == DeviceKeyRecord{}) {
        out.error = "\"" + key + "\" cannot be played by a macro: the keyboard has no code for it";
    } else {
        out.action.keyCode = *code;
    }
    return out;
}

std::string MacroActionWord(const LanguageCache& texts, int languageIndex, const MacroAction& a) {
    std::string word = KeyWordOf(texts, languageIndex, a.keyCode) + (a.release ? ":up" : ":down");
    if (a.delayMs != 0) word += "@" + std::to_string(a.delayMs);
    return word;
}

std::string CheckMacroName(std::string_view name) {
    if (name.empty()) return "a macro name cannot be empty";
    if (!IsValidUtf8(name)) return "the macro name is not valid UTF-8";
    if (name.front() == ' ') return "a macro name cannot begin with a space";
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7F) return "a macro name cannot hold control characters";
    const size_t units = Utf8ToUtf16(name).size();
    if (units > static_cast<size_t>(kMaxMacroNameChars))
        return "a macro name has at most " + std::to_string(kMaxMacroNameChars) +
               " characters, not " + std::to_string(units);
    return {};
}

const MacroRecord* FindMacroByName(const std::vector<MacroRecord>& list, std::string_view name,
                                   const MacroRecord* except) {
    const std::string wanted = Lower(name);
    for (const MacroRecord& r : list)
        if (&r != except && Lower(Utf16ToUtf8(r.Name())) == wanted) return &r;
    return nullptr;
}

MacroText ParseMacroText(const LanguageCache& texts, int languageIndex, std::string_view text) {
    MacroText out;
    bool repeatSeen = false;
    int lineNumber = 0;
    while (!text.empty() || lineNumber == 0) {
        ++lineNumber;
        const size_t end = text.find('\n');
        std::string_view raw = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        const std::string where = "line " + std::to_string(lineNumber) + ": ";
        if (raw.find('\0') != std::string_view::npos || !IsValidUtf8(raw)) {
            out.error = where + "this is not text";
            return out;
        }
        const std::string_view line = Trim(raw);
        if (line.empty() || line.front() == '#') continue;
        if (Lower(line.substr(0, 6)) == "repeat") {
            const std::string_view rest = Trim(line.substr(6));
            const std::string_view value =
                rest.empty() || rest.front() != '=' ? std::string_view{} : Trim(rest.substr(1));
            const bool digits = !value.empty() && value.size() <= 3 &&
                                std::all_of(value.begin(), value.end(),
                                            [](unsigned char c) { return std::isdigit(c) != 0; });
            const int n = digits ? std::stoi(std::string(value)) : -1;
            // 0 is taken too: a macro read from the keyboard keeps the keyboard's count.
            if (n < 0 || n > 255) {
                out.error = where + "expected repeat=N with N 0..255";
                return out;
            }
            if (repeatSeen) {
                out.error = where + "the repeat count is given twice";
                return out;
            }
            repeatSeen = true;
            out.repeat = n;
            continue;
        }
        if (out.actions.size() >= static_cast<size_t>(kMaxMacroActions)) {
            out.error =
                where + "a macro holds at most " + std::to_string(kMaxMacroActions) + " actions";
            return out;
        }
        ParsedMacroAction parsed = ParseMacroAction(texts, languageIndex, line);
        if (!parsed.error.empty()) {
            out.error = where + parsed.error;
            return out;
        }
        out.actions.push_back(parsed.action);
    }
    return out;
}

std::string FormatMacroText(const LanguageCache& texts, int languageIndex,
                            const MacroRecord& record) {
    std::string text = "# vorlinctl macro \"" + Utf16ToUtf8(record.Name()) + "\"\n";
    text += "repeat=" + std::to_string(record.repeatCount) + "\n";
    const int count = std::min<int>(record.actionCount, kMaxMacroActions);
    for (int i = 0; i < count; ++i)
        text += MacroActionWord(texts, languageIndex, record.actions[i]) + "\n";
    return text;
}

}  // namespace vorlin
