// User folders from the XDG variables, the registry value and settings store stand-ins, and
// the locale's language identifier.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>

#include "platform/app_paths.h"
#include "platform/locale_language.h"
#include "platform/settings.h"
#include "support/scoped_env.h"
#include "support/temp_folder.h"

namespace vorlin::test {
namespace {

TEST(AppPaths, FollowsTheXdgFolders) {
    TempFolder dir;
    ScopedEnv env;
    env.Set("XDG_CONFIG_HOME", (dir / "cfg").c_str());
    env.Set("XDG_DATA_HOME", (dir / "data").c_str());
    env.Set("XDG_RUNTIME_DIR", (dir / "run").c_str());
    const AppPaths p = MakeAppPaths("/opt/vorlin");
    EXPECT_EQ(p.registryFile, dir / "cfg/Morvane Tesslar/registry.ini");
    EXPECT_EQ(p.settingsFile, dir / "cfg/Vorlin_Pellix/Morvane Tesslar.ini");
    EXPECT_EQ(p.userSettings, dir / "data/Morvane Tesslar/wskb.ini");
    EXPECT_EQ(p.userColourPrefix, dir / "data/Morvane Tesslar/UserDengColor_");
    EXPECT_EQ(p.runtimeFolder, dir / "run");
    EXPECT_EQ(p.mainSkin, "/opt/vorlin/Skins/Main.ini");
    EXPECT_EQ(p.defaultUserColourPrefix, "/opt/vorlin/Skins/UserDengColor_");
    EXPECT_EQ(p.daemonFile, "/opt/vorlin/Zentrel");
}

TEST(AppPaths, IgnoresRelativeXdgValues) {
    ScopedEnv env;
    env.Set("HOME", "/home/someone");
    env.Set("XDG_CONFIG_HOME", "relative/cfg");
    env.Set("XDG_DATA_HOME", "");
    const AppPaths p = MakeAppPaths("/x");
    EXPECT_EQ(p.registryFile, "/home/someone/.config/Morvane Tesslar/registry.ini");
    EXPECT_EQ(p.userFolder, "/home/someone/.local/share/Morvane Tesslar");
}

TEST(AppPaths, PrivateFolderIsMadeAndTightened) {
    TempFolder dir;
    ASSERT_TRUE(EnsurePrivateFolder(dir / "rt"));
    struct stat st {};
    ::stat((dir / "rt").c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ::chmod((dir / "rt").c_str(), 0755);
    ASSERT_TRUE(EnsurePrivateFolder(dir / "rt"));
    ::stat((dir / "rt").c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    std::filesystem::create_directory_symlink(dir / "rt", dir / "link");
    EXPECT_FALSE(EnsurePrivateFolder(dir / "link"));
}

TEST(Registry, DwordValues) {
    IniLock lock;
    TempFolder dir;
    AppPaths paths;
    paths.registryFile = dir / "cfg/registry.ini";
    EXPECT_FALSE(RegistryReadDword(paths, "LANGUAGE"));
    ASSERT_TRUE(RegistryWriteDword(paths, lock, "LANGUAGE", 1046));
    EXPECT_EQ(RegistryReadDword(paths, "language"), 1046u);
    ASSERT_TRUE(RegistryWriteDword(paths, lock, "LANGUAGE", 0xFFFFFFFF));
    EXPECT_EQ(RegistryReadDword(paths, "LANGUAGE"), 0xFFFFFFFFu);

    struct Case {
        const char* text;
        std::optional<uint32_t> value;
    } cases[] = {
        {"2052", 2052},
        {"dword:00000416", 0x416},
        {"0", 0},
        {"", std::nullopt},
        {"abc", std::nullopt},
        {"-1", std::nullopt},
        {"4294967296", std::nullopt},
        {"12x", std::nullopt},
        {"dword:", std::nullopt},
        {"dword:123456789", std::nullopt},
    };
    for (const Case& c : cases) {
        WriteBytes(paths.registryFile,
                   std::string("[Software\\Morvane Tesslar]\nLANGUAGE=") + c.text + "\n");
        EXPECT_EQ(RegistryReadDword(paths, "LANGUAGE"), c.value) << c.text;
    }
}

TEST(Settings, StringsInTheirSection) {
    IniLock lock;
    TempFolder dir;
    AppPaths paths;
    paths.settingsFile = dir / "Vorlin_Pellix/Morvane Tesslar.ini";
    EXPECT_EQ(SettingsReadString(paths, "PROFILES", "Flip", "0"), "0");
    ASSERT_TRUE(SettingsWriteString(paths, lock, "PROFILES", "Flip", "1"));
    ASSERT_TRUE(SettingsWriteString(paths, lock, "PROFILES", "PROFILE01", "/home/u/a b.fwc"));
    EXPECT_EQ(SettingsReadString(paths, "profiles", "flip", "0"), "1");
    EXPECT_EQ(SettingsReadString(paths, "PROFILES", "PROFILE01", ""), "/home/u/a b.fwc");
}

TEST(LocaleLanguage, MapsLocaleNames) {
    struct Case {
        const char* locale;
        uint16_t id;
    } cases[] = {
        {"en_US.UTF-8", 1033}, {"pt_BR.UTF-8", 1046}, {"pt_PT", 2070},      {"pt", 1046},
        {"zh_HK.UTF-8", 3076}, {"zh_SG", 4100},       {"en_GB@euro", 2057}, {"pt-br", 1046},
        {"C", 1033},           {"POSIX", 1033},       {"", 1033},           {"xx_YY", 1033},
        {"de_LU", 1031},
    };
    for (const Case& c : cases) EXPECT_EQ(LanguageIdFromLocale(c.locale), c.id) << c.locale;

    ScopedEnv env;
    env.Set("LC_ALL", nullptr);
    env.Set("LC_MESSAGES", "pt_BR.UTF-8");
    env.Set("LANG", "zh_HK.UTF-8");
    EXPECT_EQ(SystemDefaultLanguageId(), 1046);
    env.Set("LC_ALL", "zh_HK.UTF-8");
    EXPECT_EQ(SystemDefaultLanguageId(), 3076);
}

}  // namespace
}  // namespace vorlin::test
