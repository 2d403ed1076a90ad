// vorlinctl diagnose on replayed machines: what it names, and the cause on its last line.
#include <gtest/gtest.h>

#include "device/hid/hid_diagnostics.h"
#include "diag/cli_run.h"
#include "diag/diag_fixture.h"

namespace vorlin {
namespace {

namespace fs = std::filesystem;

using testing::CliResult;
using testing::MachineTree;

class Diagnose : public ::testing::Test {
  protected:
    static CliResult RunOn(const MachineTree& t, std::vector<std::string> extra = {},
                           bool unprivileged = false) {
        std::vector<std::string> args = {"diagnose", "--proc-root", t.proc().string(),
                                         "--udev-rules-dir", t.udev().string()};
        args.insert(args.end(), extra.begin(), extra.end());
        return testing::RunCliOn(t, args, unprivileged);
    }
    CliResult Run(std::vector<std::string> extra = {}, bool unprivileged = false) {
        return RunOn(tree, std::move(extra), unprivileged);
    }
    static bool Has(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }
    MachineTree tree;
};

TEST_F(Diagnose, NamesTheMissingRuleAndTheNodeWithoutPermission) {
    tree.Write(tree.proc() / "sys/kernel/osrelease", "6.1.0-18-amd64\n");
    tree.AddNode(0, "0003:0000046D:0000C52B", "usb-1-1/input2",
                 testing::LoadHexFixture("wireless_receiver.hex"));
    tree.AddKeyboard320f(1, testing::NoAccessMode());
    const CliResult r = Run({}, true);
    EXPECT_EQ(r.code, 3) << r.out << r.err;
    EXPECT_TRUE(Has(r.out, "Kernel: 6.1.0-18-amd64\n")) << r.out;
    EXPECT_TRUE(Has(r.out, "  " + tree.Node(1) + "  320f:5000 \"Vorlin Keyboard\"  " +
                               (::geteuid() == 0 ? "-rw-------" : "----------")))
        << r.out;
    EXPECT_TRUE(Has(r.out, "this user: read no (Permission denied), write no (Permission denied)"));
    EXPECT_TRUE(
        Has(r.out, "collection 2: usage ff1c:0092 vendor (commands)  <- the command interface"));
    EXPECT_TRUE(Has(r.out, "Other HID interfaces: 4 "));
    EXPECT_TRUE(Has(r.out, "udev rule: not installed; looked in " + tree.udev().string()));
    EXPECT_TRUE(Has(r.out, "    sudo tee /etc/udev/rules.d/60-vorlin.rules >/dev/null <<'EOF'\n"));
    EXPECT_TRUE(Has(r.out, "    sudo udevadm control --reload-rules && sudo udevadm trigger\n"));
    EXPECT_TRUE(Has(r.out, "Commands: not tried (this user cannot open the command interface)"));
    EXPECT_TRUE(Has(r.out, "Language: English, " VORLIN_ASSETS_DIR "/Lang0409.ini: complete"));
    EXPECT_EQ(r.LastLine(),
              "Most likely cause: this user may not read " + tree.Node(1) +
                  " and the udev rule is not installed: install it with the commands above, "
                  "then run vorlinctl diagnose again");

    // With the rule in place the advice turns to applying it.
    tree.Write(tree.udev() / "60-vorlin.rules", std::string(KeyboardUdevRuleLines()));
    const CliResult again = Run({}, true);
    EXPECT_EQ(again.code, 3);
    EXPECT_TRUE(
        Has(again.out, "udev rule: installed (" + (tree.udev() / "60-vorlin.rules").string()));
    EXPECT_FALSE(Has(again.out, "sudo tee"));
    EXPECT_TRUE(Has(again.LastLine(), "although the udev rule is installed: apply it"))
        << again.LastLine();
}

TEST_F(Diagnose, CauseOnTheLastLine) {
    struct Case {
        const char* what;
        std::function<void(MachineTree&)> setUp;
        int code;
        const char* lastLine;
    } cases[] = {
        {"no keyboard",
         [](MachineTree& t) {
             t.AddNode(0, "0003:0000046D:0000C52B", "usb-1-1/input2",
                       testing::LoadHexFixture("wireless_receiver.hex"));
         },
         3, "Most likely cause: the keyboard is not plugged in"},
        {"an entry that cannot be examined",
         [](MachineTree& t) { fs::create_directories(t.sys() / "hidraw5/device"); }, 3,
         "Most likely cause: the keyboard is not among the interfaces that could be examined"},
        {"no hidraw class", [](MachineTree& t) { fs::remove_all(t.sys()); }, 3,
         "Most likely cause: the kernel offers no hidraw devices"},
        {"descriptor unreadable",
         [](MachineTree& t) {
             t.AddKeyboard320f(1);
             fs::remove(t.sys() / "hidraw1/device/report_descriptor");
         },
         3, "Most likely cause: the keyboard's report descriptor cannot be used"},
        {"only the consumer collection",
         [](MachineTree& t) {
             t.AddNode(2, "0003:00000C45:00005004", "usb-1-2/input1",
                       testing::KeyboardInterfaceDescriptor(0x0C45, 0x5004, 0));
         },
         3, "Most likely cause: the keyboard offers no command interface"},
        {"node missing",
         [](MachineTree& t) {
             t.AddKeyboard320f(1);
             fs::remove(t.Node(1));
         },
         3, "Most likely cause: the kernel lists "},
    };
    for (const Case& c : cases) {
        MachineTree t;
        c.setUp(t);
        const CliResult r = RunOn(t);
        EXPECT_EQ(r.code, c.code) << c.what << "\n" << r.out << r.err;
        EXPECT_EQ(r.LastLine().rfind(c.lastLine, 0), 0u) << c.what << ": " << r.LastLine();
    }
}

TEST_F(Diagnose, UsableKeyboardOrOneThatDoesNotAnswer) {
    // The simulated keyboard answers; faulty files are counted as warnings only.
    tree.Write(tree.home() / "data/Morvane Tesslar/$Profile0", "short");
    const CliResult usable = Run({"--simulate"});
    EXPECT_EQ(usable.code, 0) << usable.out << usable.err;
    EXPECT_TRUE(Has(usable.out, "Commands: the keyboard answered (sim:"));
    EXPECT_TRUE(Has(usable.out, "  faulty    backing file of profile 0: "));
    EXPECT_EQ(usable.LastLine().rfind("The keyboard is usable: sim:", 0), 0u) << usable.LastLine();
    EXPECT_TRUE(Has(usable.LastLine(), "(1 warning above)"));

    // A node that opens but never answers, held by another program.
    tree.AddKeyboard320f(1);
    tree.AddProcess(4242, "openrgb", {tree.Node(1)});
    const CliResult silent = Run();
    EXPECT_EQ(silent.code, 1) << silent.out;
    EXPECT_TRUE(
        Has(silent.out, "Other programs with the keyboard open:\n  openrgb (pid 4242) has " +
                            tree.Node(1) + " open\n"));
    EXPECT_TRUE(Has(silent.out, "Commands: the keyboard did not answer"));
    EXPECT_EQ(silent.LastLine(),
              "Most likely cause: the keyboard does not answer commands while openrgb (pid 4242) "
              "has it open; close that program and try again");
}

}  // namespace
}  // namespace vorlin
