// Whole-file replacement: content in place, mode kept, links followed, failures harmless.
#include "platform/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include "support/temp_folder.h"

namespace vorlin::test {
namespace {

int CountEntries(const std::filesystem::path& dir) {
    int n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir)) ++n;
    return n;
}

TEST(AtomicFile, ReplacesContentAndKeepsMode) {
    TempFolder dir;
    const auto file = dir / "f.bin";
    ASSERT_TRUE(WriteFileAtomically(file, std::string_view("first")));
    EXPECT_EQ(ReadBytes(file), "first");
    ::chmod(file.c_str(), 0600);
    const std::vector<uint8_t> bytes = {0, 1, 2, 255};
    ASSERT_TRUE(WriteFileAtomically(file, bytes));
    EXPECT_EQ(ReadBytes(file), std::string("\0\1\2\xFF", 4));
    struct stat st {};
    ::stat(file.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(CountEntries(dir.path()), 1);
}

TEST(AtomicFile, WritesThroughASymbolicLink) {
    TempFolder dir;
    WriteBytes(dir / "real.ini", "old");
    std::filesystem::create_symlink(dir / "real.ini", dir / "link.ini");
    ASSERT_TRUE(WriteFileAtomically(dir / "link.ini", std::string_view("new")));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.ini"));
    EXPECT_EQ(ReadBytes(dir / "real.ini"), "new");
}

TEST(AtomicFile, FailuresLeaveNothingBehind) {
    TempFolder dir;
    EXPECT_FALSE(WriteFileAtomically(dir / "no/such/folder/f", std::string_view("x")));
    std::filesystem::create_directory(dir / "d");
    EXPECT_FALSE(WriteFileAtomically(dir / "d", std::string_view("x")));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "d"));
    EXPECT_FALSE(CopyFileAtomically(dir / "missing", dir / "copy"));
    EXPECT_FALSE(std::filesystem::exists(dir / "copy"));
    EXPECT_EQ(CountEntries(dir.path()), 1);
}

TEST(AtomicFile, CopiesLargeFiles) {
    TempFolder dir;
    std::string big(300000, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 31);
    WriteBytes(dir / "src", big);
    WriteBytes(dir / "dst", "previous");
    ASSERT_TRUE(CopyFileAtomically(dir / "src", dir / "dst"));
    EXPECT_EQ(ReadBytes(dir / "dst"), big);
}

// A pid no process has: a child that has already ended and been reaped.
pid_t EndedPid() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

TEST(AtomicFile, TemporariesOfKilledWritersAreRemovedAndLiveOnesKept) {
    TempFolder dir;
    const std::string dead = std::to_string(EndedPid());
    const std::string live = std::to_string(::getpid());
    struct Case {
        std::string name;
        bool stale;
    };
    const Case cases[] = {
        {"f.bin.tmp-" + dead + "-0-123", true},
        {"f.bin.tmp-" + live + "-7-99", false},     // a write under way in this process
        {"f.bin.tmp-" + live + "-8-42", true},      // older than any write takes
        {"other.bin.tmp-" + dead + "-0-1", false},  // another target's, left to its own writes
        {"f.bin.tmp-" + dead + "-x", false},        // not our naming
        {"notes.tmp-old", false},
    };
    for (const Case& c : cases) WriteBytes(dir / c.name, "half");
    const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
    std::filesystem::last_write_time(dir / cases[2].name, old);

    ASSERT_TRUE(WriteFileAtomically(dir / "f.bin", std::string_view("new")));
    EXPECT_EQ(ReadBytes(dir / "f.bin"), "new");
    for (const Case& c : cases)
        EXPECT_EQ(std::filesystem::exists(dir / c.name), !c.stale) << c.name;
}

// The temporary is created 0600; the file it becomes still gets what the umask allows.
TEST(AtomicFile, NewFilesGetTheUmaskMode) {
    TempFolder dir;
    const mode_t previous = ::umask(022);
    ASSERT_TRUE(WriteFileAtomically(dir / "new.bin", std::string_view("x")));
    ::umask(previous);
    struct stat st {};
    ASSERT_EQ(::stat((dir / "new.bin").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
}

}  // namespace
}  // namespace vorlin::test
