// Runs vorlinctl in process against a machine tree, optionally as an unprivileged user.
#pragma once

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "diag/diag_fixture.h"

namespace vorlin::testing {

struct CliResult {
    int code = -1;
    std::string out, err;
    // The last non-empty line of out.
    std::string LastLine() const {
        std::string s = out;
        while (!s.empty() && s.back() == '\n') s.pop_back();
        return s.substr(s.rfind('\n') == std::string::npos ? 0 : s.rfind('\n') + 1);
    }
};

// Global options pointing at the tree come first; the user's folders live in its home.
inline CliResult RunCliOn(const MachineTree& tree, std::vector<std::string> args,
                          bool unprivileged = false) {
    const std::string home = tree.home().string();
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (home + "/run").c_str(), 1);
    std::vector<std::string> all = {"vorlinctl",       "--sysfs-root",      tree.sys().string(),
                                    "--dev-root",      tree.dev().string(), "--data-dir",
                                    VORLIN_ASSETS_DIR, "--language",        "1033"};
    all.insert(all.end(), args.begin(), args.end());
    auto run = [&all]() {
        std::vector<const char*> argv;
        for (const std::string& a : all) argv.push_back(a.c_str());
        std::ostringstream out, err;
        std::istringstream in;
        const int code =
            RunCli(static_cast<int>(argv.size()), argv.data(), out, err, in, false, {});
        return std::to_string(code) + '\n' + out.str() + '\x1e' + err.str();
    };
    const std::string packed = unprivileged ? RunUnprivileged(run) : run();
    CliResult r;
    const size_t nl = packed.find('\n');
    const size_t sep = packed.find('\x1e');
    if (nl == std::string::npos || sep == std::string::npos) {
        r.err = packed;
        return r;
    }
    r.code = std::stoi(packed.substr(0, nl));
    r.out = packed.substr(nl + 1, sep - nl - 1);
    r.err = packed.substr(sep + 1);
    return r;
}

}  // namespace vorlin::testing
