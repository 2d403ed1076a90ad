// Processes holding nodes, udev rules, node status and the kernel release, on fixture trees.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "device/hid/hid_diagnostics.h"
#include "diag/diag_fixture.h"

namespace vorlin {
namespace {

namespace fs = std::filesystem;

using testing::MachineTree;

TEST(NodeHolders, NamesEveryOtherProcessWithANodeOpen) {
    MachineTree tree;
    const std::string a = tree.Node(3), b = tree.Node(4);
    tree.AddProcess(120, "openrgb", {"/dev/null", a});
    tree.AddProcess(77, "daemon", {b, a});
    tree.AddProcess(300, "vorlinctl", {a});  // ourselves
    tree.AddProcess(400, "editor", {tree.Node(40)});
    tree.Write(tree.proc() / "self/comm", "x\n");  // not a pid

    const HolderScan scan = FindNodeHolders(tree.proc().string(), {a, b}, 300);
    ASSERT_EQ(scan.holders.size(), 3u);
    EXPECT_EQ(scan.holders[0].pid, 77);
    EXPECT_EQ(scan.holders[0].name, "daemon");
    EXPECT_EQ(scan.holders[0].node, a);
    EXPECT_EQ(scan.holders[1].node, b);
    EXPECT_EQ(scan.holders[2].pid, 120);
    EXPECT_EQ(scan.holders[2].name, "openrgb");
    EXPECT_TRUE(FindNodeHolders(tree.proc().string(), {}, 0).holders.empty());
}

TEST(NodeHolders, OtherUsersProcessesAreCountedAsHidden) {
    MachineTree tree;
    tree.AddProcess(120, "openrgb", {tree.Node(3)});
    fs::permissions(tree.proc() / "120/fd", fs::perms::owner_all);
    const std::string seen = testing::RunUnprivileged([&tree] {
        const HolderScan scan = FindNodeHolders(tree.proc().string(), {tree.Node(3)}, 0);
        return std::to_string(scan.holders.size()) + "/" + std::to_string(scan.hidden);
    });
    EXPECT_EQ(seen, ::geteuid() == 0 ? "0/1" : "1/0");
}

class UdevRules : public ::testing::Test {
  protected:
    fs::path Folder(const std::string& name) {
        fs::path p = tree.root() / name;
        fs::create_directories(p);
        return p;
    }
    UdevRuleCheck Check() {
        return CheckUdevRules({(tree.root() / "etc").string(), (tree.root() / "run").string(),
                               (tree.root() / "lib").string()});
    }
    std::string Rule(const char* vid, const char* pid) {
        return std::string("SUBSYSTEM==\"hidraw\", ATTRS{idVendor}==\"") + vid +
               "\", ATTRS{idProduct}==\"" + pid + "\", MODE=\"0660\", GROUP=\"plugdev\"\n";
    }
    MachineTree tree;
};

TEST_F(UdevRules, FindsTheRuleInAnyFolderAndHonoursMasks) {
    EXPECT_FALSE(Check().CoversAll());  // no folders at all

    tree.Write(Folder("lib") / "60-vorlin.rules", std::string(KeyboardUdevRuleLines()));
    UdevRuleCheck c = Check();
    EXPECT_TRUE(c.CoversAll());
    EXPECT_EQ(c.grantingFiles[1],
              std::vector<std::string>{(tree.root() / "lib/60-vorlin.rules").string()});

    // A link to /dev/null of the same name in a folder read first masks it.
    fs::create_symlink("/dev/null", Folder("etc") / "60-vorlin.rules");
    c = Check();
    EXPECT_FALSE(c.CoversAll());
    ASSERT_EQ(c.notes.size(), 1u);
    EXPECT_NE(c.notes[0].find("masks"), std::string::npos);

    // A rule of another name covers one model; continued lines and comments are understood.
    tree.Write(
        Folder("run") / "99-local.rules",
        "# ATTRS{idVendor}==\"0c45\", ATTRS{idProduct}==\"5004\"\n"
        "SUBSYSTEM==\"hidraw\", \\\n  ATTRS{idVendor}==\"320f\", ATTRS{idProduct}==\"5000\", "
        "TAG+=\"uaccess\"\n");
    c = Check();
    EXPECT_TRUE(c.grantingFiles[0].empty());
    EXPECT_EQ(c.grantingFiles[1].size(), 1u);
    tree.Write(tree.root() / "run/98-other.rules", Rule("0c45", "5004"));
    EXPECT_TRUE(Check().CoversAll());
}

TEST_F(UdevRules, IdsInUpperCaseNeverMatchAndAreTold) {
    tree.Write(Folder("etc") / "70-keyboard.rules", Rule("0C45", "5004") + Rule("320F", "5000"));
    const UdevRuleCheck c = Check();
    EXPECT_FALSE(c.CoversAll());
    ASSERT_EQ(c.notes.size(), 2u);
    EXPECT_NE(c.notes[0].find("upper case"), std::string::npos);
}

// The rule diagnose offers to install is the one the package ships.
TEST(UdevRuleText, MatchesThePackagedFile) {
    std::ifstream in(fs::path(VORLIN_SOURCE_DIR) / "packaging" / kKeyboardUdevRuleFile);
    ASSERT_TRUE(in);
    std::string rules;
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line[0] != '#') rules += line + "\n";
    EXPECT_EQ(rules, KeyboardUdevRuleLines());
    const std::string commands = UdevInstallCommands();
    EXPECT_NE(commands.find(rules), std::string::npos);
    EXPECT_NE(commands.find("udevadm control --reload-rules && sudo udevadm trigger"),
              std::string::npos);
}

TEST(NodeStatus, DescribesModeOwnerAndMissingNodes) {
    MachineTree tree;
    tree.AddKeyboard320f(1, 0640);
    const NodeStatus s = StatNode(tree.Node(1));
    ASSERT_TRUE(s.exists);
    EXPECT_FALSE(s.charDevice);
    EXPECT_EQ(s.mode, 0640u);
    const std::string text = DescribeNodeStatus(s);
    EXPECT_EQ(text.substr(0, 11), "-rw-r----- ");
    EXPECT_EQ(DescribeNodeStatus(StatNode(tree.Node(9))), "missing");
    EXPECT_EQ(DescribeNodeStatus(StatNode("/dev/null")).substr(0, 10), "crw-rw-rw-");
}

TEST(KernelRelease, ComesFromTheProcessTreeOrUname) {
    MachineTree tree;
    tree.Write(tree.proc() / "sys/kernel/osrelease", "6.1.0-18-amd64\n");
    EXPECT_EQ(KernelRelease(tree.proc().string()), "6.1.0-18-amd64");
    EXPECT_FALSE(KernelRelease((tree.root() / "none").string()).empty());
}

}  // namespace
}  // namespace vorlin
