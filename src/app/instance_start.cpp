#include "app/instance_start.h"

#include <thread>

namespace vorlin {

namespace {

constexpr auto kRetryStep = std::chrono::milliseconds(50);

// True once request reached the running copy; false when none runs any more or it never
// answered within patience (noAnswer tells which).
bool SignalWithPatience(const std::filesystem::path& folder, InstanceRequest request,
                        std::chrono::milliseconds patience, bool* noAnswer) {
    const auto until = std::chrono::steady_clock::now() + patience;
    *noAnswer = false;
    while (true) {
        if (SignalRunningInstance(folder, request)) return true;
        if (!InstanceRunning(folder)) return false;
        if (std::chrono::steady_clock::now() >= until) {
            *noAnswer = true;
            return false;
        }
        std::this_thread::sleep_for(kRetryStep);
    }
}

}  // namespace

InstanceStart StartInstance(const std::filesystem::path& folder, bool kill,
                            std::chrono::milliseconds patience) {
    InstanceStart out;
    bool noAnswer = false;
    if (kill && InstanceRunning(folder)) {
        // With no copy left to ask, "/Kill" is ignored and start-up goes on.
        if (SignalWithPatience(folder, InstanceRequest::Kill, patience, &noAnswer) || noAnswer) {
            out.exitCode = noAnswer ? 1 : 0;
            if (noAnswer) out.message = "the running copy of vorlin does not answer";
            return out;
        }
    }
    // Two rounds: the copy found running may exit between our look and our request.
    for (int round = 0; round < 2; ++round) {
        std::string why;
        out.server = InstanceServer::Claim(folder, &why);
        if (out.server) return out;
        if (!why.empty()) {
            out.exitCode = 1;
            out.message = "cannot make sure only one copy of vorlin runs: " + why;
            return out;
        }
        if (SignalWithPatience(folder, InstanceRequest::Open, patience, &noAnswer)) return out;
        if (noAnswer) {
            out.exitCode = 1;
            out.message = "another copy of vorlin is running but does not answer";
            return out;
        }
    }
    out.exitCode = 1;
    out.message = "cannot make sure only one copy of vorlin runs: the lock changes hands";
    return out;
}

}  // namespace vorlin
