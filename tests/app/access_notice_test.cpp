// The notice in place of "no keyboard", on replayed machines, looked at as an unprivileged user.
#include "app/access_notice.h"

#include <gtest/gtest.h>

#include <functional>

#include "diag/diag_fixture.h"

namespace vorlin {
namespace {

namespace fs = std::filesystem;
using testing::MachineTree;

// "none", or the text key, a line break and the argument.
std::string NoticeOn(const MachineTree& tree) {
    return testing::RunUnprivileged([&] {
        AccessCheckRoots roots{{tree.sys().string(), tree.dev().string()}, {tree.udev().string()}};
        const std::optional<AccessNotice> n = KeyboardAccessNotice(roots);
        return n ? std::string(n->textKey) + "\n" + n->argument : std::string("none");
    });
}

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(AccessNotice, NamesTheNodeAndTheCommandsUntilAccessIsGranted) {
    MachineTree tree;
    tree.AddNode(0, "0003:0000046D:0000C52B", "usb-1-1/input2",
                 testing::LoadHexFixture("wireless_receiver.hex"), testing::NoAccessMode());
    tree.AddKeyboard320f(1, testing::NoAccessMode());

    const std::string missing = NoticeOn(tree);
    EXPECT_EQ(missing.rfind("MAIN_NO_ACCESS_PROMPT\n\n\n" + tree.Node(1) + "  ", 0), 0u) << missing;
    EXPECT_TRUE(Has(missing, ::geteuid() == 0 ? "-rw-------" : "----------")) << missing;
    EXPECT_TRUE(Has(missing, "\n\n" + UdevInstallCommands().substr(0, 40))) << missing;
    EXPECT_TRUE(Has(missing, std::string(KeyboardUdevRuleLines()))) << missing;
    EXPECT_TRUE(missing.ends_with("\n" + std::string(kUdevApplyCommand))) << missing;

    // Installed but not applied: only the apply command.
    tree.Write(tree.udev() / "60-vorlin.rules", std::string(KeyboardUdevRuleLines()));
    const std::string installed = NoticeOn(tree);
    EXPECT_EQ(installed.rfind("MAIN_NO_ACCESS_APPLY_PROMPT\n\n\n" + tree.Node(1) + "  ", 0), 0u)
        << installed;
    EXPECT_TRUE(installed.ends_with("\n\n" + std::string(kUdevApplyCommand))) << installed;
    EXPECT_FALSE(Has(installed, "sudo tee")) << installed;

    // Access granted (what udev's rule does): nothing stands in the way any more.
    ::chmod(tree.Node(1).c_str(), 0666);
    EXPECT_EQ(NoticeOn(tree), "none");
}

TEST(AccessNotice, NoneWhenNothingIsRefused) {
    const struct {
        const char* what;
        std::function<void(MachineTree&)> setUp;
    } cases[] = {
        {"no keyboard, another device refused",
         [](MachineTree& t) {
             t.AddNode(0, "0003:0000046D:0000C52B", "usb-1-1/input2",
                       testing::LoadHexFixture("wireless_receiver.hex"), testing::NoAccessMode());
         }},
        {"a keyboard this user may open", [](MachineTree& t) { t.AddKeyboard320f(1); }},
        {"one of its nodes refused, the command node open",
         [](MachineTree& t) {
             t.AddNode(0, "0003:00000C45:00005004", "usb-1-2/input0",
                       testing::KeyboardInterfaceDescriptor(0x0C45, 0x5004, 0),
                       testing::NoAccessMode());
             t.AddKeyboard320f(1);
         }},
        {"the node missing, which is no permission matter",
         [](MachineTree& t) {
             t.AddKeyboard320f(1);
             fs::remove(t.Node(1));
         }},
        {"no hidraw class at all", [](MachineTree& t) { fs::remove_all(t.sys()); }},
    };
    for (const auto& c : cases) {
        MachineTree tree;
        c.setUp(tree);
        EXPECT_EQ(NoticeOn(tree), "none") << c.what;
    }
}

}  // namespace
}  // namespace vorlin
