// devices: the HID interface paths that pass the path filter, what each one is, and which one
// carries the command protocol.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <map>

#include "cli/cli_commands.h"
#include "cli/cli_context.h"
#include "cli/devices_all.h"
#include "device/hid/hid_device.h"
#include "device/hid/hidraw_backend.h"
#include "device/hid/system_backend.h"

namespace vorlin {
namespace {

struct InterfaceRow {
    std::string path;
    uint16_t vendorId = 0, productId = 0;
    int interfaceNumber = -1;
    int collection = 1;
    uint16_t usagePage = 0, usage = 0;
    bool described = false;
    bool accessible = true;
    std::string note;
};

std::string Hex4(unsigned v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04x", v & 0xFFFF);
    return buf;
}

const char* CollectionRole(const InterfaceRow& r) {
    if (r.usagePage == kVendorUsagePage && r.usage == kVendorUsage) return "vendor (commands)";
    if (r.usagePage == kConsumerUsagePage && r.usage == kConsumerUsage) return "consumer control";
    if (r.usagePage == 0x01 && r.usage == 0x06) return "keyboard";
    if (r.usagePage == 0x01 && r.usage == 0x02) return "mouse";
    if (r.usagePage == 0x01 && r.usage == 0x80) return "system control";
    return "other";
}

std::string ModelName(uint16_t vendorId, uint16_t productId) {
    const KeyboardModel* m = FindKeyboardModel(vendorId, productId);
    if (!m) return "not an accepted model";
    return std::to_string(m->keyCount) + " keys, " + std::to_string(m->keyMapSize) +
           "-byte key maps";
}

int RunDevices(CliSession& s) {
    std::vector<std::string> paths;
    if (!s.backend->Enumerate(paths))
        return s.Fail(kExitFailed, "the HID devices cannot be listed.");
    std::map<std::string, HidrawInterfaceDetails> details;
    std::vector<HidrawInterfaceDetails> list;
    if (s.hidraw && s.hidraw->ListDetails(list))
        for (HidrawInterfaceDetails& d : list) details[d.path] = std::move(d);

    std::vector<InterfaceRow> rows;
    for (const std::string& path : paths) {
        if (!PathPassesFilter(path)) continue;
        InterfaceRow row;
        row.path = path;
        if (auto it = details.find(path); it != details.end()) {
            const HidrawInterfaceDetails& d = it->second;
            row.vendorId = d.vendorId;
            row.productId = d.productId;
            row.interfaceNumber = d.interfaceNumber;
            row.collection = d.collectionIndex;
            row.usagePage = d.caps.usagePage;
            row.usage = d.caps.usage;
            row.described = d.described;
            row.note = d.error;
        } else {
            // Other backends describe an interface when it is opened without access.
            CHidDevice probe(*s.backend);
            if (probe.Open(path, kOpenNoAccess)) {
                row.vendorId = probe.attributes().vendorId;
                row.productId = probe.attributes().productId;
                row.interfaceNumber = probe.interfaceNumber();
                row.collection = probe.collectionNumber() ? probe.collectionNumber() : 1;
                row.usagePage = probe.caps().usagePage;
                row.usage = probe.caps().usage;
                row.described = true;
                probe.Close();
            } else {
                row.note = "cannot be opened";
            }
        }
        rows.push_back(row);
    }

    if (s.json) {
        nlohmann::json j = nlohmann::json::array();
        for (const InterfaceRow& r : rows) {
            j.push_back(
                {{"path", r.path},
                 {"vendorId", Hex4(r.vendorId)},
                 {"productId", Hex4(r.productId)},
                 {"interface", r.interfaceNumber},
                 {"collection", r.collection},
                 {"usagePage", Hex4(r.usagePage)},
                 {"usage", Hex4(r.usage)},
                 {"role", CollectionRole(r)},
                 {"vendorCollection", r.usagePage == kVendorUsagePage && r.usage == kVendorUsage},
                 {"accessible", r.accessible},
                 {"note", r.note}});
        }
        s.out << j.dump(2) << '\n';
        return kExitOk;
    }
    if (rows.empty()) {
        s.out << "No keyboard interfaces found.\n";
        return kExitOk;
    }
    for (const InterfaceRow& r : rows) {
        const bool vendor = r.usagePage == kVendorUsagePage && r.usage == kVendorUsage;
        s.out << (vendor ? "* " : "  ") << r.path << '\n'
              << "    model " << Hex4(r.vendorId) << ':' << Hex4(r.productId) << " ("
              << ModelName(r.vendorId, r.productId) << "), interface "
              << (r.interfaceNumber < 0 ? std::string("-") : std::to_string(r.interfaceNumber))
              << ", collection " << r.collection;
        if (r.described)
            s.out << ", usage " << Hex4(r.usagePage) << ':' << Hex4(r.usage) << ' '
                  << CollectionRole(r);
        if (!r.accessible) s.out << ", no access for this user";
        if (!r.note.empty()) s.out << " [" << r.note << ']';
        s.out << '\n';
    }
    s.out << "(* marks the vendor collection that carries the command protocol)\n";
    return kExitOk;
}

}  // namespace

void AddDevicesCommand(CLI::App& app, CliSession& s, CommandAction& action) {
    CLI::App* sub = app.add_subcommand(
        "devices",
        "List the keyboard's HID interfaces: model, interface, collection, and which "
        "one is the vendor collection");
    sub->add_flag("--json", s.json, "Print JSON");
    AddDiagnosticsCommands(app, *sub, s, action, [&s] { return RunDevices(s); });
}

}  // namespace vorlin
