// Macros in words, both ways: the actions `macro add` takes (KEY:down, KEY:up, each optionally
// @DELAY in ms), the checks a new macro name must pass, and the text file of `macro import` and
// `macro export`:
//
//   # comment lines and blank lines are skipped
//   repeat=N        (optional, once, 0..255; 1 when absent)
//   A:down@100      (one action per line, in the order played)
//   A:up
//
// Delays are kept to the keyboard's 10 ms resolution (125 becomes 120); above 40000 ms is an
// error. Written files name keys so that reading them back gives the same macro.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "skin/language.h"
#include "store/macro_record.h"

namespace vorlin {

struct ParsedMacroAction {
    MacroAction action;
    std::string error;  // empty when the word was understood
};
ParsedMacroAction ParseMacroAction(const LanguageCache& texts, int languageIndex,
                                   std::string_view word);
// "A:down@100"; the delay is left out when it is 0.
std::string MacroActionWord(const LanguageCache& texts, int languageIndex, const MacroAction& a);

// What is wrong with a name for a new or renamed macro (empty, too long, led by a space, holding
// control characters); empty when it may be used.
std::string CheckMacroName(std::string_view name);
// The macro of list whose name equals name, ignoring case; nullptr for none. except is skipped.
const MacroRecord* FindMacroByName(const std::vector<MacroRecord>& list, std::string_view name,
                                   const MacroRecord* except = nullptr);

struct MacroText {
    int repeat = 1;
    std::vector<MacroAction> actions;
    std::string error;  // "line N: ..." when the text is not in the format
};
MacroText ParseMacroText(const LanguageCache& texts, int languageIndex, std::string_view text);
std::string FormatMacroText(const LanguageCache& texts, int languageIndex,
                            const MacroRecord& record);

}  // namespace vorlin
