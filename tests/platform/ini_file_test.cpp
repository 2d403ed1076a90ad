// Ini reading and writing: matching rules, encodings, bad input, rewrites that keep the file.
#include "platform/ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/utf.h"
#include "support/temp_folder.h"

namespace vorlin::test {

namespace {

constexpr const char* kSample =
    "; language file\r\n"
    "[TEXT]\r\n"
    "MAIN_CAPTION=Keyboard Settings\r\n"
    "  Padded  =   spaced value   \r\n"
    "EMPTY=\r\n"
    "QUOTED=\"  kept inside  \"\r\n"
    "HALF=\"not closed\r\n"
    "DUP=first\r\n"
    "DUP=second\r\n"
    ";HIDDEN=comment\r\n"
    "NOEQUALS\r\n"
    "[ light ]\r\n"
    "Speed=Speed\r\n"
    "[TEXT]\r\n"
    "LATE=second section of the same name is not read\r\n";

struct ReadCase {
    const char* section;
    const char* key;
    const char* expected;
};

TEST(IniRead, FollowsPrivateProfileRules) {
    TempFolder dir;
    WriteBytes(dir / "a.ini", kSample);
    const ReadCase cases[] = {
        {"TEXT", "MAIN_CAPTION", "Keyboard Settings"},
        {"text", "main_caption", "Keyboard Settings"},  // case-insensitive
        {"TEXT", "padded", "spaced value"},             // blanks trimmed
        {"TEXT", "EMPTY", ""},                          // present but empty
        {"TEXT", "QUOTED", "  kept inside  "},          // one pair of quotes removed
        {"TEXT", "HALF", "\"not closed"},
        {"TEXT", "DUP", "first"},
        {"TEXT", ";HIDDEN", "<default>"},
        {"TEXT", "NOEQUALS", "<default>"},
        {"TEXT", "Speed", "<default>"},  // key of another section
        {"LIGHT", "speed", "Speed"},     // section name trimmed
        {"TEXT", "LATE", "<default>"},
        {"MISSING", "MAIN_CAPTION", "<default>"},
        {"", "MAIN_CAPTION", "<default>"},
        {"TEXT", "", "<default>"},
    };
    for (const ReadCase& c : cases) {
        EXPECT_EQ(IniRead(dir / "a.ini", c.section, c.key, "<default>"), c.expected)
            << c.section << "/" << c.key;
    }
}

TEST(IniRead, CutsValuesAt259Utf16Units) {
    TempFolder dir;
    // 258 ASCII characters then a character outside the BMP (two units): it does not fit.
    const std::string longValue = std::string(258, 'x') + "\xF0\x9F\x98\x80" + "tail";
    WriteBytes(dir / "a.ini", "[S]\nK=" + longValue + "\nL=" + std::string(400, 'y') + "\n");
    EXPECT_EQ(IniRead(dir / "a.ini", "S", "K", ""), std::string(258, 'x'));
    EXPECT_EQ(IniRead(dir / "a.ini", "S", "L", ""), std::string(259, 'y'));
}

TEST(IniRead, ReadsEveryEncoding) {
    TempFolder dir;
    const std::string text = "[TEXT]\r\nNAME=Configuração ↑\r\nOTHER=x\r\n";
    WriteBytes(dir / "utf8.ini", text);
    WriteBytes(dir / "bom.ini", "\xEF\xBB\xBF" + text);
    WriteBytes(dir / "utf16.ini", Utf16LeWithBom(text));
    WriteBytes(dir / "lf.ini", "[TEXT]\nNAME=Configuração ↑\nOTHER=x");
    for (const char* name : {"utf8.ini", "bom.ini", "utf16.ini", "lf.ini"}) {
        EXPECT_EQ(IniRead(dir / name, "TEXT", "NAME", "#"), "Configuração ↑") << name;
        EXPECT_EQ(IniRead(dir / name, "text", "other", "#"), "x") << name;
    }
}

TEST(IniRead, WindowsAnsiFilesAreWindows1252) {
    TempFolder dir;
    struct Case {
        const char* name;
        std::string bytes;
        const char* key;
        const char* expected;
    } cases[] = {
        {"ansi.ini", "[TEXT]\r\nNAME=Ol\xE1\r\n", "NAME", "Olá"},
        {"ansi_high.ini", "[TEXT]\r\nNAME=\x80 \x85 \x93x\x94 \x81\r\n", "name",
         "€ … “x” \xC2\x81"},
        // Valid UTF-8 stays UTF-8 even where it could also be Windows-1252.
        {"utf8.ini", "[TEXT]\nNAME=Ol\xC3\xA1\n", "NAME", "Olá"},
        // One stray byte anywhere makes the whole file Windows-1252.
        {"mixed.ini", "[TEXT]\nA=\xC3\xA1\nNAME=\xE9t\xE9\n", "A", "Ã¡"},
        {"mixed.ini", "", "NAME", "été"},
        // After a UTF-8 BOM a bad byte is only a bad byte.
        {"bom.ini", "\xEF\xBB\xBF[TEXT]\nNAME=Ol\xE1\n", "NAME", "Ol\xEF\xBF\xBD"},
    };
    for (const Case& c : cases) {
        if (!c.bytes.empty()) WriteBytes(dir / c.name, c.bytes);
        EXPECT_EQ(IniRead(dir / c.name, "TEXT", c.key, "#"), c.expected) << c.name;
    }
}

TEST(IniRead, BadInputGivesTheDefault) {
    TempFolder dir;
    std::filesystem::create_directory(dir / "folder.ini");
    std::string garbage;
    for (int i = 0; i < 4096; ++i) garbage.push_back(static_cast<char>((i * 7919) & 0xFF));
    WriteBytes(dir / "garbage.ini", garbage);
    // Truncated UTF-16: odd byte count, and a high surrogate cut off from its pair.
    std::string truncated = Utf16LeWithBom("[S]\r\nK=v\r\n[T]\r\nX=");
    truncated += "\x3D\xD8\x01";
    WriteBytes(dir / "truncated.ini", truncated);
    for (const char* name : {"missing.ini", "folder.ini", "garbage.ini", "truncated.ini"}) {
        EXPECT_EQ(IniRead(dir / name, "TEXT", "MAIN_CAPTION", "dflt"), "dflt") << name;
    }
    EXPECT_EQ(IniRead(dir / "truncated.ini", "S", "K", "dflt"), "v");
    EXPECT_EQ(IniRead(dir / "truncated.ini", "T", "X", "dflt"), "\xEF\xBF\xBD");
}

TEST(IniWrite, RewritesOneValueAndKeepsEverythingElse) {
    IniLock lock;
    TempFolder dir;
    const std::string before =
        "; header comment\r\n[PROFILES]\r\nFlip = 0\r\n\r\n[OTHER]\r\n# not ours\r\nk=v\r\n";
    WriteBytes(dir / "s.ini", before);
    ASSERT_TRUE(IniWrite(lock, dir / "s.ini", "profiles", "FLIP", "1"));
    EXPECT_EQ(ReadBytes(dir / "s.ini"),
              "; header comment\r\n[PROFILES]\r\nFlip = 1\r\n\r\n[OTHER]\r\n# not ours\r\nk=v\r\n");

    // A new key goes at the end of its section, before the blank line; a new section at the end.
    ASSERT_TRUE(IniWrite(lock, dir / "s.ini", "PROFILES", "PROFILE00", "3"));
    ASSERT_TRUE(IniWrite(lock, dir / "s.ini", "NEW", "a", "b"));
    EXPECT_EQ(ReadBytes(dir / "s.ini"),
              "; header comment\r\n[PROFILES]\r\nFlip = 1\r\nPROFILE00=3\r\n\r\n[OTHER]\r\n"
              "# not ours\r\nk=v\r\n[NEW]\r\na=b\r\n");
    // No temporary file is left beside it.
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++files;
    EXPECT_EQ(files, 1);
}

TEST(IniWrite, KeepsTheFileEncoding) {
    IniLock lock;
    TempFolder dir;
    WriteBytes(dir / "u16.ini", Utf16LeWithBom("[MODE]\r\n1=Onda\r\n2=Respiração\r\n"));
    ASSERT_TRUE(IniWrite(lock, dir / "u16.ini", "MODE", "1", "Ondulação"));
    EXPECT_EQ(ReadBytes(dir / "u16.ini"),
              Utf16LeWithBom("[MODE]\r\n1=Ondulação\r\n2=Respiração\r\n"));

    WriteBytes(dir / "bom.ini", "\xEF\xBB\xBF[A]\nk=1\n");
    ASSERT_TRUE(IniWrite(lock, dir / "bom.ini", "A", "k", "2"));
    EXPECT_EQ(ReadBytes(dir / "bom.ini"), "\xEF\xBB\xBF[A]\nk=2\n");
}

TEST(IniWrite, Windows1252FilesStayWindows1252WhileNothingIsLost) {
    IniLock lock;
    TempFolder dir;
    struct Case {
        const char* what;
        std::string before;
        const char* key;
        const char* value;
        std::string after;
    } cases[] = {
        {"an ASCII value", "[A]\r\nx=Ol\xE1\r\nk=1\r\n", "k", "2", "[A]\r\nx=Ol\xE1\r\nk=2\r\n"},
        {"a value the code page holds", "[A]\r\nx=Ol\xE1\r\n", "k", "Ondulação €",
         "[A]\r\nx=Ol\xE1\r\nk=Ondula\xE7\xE3o \x80\r\n"},
        {"an undefined byte kept", "[A]\nx=\x81\x8D\x8F\x90\x9D\n", "k", "\xC2\x90",
         "[A]\nx=\x81\x8D\x8F\x90\x9D\nk=\x90\n"},
        // The code page lacks the arrow: the file becomes UTF-16LE with BOM, nothing is lost.
        {"a character the code page lacks", "[A]\r\nx=Ol\xE1\r\n", "k", "↑",
         Utf16LeWithBom("[A]\r\nx=Olá\r\nk=↑\r\n")},
        // Left as bytes that are valid UTF-8 ("Ã©"), it would read back as "é".
        {"bytes that would read as UTF-8", "[A]\nx=\xC3\xA9\nk=\xE9\n", "k", "e",
         Utf16LeWithBom("[A]\nx=Ã©\nk=e\n")},
        {"nothing but ASCII left", "[A]\nk=\xE9\n", "k", "e", "[A]\nk=e\n"},
    };
    for (const Case& c : cases) {
        const auto file = dir / "w.ini";
        WriteBytes(file, c.before);
        const std::string x = IniRead(file, "A", "x", "#");
        ASSERT_TRUE(IniWrite(lock, file, "A", c.key, c.value)) << c.what;
        EXPECT_EQ(ReadBytes(file), c.after) << c.what;
        EXPECT_EQ(IniRead(file, "A", c.key, "#"), c.value) << c.what;
        EXPECT_EQ(IniRead(file, "A", "x", "#"), x) << c.what;
    }

    // The document says which encoding it will write.
    const std::string ansi = "[A]\nk=\xE9\n";
    IniDocument doc =
        IniDocument::Parse({reinterpret_cast<const uint8_t*>(ansi.data()), ansi.size()});
    EXPECT_EQ(doc.encoding(), IniEncoding::Cp1252);
    ASSERT_TRUE(doc.Set("A", "j", "激活"));
    EXPECT_EQ(doc.encoding(), IniEncoding::Utf16LeBom);
    const IniDocument again = IniDocument::Parse(doc.Serialize());
    EXPECT_EQ(again.Find("A", "k"), "é");
    EXPECT_EQ(again.Find("A", "j"), "激活");
}

TEST(IniWrite, WritersSharingALockLoseNoValue) {
    IniLock lock;
    TempFolder dir;
    const auto file = dir / "shared.ini";
    constexpr int kThreads = 4;
    constexpr int kKeys = 25;
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([&, t] {
            for (int k = 0; k < kKeys; ++k)
                IniWrite(lock, file, "S", "k" + std::to_string(t) + "_" + std::to_string(k), "v");
        });
    }
    for (std::thread& w : writers) w.join();
    const auto doc = IniDocument::Load(file);
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->Keys("S").size(), size_t(kThreads * kKeys));
}

TEST(IniWrite, CreatesFileAndFolderAndKeepsPermissions) {
    IniLock lock;
    TempFolder dir;
    const auto file = dir / "sub/folder/new.ini";
    ASSERT_TRUE(IniWrite(lock, file, "S", "k", "v"));
    EXPECT_EQ(ReadBytes(file), "[S]\nk=v\n");
    ::chmod(file.c_str(), 0640);
    ASSERT_TRUE(IniWrite(lock, file, "S", "k", "w"));
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(IniWrite, ValuesReadBackUnchanged) {
    IniLock lock;
    TempFolder dir;
    const auto file = dir / "v.ini";
    for (const char* value :
         {"", "  padded  ", "\"quoted\"", "'single'", "a=b;c", "\"half", "Configuração ↑"}) {
        ASSERT_TRUE(IniWrite(lock, file, "S", "k", value)) << value;
        EXPECT_EQ(IniRead(file, "S", "k", "#"), value);
    }
}

TEST(IniWrite, RefusesWhatWouldBreakTheFile) {
    IniLock lock;
    TempFolder dir;
    const auto file = dir / "r.ini";
    WriteBytes(file, "[S]\nk=v\n");
    struct Bad {
        const char* section;
        const char* key;
        std::string value;
    } bad[] = {
        {"S", "k", "line\n[X]\ninjected=1"},
        {"S", "k", "cr\rx"},
        {"S", "k", std::string("n\0l", 3)},
        {"S", "a=b", "v"},
        {"S", "[x", "v"},
        {"S", ";x", "v"},
        {"S]", "k", "v"},
        {"", "k", "v"},
        {"S", " ", "v"},
        {"S\n", "k", "v"},
    };
    for (const Bad& b : bad) EXPECT_FALSE(IniWrite(lock, file, b.section, b.key, b.value)) << b.key;
    EXPECT_EQ(ReadBytes(file), "[S]\nk=v\n");

    std::filesystem::create_directory(dir / "dir.ini");
    EXPECT_FALSE(IniWrite(lock, dir / "dir.ini", "S", "k", "v"));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "dir.ini"));
}

}  // namespace
}  // namespace vorlin::test
