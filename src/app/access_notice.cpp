// Looks at the keyboard's nodes and the udev rules, the way vorlinctl diagnose does, and words
// the notice the window shows.
#include "app/access_notice.h"

#include "device/hid/keyboard_access.h"
#include "platform/text_key_names.h"

namespace vorlin {

std::optional<AccessNotice> KeyboardAccessNotice(const AccessCheckRoots& roots) {
    std::vector<HidInterfaceReport> rows;
    if (!ListHidInterfaces(roots.hid, rows)) return std::nullopt;
    const KeyboardAccess access = JudgeKeyboardAccess(rows);
    if (access.reach != KeyboardReach::Blocked || !access.PermissionDenied()) return std::nullopt;
    const UdevRuleCheck rules = CheckUdevRules(roots.udevFolders);
    std::string commands = AccessFixCommands(access, rules);
    if (!commands.empty() && commands.back() == '\n') commands.pop_back();
    const std::string node = access.Node();
    AccessNotice notice;
    notice.textKey = rules.CoversAll() ? kTextMainNoAccessApplyPrompt : kTextMainNoAccessPrompt;
    notice.argument = "\n\n" + node + "  " + DescribeNodeStatus(StatNode(node)) + "\n\n" + commands;
    return notice;
}

}  // namespace vorlin
