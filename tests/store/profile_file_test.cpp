// Profile files: save and load round trips, strings, validation and the user folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/le_bytes.h"
#include "store/profile_file.h"
#include "store_fixtures.h"

namespace vorlin {
namespace {

using test::MakeMacro;
using test::ReadFile;
using test::WriteFile;
namespace fs = std::filesystem;

struct ProfileFileTest : ::testing::Test {
    test::TempFolder dir;
    ConfigStore work;
    test::ScriptedPrompter prompter;

    void SetUp() override { work.image = MakeDefaultImage(); }

    void SetText(int table, KeyIndex index, uint16_t type, std::u16string_view text) {
        work.image->tables[table][index].type = type;
        SetKeyString(work, table * 512 + index, text);
    }

    // A valid file with macros and texts, as bytes.
    std::vector<uint8_t> SampleFile() {
        work.macros = {MakeMacro(1, u"one", {{10, 0x1E, 0}, {20, 0x1E, 1}}),
                       MakeMacro(5, u"five", {})};
        SetText(0, 30, kActionLaunch, u"/usr/bin/true");
        SetText(2, 57, kActionText, u"hello");
        const fs::path path = dir / "sample.fwc";
        EXPECT_EQ(SaveImageFile(work, path), 1);
        return ReadFile(path);
    }

    static void Reseal(std::vector<uint8_t>& bytes) {
        bytes[31] = ImageHeaderChecksum(bytes.data());
    }
};

TEST_F(ProfileFileTest, SaveAndLoadRoundTrip) {
    work.image->tables[1][44] = KeyAction{kActionKey, 0, 0x2A, 1, 0};
    work.macros = {MakeMacro(3, u"Mäcro", {{40000, 0x2A, 0}, {0, 0x2A, 1}}, 7)};
    SetText(0, 30, kActionLaunch, u"/usr/bin/gimp");
    SetText(0, 31, kActionText, u"");  // an empty text still takes its terminator
    SetText(2, 260, kActionText, u"typed");
    const fs::path path = dir / "round.fwc";
    ASSERT_EQ(SaveImageFile(work, path), 1);

    const std::vector<uint8_t> bytes = ReadFile(path);
    const uint32_t strings = (14 + 1 + 6) * 2;
    ASSERT_EQ(bytes.size(), 32832u + 16512u + strings);
    EXPECT_EQ(GetU32(bytes.data() + 8), bytes.size());
    EXPECT_EQ(GetU16(bytes.data() + 14), 1);
    EXPECT_EQ(GetU32(bytes.data() + 16), strings);
    // Texts in key-action order, each at the offset its key action holds.
    EXPECT_EQ(work.image->tables[0][30].value, 0u);
    EXPECT_EQ(work.image->tables[0][31].value, 28u);
    EXPECT_EQ(work.image->tables[2][260].value, 30u);
    const size_t area = 32832 + 16512;
    EXPECT_EQ(GetU16(bytes.data() + area + 30), u't');
    EXPECT_EQ(ValidateImageFile(path, prompter), 1);

    ConfigStore loaded;
    ASSERT_EQ(LoadImageFile(loaded, path), 1);
    EXPECT_EQ(loaded.stringBytes, static_cast<int32_t>(strings));
    EXPECT_EQ(loaded.strings.Text(30), u"/usr/bin/gimp");
    EXPECT_EQ(loaded.strings.Length(31), 2u);
    EXPECT_EQ(loaded.strings.Text(2 * 512 + 260), u"typed");
    ASSERT_EQ(loaded.macros.size(), 1u);
    EXPECT_EQ(loaded.macros[0].Name(), u"Mäcro");
    EXPECT_EQ(loaded.macros[0].repeatCount, 7);
    EXPECT_EQ(loaded.macros[0].actions[0].delayMs, 40000);
    EXPECT_EQ(loaded.image->tables[1][44].value, 0x2Au);
    // Saving what was loaded gives the same file.
    const fs::path again = dir / "again.fwc";
    ASSERT_EQ(SaveImageFile(loaded, again), 1);
    EXPECT_EQ(ReadFile(again), bytes);
}

TEST_F(ProfileFileTest, EmptySlotWritesNoTextAndStaysEmpty) {
    SetText(0, 30, kActionText, u"abc");
    work.image->tables[0][31] = KeyAction{kActionText, 0, 0, 0, 0};  // no text: slot 31 empty
    SetText(0, 32, kActionLaunch, u"xy");
    const fs::path path = dir / "empty-slot.fwc";
    ASSERT_EQ(SaveImageFile(work, path), 1);
    EXPECT_EQ(work.image->tables[0][30].value, 0u);
    EXPECT_EQ(work.image->tables[0][32].value, 8u);
    EXPECT_EQ(work.image->tables[0][31].value, 14u) << "past the area, not at another text";
    EXPECT_EQ(ReadFile(path).size(), 32832u + 8 + 6);

    // Saved and loaded again, the key still has no text and the others keep theirs.
    for (int round = 0; round < 2; ++round) {
        ConfigStore loaded;
        ASSERT_EQ(LoadImageFile(loaded, path), 1);
        EXPECT_EQ(loaded.strings.Length(31), 0u);
        EXPECT_EQ(loaded.strings.Text(30), u"abc");
        EXPECT_EQ(loaded.strings.Text(32), u"xy");
        ASSERT_EQ(SaveImageFile(loaded, path), 1);
    }
}

TEST_F(ProfileFileTest, TextsThatCannotBeTakenLeaveEmptySlots) {
    std::vector<uint8_t> bytes = SampleFile();
    const size_t area = 32832 + 2 * 16512;
    const uint32_t areaSize = GetU32(bytes.data() + 16);
    auto entry = [&](int table, int index) { return 64 + table * 8192 + index * 16; };
    PutU32(bytes.data() + entry(1, 10) + 4, areaSize);    // just past the area
    PutU32(bytes.data() + entry(1, 11) + 4, 0xFFFFFFFE);  // far outside
    PutU32(bytes.data() + entry(1, 12) + 4, 1);           // odd: rounded down to 0
    PutU16(bytes.data() + entry(1, 10), kActionText);
    PutU16(bytes.data() + entry(1, 11), kActionLaunch);
    PutU16(bytes.data() + entry(1, 12), kActionText);
    // The last text loses its terminator: it runs to the end of the area.
    PutU16(bytes.data() + area + areaSize - 2, u'!');
    const fs::path path = dir / "bad-offsets.fwc";
    WriteFile(path, bytes);

    ConfigStore loaded;
    ASSERT_EQ(LoadImageFile(loaded, path), 1);
    EXPECT_EQ(loaded.strings.Text(30), u"/usr/bin/true");
    EXPECT_EQ(loaded.strings.Text(512 + 12), u"/usr/bin/true");
    EXPECT_EQ(loaded.strings.Length(512 + 10), 0u);
    EXPECT_EQ(loaded.strings.Length(512 + 11), 0u);
    EXPECT_EQ(loaded.strings.Length(2 * 512 + 57), 0u) << "no terminator before the area ends";
    EXPECT_EQ(loaded.stringBytes, 56);
}

TEST_F(ProfileFileTest, ValidationCases) {
    const std::vector<uint8_t> good = SampleFile();
    struct Case {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> change;
        int result;
        bool formatError;
    };
    const Case cases[] = {
        {"valid", [](auto&) {}, 1, false},
        {"flag 1",
         [](auto& b) {
             b[30] = 1;
             Reseal(b);
         },
         1, false},
        {"flag 2",
         [](auto& b) {
             b[30] = 2;
             Reseal(b);
         },
         0, true},
        {"101 macros, size and checksum right",
         [](auto& b) {
             PutU16(b.data() + 14, 101);
             PutU32(b.data() + 8, static_cast<uint32_t>(ImageFileSize(101, GetU32(b.data() + 16))));
             b.resize(GetU32(b.data() + 8));
             Reseal(b);
         },
         0, true},
        {"total size disagrees",
         [](auto& b) {
             PutU32(b.data() + 8, GetU32(b.data() + 8) + 2);
             Reseal(b);
         },
         0, true},
        {"truncated by one byte", [](auto& b) { b.pop_back(); }, 0, true},
        {"truncated inside the macros", [](auto& b) { b.resize(32832 + 100); }, 0, true},
        {"longer than the header says", [](auto& b) { b.resize(b.size() + 77, 0xAB); }, 1, false},
        {"only an image", [](auto& b) { b.resize(32832); }, 0, true},
        {"shorter than an image", [](auto& b) { b.resize(32831); }, 0, false},
        {"empty", [](auto& b) { b.clear(); }, 0, false},
        {"a macro with 2001 actions", [](auto& b) { PutU16(b.data() + 32832 + 508, 2001); }, 0,
         true},
        {"a macro name without terminator",
         [](auto& b) {
             for (int i = 0; i < 250; ++i) PutU16(b.data() + 32832 + 16512 + 2 * i, 'x');
         },
         0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> bytes = good;
        c.change(bytes);
        const fs::path path = dir / "case.fwc";
        WriteFile(path, bytes);
        prompter.Clear();
        EXPECT_EQ(ValidateImageFile(path, prompter), c.result);
        if (c.formatError) {
            ASSERT_EQ(prompter.Keys(), std::vector<std::string>{"PROFILE_FORMAT_ERROR"});
            EXPECT_EQ(prompter.Questions().at(0).argument, path.string());
        } else {
            EXPECT_TRUE(prompter.Keys().empty());
        }
        // Loading takes exactly what validation accepts.
        ConfigStore loaded;
        EXPECT_EQ(LoadImageFile(loaded, path), c.result);
    }
    EXPECT_EQ(ValidateImageFile(dir / "missing.fwc", prompter), 0);
}

TEST_F(ProfileFileTest, AnySingleHeaderByteChangeIsRefused) {
    const std::vector<uint8_t> good = SampleFile();
    const fs::path path = dir / "byte.fwc";
    for (int i = 0; i <= 30; ++i) {
        std::vector<uint8_t> bytes = good;
        bytes[i] ^= 0x01;
        WriteFile(path, bytes);
        prompter.Clear();
        EXPECT_EQ(ValidateImageFile(path, prompter), 0) << "byte " << i;
        EXPECT_EQ(prompter.Keys(), std::vector<std::string>{"PROFILE_FORMAT_ERROR"})
            << "byte " << i;
    }
}

TEST_F(ProfileFileTest, ImageOnlyFileLoadsWithoutMacros) {
    const fs::path path = dir / "plain.fwc";
    ASSERT_EQ(NewImage(work, path, false), 1);
    EXPECT_EQ(ReadFile(path).size(), 32832u);
    EXPECT_EQ(ValidateImageFile(path, prompter), 1);
    work.macros = {MakeMacro(1, u"x", {})};
    ASSERT_EQ(LoadImageFile(work, path), 1);
    EXPECT_TRUE(work.macros.empty());
    EXPECT_EQ(work.image->tables[0][256].extra, 0x0301);
}

TEST_F(ProfileFileTest, FailedLoadLeavesADefaultImageNotHalfAFile) {
    std::vector<uint8_t> bytes = SampleFile();
    bytes.resize(bytes.size() - 3);
    const fs::path path = dir / "cut.fwc";
    WriteFile(path, bytes);
    for (const fs::path& p : {path, dir / "missing"}) {
        ConfigStore store;
        store.image = MakeDefaultImage();
        store.image->tables[0][30].type = kActionDisabled;
        store.macros = {MakeMacro(1, u"x", {})};
        SetKeyString(store, 5, u"left over");
        EXPECT_EQ(LoadImageFile(store, p), 0);
        ASSERT_TRUE(store.image);
        EXPECT_EQ(store.image->tables[0][30].type, kActionDefault);
        EXPECT_EQ(store.image->tables[0][257].extra, 0x0302);
        EXPECT_TRUE(store.macros.empty());
        EXPECT_EQ(store.stringBytes, 0);
        EXPECT_EQ(store.strings.Length(5), 0u);
    }
}

TEST_F(ProfileFileTest, FailedSaveKeepsThePreviousFile) {
    const fs::path path = dir / "keep.fwc";
    const std::vector<uint8_t> before = SampleFile();
    WriteFile(path, before);
    ConfigStore empty;  // no image: nothing to save
    EXPECT_EQ(SaveImageFile(empty, path), 0);
    EXPECT_EQ(ReadFile(path), before);
    EXPECT_EQ(SaveImageFile(work, dir / "no-such-folder" / "x.fwc"), 0);
    EXPECT_FALSE(fs::exists(dir / "no-such-folder"));
}

TEST(UserFolder, SeededOnceFromTheTemplate) {
    test::TempFolder dir;
    const AppPaths paths = test::PathsIn(dir.path());
    fs::create_directories(paths.skinFolder);
    WriteFile(paths.skinFolder / "UserDengColor_3.userd", {1, 2, 3, 4});

    EXPECT_EQ(ProfileFilePath(paths, 2), paths.userFolder / "$Profile2");
    for (int n = 0; n < 3; ++n) {
        EXPECT_EQ(ReadFile(paths.userFolder / ("UserDengColor_" + std::to_string(n) + ".userd")),
                  (std::vector<uint8_t>{1, 2, 3, 4}));
    }
    // An existing folder is left alone, missing files and all.
    fs::remove(paths.userFolder / "UserDengColor_1.userd");
    EXPECT_EQ(EnsureUserFolder(paths), 1);
    EXPECT_FALSE(fs::exists(paths.userFolder / "UserDengColor_1.userd"));
    // Deleted while running: the next backing-file path brings it back.
    fs::remove_all(paths.userFolder);
    ProfileFilePath(paths, 0);
    EXPECT_TRUE(fs::exists(paths.userFolder / "UserDengColor_1.userd"));
}

// A file whose every text key (type 6) points at one text: each key takes its own copy, so the
// texts taken can be far more than the file holds.
std::vector<uint8_t> SharedTextFile(size_t textUnits) {
    const uint32_t area = static_cast<uint32_t>((textUnits + 1) * 2);
    std::vector<uint8_t> bytes(ImageFileSize(0, area), 0);
    ConfigImage image;
    for (int slot = 0; slot < kKeyActionSlots; ++slot) image.Slot(slot) = {kActionText, 0, 0, 0, 0};
    image.RefreshHeader(0, area, 0);
    WriteConfigImage(image, bytes.data());
    for (size_t i = 0; i < textUnits; ++i) PutU16(bytes.data() + kImageSize + 2 * i, 'x');
    return bytes;
}

TEST_F(ProfileFileTest, TextsSharedByManyKeysAreBoundedByWhatAFileHolds) {
    struct Case {
        const char* what;
        size_t textUnits;
        int result;
    };
    // 2048 copies of the text: 2048 x 16 KiB is well within a file; 2048 x 40 000 units is
    // more than a file is allowed; 2048 x 512 Ki units wraps a 32-bit total.
    const Case cases[] = {
        {"within the bound", 8 * 1024 - 1, 1},
        {"beyond the bound", 40000, 0},
        {"wrapping 32 bits", 512 * 1024 - 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path path = dir / "shared.fwc";
        WriteFile(path, SharedTextFile(c.textUnits));
        prompter.Clear();
        EXPECT_EQ(ValidateImageFile(path, prompter), c.result);
        EXPECT_EQ(prompter.Keys().empty(), c.result == 1);
        ConfigStore loaded;
        ASSERT_EQ(LoadImageFile(loaded, path), c.result);
        if (c.result != 1) {
            EXPECT_EQ(loaded.stringBytes, 0);
            continue;
        }
        // What was taken saves to a file that is taken again, texts and all.
        EXPECT_EQ(loaded.stringBytes, int64_t{kKeyActionSlots} * int64_t(c.textUnits + 1) * 2);
        const fs::path again = dir / "again.fwc";
        ASSERT_EQ(SaveImageFile(loaded, again), 1);
        EXPECT_EQ(ValidateImageFile(again, prompter), 1);
        ConfigStore reloaded;
        ASSERT_EQ(LoadImageFile(reloaded, again), 1);
        EXPECT_EQ(reloaded.stringBytes, loaded.stringBytes);
        EXPECT_EQ(reloaded.strings.Text(kKeyActionSlots - 1), loaded.strings.Text(0));
    }
}

TEST(UserFolder, CreatedPrivateAndClearedOfTemporariesLeftByKilledWrites) {
    test::TempFolder dir;
    const AppPaths paths = test::PathsIn(dir.path());
    ASSERT_EQ(EnsureUserFolder(paths), 1);
    struct stat st {};
    ASSERT_EQ(::stat(paths.userFolder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);  // a writer that is gone
    const fs::path stale = paths.userFolder / ("$Profile0.tmp-" + std::to_string(child) + "-0-5");
    const fs::path live =
        paths.userFolder / ("$Profile1.tmp-" + std::to_string(::getpid()) + "-3-5");
    const fs::path colours =
        paths.userFolder / ("UserDengColor_2.userd.tmp-" + std::to_string(child) + "-1-9");
    for (const fs::path& f : {stale, live, colours}) WriteFile(f, {1});
    ProfileFilePath(paths, 0);  // each run ensures the folder
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_FALSE(fs::exists(colours));
    EXPECT_TRUE(fs::exists(live));
}

TEST(UserFolder, MissingTemplateGivesEmptyColourFiles) {
    test::TempFolder dir;
    const AppPaths paths = test::PathsIn(dir.path());
    EXPECT_EQ(EnsureUserFolder(paths), 1);
    for (int n = 0; n < 3; ++n) {
        const fs::path file = paths.userFolder / ("UserDengColor_" + std::to_string(n) + ".userd");
        ASSERT_TRUE(fs::exists(file));
        EXPECT_EQ(fs::file_size(file), 0u);
    }
}

}  // namespace
}  // namespace vorlin
