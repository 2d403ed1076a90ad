// What a user needs to see when the keyboard is not found: every HID interface path with its
// caps, the hidraw node behind it and whether this user can open it, the processes that hold a
// node open, the udev rules that grant access, and the kernel release. Every root (sysfs, /dev,
// /proc, the udev rule folders) is a parameter, so a tree captured elsewhere can be replayed.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "device/hid/hid_backend.h"
#include "device/hid/hid_types.h"

namespace vorlin {

struct HidPreparsedData;

// One report type of a collection, as Windows would describe it.
struct ReportTypeSummary {
    uint16_t byteLength = 0;  // with the report id byte; 0 when the type has no report
    uint16_t buttonCaps = 0;
    uint16_t valueCaps = 0;
    std::vector<uint8_t> reportIds;  // ascending; [0] for a device without report ids
};

ReportTypeSummary SummariseReportType(const HidPreparsedData& pd, HidReportType type);

// Can this user open a node, each way on its own? errno of a failed open; 0 when it opened or
// when the backend does not tell why.
struct NodeAccess {
    bool canRead = false;
    bool canWrite = false;
    int readErrno = 0;
    int writeErrno = 0;
};

NodeAccess CheckNodeAccess(const std::string& node);
// "" when it opened, else the reason in words.
std::string AccessError(bool opened, int error);

// What the file system says about a node.
struct NodeStatus {
    bool exists = false;
    bool charDevice = false;
    unsigned mode = 0;  // permission bits
    unsigned uid = 0, gid = 0;
    std::string owner, group;  // names, or the numbers when the user database has none
    bool hasAcl = false;       // extended access entries (udev's "uaccess" puts one there)
};

NodeStatus StatNode(const std::string& node);
// "crw-rw---- root:plugdev" style.
std::string DescribeNodeStatus(const NodeStatus& status);

struct HidInterfaceReport {
    std::string path;  // the interface path the program opens; the node for unreadable nodes
    std::string node;  // the hidraw node ("" for interfaces of other backends)
    std::string name;
    bool identified = true;  // false: sysfs did not say which device this is
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    int interfaceNumber = -1;  // -1: not a USB interface
    int collection = 1;        // 1-based among the node's top-level collections
    int collectionCount = 0;   // 0 when the descriptor could not be read
    bool described = false;    // caps below are valid
    std::string error;         // why not
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    std::array<ReportTypeSummary, 3> reports;  // input, output, feature
    NodeAccess access;
    bool passesFilter = false;
};

struct HidDiagnosticRoots {
    std::string sysfsRoot = "/sys/class/hidraw";
    std::string devRoot = "/dev";
};

// Every interface path of the hidraw nodes, one per top-level collection, in enumeration order.
// A node whose sysfs entry cannot be read is listed once with the reason rather than left out.
// false (with *error) only when the sysfs folder exists but cannot be listed.
bool ListHidInterfaces(const HidDiagnosticRoots& roots, std::vector<HidInterfaceReport>& out,
                       std::string* error = nullptr);

// An interface of any backend (the simulated keyboard's, say), described by opening it.
HidInterfaceReport DescribeByOpening(HidBackend& backend, const std::string& path);

// A process that has one of the nodes open.
struct NodeHolder {
    int pid = 0;
    std::string name;  // from comm
    std::string node;
};

struct HolderScan {
    std::vector<NodeHolder> holders;
    int hidden = 0;  // processes whose open files this user may not look at
};

// Looks through procRoot/<pid>/fd; the process selfPid is left out.
HolderScan FindNodeHolders(const std::string& procRoot, const std::vector<std::string>& nodes,
                           int selfPid);

// Where udev reads rules, highest priority first: a file in an earlier folder hides a file of
// the same name in a later one.
std::vector<std::string> DefaultUdevRuleFolders();

struct UdevRuleCheck {
    // Per accepted model, in the order of the model table: the rule files that match its ids.
    std::vector<std::vector<std::string>> grantingFiles;
    // Things worth telling: masked files, ids in the wrong letter case.
    std::vector<std::string> notes;
    bool CoversAll() const;
};

UdevRuleCheck CheckUdevRules(const std::vector<std::string>& folders);

// The rule lines we ship, the file name they are installed under, and the shell commands that
// install and apply them.
std::string_view KeyboardUdevRuleLines();
constexpr std::string_view kKeyboardUdevRuleFile = "60-vorlin.rules";
// Makes udev apply the installed rules to the devices plugged in.
constexpr std::string_view kUdevApplyCommand =
    "sudo udevadm control --reload-rules && sudo udevadm trigger";
std::string UdevInstallCommands();

// procRoot/sys/kernel/osrelease, else what uname says.
std::string KernelRelease(const std::string& procRoot);

}  // namespace vorlin
