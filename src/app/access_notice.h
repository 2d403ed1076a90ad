// What the application says in place of "no keyboard" when the keyboard is plugged in but this
// user may not open it: the node, and the commands that install or apply the udev rule.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "device/hid/hid_diagnostics.h"

namespace vorlin {

// Where the machine is looked at; the defaults are this machine's.
struct AccessCheckRoots {
    HidDiagnosticRoots hid;
    std::vector<std::string> udevFolders = DefaultUdevRuleFolders();
};

struct AccessNotice {
    const char* textKey;   // the rule is missing, or installed but not applied
    std::string argument;  // fills its %s: the node with its owner and mode, then the commands
};

// nullopt unless a command interface of the keyboard exists and this user is refused it; then
// "no keyboard" would mislead.
std::optional<AccessNotice> KeyboardAccessNotice(const AccessCheckRoots& roots);

}  // namespace vorlin
