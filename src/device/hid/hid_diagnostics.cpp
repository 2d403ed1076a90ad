// Gathers what the diagnostics show about HID interfaces, nodes, holders and udev rules.
#include "device/hid/hid_diagnostics.h"

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <sstream>

#include "device/hid/hid_device.h"
#include "device/hid/hidraw_backend.h"
#include "device/hid/report_descriptor.h"
#include "device/keyboard_models.h"
#include "platform/file_read.h"

namespace vorlin {
namespace {

// One line per model of the table, ids in lower case as sysfs spells them.
std::string BuildRuleLines() {
    std::string lines;
    for (const KeyboardModel& m : KeyboardModels()) {
        char line[128];
        std::snprintf(line, sizeof line,
                      "SUBSYSTEM==\"hidraw\", ATTRS{idVendor}==\"%04x\", "
                      "ATTRS{idProduct}==\"%04x\", TAG+=\"uaccess\"\n",
                      m.vendorId, m.productId);
        lines += line;
    }
    return lines;
}

const std::string& ShippedRuleLines() {
    static const std::string lines = BuildRuleLines();
    return lines;
}

std::string Trim(std::string s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
    size_t start = s.find_first_not_of(" \t");
    return start == std::string::npos ? std::string() : s.substr(start);
}

bool AllDigits(std::string_view s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string BaseName(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// hidrawN entries of the sysfs folder, in the backend's order (hidraw2 before hidraw10).
std::vector<std::string> NodeNames(const std::string& sysfsRoot) {
    std::vector<std::string> names;
    DIR* d = ::opendir(sysfsRoot.c_str());
    if (!d) return names;
    while (dirent* e = ::readdir(d)) {
        std::string n = e->d_name;
        if (n.size() > 6 && n.compare(0, 6, "hidraw") == 0 && AllDigits(n.substr(6)))
            names.push_back(n);
    }
    ::closedir(d);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    return names;
}

// Why the backend could not read a node's sysfs entry.
std::string SysfsEntryFault(const std::string& sysfsRoot, const std::string& name) {
    const std::string uevent = sysfsRoot + "/" + name + "/device/uevent";
    std::string text;
    const FileReadResult read = ReadFileBounded(uevent, 64 * 1024, text);
    if (!read.ok())
        return std::string("its sysfs entry cannot be read (") + uevent + " " +
               DescribeFileRead(read) + ")";
    return "its sysfs entry names no HID device (no HID_ID in " + uevent + ")";
}

void FillFromPreparsed(HidInterfaceReport& r, const HidPreparsedData& pd) {
    r.usagePage = pd.caps.usagePage;
    r.usage = pd.caps.usage;
    for (int t = 0; t < 3; ++t)
        r.reports[t] = SummariseReportType(pd, static_cast<HidReportType>(t));
    r.described = true;
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The quoted values a rule line compares key against with "==".
std::vector<std::string> MatchValues(const std::string& line, std::string_view key) {
    std::vector<std::string> values;
    for (size_t at = line.find(key); at != std::string::npos; at = line.find(key, at + 1)) {
        size_t p = at + key.size();
        while (p < line.size() && (line[p] == '}' || line[p] == ' ')) ++p;
        if (line.compare(p, 2, "==") != 0) continue;
        p += 2;
        while (p < line.size() && line[p] == ' ') ++p;
        if (p >= line.size() || line[p] != '"') continue;
        size_t end = line.find('"', p + 1);
        if (end == std::string::npos) continue;
        values.push_back(line.substr(p + 1, end - p - 1));
    }
    return values;
}

std::string Hex4(unsigned v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04x", v & 0xFFFF);
    return buf;
}

// The logical lines of a rules file: comments dropped, continued lines joined.
std::vector<std::string> RuleLines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    std::string pending;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line.back() == '\\') {
            line.pop_back();
            pending += line;
            continue;
        }
        pending += line;
        std::string t = Trim(pending);
        pending.clear();
        if (!t.empty() && t[0] != '#') out.push_back(t);
    }
    if (!Trim(pending).empty() && Trim(pending)[0] != '#') out.push_back(Trim(pending));
    return out;
}

}  // namespace

ReportTypeSummary SummariseReportType(const HidPreparsedData& pd, HidReportType type) {
    ReportTypeSummary s;
    const HidReportTypeData& td = pd.of(type);
    switch (type) {
        case HidReportType::Input:
            s.byteLength = pd.caps.inputReportByteLength;
            s.buttonCaps = pd.caps.numberInputButtonCaps;
            s.valueCaps = pd.caps.numberInputValueCaps;
            break;
        case HidReportType::Output:
            s.byteLength = pd.caps.outputReportByteLength;
            s.buttonCaps = pd.caps.numberOutputButtonCaps;
            s.valueCaps = pd.caps.numberOutputValueCaps;
            break;
        case HidReportType::Feature:
            s.byteLength = pd.caps.featureReportByteLength;
            s.buttonCaps = pd.caps.numberFeatureButtonCaps;
            s.valueCaps = pd.caps.numberFeatureValueCaps;
            break;
    }
    s.reportIds = td.reportIds;
    return s;
}

NodeAccess CheckNodeAccess(const std::string& node) {
    NodeAccess a;
    // Opening is the only honest test: ACLs, read-only mounts and busy devices all count.
    int fd = ::open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd >= 0) {
        a.canRead = true;
        ::close(fd);
    } else {
        a.readErrno = errno;
    }
    fd = ::open(node.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd >= 0) {
        a.canWrite = true;
        ::close(fd);
    } else {
        a.writeErrno = errno;
    }
    return a;
}

std::string AccessError(bool opened, int error) {
    if (opened) return {};
    return error ? std::strerror(error) : "cannot be opened";
}

NodeStatus StatNode(const std::string& node) {
    NodeStatus s;
    struct stat st {};
    if (::stat(node.c_str(), &st) != 0) return s;
    s.exists = true;
    s.charDevice = S_ISCHR(st.st_mode);
    s.mode = st.st_mode & 07777;
    s.uid = st.st_uid;
    s.gid = st.st_gid;
    // getpwuid_r/getgrgid_r: another thread may use the user database at the same time.
    std::vector<char> buf(16384);
    passwd pw{};
    passwd* pwp = nullptr;
    s.owner = ::getpwuid_r(st.st_uid, &pw, buf.data(), buf.size(), &pwp) == 0 && pwp
                  ? pw.pw_name
                  : std::to_string(st.st_uid);
    group gr{};
    group* grp = nullptr;
    s.group = ::getgrgid_r(st.st_gid, &gr, buf.data(), buf.size(), &grp) == 0 && grp
                  ? gr.gr_name
                  : std::to_string(st.st_gid);
    s.hasAcl = ::getxattr(node.c_str(), "system.posix_acl_access", nullptr, 0) > 0;
    return s;
}

std::string DescribeNodeStatus(const NodeStatus& s) {
    if (!s.exists) return "missing";
    std::string perms = s.charDevice ? "c" : "-";
    const char* rwx = "rwxrwxrwx";
    for (int i = 0; i < 9; ++i) perms += (s.mode & (0400 >> i)) ? rwx[i] : '-';
    if (s.hasAcl) perms += '+';
    return perms + " " + s.owner + ":" + s.group;
}

bool ListHidInterfaces(const HidDiagnosticRoots& roots, std::vector<HidInterfaceReport>& out,
                       std::string* error) {
    out.clear();
    HidrawBackend backend(roots.sysfsRoot, roots.devRoot);
    std::vector<HidrawInterfaceDetails> details;
    if (!backend.ListDetails(details)) {
        if (error) *error = roots.sysfsRoot + " cannot be listed: " + std::strerror(errno);
        return false;
    }
    std::map<std::string, std::vector<HidrawInterfaceDetails>> byNode;
    for (HidrawInterfaceDetails& d : details) byNode[BaseName(d.node)].push_back(std::move(d));

    std::map<std::string, NodeAccess> access;  // one check per node
    for (const std::string& name : NodeNames(roots.sysfsRoot)) {
        const std::string node = roots.devRoot + "/" + name;
        auto acc = access.find(node);
        if (acc == access.end()) acc = access.emplace(node, CheckNodeAccess(node)).first;
        auto found = byNode.find(name);
        if (found == byNode.end()) {
            HidInterfaceReport r;
            r.path = node;
            r.node = node;
            r.identified = false;
            r.error = SysfsEntryFault(roots.sysfsRoot, name);
            r.access = acc->second;
            out.push_back(std::move(r));
            continue;
        }
        for (const HidrawInterfaceDetails& d : found->second) {
            HidInterfaceReport r;
            r.path = d.path;
            r.node = d.node;
            r.name = d.name;
            r.vendorId = d.vendorId;
            r.productId = d.productId;
            r.interfaceNumber = d.interfaceNumber;
            r.collection = d.collectionIndex;
            r.collectionCount = d.collectionCount;
            r.error = d.error;
            r.access = acc->second;
            r.passesFilter = PathPassesFilter(d.path);
            if (d.preparsed) FillFromPreparsed(r, *d.preparsed);
            out.push_back(std::move(r));
        }
    }
    return true;
}

HidInterfaceReport DescribeByOpening(HidBackend& backend, const std::string& path) {
    HidInterfaceReport r;
    r.path = path;
    r.passesFilter = PathPassesFilter(path);
    CHidDevice probe(backend);
    if (probe.Open(path, kOpenNoAccess) && probe.preparsed()) {
        r.vendorId = probe.attributes().vendorId;
        r.productId = probe.attributes().productId;
        r.interfaceNumber = probe.interfaceNumber();
        r.collection = probe.collectionNumber() ? probe.collectionNumber() : 1;
        FillFromPreparsed(r, *probe.preparsed());
        probe.Close();
    } else {
        r.error = "cannot be opened";
    }
    // These backends do not say why an open failed; the error numbers stay 0.
    r.access.canRead = probe.Open(path, kOpenRead);
    probe.Close();
    r.access.canWrite = probe.Open(path, kOpenWrite);
    probe.Close();
    return r;
}

HolderScan FindNodeHolders(const std::string& procRoot, const std::vector<std::string>& nodes,
                           int selfPid) {
    HolderScan scan;
    if (nodes.empty()) return scan;
    std::set<std::string> wanted(nodes.begin(), nodes.end());
    DIR* proc = ::opendir(procRoot.c_str());
    if (!proc) return scan;
    std::vector<int> pids;
    while (dirent* e = ::readdir(proc)) {
        if (AllDigits(e->d_name) && std::strlen(e->d_name) < 10)
            pids.push_back(std::atoi(e->d_name));
    }
    ::closedir(proc);
    std::sort(pids.begin(), pids.end());
    for (int pid : pids) {
        if (pid == selfPid) continue;
        const std::string base = procRoot + "/" + std::to_string(pid);
        DIR* fds = ::opendir((base + "/fd").c_str());
        if (!fds) {
            // Gone since the listing, or another user's process.
            if (errno == EACCES || errno == EPERM) ++scan.hidden;
            continue;
        }
        std::set<std::string> held;
        while (dirent* e = ::readdir(fds)) {
            if (!AllDigits(e->d_name)) continue;
            char target[4096];
            const std::string link = base + "/fd/" + e->d_name;
            ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
            if (n <= 0) continue;
            std::string t(target, static_cast<size_t>(n));
            if (wanted.count(t)) held.insert(t);
        }
        ::closedir(fds);
        if (held.empty()) continue;
        std::string comm;
        ReadFileLimited(base + "/comm", comm, 256);
        comm = Trim(comm);
        if (comm.empty()) comm = "?";
        for (const std::string& node : held) scan.holders.push_back({pid, comm, node});
    }
    return scan;
}

std::vector<std::string> DefaultUdevRuleFolders() {
    return {"/etc/udev/rules.d", "/run/udev/rules.d", "/usr/local/lib/udev/rules.d",
            "/usr/lib/udev/rules.d", "/lib/udev/rules.d"};
}

bool UdevRuleCheck::CoversAll() const {
    if (grantingFiles.size() != KeyboardModels().size()) return false;
    return std::all_of(grantingFiles.begin(), grantingFiles.end(),
                       [](const auto& files) { return !files.empty(); });
}

UdevRuleCheck CheckUdevRules(const std::vector<std::string>& folders) {
    UdevRuleCheck check;
    check.grantingFiles.resize(KeyboardModels().size());
    // udev takes each file name once, from the first folder that has it.
    std::map<std::string, std::string> effective;  // name -> full path
    std::set<std::string> seenFolders;
    for (const std::string& folder : folders) {
        // /lib is often /usr/lib: the same folder twice must not hide itself.
        char resolved[4096];
        std::string real = ::realpath(folder.c_str(), resolved) ? std::string(resolved) : folder;
        if (!seenFolders.insert(real).second) continue;
        DIR* d = ::opendir(folder.c_str());
        if (!d) continue;
        while (dirent* e = ::readdir(d)) {
            std::string name = e->d_name;
            if (name.size() <= 6 || name.compare(name.size() - 6, 6, ".rules") != 0) continue;
            effective.emplace(name, folder + "/" + name);
        }
        ::closedir(d);
    }
    for (const auto& [name, file] : effective) {
        char target[4096];
        ssize_t n = ::readlink(file.c_str(), target, sizeof target - 1);
        if (n > 0 && std::string(target, static_cast<size_t>(n)) == "/dev/null") {
            if (name == kKeyboardUdevRuleFile)
                check.notes.push_back(file + " masks the rule (a link to /dev/null)");
            continue;
        }
        std::string text;
        if (!ReadFileLimited(file, text, 1 << 20)) {
            if (name == kKeyboardUdevRuleFile)
                check.notes.push_back(file + " cannot be read: " + std::strerror(errno));
            continue;
        }
        if (name == kKeyboardUdevRuleFile && Trim(text).empty())
            check.notes.push_back(file + " is empty and hides the rule");
        for (const std::string& line : RuleLines(text)) {
            std::vector<std::string> vendors = MatchValues(line, "idVendor");
            std::vector<std::string> products = MatchValues(line, "idProduct");
            for (size_t m = 0; m < KeyboardModels().size(); ++m) {
                const std::string vid = Hex4(KeyboardModels()[m].vendorId);
                const std::string pid = Hex4(KeyboardModels()[m].productId);
                auto has = [](const std::vector<std::string>& vs, const std::string& want,
                              bool exact) {
                    return std::any_of(vs.begin(), vs.end(), [&](const std::string& v) {
                        return exact ? v == want : Lower(v) == want;
                    });
                };
                if (has(vendors, vid, true) && has(products, pid, true)) {
                    auto& files = check.grantingFiles[m];
                    if (std::find(files.begin(), files.end(), file) == files.end())
                        files.push_back(file);
                } else if (has(vendors, vid, false) && has(products, pid, false)) {
                    check.notes.push_back(file + " names " + vid + ":" + pid +
                                          " in upper case; udev compares case-sensitively and "
                                          "sysfs spells ids in lower case, so it never matches");
                }
            }
        }
    }
    std::sort(check.notes.begin(), check.notes.end());
    check.notes.erase(std::unique(check.notes.begin(), check.notes.end()), check.notes.end());
    return check;
}

std::string_view KeyboardUdevRuleLines() {
    return ShippedRuleLines();
}

std::string UdevInstallCommands() {
    std::string s = "sudo tee /etc/udev/rules.d/";
    s += kKeyboardUdevRuleFile;
    s += " >/dev/null <<'EOF'\n";
    s += ShippedRuleLines();
    s += "EOF\n";
    s += kUdevApplyCommand;
    s += "\n";
    return s;
}

std::string KernelRelease(const std::string& procRoot) {
    std::string release;
    if (ReadFileLimited(procRoot + "/sys/kernel/osrelease", release, 256)) {
        release = Trim(release);
        if (!release.empty()) return release;
    }
    utsname u{};
    if (::uname(&u) == 0) return u.release;
    return "unknown";
}

}  // namespace vorlin
