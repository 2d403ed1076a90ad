// The single-instance steps of start-up: "/Kill" asks a running copy to exit and ends; otherwise
// the first copy claims the lock and socket, and a later one asks the first to show itself and
// ends with exit code 0.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

#include "app/single_instance.h"

namespace vorlin {

struct InstanceStart {
    std::optional<InstanceServer> server;  // set: this is the first copy, go on starting
    int exitCode = 0;                      // without a server: end the process with this code
    std::string message;                   // without a server and exitCode != 0: for stderr
};

// patience bounds the wait for a copy that holds the lock but does not listen yet.
InstanceStart StartInstance(const std::filesystem::path& folder, bool kill,
                            std::chrono::milliseconds patience = std::chrono::seconds(3));

}  // namespace vorlin
