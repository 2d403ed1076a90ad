// The composite backend: paths of every backend in one list, opens routed by prefix.
#include <gtest/gtest.h>

#include "device/hid/hid_device.h"
#include "device/hid/system_backend.h"
#include "hid/socket_backend.h"
#include "sim/keyboard_descriptors.h"

namespace vorlin {
namespace {

using test::SocketBackend;

TEST(SystemHidBackend, ListsAndRoutesEveryBackendsPaths) {
    auto primary = std::make_shared<SocketBackend>();
    auto sim = std::make_shared<SocketBackend>();
    primary->Add("/dev/hidraw0&vid_046d&pid_c077", ConsumerCollectionDescriptor());
    sim->Add("sim:320f:5000&mi_01&col02", VendorCollectionDescriptor());
    // A path the primary lists under another backend's prefix is not the primary's to offer.
    primary->Add("sim:stray", VendorCollectionDescriptor());

    SystemHidBackend system(primary);
    system.Register("sim:", sim);
    CHidDevice dev(system);
    ASSERT_TRUE(dev.Enumerate());
    ASSERT_EQ(dev.pathCount(), 2);
    EXPECT_EQ(dev.paths()[0], "/dev/hidraw0&vid_046d&pid_c077");
    EXPECT_EQ(dev.paths()[1], "sim:320f:5000&mi_01&col02");

    ASSERT_TRUE(dev.Open(dev.paths()[1], kOpenReadWrite));
    EXPECT_EQ(dev.caps().usagePage, 0xFF1C);
    EXPECT_EQ(sim->lastPeer >= 0, true);
    EXPECT_EQ(primary->lastPeer, -1);
    EXPECT_TRUE(system.Exists("sim:320f:5000&mi_01&col02"));
    EXPECT_FALSE(system.Exists("sim:stray"));
    EXPECT_TRUE(system.Exists("/dev/hidraw0&vid_046d&pid_c077"));

    system.Unregister("sim:");
    ASSERT_TRUE(dev.Enumerate());
    EXPECT_EQ(dev.pathCount(), 2);  // the primary's "sim:stray" is its own again
    EXPECT_FALSE(system.Exists("sim:320f:5000&mi_01&col02"));
}

TEST(SystemHidBackend, AFailingBackendDoesNotHideTheOthers) {
    auto primary = std::make_shared<SocketBackend>();
    auto sim = std::make_shared<SocketBackend>();
    primary->failEnumerate = true;
    sim->Add("sim:a", VendorCollectionDescriptor());
    SystemHidBackend system(primary);
    system.Register("sim:", sim);
    std::vector<std::string> paths;
    ASSERT_TRUE(system.Enumerate(paths));
    EXPECT_EQ(paths, std::vector<std::string>{"sim:a"});

    system.Unregister("sim:");
    EXPECT_FALSE(system.Enumerate(paths));
    EXPECT_TRUE(paths.empty());
}

}  // namespace
}  // namespace vorlin
