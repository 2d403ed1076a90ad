// Builds AppPaths from the executable's folder and the XDG base folders.
#include "platform/app_paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <string>

namespace vorlin {
namespace {

namespace fs = std::filesystem;

// XDG base folders must be absolute; a relative or empty value is ignored.
std::optional<fs::path> AbsoluteEnv(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/') return std::nullopt;
    return fs::path(value);
}

fs::path HomeFolder() {
    if (auto home = AbsoluteEnv("HOME")) return *home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr) {
        return fs::path(pw->pw_dir);
    }
    return fs::temp_directory_path();
}

}  // namespace

AppPaths MakeAppPaths(const fs::path& exeFolder) {
    AppPaths p;
    p.exeFolder = exeFolder;
    p.helpFolder = exeFolder / "Help";
    p.skinFolder = exeFolder / "Skins";
    p.mainSkin = p.skinFolder / "Main.ini";
    p.defaultUserColourPrefix = p.skinFolder / "UserDengColor_";
    p.profileSkin = p.skinFolder / "Profile.ini";
    p.updateSkin = p.skinFolder / "UpdateDlg.ini";
    p.compositeSkin = p.skinFolder / "Composite.ini";
    p.packageFolder = exeFolder / "Package";
    p.daemonFile = exeFolder / "Zentrel";

    const fs::path config = ConfigHomeFolder();
    const fs::path data = AbsoluteEnv("XDG_DATA_HOME").value_or(HomeFolder() / ".local" / "share");
    p.userFolder = data / "Morvane Tesslar";
    p.userSettings = p.userFolder / "wskb.ini";
    p.userColourPrefix = p.userFolder / "UserDengColor_";
    p.registryFile = config / "Morvane Tesslar" / "registry.ini";
    p.settingsFile = config / "Vorlin_Pellix" / "Morvane Tesslar.ini";
    p.runtimeFolder =
        AbsoluteEnv("XDG_RUNTIME_DIR")
            .value_or(fs::temp_directory_path() / ("vorlin-" + std::to_string(::getuid())));
    return p;
}

fs::path ConfigHomeFolder() {
    return AbsoluteEnv("XDG_CONFIG_HOME").value_or(HomeFolder() / ".config");
}

fs::path ExecutableFolder() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return fs::current_path(ec);
    return exe.parent_path();
}

fs::path FindDataFolder(const fs::path& exeFolder) {
    std::error_code ec;
    if (fs::is_directory(exeFolder / "Skins", ec)) return exeFolder;
    fs::path shared = exeFolder.parent_path() / "share" / "vorlin";
    if (fs::is_directory(shared / "Skins", ec)) return shared;
    return exeFolder;
}

bool EnsurePrivateFolder(const fs::path& folder) {
    std::error_code ec;
    fs::create_directories(folder.parent_path(), ec);
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0) return false;
    // Someone else's folder, or a link planted in /tmp, must not be used.
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) return false;
    if ((st.st_mode & 077) != 0 && ::chmod(folder.c_str(), 0700) != 0) return false;
    return true;
}

}  // namespace vorlin
