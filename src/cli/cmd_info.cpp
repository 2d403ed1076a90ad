// info: what the connected keyboard is and what its state block says.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <cstdio>

#include "cli/cli_commands.h"
#include "cli/cli_context.h"
#include "device/connection_monitor.h"
#include "skin/language.h"
#include "store/device_state.h"

namespace vorlin {
namespace {

struct InfoOptions {
    bool raw = false;
};

std::string HexBytes(const uint8_t* bytes, size_t n) {
    std::string s;
    char buf[4];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(buf, sizeof buf, i ? " %02X" : "%02X", bytes[i]);
        s += buf;
    }
    return s;
}

int RunInfo(CliSession& s, const InfoOptions& o) {
    if (int code = s.Connect(); code != kExitOk) return code;
    DeviceStateBlock block;
    const int r = ReadDeviceState(*s.link, block);
    if (r != kDone) return s.FailDevice("reading the keyboard's state", r);
    const CHidDevice& device = s.link->device;
    char model[16];
    std::snprintf(model, sizeof model, "%04x:%04x", device.attributes().vendorId,
                  device.attributes().productId);
    const unsigned capacity = 128u * block.macroCapacity();

    struct Mode {
        int number;
        std::string name;
    };
    std::vector<Mode> modes;
    for (uint8_t m : block.offeredModes())
        if (m != 0) modes.push_back({m, LookupModeName(s.texts, m, s.languageIndex)});

    if (s.json) {
        nlohmann::json j = {{"model", model},
                            {"path", device.path()},
                            {"keyMapSize", s.link->keyMapSize.load()},
                            {"keyCount", s.link->keyCount.load()},
                            {"activeProfile", block.activeProfile()},
                            {"macroCapacity", capacity}};
        nlohmann::json list = nlohmann::json::array();
        for (const Mode& m : modes) list.push_back({{"mode", m.number}, {"name", m.name}});
        j["lightingModes"] = list;
        if (o.raw) j["stateBlock"] = HexBytes(block.bytes.data(), block.bytes.size());
        s.out << j.dump(2) << '\n';
        return kExitOk;
    }
    s.out << "Model:            " << model << (s.options.simulate ? " (simulated)" : "") << '\n'
          << "Interface:        " << device.path() << '\n'
          << "Key map size:     " << s.link->keyMapSize.load() << " bytes\n"
          << "Keys:             " << s.link->keyCount.load() << '\n'
          << "Active profile:   " << block.activeProfile() << '\n'
          << "Macro capacity:   " << capacity << " bytes\n"
          << "Lighting modes:   ";
    if (modes.empty()) s.out << "none";
    for (size_t i = 0; i < modes.size(); ++i)
        s.out << (i ? ", " : "") << modes[i].number << ' ' << modes[i].name;
    s.out << '\n';
    if (o.raw)
        s.out << "State block:      " << HexBytes(block.bytes.data(), block.bytes.size()) << '\n';
    return kExitOk;
}

}  // namespace

void AddInfoCommand(CLI::App& app, CliSession& s, CommandAction& action) {
    auto o = std::make_shared<InfoOptions>();
    CLI::App* sub = app.add_subcommand(
        "info",
        "Show the keyboard's model, key map size, key count, active profile, macro "
        "capacity and lighting modes");
    sub->add_flag("--raw", o->raw, "Also print the state block's 44 bytes in hex");
    sub->add_flag("--json", s.json, "Print JSON");
    sub->callback([&s, &action, o] { action = [&s, o] { return RunInfo(s, *o); }; });
}

}  // namespace vorlin
