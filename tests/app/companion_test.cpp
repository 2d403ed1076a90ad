#include <fcntl.h>
#include <gtest/gtest.h>
#include <semaphore.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "app/daemon_launch.h"
#include "app/named_events.h"
#include "support/temp_folder.h"

namespace vorlin {
namespace {

using namespace std::chrono_literals;

bool SemaphoreExists(int n) {
    sem_t* s = ::sem_open(("/" + NamedEventName(n)).c_str(), 0);
    if (s == SEM_FAILED) return false;
    ::sem_close(s);
    return true;
}

TEST(NamedEventsTest, NamesRunFromTwoDigitsToThree) {
    EXPECT_EQ(NamedEventName(1), "Vorlin_Event_Main_01");
    EXPECT_EQ(NamedEventName(99), "Vorlin_Event_Main_99");
    EXPECT_EQ(NamedEventName(100), "Vorlin_Event_Main_100");
    EXPECT_EQ(NamedEventName(208), "Vorlin_Event_Main_208");
}

TEST(NamedEventsTest, AllExistWithOwnerOnlyAccessUntilRemoved) {
    // One a crashed run left behind is taken over.
    sem_t* left = ::sem_open(("/" + NamedEventName(7)).c_str(), O_CREAT, 0600, 0);
    ASSERT_NE(left, SEM_FAILED);
    ::sem_close(left);
    {
        NamedEvents events;
        ASSERT_EQ(events.Create(), kNamedEventCount);
        for (int n : {1, 7, 99, 100, 208}) EXPECT_TRUE(SemaphoreExists(n)) << n;
        struct stat st {};
        ASSERT_EQ(::stat(("/dev/shm/sem." + NamedEventName(208)).c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u);
        events.Remove();
        for (int n : {1, 7, 208}) EXPECT_FALSE(SemaphoreExists(n)) << n;
        EXPECT_EQ(events.Create(), kNamedEventCount);
    }
    // The destructor removes them too.
    EXPECT_FALSE(SemaphoreExists(1));
    EXPECT_FALSE(SemaphoreExists(208));
}

TEST(DaemonLaunchTest, StartsDetachedWithoutArgumentsAndMissingIsQuiet) {
    test::TempFolder dir;
    const auto daemon = dir.path() / kDaemonFileName;
    const auto marker = dir.path() / "started";
    test::WriteBytes(daemon, "#!/bin/sh\necho \"$# $PPID\" >> '" + marker.string() + "'\n");
    std::filesystem::permissions(daemon, std::filesystem::perms::owner_all);
    ASSERT_TRUE(LaunchDaemon(daemon));
    for (int i = 0; i < 200 && !std::filesystem::exists(marker); ++i)
        std::this_thread::sleep_for(10ms);
    std::this_thread::sleep_for(50ms);
    const std::string line = test::ReadBytes(marker);
    ASSERT_FALSE(line.empty());
    EXPECT_EQ(line.substr(0, 2), "0 ") << "no arguments";
    // Not our child: we never wait for it.
    EXPECT_NE(std::stoi(line.substr(2)), ::getpid());

    EXPECT_FALSE(LaunchDaemon(dir.path() / "missing"));
    test::WriteBytes(dir.path() / "plain", "not a program");
    EXPECT_FALSE(LaunchDaemon(dir.path() / "plain"));
}

}  // namespace
}  // namespace vorlin
