// CHidDevice over real socketpair transports: enumeration, open and layouts, transfers with
// time-out, cancellation, close from another thread, demultiplexing and the reader thread.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "device/hid/hid_device.h"
#include "hid/socket_backend.h"
#include "sim/keyboard_descriptors.h"

namespace vorlin {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using test::SocketBackend;

const std::string kVendorPath = "/dev/hidraw3&vid_320f&pid_5000&mi_01&col02";
const std::string kConsumerPath = "/dev/hidraw3&vid_320f&pid_5000&mi_01&col01";

std::vector<uint8_t> TwoCollections() {
    return KeyboardModelInterfaces(0x320F, 0x5000)[0].reportDescriptor;
}

std::vector<uint8_t> Frame(uint8_t id, uint8_t fill, size_t len = 64) {
    std::vector<uint8_t> f(len, fill);
    f[0] = id;
    return f;
}

class HidDeviceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        backend.Add(kConsumerPath, {TwoCollections(), 1, {0x320F, 0x5000, 0x0107}});
        backend.Add(kVendorPath, {TwoCollections(), 2, {0x320F, 0x5000, 0x0107}});
    }
    SocketBackend backend;
};

TEST_F(HidDeviceTest, EnumerationGrowsTheListAndHandsOutPathsInOrder) {
    SocketBackend many;
    for (int i = 0; i < 9; ++i)
        many.Add("/dev/hidraw" + std::to_string(i) + "&vid_1234&pid_0001",
                 VendorCollectionDescriptor());
    CHidDevice dev(many);
    ASSERT_TRUE(dev.Enumerate());
    EXPECT_EQ(dev.pathCount(), 9);
    EXPECT_EQ(dev.paths().capacity(), 16u);
    for (int i = 0; i < 9; ++i) {
        const std::string* p = dev.NextPath();
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(*p, "/dev/hidraw" + std::to_string(i) + "&vid_1234&pid_0001");
    }
    EXPECT_EQ(dev.NextPath(), nullptr);
    const std::string* first = dev.FirstPath();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(*first, "/dev/hidraw0&vid_1234&pid_0001");
    EXPECT_EQ(dev.pathCursor(), 1u);

    many.failEnumerate = true;
    EXPECT_FALSE(dev.Enumerate());
    EXPECT_EQ(dev.pathCount(), 0);
    EXPECT_EQ(dev.NextPath(), nullptr);
}

TEST_F(HidDeviceTest, OpenDescribesTheNamedCollection) {
    CHidDevice dev(backend);
    ASSERT_TRUE(dev.Open(kVendorPath, kOpenReadWrite));
    EXPECT_TRUE(dev.IsOpen());
    EXPECT_EQ(dev.caps().usagePage, 0xFF1C);
    EXPECT_EQ(dev.caps().usage, 0x92);
    EXPECT_EQ(dev.caps().inputReportByteLength, 64);
    EXPECT_EQ(dev.caps().outputReportByteLength, 64);
    EXPECT_EQ(dev.caps().featureReportByteLength, 0);
    EXPECT_EQ(dev.attributes().vendorId, 0x320F);
    EXPECT_EQ(dev.attributes().productId, 0x5000);
    EXPECT_EQ(dev.attributes().versionNumber, 0x0107);
    EXPECT_EQ(dev.input().reportBuffer.size(), 64u);
    EXPECT_EQ(dev.output().reportBuffer.size(), 64u);
    EXPECT_TRUE(dev.feature().reportBuffer.empty());
    ASSERT_EQ(dev.input().descriptorCount, 1);
    EXPECT_EQ(dev.input().descriptors[0].isButton, 0);
    EXPECT_EQ(dev.input().descriptors[0].reportId, 4);
    EXPECT_EQ(dev.interfaceNumber(), 1);
    EXPECT_EQ(dev.collectionNumber(), 2);

    // Reopening another collection replaces everything that described the first one.
    ASSERT_TRUE(dev.Open(kConsumerPath, kOpenRead));
    EXPECT_EQ(dev.caps().usagePage, 0x0C);
    EXPECT_EQ(dev.caps().usage, 1);
    EXPECT_EQ(dev.caps().inputReportByteLength, 3);
    EXPECT_EQ(dev.caps().outputReportByteLength, 0);
    ASSERT_EQ(dev.input().descriptorCount, 1);
    EXPECT_EQ(dev.input().descriptors[0].isButton, 1);
    EXPECT_EQ(dev.input().descriptors[0].usageMin, 0);
    EXPECT_EQ(dev.input().descriptors[0].usageMax, 0x1FFFu);
    EXPECT_EQ(dev.input().descriptors[0].maxUsages, 1u);
    EXPECT_EQ(dev.collectionNumber(), 1);

    EXPECT_TRUE(dev.Close());
    EXPECT_FALSE(dev.IsOpen());
    EXPECT_FALSE(dev.Close());
    EXPECT_EQ(dev.caps().usagePage, 0);
    EXPECT_TRUE(dev.input().descriptors.empty());
}

TEST_F(HidDeviceTest, InterfaceAndCollectionNumbersComeFromThePath) {
    struct Case {
        std::string path;
        int mi, col;
    } cases[] = {
        {"/dev/hidraw1&vid_320f&pid_5000&mi_01&col02", 1, 2},
        {"/dev/hidraw1&VID_320F&PID_5000&MI_01&COL02", 1, 2},
        {"/dev/hidraw1&vid_320f&pid_5000&Mi_0a&Col1F", 10, 31},
        {"/dev/hidraw1&vid_320f&pid_5000", 0, 0},
        {"/dev/hidraw1&vid_320f&pid_5000&mi_&col", 0, 0},
    };
    for (const auto& c : cases) {
        SocketBackend b;
        b.Add(c.path, VendorCollectionDescriptor());
        CHidDevice dev(b);
        ASSERT_TRUE(dev.Open(c.path, kOpenReadWrite)) << c.path;
        EXPECT_EQ(dev.interfaceNumber(), c.mi) << c.path;
        EXPECT_EQ(dev.collectionNumber(), c.col) << c.path;
    }
}

TEST_F(HidDeviceTest, OpenRefusesOverlongPathsAndUnknownOnes) {
    std::string fits = "/dev/hidraw9&vid_320f&pid_5000&" + std::string(259 - 31, 'x');
    ASSERT_EQ(fits.size(), 259u);
    std::string tooLong = fits + "y";
    backend.Add(fits, VendorCollectionDescriptor());
    backend.Add(tooLong, VendorCollectionDescriptor());
    CHidDevice dev(backend);
    EXPECT_TRUE(dev.Open(fits, kOpenReadWrite));
    EXPECT_FALSE(dev.Open(tooLong, kOpenReadWrite));
    EXPECT_FALSE(dev.IsOpen());
    EXPECT_FALSE(dev.Reopen());
    EXPECT_FALSE(dev.Open("/dev/hidraw77&vid_320f&pid_5000", kOpenReadWrite));
    EXPECT_FALSE(dev.IsOpen());
}

TEST_F(HidDeviceTest, WriteSendsTheFrameAndReadReturnsTheReply) {
    CHidDevice dev(backend);
    ASSERT_TRUE(dev.Open(kVendorPath, kOpenReadWrite));
    auto frame = Frame(4, 0x5A);
    size_t n = 99;
    ASSERT_TRUE(dev.WriteReport(frame.data(), frame.size(), &n, 1000));
    EXPECT_EQ(n, 64u);
    EXPECT_EQ(backend.Receive(), frame);

    backend.Send(Frame(4, 0xA5));
    std::vector<uint8_t> buf(64);
    ASSERT_TRUE(dev.ReadReport(buf.data(), buf.size(), &n, 1000));
    EXPECT_EQ(n, 64u);
    EXPECT_EQ(buf, Frame(4, 0xA5));
    EXPECT_TRUE(dev.ReadReport(buf.data(), buf.size(), nullptr, 0) == false);
}

TEST_F(HidDeviceTest, SilentDeviceTimesOutWithNothingLeftOutstanding) {
    CHidDevice dev(backend);
    ASSERT_TRUE(dev.Open(kVendorPath, kOpenReadWrite));
    std::vector<uint8_t> buf(64, 0xEE);
    size_t n = 123;
    auto t0 = Clock::now();
    EXPECT_FALSE(dev.ReadReport(buf.data(), buf.size(), &n, 300));
    auto waited = Clock::now() - t0;
    EXPECT_EQ(n, 0u);
    EXPECT_GE(waited, 295ms);
    EXPECT_EQ(dev.readPending(), 0);
    // The abandoned read left nothing behind: the buffer is untouched and the next report
    // arrives whole at the next read.
    EXPECT_EQ(buf, std::vector<uint8_t>(64, 0xEE));
    backend.Send(Frame(4, 7));
    ASSERT_TRUE(dev.ReadReport(buf.data(), buf.size(), &n, 1000));
    EXPECT_EQ(buf, Frame(4, 7));
}

TEST_F(HidDeviceTest, ReadOnOneCollectionSkipsReportsOfTheOthers) {
    CHidDevice dev(backend);
    ASSERT_TRUE(dev.Open(kVendorPath, kOpenReadWrite));
    backend.Send({3, 0x10, 0x18});  // consumer report on the same node
    backend.Send(Frame(4, 1));
    std::vector<uint8_t> buf(64);
    size_t n = 0;
    ASSERT_TRUE(dev.ReadReport(buf.data(), buf.size(), &n, 1000));
    EXPECT_EQ(buf, Frame(4, 1));

    // Only foreign reports: the read runs into its time-out.
    backend.Send({3, 0x11, 0x18});
    EXPECT_FALSE(dev.ReadReport(buf.data(), buf.size(), &n, 100));
    EXPECT_EQ(n, 0u);

    CHidDevice consumer(backend);
    ASSERT_TRUE(consumer.Open(kConsumerPath, kOpenRead));
    backend.Send(Frame(4, 2));
    backend.Send({3, 0x11, 0x18});
    ASSERT_TRUE(consumer.ReadReport(buf.data(), buf.size(), &n, 1000));
    EXPECT_EQ(n, 3u);
    EXPECT_EQ(buf[0], 3);
    EXPECT_EQ(buf[1], 0x11);
}

TEST_F(HidDeviceTest, UnnumberedReportsGetAZeroIdInFrontAndWritesKeepIt) {
    const uint8_t plain[] = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x00,
                             0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x04, 0x09, 0x01,
                             0x81, 0x02, 0x95, 0x04, 0x09, 0x02, 0x91, 0x02, 0xC0};
    SocketBackend b;
    b.Add("/dev/hidraw5&vid_1234&pid_0001", plain);
    CHidDevice dev(b);
    ASSERT_TRUE(dev.Open("/dev/hidraw5&vid_1234&pid_0001", kOpenReadWrite));
    EXPECT_EQ(dev.caps().inputReportByteLength, 5);  // the id byte counts though there is none
    b.Send({1, 2, 3, 4});
    std::vector<uint8_t> buf(5);
    size_t n = 0;
    ASSERT_TRUE(dev.ReadReport(buf.data(), buf.size(), &n, 1000));
    EXPECT_EQ(n, 5u);
    EXPECT_EQ(buf, (std::vector<uint8_t>{0, 1, 2, 3, 4}));
    std::vector<uint8_t> out{0, 9, 8, 7, 6};
    ASSERT_TRUE(dev.WriteReport(out.data(), out.size(), &n, 1000));
    EXPECT_EQ(b.Receive(), out);
}

TEST_F(HidDeviceTest, ReportLargerThanTheBufferFailsInsteadOfBeingCut) {
    CHidDevice dev(backend);
    ASSERT_TRUE(dev.Open(kVendorPath, kOpenReadWrite));
    backend.Send(Frame(4, 1, 80));
    backend.Send(Frame(4, 2));
    std::vector<uint8_t> buf(64);
    size_t n = 5;
    EXPECT_FALSE(dev.ReadReport(buf.data(), buf.size(), &n, 1000));
    EXPECT_EQ(n, 0u);
    ASSERT_TRUE(dev.ReadReport(buf.data(), buf.size(), &n, 1000));
    EXPECT_EQ(buf, Frame(4, 2));
}

TEST_F(HidDeviceTest, UnpluggedDeviceFailsTransfersPromptly) {
    CHidDevice dev(backend);
    ASSERT_TRUE(dev.Open(kVendorPath, kOpenReadWrite));
    backend.HangUp();
    std::vector<uint8_t> buf(64);
    auto t0 = Clock::now();
    EXPECT_FALSE(dev.ReadReport(buf.data(), buf.size(), nullptr, -1));
    auto frame = Frame(4, 0);
    EXPECT_FALSE(dev.WriteReport(frame.data(), frame.size(), nullptr, -1));
    EXPECT_LT(Clock::now() - t0, 5s);
}

TEST_F(HidDeviceTest, CancelFromAnotherThreadReleasesOneWaiterPerSignal) {
    CHidDevice dev(backend);
    ASSERT_TRUE(dev.Open(kVendorPath, kOpenReadWrite));
    std::atomic<int> done{0};
    auto reader = [&] {
        std::vector<uint8_t> buf(64);
        size_t n = 7;
        bool ok = dev.ReadReport(buf.data(), buf.size(), &n, -1);
        ++done;
        return !ok && n == 0;
    };
    auto a = std::async(std::launch::async, reader);
    auto b = std::async(std::launch::async, reader);
    while (dev.readPending() == 0) std::this_thread::sleep_for(1ms);
    std::this_thread::sleep_for(50ms);
    dev.SignalCancel();
    while (done < 1) std::this_thread::sleep_for(1ms);
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(done, 1);  // one signal, one waiter
    dev.SignalCancel();
    EXPECT_TRUE(a.get());
    EXPECT_TRUE(b.get());
}

TEST_F(HidDeviceTest, CloseFromAnotherThreadEndsAReadWithoutTimeOut) {
    CHidDevice dev(backend);
    ASSERT_TRUE(dev.Open(kVendorPath, kOpenReadWrite));
    auto read = std::async(std::launch::async, [&] {
        std::vector<uint8_t> buf(64);
        size_t n = 7;
        bool ok = dev.ReadReport(buf.data(), buf.size(), &n, -1);
        return !ok && n == 0;
    });
    while (dev.readPending() == 0) std::this_thread::sleep_for(1ms);
    std::this_thread::sleep_for(20ms);
    EXPECT_TRUE(dev.Close());
    ASSERT_EQ(read.wait_for(5s), std::future_status::ready);
    EXPECT_TRUE(read.get());

    // The close used up its own wake-up: the next transfer after reopening is not cancelled.
    ASSERT_TRUE(dev.Open(kVendorPath, kOpenReadWrite));
    backend.Send(Frame(4, 3));
    std::vector<uint8_t> buf(64);
    EXPECT_TRUE(dev.ReadReport(buf.data(), buf.size(), nullptr, 1000));
}

TEST_F(HidDeviceTest, ReaderDeliversReportsAndEndsWithMinusOneOnClose) {
    CHidDevice dev(backend);
    ASSERT_TRUE(dev.Open(kVendorPath, kOpenReadWrite));
    std::mutex m;
    std::vector<std::pair<int, uint8_t>> seen;
    std::promise<void> ended;
    ASSERT_TRUE(dev.StartReader([&](const uint8_t* report, int count) {
        std::lock_guard<std::mutex> lock(m);
        seen.emplace_back(count, count > 0 ? report[1] : 0);
        if (count < 0) ended.set_value();
    }));
    backend.Send(Frame(4, 1));
    backend.Send(Frame(4, 2));
    for (int i = 0; i < 500; ++i) {
        {
            std::lock_guard<std::mutex> lock(m);
            if (seen.size() >= 2) break;
        }
        std::this_thread::sleep_for(2ms);
    }
    dev.Close();
    ASSERT_EQ(ended.get_future().wait_for(5s), std::future_status::ready);
    std::lock_guard<std::mutex> lock(m);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0], std::make_pair(64, uint8_t{1}));
    EXPECT_EQ(seen[1], std::make_pair(64, uint8_t{2}));
    EXPECT_EQ(seen[2].first, -1);
}

TEST_F(HidDeviceTest, RestartingTheReaderStopsTheFirstOne) {
    CHidDevice dev(backend);
    ASSERT_TRUE(dev.Open(kVendorPath, kOpenReadWrite));
    std::atomic<int> firstEnded{0}, secondGot{0};
    ASSERT_TRUE(dev.StartReader([&](const uint8_t*, int count) {
        if (count < 0) ++firstEnded;
    }));
    while (dev.readPending() == 0) std::this_thread::sleep_for(1ms);
    ASSERT_TRUE(dev.StartReader([&](const uint8_t*, int count) {
        if (count > 0) ++secondGot;
    }));
    EXPECT_EQ(firstEnded, 1);
    backend.Send(Frame(4, 9));
    for (int i = 0; i < 500 && secondGot == 0; ++i) std::this_thread::sleep_for(2ms);
    EXPECT_EQ(secondGot, 1);
}

}  // namespace
}  // namespace vorlin
