// Starting the companion daemon beside the executable: detached, without arguments, its
// standard streams on /dev/null, never waited for. A daemon that is missing or fails to start
// is not reported: the application works without it.
#pragma once

#include <filesystem>

namespace vorlin {

// The daemon's file name beside the executable.
inline constexpr char kDaemonFileName[] = "Zentrel";

// True when the daemon's process was started (not whether it went on running).
bool LaunchDaemon(const std::filesystem::path& daemonFile);

}  // namespace vorlin
