// Listing every HID interface with its caps and access, from a replayed tree, directly and
// through `vorlinctl devices --all`.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "device/hid/hid_diagnostics.h"
#include "diag/cli_run.h"
#include "diag/diag_fixture.h"

namespace vorlin {
namespace {

namespace fs = std::filesystem;

using testing::MachineTree;

class Interfaces : public ::testing::Test {
  protected:
    void SetUp() override {
        tree.AddNode(0, "0003:0000046D:0000C52B", "usb-0000:00:14.0-1/input2",
                     testing::LoadHexFixture("wireless_receiver.hex"), 0666, "Receiver");
        tree.AddKeyboard320f(1);
    }
    HidDiagnosticRoots Roots() const { return {tree.sys().string(), tree.dev().string()}; }

    MachineTree tree;
};

TEST_F(Interfaces, OnePathPerCollectionWithNumbersLengthsAndIds) {
    std::vector<HidInterfaceReport> rows;
    ASSERT_TRUE(ListHidInterfaces(Roots(), rows));
    struct Want {
        std::string suffix;
        int collection;
        uint16_t page, usage, in, out, feature;
        std::vector<uint8_t> inIds;
        bool filter;
    } want[] = {
        {"hidraw0&vid_046d&pid_c52b&mi_02&col01", 1, 0x01, 0x02, 8, 0, 0, {2}, false},
        {"hidraw0&vid_046d&pid_c52b&mi_02&col02", 2, 0x0C, 0x01, 5, 0, 0, {3}, false},
        {"hidraw0&vid_046d&pid_c52b&mi_02&col03", 3, 0x01, 0x80, 2, 0, 0, {4}, false},
        {"hidraw0&vid_046d&pid_c52b&mi_02&col04", 4, 0xFF00, 0x01, 20, 20, 5, {0x10, 0x11}, false},
        {"hidraw1&vid_320f&pid_5000&mi_01&col01", 1, 0x0C, 0x01, 3, 0, 0, {3}, true},
        {"hidraw1&vid_320f&pid_5000&mi_01&col02", 2, 0xFF1C, 0x92, 64, 64, 0, {4}, true},
    };
    ASSERT_EQ(rows.size(), std::size(want));
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(want[i].suffix);
        const HidInterfaceReport& r = rows[i];
        EXPECT_EQ(r.path, tree.dev().string() + "/" + want[i].suffix);
        EXPECT_EQ(r.collection, want[i].collection);
        EXPECT_EQ(r.collectionCount, i < 4 ? 4 : 2);
        EXPECT_TRUE(r.described) << r.error;
        EXPECT_EQ(r.usagePage, want[i].page);
        EXPECT_EQ(r.usage, want[i].usage);
        EXPECT_EQ(r.reports[0].byteLength, want[i].in);
        EXPECT_EQ(r.reports[1].byteLength, want[i].out);
        EXPECT_EQ(r.reports[2].byteLength, want[i].feature);
        EXPECT_EQ(r.reports[0].reportIds, want[i].inIds);
        EXPECT_EQ(r.passesFilter, want[i].filter);
        EXPECT_EQ(r.node, tree.Node(i < 4 ? 0 : 1));
        EXPECT_TRUE(r.access.canRead && r.access.canWrite);
    }
}

// Nodes the backend cannot use still appear, each with its reason.
TEST_F(Interfaces, UnreadableNodesAreReportedNotSkipped) {
    // A sysfs entry without its uevent, a descriptor that cannot be read, a node file missing.
    fs::create_directories(tree.sys() / "hidraw2/device");
    tree.AddNode(3, "0003:00000C45:00005004", "usb-1-2/input2", {});
    fs::remove(tree.sys() / "hidraw3/device/report_descriptor");
    tree.AddNode(4, "0003:00000C45:00005004", "usb-1-2/input1",
                 testing::KeyboardInterfaceDescriptor(0x0C45, 0x5004, 0));
    fs::remove(tree.Node(4));

    std::vector<HidInterfaceReport> rows;
    ASSERT_TRUE(ListHidInterfaces(Roots(), rows));
    ASSERT_EQ(rows.size(), 9u);
    const HidInterfaceReport& noUevent = rows[6];
    EXPECT_EQ(noUevent.path, tree.Node(2));
    EXPECT_FALSE(noUevent.described);
    EXPECT_NE(noUevent.error.find("sysfs entry cannot be read"), std::string::npos)
        << noUevent.error;
    const HidInterfaceReport& noDescriptor = rows[7];
    EXPECT_EQ(noDescriptor.vendorId, 0x0C45);
    EXPECT_FALSE(noDescriptor.described);
    EXPECT_FALSE(noDescriptor.error.empty());
    EXPECT_TRUE(noDescriptor.passesFilter);
    const HidInterfaceReport& noNode = rows[8];
    EXPECT_TRUE(noNode.described);
    EXPECT_FALSE(noNode.access.canRead);
    EXPECT_EQ(noNode.access.readErrno, ENOENT);
}

TEST_F(Interfaces, NodeWithoutPermissionIsReportedAsSuch) {
    ::chmod(tree.Node(1).c_str(), testing::NoAccessMode());
    const std::string seen = testing::RunUnprivileged([this] {
        std::vector<HidInterfaceReport> rows;
        if (!ListHidInterfaces(Roots(), rows) || rows.size() != 6) return std::string("bad list");
        const NodeAccess& a = rows[5].access;
        return std::to_string(a.canRead) + std::to_string(a.canWrite) + " " +
               AccessError(a.canRead, a.readErrno) + " / " + AccessError(rows[0].access.canRead, 0);
    });
    EXPECT_EQ(seen, "00 Permission denied / ");
}

TEST_F(Interfaces, DevicesAllJsonCarriesEveryInterface) {
    ::chmod(tree.Node(1).c_str(), testing::ReadOnlyMode());
    const testing::CliResult r = testing::RunCliOn(tree, {"devices", "--all", "--json"}, true);
    ASSERT_EQ(r.code, 0) << r.err;
    const nlohmann::json j = nlohmann::json::parse(r.out);
    ASSERT_EQ(j.size(), 6u);
    const nlohmann::json& vendor = j[3];
    EXPECT_EQ(vendor["path"], tree.dev().string() + "/hidraw0&vid_046d&pid_c52b&mi_02&col04");
    EXPECT_EQ(vendor["node"], tree.Node(0));
    EXPECT_EQ(vendor["name"], "Receiver");
    EXPECT_EQ(vendor["vendorId"], "046d");
    EXPECT_EQ(vendor["interface"], 2);
    EXPECT_EQ(vendor["collection"], 4);
    EXPECT_EQ(vendor["collections"], 4);
    EXPECT_EQ(vendor["usagePage"], "ff00");
    EXPECT_EQ(vendor["output"]["length"], 20);
    EXPECT_EQ(vendor["output"]["buttonCaps"], 2);
    EXPECT_EQ(vendor["feature"]["valueCaps"], 1);
    EXPECT_EQ(vendor["feature"]["reportIds"], nlohmann::json::array({0x12}));
    EXPECT_EQ(vendor["passesFilter"], false);
    EXPECT_EQ(vendor["canWrite"], true);

    const nlohmann::json& keyboard = j[5];
    EXPECT_EQ(keyboard["role"], "vendor (commands)");
    EXPECT_EQ(keyboard["passesFilter"], true);
    EXPECT_EQ(keyboard["canRead"], true);
    EXPECT_EQ(keyboard["canWrite"], false);
    EXPECT_EQ(keyboard["writeError"], "Permission denied");

    // Without --all only the keyboard's paths are listed, as before.
    const testing::CliResult plain = testing::RunCliOn(tree, {"devices", "--json"});
    ASSERT_EQ(plain.code, 0) << plain.err;
    EXPECT_EQ(nlohmann::json::parse(plain.out).size(), 2u);
}

TEST_F(Interfaces, DevicesAllTextAndHelp) {
    const testing::CliResult r = testing::RunCliOn(tree, {"devices", "--all"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("  " + tree.dev().string() +
                         "/hidraw0&vid_046d&pid_c52b&mi_02&col03\n"
                         "    046d:c52b \"Receiver\", interface 2, collection 3 of 4, usage "
                         "0001:0080 system control\n"
                         "    input 2 bytes, 3 button + 0 value caps, ids 4; output none; "
                         "feature none\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("* " + tree.dev().string() + "/hidraw1&vid_320f&pid_5000&mi_01&col02"),
              std::string::npos);

    const testing::CliResult help = testing::RunCliOn(tree, {"devices", "--help"});
    for (const char* field : {"passesFilter", "reportIds", "buttonCaps", "canWrite", "collections"})
        EXPECT_NE(help.out.find(field), std::string::npos) << field;
}

}  // namespace
}  // namespace vorlin
