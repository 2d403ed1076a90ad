// vorlinctl's entry point, callable in process: parses the arguments, runs one command and
// returns the process's exit code. Output goes to out, errors and prompts to err.
#pragma once

#include <functional>
#include <iosfwd>

namespace vorlin {

struct CliSession;

// Test seams: run after the session's backend is built and before the command runs (to plug in
// another backend or reach the simulated keyboard), and after the command (before the simulated
// keyboard's state is saved).
struct CliHooks {
    std::function<void(CliSession&)> beforeCommand;
    std::function<void(CliSession&)> afterCommand;
};

int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err);
int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
           std::istream& in, bool inputIsTerminal, const CliHooks& hooks);

}  // namespace vorlin
