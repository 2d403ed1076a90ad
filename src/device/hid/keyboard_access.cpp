// Judges the keyboard's reach from the listing: usable, absent, without command interface or
// blocked, and what to run about a block.
#include "device/hid/keyboard_access.h"

#include <cerrno>

#include "device/keyboard_models.h"

namespace vorlin {

bool IsKeyboardInterface(const HidInterfaceReport& r) {
    return FindKeyboardModel(r.vendorId, r.productId) != nullptr;
}

bool IsCommandInterface(const HidInterfaceReport& r) {
    return IsKeyboardInterface(r) && r.described && r.usagePage == kVendorUsagePage &&
           r.usage == kVendorUsage;
}

std::string KeyboardAccess::Node() const {
    if (!blocked) return {};
    return blocked->node.empty() ? blocked->path : blocked->node;
}

bool KeyboardAccess::PermissionDenied() const {
    return blocked && (error == EACCES || error == EPERM);
}

bool KeyboardAccess::NodeMissing() const {
    return blocked && error == ENOENT;
}

KeyboardAccess JudgeKeyboardAccess(const std::vector<HidInterfaceReport>& rows) {
    KeyboardAccess a;
    bool usable = false;
    for (const HidInterfaceReport& r : rows) {
        if (!IsKeyboardInterface(r)) continue;
        a.keyboard.push_back(&r);
        if (!IsCommandInterface(r)) continue;
        if (r.access.canRead && r.access.canWrite)
            usable = true;
        else if (!a.blocked)
            a.blocked = &r;
    }
    if (usable) {
        a.reach = KeyboardReach::Usable;
        a.blocked = nullptr;
    } else if (a.blocked) {
        a.reach = KeyboardReach::Blocked;
        a.cannotRead = !a.blocked->access.canRead;
        a.error = a.cannotRead ? a.blocked->access.readErrno : a.blocked->access.writeErrno;
    } else {
        a.reach = a.keyboard.empty() ? KeyboardReach::Absent : KeyboardReach::NoCommandInterface;
    }
    return a;
}

std::string AccessFixCommands(const KeyboardAccess& access, const UdevRuleCheck& rules) {
    if (!access.blocked) return {};
    if (access.NodeMissing()) return "sudo udevadm trigger\n";
    if (!rules.CoversAll()) return UdevInstallCommands();
    return std::string(kUdevApplyCommand) + "\n";
}

}  // namespace vorlin
