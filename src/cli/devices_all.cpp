// devices --all: every HID interface the machine offers, with its caps, report ids and access.
#include "cli/devices_all.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <memory>
#include <set>

#include "cli/cli_context.h"
#include "device/connection_monitor.h"
#include "device/hid/system_backend.h"

namespace vorlin {
namespace {

constexpr const char* kTypeNames[3] = {"input", "output", "feature"};

// Kept in step with the JSON below; scripts rely on these names.
constexpr const char* kJsonFields = R"(JSON fields of --all --json (one object per interface path):
  path          the interface path vorlinctl opens
  node          the hidraw node behind it ("" for the simulated keyboard)
  name          the device's own name
  vendorId, productId   four hex digits
  interface     USB interface number, -1 when not a USB interface
  collection    top-level collection number on the node, from 1
  collections   top-level collections on the node, 0 when its descriptor is unreadable
  usagePage, usage      four hex digits
  role          mouse, keyboard, consumer control, system control, vendor (commands), other
  described     the report descriptor was read and parsed; error says why not
  input, output, feature   {length: bytes with the report id byte (0: none),
                buttonCaps, valueCaps, reportIds: [ids, 0 when the device uses none]}
  canRead, canWrite     this user can open the node that way; readError, writeError why not
  passesFilter  the path names one of the two keyboard models
  error         "" or what went wrong reading the interface)";

nlohmann::json ToJson(const HidInterfaceReport& r) {
    nlohmann::json j = {{"path", r.path},
                        {"node", r.node},
                        {"name", r.name},
                        {"vendorId", HexId(r.vendorId)},
                        {"productId", HexId(r.productId)},
                        {"interface", r.interfaceNumber},
                        {"collection", r.collection},
                        {"collections", r.collectionCount},
                        {"usagePage", HexId(r.usagePage)},
                        {"usage", HexId(r.usage)},
                        {"role", r.described ? CollectionRoleName(r.usagePage, r.usage) : ""},
                        {"described", r.described}};
    for (int t = 0; t < 3; ++t) {
        const ReportTypeSummary& s = r.reports[t];
        j[kTypeNames[t]] = {{"length", s.byteLength},
                            {"buttonCaps", s.buttonCaps},
                            {"valueCaps", s.valueCaps},
                            {"reportIds", s.reportIds}};
    }
    j["canRead"] = r.access.canRead;
    j["canWrite"] = r.access.canWrite;
    j["readError"] = AccessError(r.access.canRead, r.access.readErrno);
    j["writeError"] = AccessError(r.access.canWrite, r.access.writeErrno);
    j["passesFilter"] = r.passesFilter;
    j["error"] = r.error;
    return j;
}

std::string ReportLine(const HidInterfaceReport& r) {
    std::string line;
    for (int t = 0; t < 3; ++t) {
        const ReportTypeSummary& s = r.reports[t];
        if (t) line += "; ";
        line += kTypeNames[t];
        if (s.byteLength == 0) {
            line += " none";
            continue;
        }
        line += " " + std::to_string(s.byteLength) + " bytes, " + std::to_string(s.buttonCaps) +
                " button + " + std::to_string(s.valueCaps) + " value caps, ids";
        for (size_t i = 0; i < s.reportIds.size(); ++i)
            line += (i ? "," : " ") + std::to_string(s.reportIds[i]);
        if (s.reportIds.empty()) line += " -";
    }
    return line;
}

void PrintText(CliSession& s, const std::vector<HidInterfaceReport>& rows) {
    if (rows.empty()) {
        s.out << "No HID interfaces found.\n";
        return;
    }
    for (const HidInterfaceReport& r : rows) {
        s.out << (r.passesFilter ? "* " : "  ") << r.path << '\n';
        s.out << "    " << HexId(r.vendorId) << ':' << HexId(r.productId);
        if (!r.name.empty()) s.out << " \"" << r.name << '"';
        s.out << ", interface "
              << (r.interfaceNumber < 0 ? std::string("-") : std::to_string(r.interfaceNumber))
              << ", collection " << r.collection;
        if (r.collectionCount > 0) s.out << " of " << r.collectionCount;
        if (r.described)
            s.out << ", usage " << HexId(r.usagePage) << ':' << HexId(r.usage) << ' '
                  << CollectionRoleName(r.usagePage, r.usage);
        s.out << '\n';
        if (r.described) s.out << "    " << ReportLine(r) << '\n';
        if (!r.error.empty()) s.out << "    not described: " << r.error << '\n';
        s.out << "    " << (r.node.empty() ? std::string("interface") : "node " + r.node)
              << ": read " << (r.access.canRead ? "yes" : "no");
        if (!r.access.canRead) s.out << " (" << AccessError(false, r.access.readErrno) << ')';
        s.out << ", write " << (r.access.canWrite ? "yes" : "no");
        if (!r.access.canWrite) s.out << " (" << AccessError(false, r.access.writeErrno) << ')';
        s.out << '\n';
    }
    s.out << "(* marks the paths of the two keyboard models)\n";
}

int RunDevicesAll(CliSession& s) {
    std::vector<HidInterfaceReport> rows;
    std::string error;
    if (!ListAllInterfaces(s, rows, &error))
        return s.Fail(kExitFailed, "the HID devices cannot be listed: " + error);
    if (s.json) {
        nlohmann::json j = nlohmann::json::array();
        for (const HidInterfaceReport& r : rows) j.push_back(ToJson(r));
        s.out << j.dump(2) << '\n';
    } else {
        PrintText(s, rows);
    }
    return kExitOk;
}

}  // namespace

std::string HexId(unsigned value) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04x", value & 0xFFFF);
    return buf;
}

std::string CollectionRoleName(uint16_t usagePage, uint16_t usage) {
    if (usagePage == kVendorUsagePage && usage == kVendorUsage) return "vendor (commands)";
    if (usagePage == kConsumerUsagePage && usage == kConsumerUsage) return "consumer control";
    if (usagePage == 0x01 && usage == 0x06) return "keyboard";
    if (usagePage == 0x01 && usage == 0x02) return "mouse";
    if (usagePage == 0x01 && usage == 0x80) return "system control";
    return "other";
}

bool ListAllInterfaces(CliSession& s, std::vector<HidInterfaceReport>& out, std::string* error) {
    HidDiagnosticRoots roots{s.options.sysfsRoot, s.options.devRoot};
    if (!ListHidInterfaces(roots, out, error)) return false;
    std::set<std::string> known;
    for (const HidInterfaceReport& r : out) known.insert(r.path);
    std::vector<std::string> paths;
    if (s.backend && s.backend->Enumerate(paths)) {
        for (const std::string& path : paths)
            if (!known.count(path)) out.push_back(DescribeByOpening(*s.backend, path));
    }
    return true;
}

void AddDiagnosticsCommands(CLI::App& app, CLI::App& devices, CliSession& s, CommandAction& action,
                            CommandAction plainListing) {
    auto all = std::make_shared<bool>(false);
    devices.add_flag_function(
        "--all", [all](int64_t count) { *all = count > 0; },
        "Every HID interface, not only the keyboard's, with report lengths, caps, report ids "
        "and whether this user can open it");
    devices.footer(kJsonFields);
    devices.callback([&s, &action, all, plainListing] {
        if (*all)
            action = [&s] { return RunDevicesAll(s); };
        else
            action = plainListing;
    });
    AddDiagnoseCommand(app, s, action);
}

}  // namespace vorlin
