// Every file and folder the application uses, built once from the folder of the executable
// and the user's base folders (XDG_CONFIG_HOME, XDG_DATA_HOME, XDG_RUNTIME_DIR, HOME).
#pragma once

#include <filesystem>

namespace vorlin {

struct AppPaths {
    std::filesystem::path exeFolder;                // language files, Skins/, Help/ live here
    std::filesystem::path helpFolder;               // exeFolder/Help
    std::filesystem::path mainSkin;                 // exeFolder/Skins/Main.ini
    std::filesystem::path skinFolder;               // exeFolder/Skins
    std::filesystem::path defaultUserColourPrefix;  // exeFolder/Skins/UserDengColor_
    std::filesystem::path profileSkin, updateSkin, compositeSkin;
    std::filesystem::path packageFolder;
    std::filesystem::path daemonFile;        // exeFolder/Zentrel
    std::filesystem::path userFolder;        // $XDG_DATA_HOME/Morvane Tesslar
    std::filesystem::path userSettings;      // userFolder/wskb.ini
    std::filesystem::path userColourPrefix;  // userFolder/UserDengColor_
    std::filesystem::path registryFile;      // $XDG_CONFIG_HOME/Morvane Tesslar/registry.ini
    std::filesystem::path settingsFile;      // $XDG_CONFIG_HOME/Vorlin_Pellix/Morvane Tesslar.ini
    std::filesystem::path runtimeFolder;     // $XDG_RUNTIME_DIR (or a private folder under /tmp)
};

// Reads the environment at the time of the call. Relative or empty XDG values are ignored, as
// the XDG rules ask; without HOME the user database gives the home folder.
AppPaths MakeAppPaths(const std::filesystem::path& exeFolder);

// $XDG_CONFIG_HOME, else ~/.config: where the user's settings and autostart entries live.
std::filesystem::path ConfigHomeFolder();

// The folder of the running executable, from /proc/self/exe.
std::filesystem::path ExecutableFolder();
// Where the language files and Skins are: beside the executable, else ../share/vorlin (as
// installed).
std::filesystem::path FindDataFolder(const std::filesystem::path& exeFolder);

// Creates folder with mode 0700 when missing; true only when it is a real folder owned by this
// user (its mode is tightened to 0700 if needed). For runtimeFolder before sockets and locks.
bool EnsurePrivateFolder(const std::filesystem::path& folder);

}  // namespace vorlin
