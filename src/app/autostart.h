// Starting with the desktop session, by the XDG autostart rules: a "vorlin.desktop" entry in the
// user's autostart folder ($XDG_CONFIG_HOME/autostart) overrides one of the same name in the
// system's ($XDG_CONFIG_DIRS, each + /autostart, in order); the first one found decides, and
// Hidden=true (or GNOME's X-GNOME-Autostart-enabled=false) in it means off.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vorlin {

inline constexpr std::string_view kAutostartFileName = "vorlin.desktop";

struct AutostartFolders {
    std::filesystem::path user;                 // the one we write
    std::vector<std::filesystem::path> system;  // most important first
};

// From XDG_CONFIG_HOME (default ~/.config) and XDG_CONFIG_DIRS (default /etc/xdg); relative
// entries are ignored, as the rules ask.
AutostartFolders AutostartFoldersFromEnvironment();

// Whether the session would start the program.
bool AutostartEnabled(const AutostartFolders& folders);

// What the entry runs: "vorlin /Start" when a search of pathList (PATH's value) for "vorlin"
// finds this very program, else its full path, quoted as the Exec key's rules ask.
std::string AutostartCommand(const std::filesystem::path& program, std::string_view pathList);

struct AutostartEntry {
    std::string name;               // Name=, the program's caption
    std::string command;            // Exec=, from AutostartCommand
    std::filesystem::path program;  // TryExec=: a removed program is not tried
};

// The entry of the program "vorlin" beside the running executable, named name, found by PATH.
AutostartEntry ProgramAutostartEntry(std::string name);

// On: writes the user's entry (atomically). Off: removes it, or, when a system entry would
// still start the program, writes a user entry with Hidden=true over it. false with *why (a
// sentence end: "cannot write /x/vorlin.desktop: Permission denied") when a step failed; the
// state is then what AutostartEnabled reads.
bool SetAutostart(const AutostartFolders& folders, bool on, const AutostartEntry& entry,
                  std::string* why);

}  // namespace vorlin
