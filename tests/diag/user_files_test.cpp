// Checks of the user's files and of language files.
#include <gtest/gtest.h>

#include <fstream>

#include "diag/diag_fixture.h"
#include "platform/app_paths.h"
#include "skin/language_check.h"
#include "store/config_image.h"
#include "store/macro_record.h"
#include "store/user_file_check.h"

namespace vorlin {
namespace {

namespace fs = std::filesystem;

using testing::MachineTree;

std::vector<uint8_t> EmptyImageFile() {
    auto image = MakeDefaultImage();
    std::vector<uint8_t> bytes(kImageSize);
    WriteConfigImage(*image, bytes.data());
    return bytes;
}

void WriteFile(const fs::path& file, const std::vector<uint8_t>& bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

TEST(ImageFileCheck, TellsEachFault) {
    MachineTree tree;
    const fs::path file = tree.root() / "$Profile0";
    EXPECT_EQ(CheckImageFile(file, "p").verdict, FileVerdict::Missing);

    std::vector<uint8_t> bytes = EmptyImageFile();
    WriteFile(file, bytes);
    EXPECT_EQ(CheckImageFile(file, "p").verdict, FileVerdict::Ok);

    struct Case {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> damage;
        const char* detail;
    } cases[] = {
        {"a header byte", [](auto& b) { b[12] ^= 1; }, "header"},
        {"cut short", [](auto& b) { b.resize(1000); }, "1000 bytes, shorter"},
        {"a macro it does not hold",
         [](auto& b) {
             b[14] = 1;  // one macro, total size and checksum fixed up
             const uint32_t total = kImageSize + kMacroRecordSize;
             for (int i = 0; i < 4; ++i) b[8 + i] = static_cast<uint8_t>(total >> (8 * i));
             b[31] = ImageHeaderChecksum(b.data());
         },
         "shorter than its header says"},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> damaged = bytes;
        c.damage(damaged);
        WriteFile(file, damaged);
        const FileCheck check = CheckImageFile(file, "p");
        EXPECT_EQ(check.verdict, FileVerdict::Faulty) << c.what;
        EXPECT_NE(check.detail.find(c.detail), std::string::npos) << c.what << ": " << check.detail;
    }
}

TEST(UserColourFileCheck, ShippedSetIsSoundAndBadEntriesAreCounted) {
    const fs::path shipped = fs::path(VORLIN_ASSETS_DIR) / "Skins/UserDengColor_3.userd";
    EXPECT_EQ(CheckUserColourFile(shipped, "t").verdict, FileVerdict::Ok);

    MachineTree tree;
    const fs::path file = tree.root() / "UserDengColor_0.userd";
    tree.Write(file,
               "[PRESENTMODE]\nmode=12\n[Mode0]\ntool=0\njcolor=255,0,0\n10=255,0,0,1\n"
               "11=300,0,0,1\n[Mode4]\ncolor=1,2\n200=0,0,0,0\nname=whatever\n");
    const FileCheck c = CheckUserColourFile(file, "t");
    EXPECT_EQ(c.verdict, FileVerdict::Faulty);
    EXPECT_EQ(c.detail, "the selected user mode \"12\" is not 0..9 (and 3 more)");

    tree.Write(file, "[Mode1]\n5=1,2,3,0\n");
    EXPECT_EQ(CheckUserColourFile(file, "t").verdict, FileVerdict::Ok);
    fs::create_directories(tree.root() / "folder.userd");
    EXPECT_EQ(CheckUserColourFile(tree.root() / "folder.userd", "t").verdict,
              FileVerdict::Unreadable);
}

TEST(UserFiles, EveryFileInOrderWithItsVerdict) {
    MachineTree tree;
    AppPaths paths;
    paths.exeFolder = VORLIN_ASSETS_DIR;
    paths.defaultUserColourPrefix = fs::path(VORLIN_ASSETS_DIR) / "Skins/UserDengColor_";
    paths.userFolder = tree.home() / "Morvane Tesslar";
    paths.userColourPrefix = paths.userFolder / "UserDengColor_";
    paths.userSettings = paths.userFolder / "wskb.ini";
    paths.registryFile = tree.home() / "registry.ini";
    paths.settingsFile = tree.home() / "settings.ini";

    std::vector<FileCheck> checks = CheckUserFiles(paths);
    ASSERT_EQ(checks.size(), 11u);
    EXPECT_EQ(checks[0].verdict, FileVerdict::Missing);  // the folder
    for (const FileCheck& c : checks) {
        if (c.path != paths.defaultUserColourPrefix.string() + "3.userd") {
            EXPECT_EQ(c.verdict, FileVerdict::Missing) << c.role;
        }
    }

    WriteFile(paths.userFolder / "$Profile1", EmptyImageFile());
    WriteFile(paths.userFolder / "$Profile2", {1, 2, 3});
    tree.Write(paths.userSettings, "[KEYCOLOR]\nDengCheck=yes\n");
    tree.Write(paths.registryFile, "[Software\\Morvane Tesslar]\nLANGUAGE=2052\n");
    tree.Write(paths.settingsFile, "[PROFILES]\n");
    checks = CheckUserFiles(paths);
    EXPECT_EQ(checks[0].verdict, FileVerdict::Ok);
    EXPECT_EQ(checks[1].verdict, FileVerdict::Missing);
    EXPECT_EQ(checks[2].verdict, FileVerdict::Ok);
    EXPECT_EQ(checks[3].verdict, FileVerdict::Faulty);
    EXPECT_EQ(checks[7].verdict, FileVerdict::Ok);  // the shipped template
    EXPECT_EQ(checks[8].verdict, FileVerdict::Faulty);
    EXPECT_NE(checks[8].detail.find("DengCheck"), std::string::npos);
    EXPECT_EQ(checks[9].verdict, FileVerdict::Faulty);
    EXPECT_NE(checks[9].detail.find("2052"), std::string::npos);
    EXPECT_EQ(checks[10].verdict, FileVerdict::Ok);

    tree.Write(paths.registryFile, "[Software\\Morvane Tesslar]\nLANGUAGE=abc\n");
    EXPECT_EQ(CheckUserFiles(paths)[9].verdict, FileVerdict::Faulty);
    tree.Write(paths.registryFile, "[Software\\Morvane Tesslar]\nLANGUAGE=1046\n");
    EXPECT_EQ(CheckUserFiles(paths)[9].verdict, FileVerdict::Ok);
}

TEST(LanguageCheck, ShippedFilesAreCompleteAndGapsAreNamed) {
    for (const char* name : {"Lang0409.ini", "Lang0416.ini"}) {
        const LanguageFileCheck c = CheckLanguageFile(fs::path(VORLIN_ASSETS_DIR) / name);
        EXPECT_TRUE(c.Complete()) << name << ": " << (c.missing.empty() ? "" : c.missing[0]);
        EXPECT_GT(c.wanted, 100u);
    }
    MachineTree tree;
    std::ifstream in(fs::path(VORLIN_ASSETS_DIR) / "Lang0409.ini", std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t at = text.find("MAIN_CAPTION=");
    ASSERT_NE(at, std::string::npos);
    text.replace(at, 4, "GONE");
    const size_t mode = text.find("\n12=");
    ASSERT_NE(mode, std::string::npos);
    text.replace(mode + 1, 3, "12=\n;");  // empty value
    tree.Write(tree.root() / "Lang0409.ini", text);
    const LanguageFileCheck c = CheckLanguageFile(tree.root() / "Lang0409.ini");
    EXPECT_TRUE(c.readable);
    EXPECT_EQ(c.missing, (std::vector<std::string>{"[TEXT] MAIN_CAPTION", "[MODE] 12"}));
    EXPECT_FALSE(CheckLanguageFile(tree.root() / "none.ini").readable);
}

}  // namespace
}  // namespace vorlin
