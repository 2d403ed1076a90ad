#include "app/daemon_launch.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace vorlin {

bool LaunchDaemon(const std::filesystem::path& daemonFile) {
    struct stat st {};
    if (::stat(daemonFile.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
        ::access(daemonFile.c_str(), X_OK) != 0)
        return false;
    // Everything that allocates is made before the fork: the child of a process with threads may
    // only make system calls. Two generations, so the daemon is nobody's child here and never a
    // zombie of ours; the middle one only spawns and ends, and we wait for it alone.
    const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    if (null >= 0)
        for (int fd = 0; fd <= 2; ++fd) ::posix_spawn_file_actions_adddup2(&actions, null, fd);
    posix_spawnattr_t attr;
    ::posix_spawnattr_init(&attr);
    ::posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
    const std::string file = daemonFile.string();
    char* const argv[] = {const_cast<char*>(file.c_str()), nullptr};
    const pid_t middle = ::fork();
    if (middle == 0) {
        pid_t daemon = 0;
        ::_exit(::posix_spawn(&daemon, file.c_str(), &actions, &attr, argv, environ) == 0 ? 0 : 1);
    }
    ::posix_spawnattr_destroy(&attr);
    ::posix_spawn_file_actions_destroy(&actions);
    if (null >= 0) ::close(null);
    if (middle < 0) return false;
    int status = 0;
    while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace vorlin
