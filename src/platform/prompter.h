// Questions and messages the core shows the user. The GUI answers with message boxes, the CLI
// on stderr (with --yes), tests with scripted answers. The implementation looks the text up
// by its language key and substitutes the one argument when the text expects it.
#pragma once

#include <string>

namespace vorlin {

enum class PromptButtons { Ok, YesNoDefaultNo };

class Prompter {
  public:
    virtual ~Prompter() = default;
    // Returns true for OK / Yes, false for No.
    virtual bool Ask(const std::string& textKey, PromptButtons buttons,
                     const std::string& argument = {}) = 0;
};

}  // namespace vorlin
