// User-colour files: defaults for whatever is missing, what is written reads back, and the
// shipped default set.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>

#include "platform/ini_file.h"
#include "store/lighting_keys.h"
#include "store/user_colour_file.h"
#include "support/temp_folder.h"

namespace vorlin {
namespace {

namespace fs = std::filesystem;

class UserColourFileTest : public ::testing::Test {
  protected:
    void SetUp() override { file_ = UserColourFilePath(dir_ / "UserDengColor_", 1); }
    void Write(const fs::path& file, const std::string& text) { std::ofstream(file) << text; }
    std::string Read(const fs::path& file) {
        std::ifstream in(file);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    test::TempFolder folder_{"vorlin-ucf"};
    const fs::path& dir_ = folder_.path();
    fs::path file_;
    IniLock lock_;
};

TEST_F(UserColourFileTest, PathIsPrefixNumberAndExtension) {
    EXPECT_EQ(file_.filename(), "UserDengColor_1.userd");
}

TEST_F(UserColourFileTest, MissingFileAndMissingSectionTakeDefaults) {
    auto check = [&](const fs::path& file, int userMode) {
        EXPECT_EQ(ReadUserModeName(file, userMode), "0");
        UserModeSettings s = ReadUserModeSettings(file, userMode);
        EXPECT_EQ(s.tool, 0);
        EXPECT_EQ(s.baseColour, 0u);
        EXPECT_EQ(s.userColour, 0u);
        for (const LightKey& k : LightKeys()) {
            KeyColourEntry e = ReadKeyColour(file, userMode, k.lightPosition);
            EXPECT_EQ(e.colour, MakeRgb(255, 0, 0));
            EXPECT_TRUE(e.baseFlag);
        }
    };
    EXPECT_EQ(ReadPresentMode(file_), 0);
    check(file_, 3);

    // A file with other user modes but none for user mode 3.
    Write(file_,
          "[PRESENTMODE]\nmode=3\n[MODENAME]\n0=Zero\n[Mode2]\ntool=1\njcolor=1,2,3\n"
          "color=4,5,6\n0=9,9,9,0\n");
    EXPECT_EQ(ReadPresentMode(file_), 3);
    check(file_, 3);
    EXPECT_EQ(ReadUserModeName(file_, 0), "Zero");
    EXPECT_EQ(ReadUserModeSettings(file_, 2).baseColour, MakeRgb(1, 2, 3));
}

TEST_F(UserColourFileTest, ValuesAsStoredByHandOrByOtherVersions) {
    Write(file_,
          "[PRESENTMODE]\nmode=12\n[Mode0]\ntool=1\njcolor=300,-4,17\ncolor=10,20\n"
          "0=1,2,3,7\n1=1,2,3,0\n2=junk\n3=4,5\n4= 6, 7,8,1 trailing\n");
    EXPECT_EQ(ReadPresentMode(file_), 12);  // used as it stands
    UserModeSettings s = ReadUserModeSettings(file_, 0);
    EXPECT_EQ(s.tool, 1);
    EXPECT_EQ(s.baseColour, MakeRgb(255, 0, 17));
    EXPECT_EQ(s.userColour, MakeRgb(10, 20, 0));

    struct Case {
        int position;
        Rgb colour;
        bool flag;
    } cases[] = {
        {0, MakeRgb(1, 2, 3), true},  // any non-zero flag is set
        {1, MakeRgb(1, 2, 3), false}, {2, MakeRgb(255, 0, 0), true},
        {3, MakeRgb(4, 5, 0), true},  {4, MakeRgb(6, 7, 8), true},
    };
    for (const Case& c : cases) {
        KeyColourEntry e = ReadKeyColour(file_, 0, c.position);
        EXPECT_EQ(e.colour, c.colour) << c.position;
        EXPECT_EQ(e.baseFlag, c.flag) << c.position;
    }
}

TEST_F(UserColourFileTest, WritesReadBackAndKeepTheRest) {
    Write(file_, "[MODENAME]\n0=Keep me\n");
    ASSERT_TRUE(WritePresentMode(lock_, file_, 4));
    ASSERT_TRUE(
        WriteUserModeSettings(lock_, file_, 4, {1, MakeRgb(1, 2, 3), MakeRgb(250, 251, 252)}));
    ASSERT_TRUE(WriteKeyColour(lock_, file_, 4, 110, {MakeRgb(7, 8, 9), false}));
    ASSERT_TRUE(WriteUserModeName(lock_, file_, 4, "Mine"));

    EXPECT_EQ(ReadPresentMode(file_), 4);
    UserModeSettings s = ReadUserModeSettings(file_, 4);
    EXPECT_EQ(s.tool, 1);
    EXPECT_EQ(s.baseColour, MakeRgb(1, 2, 3));
    EXPECT_EQ(s.userColour, MakeRgb(250, 251, 252));
    KeyColourEntry e = ReadKeyColour(file_, 4, 110);
    EXPECT_EQ(e.colour, MakeRgb(7, 8, 9));
    EXPECT_FALSE(e.baseFlag);
    EXPECT_EQ(ReadUserModeName(file_, 4), "Mine");
    EXPECT_EQ(ReadUserModeName(file_, 0), "Keep me");
    EXPECT_NE(Read(file_).find("110=7,8,9,0"), std::string::npos);
}

TEST_F(UserColourFileTest, NamesStayOnOneLineAndWithinTheLimit) {
    // A line break in a name would otherwise write a section of its own into the file.
    ASSERT_TRUE(WriteUserModeName(lock_, file_, 2, "Evil\n[Mode0]\ntool=7"));
    EXPECT_EQ(ReadUserModeName(file_, 2), "Evil [Mode0] tool=7");
    EXPECT_EQ(ReadUserModeSettings(file_, 0).tool, 0);

    std::string longName;
    for (int i = 0; i < 300; ++i) longName += "\xC3\xA9";  // é, two bytes each
    std::string clean = CleanUserModeName(longName);
    EXPECT_EQ(clean.size(), 2 * 259u);
    ASSERT_TRUE(WriteUserModeName(lock_, file_, 3, longName));
    EXPECT_EQ(ReadUserModeName(file_, 3), clean);

    // Characters outside the BMP take two UTF-16 units: 200 of them are cut to 129 (258 units,
    // the 130th would be split), and the name reads back as it was written.
    std::string emoji;
    for (int i = 0; i < 200; ++i) emoji += "\xF0\x9F\x98\x80";  // U+1F600
    std::string cut;
    for (int i = 0; i < 129; ++i) cut += "\xF0\x9F\x98\x80";
    EXPECT_EQ(CleanUserModeName(emoji), cut);
    ASSERT_TRUE(WriteUserModeName(lock_, file_, 4, emoji));
    EXPECT_EQ(ReadUserModeName(file_, 4), cut);
    ASSERT_TRUE(
        WriteUserModeName(lock_, file_, 5, "a" + emoji));  // 1 + 129 x 2 = 259 units exactly
    EXPECT_EQ(ReadUserModeName(file_, 5), "a" + cut);
    EXPECT_EQ(UserColourFile(file_).ModeName(5), "a" + cut);
}

TEST_F(UserColourFileTest, FailedCopyLeavesTheTargetAsItWas) {
    Write(file_, "[PRESENTMODE]\nmode=5\n");
    EXPECT_FALSE(CopyUserColourFile(dir_ / "missing.userd", file_));
    EXPECT_EQ(ReadPresentMode(file_), 5);

    fs::path source = dir_ / "source.userd";
    Write(source, "[PRESENTMODE]\nmode=2\n");
    EXPECT_TRUE(CopyUserColourFile(source, file_));
    EXPECT_EQ(Read(file_), Read(source));
}

TEST_F(UserColourFileTest, BatchChangesGoOutInOneWriteAndKeepTheRest) {
    Write(file_, "; my notes\n[MODENAME]\n0=Keep me\n[Mode1]\n5=1,1,1,0\n");
    UserColourFile file(file_);
    EXPECT_TRUE(file.SetSettings(1, {1, MakeRgb(4, 5, 6), MakeRgb(7, 8, 9)}));
    for (int pos : {0, 1, 125}) EXPECT_TRUE(file.SetKeyColour(1, pos, {MakeRgb(0, 255, 0), true}));
    EXPECT_EQ(ReadKeyColour(file_, 1, 0).colour, MakeRgb(255, 0, 0));  // nothing written yet
    ASSERT_TRUE(file.Save());
    EXPECT_EQ(ReadKeyColour(file_, 1, 125).colour, MakeRgb(0, 255, 0));
    EXPECT_EQ(ReadKeyColour(file_, 1, 5).colour, MakeRgb(1, 1, 1));
    EXPECT_EQ(ReadUserModeSettings(file_, 1).userColour, MakeRgb(7, 8, 9));
    EXPECT_EQ(ReadUserModeName(file_, 0), "Keep me");
    EXPECT_EQ(Read(file_).rfind("; my notes", 0), 0u);
}

TEST_F(UserColourFileTest, AFileThatCannotBeReadIsNeverReplaced) {
    // Larger than any ini file the reader accepts.
    Write(file_, "[PRESENTMODE]\nmode=5\n");
    const auto size = kIniMaxFileBytes + 1;
    fs::resize_file(file_, size);
    UserColourFile file(file_);
    EXPECT_EQ(file.PresentMode(), 0);
    file.SetKeyColour(0, 0, {0, false});
    EXPECT_FALSE(file.Save());
    EXPECT_EQ(fs::file_size(file_), size);
    std::string head(14, '\0');
    std::ifstream(file_).read(head.data(), head.size());
    EXPECT_EQ(head, "[PRESENTMODE]\n");
}

TEST(DefaultUserColourFile, TenNamedModesCoveringEveryKey) {
    fs::path path = UserColourFilePath(fs::path(VORLIN_ASSETS_DIR) / "Skins" / "UserDengColor_", 3);
    std::optional<IniDocument> doc = IniDocument::Load(path);
    ASSERT_TRUE(doc) << path;
    UserColourFile file(path);
    EXPECT_EQ(file.PresentMode(), 0);
    std::set<std::string> names;
    for (int n = 0; n < kUserModes; ++n) {
        std::string name = file.ModeName(n);
        EXPECT_NE(name, "0") << n;
        names.insert(name);
        UserModeSettings s = file.Settings(n);
        EXPECT_TRUE(s.tool == 0 || s.tool == 1) << n;
        const std::string section = "Mode" + std::to_string(n);
        for (const LightKey& k : LightKeys()) {
            const std::string key = std::to_string(k.lightPosition);
            EXPECT_TRUE(doc->Find(section, key)) << section << " " << key;
            KeyColourEntry e = file.KeyColour(n, k.lightPosition);
            // Keys on the base colour carry it, so reloading keeps every flag.
            EXPECT_EQ(e.baseFlag, e.colour == s.baseColour) << section << " " << key;
        }
    }
    EXPECT_EQ(names.size(), size_t(kUserModes));
}

}  // namespace
}  // namespace vorlin
