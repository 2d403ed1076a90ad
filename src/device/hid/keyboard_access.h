// Whether this user can reach a keyboard's command interface and, when not, what stands in the
// way, worked out from the interface listing and the udev rules: for vorlinctl diagnose and for
// the application's notice in place of "no keyboard".
#pragma once

#include <string>
#include <vector>

#include "device/hid/hid_diagnostics.h"

namespace vorlin {

// An interface of either keyboard model; that model's vendor (command) collection.
bool IsKeyboardInterface(const HidInterfaceReport& r);
bool IsCommandInterface(const HidInterfaceReport& r);

enum class KeyboardReach {
    Usable,              // a command interface opens for reading and writing
    Absent,              // no interface of either model
    NoCommandInterface,  // the keyboard's interfaces, none of them a command interface
    Blocked,             // command interfaces, none of which opens: see KeyboardAccess::blocked
};

struct KeyboardAccess {
    KeyboardReach reach = KeyboardReach::Absent;
    // Every interface of either model, in listing order; pointers into the rows judged.
    std::vector<const HidInterfaceReport*> keyboard;
    const HidInterfaceReport* blocked = nullptr;  // the first command interface that won't open
    bool cannotRead = false;  // blocked cannot be read (else it reads but cannot be written)
    int error = 0;            // errno of blocked's failed open

    // blocked's hidraw node (its path when it has none); "" when nothing is blocked.
    std::string Node() const;
    bool PermissionDenied() const;  // the open failed for want of permission
    bool NodeMissing() const;       // the kernel lists the node but /dev has none
};

KeyboardAccess JudgeKeyboardAccess(const std::vector<HidInterfaceReport>& rows);

// What a user runs to get past a blocked interface, one command per line: the rule's install
// and apply when it is not installed for both models, its apply when it is, the node's making
// when the node is missing. "" when nothing is blocked.
std::string AccessFixCommands(const KeyboardAccess& access, const UdevRuleCheck& rules);

}  // namespace vorlin
