// The hidraw backend on a fixture tree laid out like sysfs and /dev: enumeration and path
// spelling, per-collection caps, identity checks on open and presence, and reports
// demultiplexed per collection through a FIFO node.
#include "device/hid/hidraw_backend.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "device/hid/hid_device.h"
#include "sim/keyboard_descriptors.h"
#include "support/temp_folder.h"

namespace vorlin {
namespace {

namespace fs = std::filesystem;

const std::vector<uint8_t> kMouse = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x09, 0x01, 0xA1, 0x00,
                                     0x05, 0x09, 0x19, 0x01, 0x29, 0x03, 0x15, 0x00, 0x25, 0x01,
                                     0x95, 0x03, 0x75, 0x01, 0x81, 0x02, 0x95, 0x01, 0x75, 0x05,
                                     0x81, 0x03, 0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x15, 0x81,
                                     0x25, 0x7F, 0x75, 0x08, 0x95, 0x02, 0x81, 0x06, 0xC0, 0xC0};

class HidrawFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        sys = root / "sys/class/hidraw";
        dev = root / "dev";
        fs::create_directories(sys);
        fs::create_directories(dev);
        Node(0, "0003:0000046D:0000C077", "usb-0000:00:14.0-1/input0", "Mouse", kMouse, "0110");
        auto small = KeyboardModelInterfaces(0x0C45, 0x5004);
        Node(1, "0003:00000C45:00005004", "usb-0000:00:14.0-2/input1", "Keyboard",
             small[0].reportDescriptor, "0203");
        Node(2, "0003:00000C45:00005004", "usb-0000:00:14.0-2/input2", "Keyboard",
             small[1].reportDescriptor, "0203");
        Node(3, "0003:0000320F:00005000", "usb-0000:00:14.0-3/input1", "Keyboard",
             KeyboardModelInterfaces(0x320F, 0x5000)[0].reportDescriptor, "0107");
        // Bluetooth: no USB interface, no bcdDevice.
        Node(10, "0005:0000054C:000005C4", "aa:bb:cc:dd:ee:ff", "Pad", kMouse, "");
        // Unparsable descriptor: listed once, cannot be opened.
        Node(11, "0003:00001234:00000001", "usb-1-1/input0", "Broken", {0xA1, 0x01}, "");
        // Not a HID node of ours: no HID_ID.
        fs::create_directories(sys / "hidraw12/device");
        std::ofstream(sys / "hidraw12/device/uevent") << "DRIVER=x\n";
        fs::create_directories(sys / "hidrawX");
    }

    void Node(int n, const std::string& id, const std::string& phys, const std::string& name,
              const std::vector<uint8_t>& descriptor, const std::string& bcd) {
        std::string node = "hidraw" + std::to_string(n);
        fs::path usbDevice = root / "sys/devices/usb" / std::to_string(n);
        fs::path hidDevice = usbDevice / "intf" / ("hid." + std::to_string(n));
        fs::create_directories(hidDevice);
        if (!bcd.empty()) std::ofstream(usbDevice / "bcdDevice") << bcd << "\n";
        std::ofstream(hidDevice / "uevent")
            << "DRIVER=hid-generic\nHID_ID=" << id << "\nHID_NAME=" << name << "\nHID_PHYS=" << phys
            << "\nHID_UNIQ=\nMODALIAS=hid:x\n";
        std::ofstream(hidDevice / "report_descriptor", std::ios::binary)
            .write(reinterpret_cast<const char*>(descriptor.data()), descriptor.size());
        fs::create_directories(sys / node);
        fs::create_directory_symlink(hidDevice, sys / node / "device");
        std::ofstream(dev / node) << "";
    }

    std::string Dev(const std::string& rest) const { return dev.string() + "/" + rest; }

    test::TempFolder folder{"vorlin-hidraw"};
    const fs::path& root = folder.path();
    fs::path sys, dev;
};

TEST_F(HidrawFixture, EnumerationSpellsOnePathPerCollection) {
    HidrawBackend backend(sys.string(), dev.string());
    std::vector<std::string> paths;
    ASSERT_TRUE(backend.Enumerate(paths));
    std::vector<std::string> want = {
        Dev("hidraw0&vid_046d&pid_c077&mi_00"),       Dev("hidraw1&vid_0c45&pid_5004&mi_01"),
        Dev("hidraw2&vid_0c45&pid_5004&mi_02"),       Dev("hidraw3&vid_320f&pid_5000&mi_01&col01"),
        Dev("hidraw3&vid_320f&pid_5000&mi_01&col02"), Dev("hidraw10&vid_054c&pid_05c4"),
        Dev("hidraw11&vid_1234&pid_0001&mi_00"),
    };
    EXPECT_EQ(paths, want);

    HidrawBackend none((root / "nothing").string(), dev.string());
    EXPECT_TRUE(none.Enumerate(paths));
    EXPECT_TRUE(paths.empty());
    std::ofstream(root / "afile") << "x";
    HidrawBackend broken((root / "afile").string(), dev.string());
    EXPECT_FALSE(broken.Enumerate(paths));
}

TEST_F(HidrawFixture, DetailsCarryIdsInterfaceCollectionAndCaps) {
    HidrawBackend backend(sys.string(), dev.string());
    std::vector<HidrawInterfaceDetails> details;
    ASSERT_TRUE(backend.ListDetails(details));
    ASSERT_EQ(details.size(), 7u);
    struct Want {
        uint16_t vid, version;
        int iface, index, count;
        uint16_t page, usage;
        bool described;
    } want[] = {
        {0x046D, 0x0110, 0, 1, 1, 0x01, 0x02, true},
        {0x0C45, 0x0203, 1, 1, 1, 0x0C, 1, true},
        {0x0C45, 0x0203, 2, 1, 1, 0xFF1C, 0x92, true},
        {0x320F, 0x0107, 1, 1, 2, 0x0C, 1, true},
        {0x320F, 0x0107, 1, 2, 2, 0xFF1C, 0x92, true},
        {0x054C, 0, -1, 1, 1, 0x01, 0x02, true},
        {0x1234, 0, 0, 1, 0, 0, 0, false},
    };
    for (size_t i = 0; i < details.size(); ++i) {
        const auto& d = details[i];
        SCOPED_TRACE(d.path);
        EXPECT_EQ(d.vendorId, want[i].vid);
        EXPECT_EQ(d.versionNumber, want[i].version);
        EXPECT_EQ(d.interfaceNumber, want[i].iface);
        EXPECT_EQ(d.collectionIndex, want[i].index);
        EXPECT_EQ(d.collectionCount, want[i].count);
        EXPECT_EQ(d.caps.usagePage, want[i].page);
        EXPECT_EQ(d.caps.usage, want[i].usage);
        EXPECT_EQ(d.described, want[i].described);
        EXPECT_EQ(d.error.empty(), want[i].described);
    }
    EXPECT_EQ(details[4].node, Dev("hidraw3"));
    EXPECT_EQ(details[4].name, "Keyboard");
    EXPECT_EQ(details[4].bus, 3u);
    EXPECT_EQ(details[4].caps.inputReportByteLength, 64);
}

TEST_F(HidrawFixture, OpenDescribesTheCollectionThePathNames) {
    HidrawBackend backend(sys.string(), dev.string());
    CHidDevice device(backend);
    ASSERT_TRUE(device.Open(Dev("hidraw3&vid_320f&pid_5000&mi_01&col02"), kOpenReadWrite));
    EXPECT_EQ(device.caps().usagePage, 0xFF1C);
    EXPECT_EQ(device.caps().inputReportByteLength, 64);
    EXPECT_EQ(device.caps().outputReportByteLength, 64);
    EXPECT_EQ(device.attributes().vendorId, 0x320F);
    EXPECT_EQ(device.attributes().productId, 0x5000);
    EXPECT_EQ(device.attributes().versionNumber, 0x0107);
    EXPECT_EQ(device.interfaceNumber(), 1);
    EXPECT_EQ(device.collectionNumber(), 2);
    ASSERT_TRUE(device.Open(Dev("hidraw3&VID_320F&PID_5000&MI_01&COL01"), kOpenRead));
    EXPECT_EQ(device.caps().usagePage, 0x0C);

    // Paths that no longer, or never did, describe the node are refused.
    for (const std::string& bad : {
             Dev("hidraw3&vid_320f&pid_5004&mi_01&col02"),  // other product
             Dev("hidraw3&vid_320f&pid_5000&mi_02&col02"),  // other interface
             Dev("hidraw3&vid_320f&pid_5000&mi_01"),        // which collection?
             Dev("hidraw3&vid_320f&pid_5000&mi_01&col03"),  // no such collection
             Dev("hidraw1&vid_0c45&pid_5004&mi_01&col01"),  // single collection: no &col
             Dev("hidraw11&vid_1234&pid_0001&mi_00"),       // descriptor unparsable
             Dev("hidraw9&vid_320f&pid_5000&mi_01"),        // no such node
             Dev("hidraw3&vid_320f&pid_5000&mi_01&col02&x_1"),
             Dev("../hidraw3&vid_320f&pid_5000&mi_01&col02"),
             std::string("/elsewhere/hidraw3&vid_320f&pid_5000&mi_01&col02"),
         }) {
        EXPECT_FALSE(device.Open(bad, kOpenReadWrite)) << bad;
        EXPECT_FALSE(device.IsOpen());
    }
}

TEST_F(HidrawFixture, PresenceFollowsTheNodeAndItsIdentity) {
    HidrawBackend backend(sys.string(), dev.string());
    std::string path = Dev("hidraw2&vid_0c45&pid_5004&mi_02");
    EXPECT_TRUE(backend.Exists(path));
    EXPECT_FALSE(backend.Exists(Dev("hidraw2&vid_0c45&pid_5000&mi_02")));
    // The node number now belongs to another device.
    std::ofstream(sys / "hidraw2/device/uevent") << "HID_ID=0003:0000046D:0000C077\n"
                                                 << "HID_PHYS=usb-x/input2\n";
    EXPECT_FALSE(backend.Exists(path));
    fs::remove(dev / "hidraw1");
    EXPECT_FALSE(backend.Exists(Dev("hidraw1&vid_0c45&pid_5004&mi_01")));
}

TEST_F(HidrawFixture, ReadsAreDemultiplexedPerCollectionOfTheNode) {
    fs::path node = dev / "hidraw3";
    fs::remove(node);
    ASSERT_EQ(::mkfifo(node.c_str(), 0600), 0);
    HidrawBackend backend(sys.string(), dev.string());
    CHidDevice vendor(backend), consumer(backend);
    ASSERT_TRUE(vendor.Open(Dev("hidraw3&vid_320f&pid_5000&mi_01&col02"), kOpenRead));
    int writer = ::open(node.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    // Packet mode: one write is one report, as hidraw hands them out.
    ASSERT_EQ(::fcntl(writer, F_SETFL, O_WRONLY | O_NONBLOCK | O_DIRECT), 0);
    std::vector<uint8_t> frame(64, 0x33);
    frame[0] = 4;
    const uint8_t notification[] = {3, 0x11, 0x18};
    ASSERT_EQ(::write(writer, notification, 3), 3);
    ASSERT_EQ(::write(writer, frame.data(), frame.size()), 64);
    std::vector<uint8_t> buf(64);
    size_t n = 0;
    ASSERT_TRUE(vendor.ReadReport(buf.data(), buf.size(), &n, 1000));
    EXPECT_EQ(n, 64u);
    EXPECT_EQ(buf, frame);
    vendor.Close();

    ASSERT_TRUE(consumer.Open(Dev("hidraw3&vid_320f&pid_5000&mi_01&col01"), kOpenRead));
    ASSERT_EQ(::write(writer, frame.data(), frame.size()), 64);
    ASSERT_EQ(::write(writer, notification, 3), 3);
    ASSERT_TRUE(consumer.ReadReport(buf.data(), consumer.caps().inputReportByteLength, &n, 1000));
    EXPECT_EQ(n, 3u);
    std::vector<HidUsageDescriptor> usages = consumer.input().descriptors;
    ASSERT_TRUE(CHidDevice::ParseReport(std::span(buf).first(n), HidReportType::Input, usages,
                                        consumer.input().descriptorCount, consumer.preparsed()));
    EXPECT_EQ(usages[0].usages[0], 0x1811);
    ::close(writer);
}

TEST_F(HidrawFixture, AccessFollowsTheReadAndWriteWishes) {
    fs::path node = dev / "hidraw2";
    fs::remove(node);
    ASSERT_EQ(::mkfifo(node.c_str(), 0600), 0);
    int reader = ::open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    HidrawBackend backend(sys.string(), dev.string());
    CHidDevice device(backend);
    std::string path = Dev("hidraw2&vid_0c45&pid_5004&mi_02");
    std::vector<uint8_t> frame(64, 0x44);
    frame[0] = 4;
    std::vector<uint8_t> buf(64);

    ASSERT_TRUE(device.Open(path, kOpenWrite));
    size_t n = 0;
    ASSERT_TRUE(device.WriteReport(frame.data(), frame.size(), &n, 1000));
    EXPECT_EQ(n, 64u);
    ASSERT_EQ(::read(reader, buf.data(), buf.size()), 64);
    EXPECT_EQ(buf, frame);
    EXPECT_FALSE(device.ReadReport(buf.data(), buf.size(), &n, 100));  // write-only

    // No access: still described, but no transfers.
    ASSERT_TRUE(device.Open(path, kOpenNoAccess));
    EXPECT_EQ(device.caps().usagePage, 0xFF1C);
    EXPECT_FALSE(device.WriteReport(frame.data(), frame.size(), &n, 100));
    EXPECT_FALSE(device.ReadReport(buf.data(), buf.size(), &n, 100));
    ::close(reader);
}

}  // namespace
}  // namespace vorlin
