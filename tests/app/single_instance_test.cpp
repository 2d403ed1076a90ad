#include "app/single_instance.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "app/instance_start.h"
#include "support/temp_folder.h"

namespace vorlin {
namespace {

using namespace std::chrono_literals;

// Waits for a request to reach server (the listening socket is non-blocking).
std::optional<InstanceRequest> NextRequest(InstanceServer& server) {
    for (int i = 0; i < 100; ++i) {
        if (auto r = server.AcceptRequest()) return r;
        std::this_thread::sleep_for(10ms);
    }
    return std::nullopt;
}

// Connects to the server's socket and sends raw bytes, as a foreign program might.
void SendRaw(const std::filesystem::path& folder, const uint8_t* bytes, size_t n) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strcpy(addr.sun_path, (folder / "vorlin.sock").c_str());
    ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(::write(fd, bytes, n), static_cast<ssize_t>(n));
    ::close(fd);
}

TEST(InstanceMessageTest, RequestsTravelAsTheWindowMessagesOfTheProtocol) {
    struct Case {
        InstanceRequest request;
        uint8_t bytes[8];
    };
    const Case cases[] = {
        {InstanceRequest::Open, {0x50, 0x53, 0, 0, 0x4E, 0x45, 0x50, 0x4F}},
        {InstanceRequest::Kill, {0x4B, 0x4D, 0, 0, 0x4B, 0x49, 0x4C, 0x4C}},
        {InstanceRequest::Exit, {0x11, 0x01, 0, 0, 0x0B, 0x80, 0, 0}},
        {InstanceRequest::OpenFirmwareDialog, {0x11, 0x01, 0, 0, 0x0C, 0x80, 0, 0}},
        {InstanceRequest::Apply, {0x1E, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        uint8_t frame[kInstanceMessageSize] = {};
        EncodeInstanceRequest(c.request, frame);
        EXPECT_EQ(std::memcmp(frame, c.bytes, 8), 0) << static_cast<int>(c.request);
        EXPECT_EQ(DecodeInstanceRequest(frame), c.request);
    }
    // 'OPEN' under the 'KILL' message, and a number nobody knows.
    const uint8_t wrongTag[8] = {0x4B, 0x4D, 0, 0, 0x4E, 0x45, 0x50, 0x4F};
    const uint8_t unknown[8] = {0x12, 0x34, 0, 0, 0, 0, 0, 0};
    EXPECT_FALSE(DecodeInstanceRequest(wrongTag));
    EXPECT_FALSE(DecodeInstanceRequest(unknown));
}

TEST(SingleInstanceTest, SecondCopyAsksTheFirstToShowItselfAndEnds) {
    test::TempFolder dir;
    InstanceStart first = StartInstance(dir.path(), false);
    ASSERT_TRUE(first.server);
    EXPECT_TRUE(InstanceRunning(dir.path()));

    InstanceStart second = StartInstance(dir.path(), false);
    EXPECT_FALSE(second.server);
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_EQ(NextRequest(*first.server), InstanceRequest::Open);

    InstanceStart kill = StartInstance(dir.path(), true);
    EXPECT_FALSE(kill.server);
    EXPECT_EQ(kill.exitCode, 0);
    EXPECT_EQ(NextRequest(*first.server), InstanceRequest::Kill);
}

TEST(SingleInstanceTest, KillWithNoCopyRunningIsIgnored) {
    test::TempFolder dir;
    InstanceStart start = StartInstance(dir.path(), true);
    EXPECT_TRUE(start.server);
}

TEST(SingleInstanceTest, WrongTagsAndHalfMessagesAreIgnored) {
    test::TempFolder dir;
    auto server = InstanceServer::Claim(dir.path(), nullptr);
    ASSERT_TRUE(server);
    const uint8_t wrongTag[8] = {0x50, 0x53, 0, 0, 0x4B, 0x49, 0x4C, 0x4C};
    SendRaw(dir.path(), wrongTag, 8);
    EXPECT_FALSE(NextRequest(*server));
    const uint8_t half[4] = {0x50, 0x53, 0, 0};
    SendRaw(dir.path(), half, 4);
    EXPECT_FALSE(NextRequest(*server));
    // Still listening afterwards.
    EXPECT_TRUE(SignalRunningInstance(dir.path(), InstanceRequest::Apply));
    EXPECT_EQ(NextRequest(*server), InstanceRequest::Apply);
}

TEST(SingleInstanceTest, LockAndSocketOfAKilledCopyDoNotBlockANewStart) {
    test::TempFolder dir;
    const pid_t child = ::fork();
    if (child == 0) {
        auto server = InstanceServer::Claim(dir.path(), nullptr);
        ::kill(::getpid(), server ? SIGKILL : SIGTERM);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    ASSERT_EQ(WTERMSIG(status), SIGKILL);
    ASSERT_TRUE(std::filesystem::exists(dir.path() / "vorlin.sock"));
    EXPECT_FALSE(InstanceRunning(dir.path()));

    InstanceStart start = StartInstance(dir.path(), false, 200ms);
    ASSERT_TRUE(start.server) << start.message;
    EXPECT_TRUE(SignalRunningInstance(dir.path(), InstanceRequest::Open));
    EXPECT_EQ(NextRequest(*start.server), InstanceRequest::Open);
}

TEST(SingleInstanceTest, ACopyThatHoldsTheLockButNeverListensIsReported) {
    test::TempFolder dir;
    auto server = InstanceServer::Claim(dir.path(), nullptr);
    ASSERT_TRUE(server);
    std::filesystem::remove(dir.path() / "vorlin.sock");
    InstanceStart second = StartInstance(dir.path(), false, 150ms);
    EXPECT_FALSE(second.server);
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_NE(second.message.find("does not answer"), std::string::npos);
}

TEST(SingleInstanceTest, APeerOfAnotherUserIsRefused) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to speak as another user";
    const passwd* nobody = ::getpwnam("nobody");
    ASSERT_NE(nobody, nullptr);
    test::TempFolder dir;
    auto server = InstanceServer::Claim(dir.path(), nullptr);
    ASSERT_TRUE(server);
    // Open the way in on purpose: only the credential check stands between the two.
    ::chmod(dir.path().c_str(), 0755);
    ::chmod((dir.path() / "vorlin.sock").c_str(), 0777);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0) ::_exit(2);
        ::_exit(SignalRunningInstance(dir.path(), InstanceRequest::Kill) ? 0 : 3);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0) << "the peer could not reach the socket";
    EXPECT_FALSE(NextRequest(*server));
}

TEST(SingleInstanceTest, TheFolderIsPrivateInsideTheRuntimeFolder) {
    test::TempFolder dir;
    const auto folder = InstanceFolder(dir.path() / "run");
    ASSERT_TRUE(folder);
    EXPECT_EQ(*folder, dir.path() / "run" / "vorlin");
    struct stat st {};
    ASSERT_EQ(::stat(folder->c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    std::filesystem::create_directory_symlink(*folder, dir.path() / "run2");
    EXPECT_FALSE(InstanceFolder(dir.path() / "run2"));
}

}  // namespace
}  // namespace vorlin
