// Running vorlinctl in process against a simulated keyboard whose memory lives in a state file
// of a scratch folder, with the user's folders in that scratch folder too.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/cli_context.h"
#include "keys/key_codes.h"
#include "sim/keyboard_descriptors.h"
#include "sim/sim_memory.h"
#include "store/config_image.h"
#include "store/config_store.h"
#include "store/macro_record.h"
#include "store/profile_file.h"
#include "store/store_fixtures.h"

namespace vorlin::test {

struct CliRun {
    int code = -1;
    std::string out, err;
};

class CliFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", (dir / "run").c_str(), 1);
    }

    // vorlinctl with the assets, English texts and the simulated keyboard of the state file.
    CliRun Run(std::vector<std::string> args, const CliHooks& hooks = {}, bool simulate = true,
               const std::string& input = "", bool terminal = false) {
        std::vector<std::string> all = {"vorlinctl", "--data-dir", VORLIN_ASSETS_DIR, "--language",
                                        "1033"};
        if (simulate) {
            all.push_back("--simulate=" + model);
            all.push_back("--sim-state");
            all.push_back(State().string());
            if (socket) all.push_back("--sim-socket");
        }
        all.insert(all.end(), args.begin(), args.end());
        std::vector<const char*> argv;
        for (const std::string& a : all) argv.push_back(a.c_str());
        std::ostringstream out, err;
        std::istringstream in(input);
        CliRun r;
        r.code = RunCli(static_cast<int>(argv.size()), argv.data(), out, err, in, terminal, hooks);
        r.out = out.str();
        r.err = err.str();
        return r;
    }

    std::filesystem::path State() const { return dir / "keyboard.vsim"; }
    // Changes the keyboard's memory between runs, as something else had done it.
    template <typename Edit>
    void EditKeyboard(Edit&& edit) {
        SimMemory m = Keyboard();
        edit(m);
        std::string why;
        ASSERT_TRUE(SaveSimMemory(m, State().string(), &why)) << why;
    }
    std::filesystem::path UserFolder() const { return dir / "data" / "Morvane Tesslar"; }

    // The keyboard's memory as the last run left it (factory memory before any run).
    SimMemory Keyboard() const {
        SimMemory m = FactoryMemory(*ParseModelName(model));
        if (std::filesystem::exists(State())) {
            std::string why;
            EXPECT_TRUE(LoadSimMemory(State().string(), m, &why)) << why;
        }
        return m;
    }

    TempFolder dir;
    std::string model = "320f:5000";
    bool socket = false;
};

// Factory records of the 128-key model: the position of a key in its key maps.
inline int PositionOf(const SimMemory& m, KeyCode code) {
    for (unsigned i = 0; i < m.info().keyCount; ++i) {
        DeviceKeyRecord r{m.factoryMap[3 * i], m.factoryMap[3 * i + 1], m.factoryMap[3 * i + 2]};
        if (DecodeDeviceRecord(r) == code) return static_cast<int>(i);
    }
    return -1;
}

inline DeviceKeyRecord RecordAt(const SimMemory& m, int profile, int position) {
    const size_t at = profile * m.info().keyMapSize + 3 * position;
    return {m.keyMaps[at], m.keyMaps[at + 1], m.keyMaps[at + 2]};
}

// A profile file with a macro "Fire" (A down, 50 ms, A up) on G1 of profile 0, Caps Lock sending
// Left Ctrl in profile 1, and a launch key (a text the keyboard does not keep) in profile 2.
inline void WriteSampleProfile(const std::filesystem::path& file) {
    ConfigStore work;
    std::lock_guard<std::recursive_mutex> guard(work.lock);
    work.image = MakeDefaultImage();
    MacroRecord fire;
    fire.macroId = 1;
    fire.SetName(u"Fire");
    fire.repeatCount = 2;
    fire.actionCount = 2;
    fire.actions[0] = {50, 0x1E, 0};
    fire.actions[1] = {10, 0x1E, 1};
    work.macros.push_back(fire);
    KeyAction& g1 = work.image->tables[0][256];
    g1.type = kActionMacro;
    g1.value = 1;
    KeyAction& caps = work.image->tables[1][KeyIndexOf(0x3A)];
    caps.type = kActionKey;
    caps.value = 0x1D;
    KeyAction& launch = work.image->tables[2][KeyIndexOf(0x3B)];
    launch.type = kActionLaunch;
    SetKeyString(work, 2 * kKeyActionsPerTable + KeyIndexOf(0x3B), u"/usr/bin/true");
    ASSERT_EQ(SaveImageFile(work, file), 1);
}

// A 0x320F keyboard's vendor interface as sysfs lists it, as hidraw5 under sysRoot (its
// /dev node is left to the test).
inline void AddSysfsKeyboard(const std::filesystem::path& sysRoot) {
    namespace fs = std::filesystem;
    const fs::path hid = sysRoot / "devices/usb/1/intf/hid.1";
    fs::create_directories(hid);
    std::ofstream(hid / "uevent") << "HID_ID=0003:0000320F:00005000\nHID_NAME=Keyboard\n"
                                  << "HID_PHYS=usb-0000:00:14.0-3/input1\n";
    const auto descriptor = KeyboardModelInterfaces(0x320F, 0x5000)[0].reportDescriptor;
    std::ofstream(hid / "report_descriptor", std::ios::binary)
        .write(reinterpret_cast<const char*>(descriptor.data()),
               static_cast<std::streamsize>(descriptor.size()));
    fs::create_directories(sysRoot / "hidraw5");
    fs::create_directory_symlink(hid, sysRoot / "hidraw5/device");
}

}  // namespace vorlin::test
