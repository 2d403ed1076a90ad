// Choosing the language, looking texts up, and the completeness of the shipped language files.
#include "skin/language.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <set>
#include <string>
#include <thread>

#include "keys/key_table.h"
#include "platform/ini_file.h"
#include "platform/settings.h"
#include "skin/text_keys.h"
#include "support/temp_folder.h"

namespace vorlin {
namespace {

using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

class LanguageChoice : public ::testing::Test {
  protected:
    void SetUp() override {
        paths_.exeFolder = dir_.path();
        paths_.registryFile = dir_ / "cfg/Morvane Tesslar/registry.ini";
    }
    void Store(const std::string& text) {
        std::filesystem::create_directories(paths_.registryFile.parent_path());
        WriteBytes(paths_.registryFile, "[Software\\Morvane Tesslar]\nLANGUAGE=" + text + "\n");
    }
    TempFolder dir_;
    AppPaths paths_;
    IniLock lock_;
};

TEST_F(LanguageChoice, StoredValueWins) {
    struct Case {
        const char* stored;
        uint16_t system;
        int index;
        uint32_t value;
    } cases[] = {
        {"1033", 1046, 0, 1033},           {"1046", 1033, 1, 1046}, {"2052", 1046, 0, 2052},
        {"dword:00000416", 1033, 1, 1046}, {"4100", 1046, 0, 4100},  // only a first run maps the
                                                                     // system default
    };
    for (const Case& c : cases) {
        Store(c.stored);
        EXPECT_EQ(ChooseLanguageIndex(paths_, lock_, c.system), c.index) << c.stored;
        EXPECT_EQ(RegistryReadDword(paths_, "LANGUAGE"), c.value) << c.stored;  // left as it was
    }
    Store("2052");
    EXPECT_EQ(LanguageFilePath(paths_, ChooseLanguageIndex(paths_, lock_, 1046)),
              dir_ / "Lang0409.ini");
}

TEST_F(LanguageChoice, FirstRunTakesAndStoresTheSystemLanguage) {
    struct Case {
        const char* stored;  // nullptr: no value yet
        uint16_t system;
        uint32_t storedAfter;
        int index;
    } cases[] = {
        {nullptr, 3076, 1033, 0}, {nullptr, 4100, 1046, 1}, {nullptr, 1046, 1046, 1},
        {nullptr, 2070, 1033, 0}, {"0", 1046, 1046, 1},     {"abc", 1046, 1046, 1},
        {"", 4100, 1046, 1},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(dir_ / "cfg");
        if (c.stored) Store(c.stored);
        EXPECT_EQ(ChooseLanguageIndex(paths_, lock_, c.system), c.index) << c.system;
        EXPECT_EQ(RegistryReadDword(paths_, "LANGUAGE"), c.storedAfter) << c.system;
    }
    EXPECT_EQ(LanguageFilePath(paths_, 1), dir_ / "Lang0416.ini");
}

TEST_F(LanguageChoice, UnusableStoreGivesEnglish) {
    // The registry file's folder cannot exist: a plain file is in its way.
    WriteBytes(dir_ / "cfg", "not a folder");
    EXPECT_EQ(ChooseLanguageIndex(paths_, lock_, 1046), 0);
}

TEST_F(LanguageChoice, SystemDefaultMapping) {
    const std::pair<uint16_t, uint16_t> cases[] = {
        {3076, 1033}, {4100, 1046}, {1033, 1033}, {1046, 1046}, {2052, 1033}, {0, 1033},
    };
    for (auto [in, out] : cases) EXPECT_EQ(LanguageIdForSystemDefault(in), out) << in;
}

class Lookup : public ::testing::Test {
  protected:
    void SetUp() override {
        paths_.exeFolder = dir_.path();
        WriteBytes(dir_ / "Lang0409.ini",
                   "[TEXT]\nMAIN_CAPTION=Keyboard\nPROFILE_1=\n[LIGHT]\nSpeed=Speed\n"
                   "[MODE]\n12=Vertical Wave\n");
        WriteBytes(
            dir_ / "Lang0416.ini",
            test::Utf16LeWithBom("[TEXT]\r\nMAIN_CAPTION=Teclado\r\n[MODE]\r\n5=Respiração\r\n"));
    }
    TempFolder dir_;
    AppPaths paths_;
    LanguageCache texts_{paths_};
};

TEST_F(Lookup, TextsAndTheErrorFallback) {
    EXPECT_EQ(LookupText(texts_, "MAIN_CAPTION", 0), "Keyboard");
    EXPECT_EQ(LookupText(texts_, "MAIN_CAPTION", 1), "Teclado");
    EXPECT_EQ(LookupText(texts_, "MAIN_CAPTION", 7), "Keyboard");  // outside the table: English
    EXPECT_EQ(LookupText(texts_, "MAIN_CAPTION", -1), "Keyboard");
    EXPECT_EQ(LookupText(texts_, "PROFILE_1", 0), "");  // present but empty
    EXPECT_EQ(LookupText(texts_, "PROFILE_2", 0), "#Error");
    EXPECT_EQ(LookupText(texts_, "Speed", 0), "#Error");  // another section
    EXPECT_EQ(LookupLightText(texts_, "speed", 0), "Speed");
    EXPECT_EQ(LookupModeName(texts_, 12, 0), "Vertical Wave");
    EXPECT_EQ(LookupModeName(texts_, 5, 1), "Respiração");
    EXPECT_EQ(LookupModeName(texts_, 19, 0), "#Error");

    // Read at every lookup: a changed file is seen at once.
    WriteBytes(dir_ / "Lang0409.ini", "[TEXT]\nMAIN_CAPTION=Changed\n");
    EXPECT_EQ(LookupText(texts_, "MAIN_CAPTION", 0), "Changed");
    std::filesystem::remove(dir_ / "Lang0409.ini");
    EXPECT_EQ(LookupText(texts_, "MAIN_CAPTION", 0), "#Error");
}

// Files written long ago are served from the parsed copy; any change to them must still show.
TEST_F(Lookup, SettledFilesFollowEveryChange) {
    const auto file = dir_ / "Lang0409.ini";
    auto writeOld = [&](const std::string& text) {
        WriteBytes(file, text);
        const timespec old[2] = {{1577836800, 0}, {1577836800, 0}};  // 2020-01-01
        ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), old, 0), 0);
    };
    writeOld("[TEXT]\nMAIN_CAPTION=Before\n  Spaced Key = x \n[light]\nDC=Multi\n[MODE]\n3=S\n");
    EXPECT_EQ(LookupText(texts_, "MAIN_CAPTION", 0), "Before");
    EXPECT_EQ(LookupText(texts_, "main_caption", 0), "Before");
    EXPECT_EQ(LookupText(texts_, "spaced key", 0), "x");
    EXPECT_EQ(LookupLightText(texts_, "dc", 0), "Multi");
    EXPECT_EQ(LookupModeName(texts_, 3, 0), "S");
    EXPECT_EQ(LookupText(texts_, "DC", 0), "#Error");
    EXPECT_EQ(LookupText(texts_, "", 0), "#Error");

    // A settled file is looked at again after a short while, not at every lookup.
    const auto recheck = std::chrono::milliseconds(250);
    // Same size, same inode, same (old) modification time: only the change time differs.
    writeOld("[TEXT]\nMAIN_CAPTION=Later!\n  Spaced Key = x \n[light]\nDC=Multi\n[MODE]\n3=S\n");
    std::this_thread::sleep_for(recheck);
    EXPECT_EQ(LookupText(texts_, "MAIN_CAPTION", 0), "Later!");

    // Replaced by rename (recent, so checked at every lookup from then on), then removed.
    WriteBytes(dir_ / "new.ini", "[TEXT]\nMAIN_CAPTION=Renamed\n");
    std::filesystem::rename(dir_ / "new.ini", file);
    std::this_thread::sleep_for(recheck);
    EXPECT_EQ(LookupText(texts_, "MAIN_CAPTION", 0), "Renamed");
    WriteBytes(file, "[TEXT]\nMAIN_CAPTION=Edited\n");
    EXPECT_EQ(LookupText(texts_, "MAIN_CAPTION", 0), "Edited");
    std::filesystem::remove(file);
    EXPECT_EQ(LookupText(texts_, "MAIN_CAPTION", 0), "#Error");
}

// The shipped files hold every key the system looks up, each with a text, and nothing else.
TEST(LanguageFiles, AreComplete) {
    std::set<std::string> text;
    for (std::string_view key : WindowTextKeys()) text.emplace(key);
    for (const KeyRow& row : KeyTable()) {
        if (row.nameKey[0] != '\0') text.emplace(row.nameKey);
    }
    for (int f = 0; f < kFunctionCount; ++f) text.emplace(FunctionNameKey(f));
    for (const MouseEntry& m : MouseList()) text.emplace(m.nameKey);
    std::set<std::string> modes;
    for (int mode = kFirstNamedMode; mode <= kLastNamedMode; ++mode)
        modes.insert(std::to_string(mode));
    std::set<std::string> light(LightTextKeys().begin(), LightTextKeys().end());

    for (const char* name : {"Lang0409.ini", "Lang0416.ini"}) {
        const auto doc = IniDocument::Load(std::filesystem::path(VORLIN_ASSETS_DIR) / name);
        ASSERT_TRUE(doc) << name;
        const std::pair<const char*, const std::set<std::string>*> sections[] = {
            {"TEXT", &text}, {"LIGHT", &light}, {"MODE", &modes}};
        for (auto [section, wanted] : sections) {
            for (const std::string& key : *wanted) {
                const auto value = doc->Find(section, key);
                EXPECT_TRUE(value && !value->empty()) << name << " [" << section << "] " << key;
            }
            for (const std::string& key : doc->Keys(section)) {
                EXPECT_TRUE(wanted->count(key)) << name << " [" << section << "] unused " << key;
            }
        }
        for (const FormatTextKey& f : FormatTextKeys()) {
            const std::string value = doc->Find("TEXT", f.key).value_or("");
            size_t percents = 0;
            for (char c : value) percents += c == '%';
            EXPECT_EQ(percents, 1u) << name << " " << f.key;
            EXPECT_NE(value.find(f.placeholder), std::string::npos) << name << " " << f.key;
        }
    }
    // Each language keeps its own record-delay setting under its own name.
    AppPaths assets;
    assets.exeFolder = VORLIN_ASSETS_DIR;
    const LanguageCache assetTexts(assets);
    EXPECT_NE(LookupText(assetTexts, "MACRO_ACTION_RECORD_DELAY", 0),
              LookupText(assetTexts, "MACRO_ACTION_RECORD_DELAY", 1));
    EXPECT_EQ(LookupText(assetTexts, "MAIN_CAPTION", 1), "Teclado Gamer Vorlin");
    EXPECT_EQ(LookupText(assetTexts, "MACRO_NEW_PREFIX", 0), "Macro ");
}

}  // namespace
}  // namespace vorlin
