// The keyboard lock: one holder at a time, a bounded wait that names the holder, and nothing
// left behind by a killed holder that could block the next one.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "platform/keyboard_lock.h"
#include "support/temp_folder.h"

namespace vorlin {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

std::string OwnProgram() {
    std::string name = ReadBytes("/proc/self/comm");
    while (!name.empty() && name.back() == '\n') name.pop_back();
    return name;
}

TEST(KeyboardLock, OneHolderAtATimeAndTheWaiterNamesIt) {
    TempFolder dir;
    const std::string file = (dir / "kb.vsim.lock").string();
    KeyboardLock first;
    ASSERT_EQ(first.LockFile(file, 0ms), KeyboardLock::kTaken) << first.error();
    EXPECT_TRUE(first.Held());
    EXPECT_EQ(ReadBytes(file), std::to_string(::getpid()) + "\n");
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // flock excludes every other open of the file, in this process too.
    KeyboardLock second;
    int notes = 0;
    LockHolder noted;
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(second.LockFile(file, 300ms,
                              [&](const LockHolder& h) {
                                  ++notes;
                                  noted = h;
                              }),
              KeyboardLock::kBusy);
    EXPECT_GE(Clock::now() - start, 300ms);
    EXPECT_LT(Clock::now() - start, 3s);
    EXPECT_FALSE(second.Held());
    EXPECT_EQ(notes, 1);
    EXPECT_EQ(noted.pid, ::getpid());
    EXPECT_EQ(second.holder().pid, ::getpid());
    EXPECT_EQ(second.holder().program, OwnProgram());
    EXPECT_EQ(DescribeLockHolder(second.holder()),
              "process " + std::to_string(::getpid()) + " (" + OwnProgram() + ")");

    first.Release();
    EXPECT_EQ(second.LockFile(file, 0ms), KeyboardLock::kTaken);
    EXPECT_EQ(first.LockFile(file, 0ms), KeyboardLock::kBusy);
}

TEST(KeyboardLock, AWaiterGetsTheLockWhenTheHolderLetsGo) {
    TempFolder dir;
    const std::string file = (dir / "lock").string();
    auto holder = std::make_unique<KeyboardLock>();
    ASSERT_EQ(holder->LockFile(file, 0ms), KeyboardLock::kTaken);
    std::thread release([&] {
        std::this_thread::sleep_for(200ms);
        holder.reset();
    });
    KeyboardLock waiter;
    EXPECT_EQ(waiter.LockFile(file, 5s), KeyboardLock::kTaken);
    release.join();
}

// A holder in another process, named through the kernel's lock table, and killed: its lock
// file with its pid stays behind and must not block.
TEST(KeyboardLock, AKilledHolderNeverBlocks) {
    TempFolder dir;
    for (const bool node : {false, true}) {
        const std::string file = (dir / (node ? "hidraw0" : "kb.lock")).string();
        if (node) WriteBytes(file, "");
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            KeyboardLock lock;
            const int r = node ? lock.LockNode(file, 0ms) : lock.LockFile(file, 0ms);
            const char c = r == KeyboardLock::kTaken ? 'y' : 'n';
            if (::write(ready[1], &c, 1) != 1) ::_exit(1);
            ::pause();
            ::_exit(0);
        }
        ::close(ready[1]);
        char c = 0;
        ASSERT_EQ(::read(ready[0], &c, 1), 1);
        ::close(ready[0]);
        ASSERT_EQ(c, 'y');

        KeyboardLock lock;
        EXPECT_EQ(node ? lock.LockNode(file, 100ms) : lock.LockFile(file, 100ms),
                  KeyboardLock::kBusy);
        EXPECT_EQ(lock.holder().pid, child) << file;
        EXPECT_EQ(lock.holder().program, OwnProgram()) << file;

        ::kill(child, SIGKILL);
        ASSERT_EQ(::waitpid(child, nullptr, 0), child);
        const Clock::time_point start = Clock::now();
        EXPECT_EQ(node ? lock.LockNode(file, 0ms) : lock.LockFile(file, 0ms), KeyboardLock::kTaken)
            << file;
        EXPECT_LT(Clock::now() - start, 1s);
        if (!node) {
            EXPECT_EQ(ReadBytes(file), std::to_string(::getpid()) + "\n");
        }
    }
}

TEST(KeyboardLock, AStaleLockFileIsTakenAndRewritten) {
    TempFolder dir;
    const std::string file = (dir / "kb.lock").string();
    WriteBytes(file, "2147483646 and some words left by an older holder\n");
    KeyboardLock lock;
    ASSERT_EQ(lock.LockFile(file, 0ms), KeyboardLock::kTaken);
    EXPECT_EQ(ReadBytes(file), std::to_string(::getpid()) + "\n");
}

TEST(KeyboardLock, RefusesWhatCannotBeALockFile) {
    TempFolder dir;
    std::filesystem::create_directory(dir / "folder");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    WriteBytes(dir / "precious", "keep me");
    std::filesystem::create_symlink(dir / "precious", dir / "link");
    struct Case {
        std::string path;
        bool node;
    };
    const Case cases[] = {
        {(dir / "folder").string(), false}, {(dir / "fifo").string(), false},
        {(dir / "link").string(), false},   {(dir / "missing/kb.lock").string(), false},
        {(dir / "missing").string(), true},
    };
    for (const Case& c : cases) {
        KeyboardLock lock;
        const Clock::time_point start = Clock::now();
        EXPECT_EQ(c.node ? lock.LockNode(c.path, 1s) : lock.LockFile(c.path, 1s),
                  KeyboardLock::kFailed)
            << c.path;
        EXPECT_LT(Clock::now() - start, 500ms) << c.path;
        EXPECT_FALSE(lock.error().empty()) << c.path;
        EXPECT_FALSE(lock.Held());
    }
    EXPECT_EQ(ReadBytes(dir / "precious"), "keep me");
    EXPECT_EQ(DescribeLockHolder({}), "another process");
}

}  // namespace
}  // namespace vorlin
