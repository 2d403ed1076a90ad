// The bounded reader: what is not a regular file is refused without blocking, what is too large
// is refused from its size, and each refusal says why.
#include "platform/file_read.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>

#include "support/temp_folder.h"

namespace vorlin::test {
namespace {

constexpr size_t kLimit = 1 << 20;

TEST(FileRead, RefusesWhatIsNotARegularFileOrTooLargeAndSaysWhy) {
    TempFolder dir;
    std::filesystem::create_directory(dir / "folder");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", dir / "zero");
    {
        // Sparse: claims far more than the bound and holds no data.
        const int fd = ::open((dir / "sparse").c_str(), O_WRONLY | O_CREAT, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, off_t{4} << 30), 0);
        ::close(fd);
    }
    WriteBytes(dir / "empty", "");
    WriteBytes(dir / "exact", std::string(kLimit, 'x'));
    WriteBytes(dir / "over", std::string(kLimit + 1, 'x'));

    struct Case {
        const char* name;
        bool ok;
        size_t size;
        const char* why;
    };
    const Case cases[] = {
        {"folder", false, 0, "is not a regular file (it is a folder)"},
        {"fifo", false, 0, "is not a regular file (it is a FIFO)"},
        {"zero", false, 0, "is not a regular file (it is a character device)"},
        {"sparse", false, 0, "is larger than 1048576 bytes"},
        {"over", false, 0, "is larger than 1048576 bytes"},
        {"missing", false, 0, "does not exist"},
        {"empty", true, 0, ""},
        {"exact", true, kLimit, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::filesystem::path file = dir / c.name;
        // A reader that blocks would hang the suite: give it a deadline, then open the FIFO's
        // other end so that it comes back.
        auto read = std::async(std::launch::async, [file] {
            std::string text;
            const bool ok = ReadFileLimited(file.string(), text, kLimit);
            return std::make_pair(ok, text.size());
        });
        if (read.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
            ADD_FAILURE() << "the read blocked";
            const int writer = ::open(file.c_str(), O_WRONLY | O_NONBLOCK);
            if (writer >= 0) ::close(writer);
        }
        const auto [ok, size] = read.get();
        EXPECT_EQ(ok, c.ok);
        EXPECT_EQ(size, c.size);

        std::vector<uint8_t> bytes{1, 2, 3};
        const auto started = std::chrono::steady_clock::now();
        const FileReadResult r = ReadFileBounded(file, kLimit, bytes);
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
        EXPECT_EQ(r.ok(), c.ok);
        EXPECT_EQ(DescribeFileRead(r), c.why);
        EXPECT_EQ(bytes.size(), c.size);
    }
    // Refused from its size, which it reports, not from what was read of it.
    std::string text;
    const FileReadResult sparse = ReadFileBounded(dir / "sparse", kLimit, text);
    EXPECT_EQ(sparse.status, FileReadStatus::TooLarge);
    EXPECT_EQ(sparse.size, uint64_t{4} << 30);
}

TEST(FileRead, KernelFilesAreReadUpToTheBoundWhateverSizeTheyClaim) {
    // procfs files claim size 0; sysfs attributes claim 4096 however short they are.
    std::string status;
    ASSERT_TRUE(ReadFileLimited("/proc/self/status", status, 64 * 1024));
    EXPECT_NE(status.find("Umask:"), std::string::npos);
    std::string tiny;
    EXPECT_FALSE(ReadFileLimited("/proc/self/status", tiny, 16));
    std::string online;
    if (::access("/sys/devices/system/cpu/online", R_OK) == 0) {
        EXPECT_TRUE(ReadFileLimited("/sys/devices/system/cpu/online", online, 64));
        EXPECT_FALSE(online.empty());
    }
}

}  // namespace
}  // namespace vorlin::test
