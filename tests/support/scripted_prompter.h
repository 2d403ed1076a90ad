// The prompter of tests: answers from its script in order, then its standing answer, and
// records every question. Safe to ask from the monitor's threads.
#pragma once

#include <deque>
#include <initializer_list>
#include <mutex>
#include <string>
#include <vector>

#include "platform/prompter.h"

namespace vorlin::test {

struct Asked {
    std::string key;
    PromptButtons buttons;
    std::string argument;
};

class ScriptedPrompter final : public Prompter {
  public:
    explicit ScriptedPrompter(bool standing = true) : answer(standing) {}
    ScriptedPrompter(std::initializer_list<bool> script, bool standing)
        : answer(standing), script_(script) {}

    bool Ask(const std::string& key, PromptButtons buttons, const std::string& argument) override {
        std::lock_guard<std::mutex> guard(lock_);
        asked_.push_back({key, buttons, argument});
        if (script_.empty()) return answer;
        const bool next = script_.front();
        script_.pop_front();
        return next;
    }

    std::vector<Asked> Questions() const {
        std::lock_guard<std::mutex> guard(lock_);
        return asked_;
    }
    std::vector<std::string> Keys() const {
        std::vector<std::string> keys;
        for (const Asked& a : Questions()) keys.push_back(a.key);
        return keys;
    }
    void Clear() {
        std::lock_guard<std::mutex> guard(lock_);
        asked_.clear();
    }

    // Given once the script has run out; tests change it between steps.
    bool answer;

  private:
    mutable std::mutex lock_;  // guards asked_ and script_
    std::vector<Asked> asked_;
    std::deque<bool> script_;
};

}  // namespace vorlin::test
