// vorlinctl's commands run in process against the simulated keyboard.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <thread>

#include "cli/cli_fixture.h"
#include "sim/keyboard_descriptors.h"
#include "sim/sim_keyboard.h"
#include "skin/language.h"
#include "store/lighting_record.h"

namespace vorlin::test {
namespace {

using nlohmann::json;
namespace fs = std::filesystem;

class Cli : public CliFixture {};

TEST_F(Cli, BadArgumentsAreRefusedBeforeAnythingIsWritten) {
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const Case cases[] = {
        {{"frobnicate"}, "not expected: frobnicate"},
        {{}, "no command given"},
        {{"lighting", "brightness=9"}, "bad value \"9\" for brightness"},
        {{"lighting", "speed=fast"}, "for speed"},
        {{"lighting", "colour=#12345"}, "#RRGGBB"},
        {{"lighting", "glow=1"}, "unknown setting"},
        {{"lighting", "mode=6", "direction=left"}, "mode 6 has no direction"},
        {{"lighting", "mode=4", "colour=#FF0000"}, "mode 4 has no colour"},
        {{"lighting", "mode=Nonesuch"}, "offers no lighting mode"},
        {{"assign", "NoSuchKey", "A"}, "unknown key \"NoSuchKey\""},
        {{"assign", "A", "media:Nothing"}, "unknown media function"},
        {{"assign", "A", "macro:Nope"}, "no macro named \"Nope\""},
        {{"assign", "A", "function:12"}, "bad function"},
        {{"assign", "A", "G2"}, "macro key cannot be sent"},
        {{"profile", "3"}, "3"},
        {{"show"}, "either FILE or --keyboard"},
    };
    for (const Case& c : cases) {
        CliRun r = Run(c.args);
        EXPECT_EQ(r.code, kExitUsage) << c.message << ": " << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_TRUE(Keyboard() == FactoryMemory(SimModel::k320F_5000)) << c.message;
    }
}

TEST_F(Cli, NoKeyboardSaysSoAndPointsAtPermissionsWhenNodesCannotBeOpened) {
    fs::create_directories(dir / "sys");
    fs::create_directories(dir / "dev");
    CliRun none =
        Run({"--sysfs-root", (dir / "sys").string(), "--dev-root", (dir / "dev").string(), "info"},
            {}, false);
    EXPECT_EQ(none.code, kExitNoKeyboard);
    EXPECT_NE(none.err.find("no keyboard found"), std::string::npos) << none.err;
    EXPECT_EQ(none.err.find("permission"), std::string::npos);

    // A keyboard listed in sysfs whose device node cannot be opened.
    AddSysfsKeyboard(dir / "sys");
    CliRun denied =
        Run({"--sysfs-root", (dir / "sys").string(), "--dev-root", (dir / "dev").string(), "info"},
            {}, false);
    EXPECT_EQ(denied.code, kExitNoKeyboard);
    EXPECT_NE(denied.err.find("cannot be opened"), std::string::npos) << denied.err;
    EXPECT_NE(denied.err.find("permission"), std::string::npos);
    EXPECT_NE(denied.err.find("60-vorlin.rules"), std::string::npos);
}

TEST_F(Cli, InfoAndDevicesDescribeTheKeyboard) {
    model = "0c45:5004";
    CliRun info = Run({"info", "--json", "--raw"});
    ASSERT_EQ(info.code, kExitOk) << info.err;
    json j = json::parse(info.out);
    EXPECT_EQ(j["model"], "0c45:5004");
    EXPECT_EQ(j["keyMapSize"], 378);
    EXPECT_EQ(j["keyCount"], 126);
    EXPECT_EQ(j["activeProfile"], 0);
    EXPECT_EQ(j["macroCapacity"], 128 * ModelInfo(SimModel::k0C45_5004).macroUnits);
    ASSERT_FALSE(j["lightingModes"].empty());
    EXPECT_EQ(j["lightingModes"][0]["name"], "Wave");
    EXPECT_EQ(j["stateBlock"].get<std::string>().size(), 44u * 3 - 1);

    CliRun devices = Run({"devices", "--json"});
    ASSERT_EQ(devices.code, kExitOk) << devices.err;
    int vendor = 0;
    for (const json& d : json::parse(devices.out)) vendor += d["vendorCollection"].get<bool>();
    EXPECT_EQ(vendor, 1);
}

TEST_F(Cli, ProfileIsSetAndReadBack) {
    CliRun set = Run({"profile", "2"});
    ASSERT_EQ(set.code, kExitOk) << set.err;
    EXPECT_EQ(Keyboard().state[kStateActiveProfile], 2);
    CliRun show = Run({"profile"});
    EXPECT_EQ(show.out, "Active profile: 2\n");
}

TEST_F(Cli, LightingIsWrittenAsThePanelWritesItAndReadsBack) {
    CliRun set = Run({"lighting", "mode=Breathing", "brightness=2", "speed=4", "colour=#102030"});
    ASSERT_EQ(set.code, kExitOk) << set.err;
    SimMemory m = Keyboard();
    EXPECT_EQ(m.lighting[lightfield::kMode], 5);
    EXPECT_EQ(m.lighting[lightfield::kBrightness], 2);
    EXPECT_EQ(m.lighting[lightfield::kSpeed], 1);  // slider position 4
    EXPECT_EQ(m.lighting[lightfield::kMulticolour], 0);
    EXPECT_EQ(m.lighting[lightfield::kColour], 0x10);
    EXPECT_EQ(m.lighting[lightfield::kColour + 2], 0x30);

    CliRun other = Run({"lighting", "--profile", "2", "mode=12", "direction=up", "rate=1"});
    ASSERT_EQ(other.code, kExitOk) << other.err;
    m = Keyboard();
    EXPECT_EQ(m.lighting[LightingOffset(2, lightfield::kMode)], 12);
    EXPECT_EQ(m.lighting[LightingOffset(2, lightfield::kDirection)], kDirectionLeft);
    EXPECT_EQ(m.lighting[LightingOffset(2, lightfield::kReportRate)], 1);
    EXPECT_EQ(m.lighting[lightfield::kMode], 5) << "profile 0 untouched";

    CliRun read = Run({"lighting", "--json"});
    ASSERT_EQ(read.code, kExitOk) << read.err;
    json j = json::parse(read.out);
    EXPECT_EQ(j["mode"], 5);
    EXPECT_EQ(j["modeName"], "Breathing");
    EXPECT_EQ(j["brightness"], 2);
    EXPECT_EQ(j["speed"], 4);
    EXPECT_EQ(j["colour"], "#102030");
    EXPECT_EQ(j["multicolour"], false);
    CliRun two = Run({"lighting", "--profile", "2", "--json"});
    EXPECT_EQ(json::parse(two.out)["direction"], "up");
}

TEST_F(Cli, AssignChangesOneKeyAndShowTellsIt) {
    ASSERT_EQ(Run({"assign", "Caps Lock", "lctrl"}).code, kExitOk);
    ASSERT_EQ(Run({"assign", "--profile", "1", "G1", "mouse:wheel-down"}).code, kExitOk);
    CliRun fn = Run({"assign", "Esc", "function:3"});
    ASSERT_EQ(fn.code, kExitOk) << fn.err;
    EXPECT_EQ(fn.out, "Profile 0: Esc -> function:3 (Switch to Profile 3)\n");

    SimMemory m = Keyboard();
    EXPECT_EQ(RecordAt(m, 0, PositionOf(m, 0x3A)), (DeviceKeyRecord{2, 1, 0x01}));
    EXPECT_EQ(RecordAt(m, 0, PositionOf(m, 0x01)), (DeviceKeyRecord{5, 5, 2}));
    EXPECT_EQ(RecordAt(m, 1, PositionOf(m, 0x200)), (DeviceKeyRecord{1, 5, 0xFF}));

    CliRun show = Run({"show", "--keyboard", "--json"});
    ASSERT_EQ(show.code, kExitOk) << show.err;
    json j = json::parse(show.out);
    auto keys = [&](int p) {
        std::map<std::string, std::string> k;
        for (const json& e : j["profiles"][p]["keys"]) k[e["key"]] = e["action"];
        return k;
    };
    EXPECT_EQ(keys(0),
              (std::map<std::string, std::string>{{"Caps Lock", "Left Ctrl"},
                                                  {"Esc", "function:3 (Switch to Profile 3)"}}));
    EXPECT_EQ(keys(1), (std::map<std::string, std::string>{{"G1", "mouse:wheel-down"}}));
    EXPECT_TRUE(keys(2).empty());
    // The active profile's backing file holds the same.
    EXPECT_TRUE(fs::exists(UserFolder() / "$Profile0"));

    ASSERT_EQ(Run({"assign", "Caps Lock", "default"}).code, kExitOk);
    m = Keyboard();
    EXPECT_EQ(RecordAt(m, 0, PositionOf(m, 0x3A)),
              RecordAt(FactoryMemory(SimModel::k320F_5000), 0, PositionOf(m, 0x3A)));
}

TEST_F(Cli, AssignRefusesTargetsTheKeyboardCannotSend) {
    // Keys without a keyboard-page code would go out as [2, 2, 0], a key that does nothing.
    for (const char* target : {"Power", "Sleep", "Wake", "Copy", "Pan Left", "Double Click", "F13",
                               "Sys Req", "Calendar"}) {
        CliRun r = Run({"assign", "A", target});
        EXPECT_EQ(r.code, kExitUsage) << target << ": " << r.err;
        EXPECT_NE(r.err.find("\"" + std::string(target) + "\" cannot be given to a key"),
                  std::string::npos)
            << r.err;
    }
    EXPECT_TRUE(Keyboard() == FactoryMemory(SimModel::k320F_5000));

    struct Good {
        const char* target;
        DeviceKeyRecord record;
    } good[] = {
        {"B", {2, 2, 0x05}},
        {"Right Alt", {2, 1, 0x40}},
        {"V+", {2, 2, 0xC0}},
        {"Zoom+", {2, 2, 0xD3}},
        {"Print Screen", {2, 2, 0x46}},
        {"Roll Down", {1, 5, 0xFF}},
        {"Middle Button", {1, 1, 0x04}},
    };
    for (const Good& g : good) {
        CliRun r = Run({"assign", "A", g.target});
        ASSERT_EQ(r.code, kExitOk) << g.target << ": " << r.err;
        const SimMemory m = Keyboard();
        EXPECT_EQ(RecordAt(m, 0, PositionOf(m, 0x1E)), g.record) << g.target;
    }
}

TEST_F(Cli, ShowTellsAnOutOfRangeKeyValueAsSuch) {
    ConfigStore work;
    {
        std::lock_guard<std::recursive_mutex> guard(work.lock);
        work.image = MakeDefaultImage();
        const uint32_t values[] = {0x7FFFFFFF, 0xFFFF, 0x180, 0x1E};
        const KeyCode keys[] = {0x1E, 0x30, 0x2E, 0x20};  // A, B, C, D
        for (int i = 0; i < 4; ++i) {
            KeyAction& a = work.image->tables[0][KeyIndexOf(keys[i])];
            a.type = kActionKey;
            a.value = values[i];
        }
        ASSERT_EQ(SaveImageFile(work, dir / "odd.fwc"), 1);
    }
    CliRun r = Run({"show", (dir / "odd.fwc").string()});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    for (const char* line : {"A -> unknown value 0x7FFFFFFF", "B -> unknown value 0x0000FFFF",
                             "C -> unknown value 0x00000180", "D -> A"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << " in\n" << r.out;
}

TEST_F(Cli, AnUnwritableDataFolderIsBlamedWithItsPath) {
    // The user folder is a file, so no backing file can be made in it (root may write anywhere,
    // so permissions alone would not show it).
    fs::create_directories(UserFolder().parent_path());
    WriteFile(UserFolder(), {1});
    CliRun r = Run({"assign", "A", "B"});
    EXPECT_EQ(r.code, kExitFailed);
    EXPECT_NE(r.err.find("the backing file of profile 0 (" + (UserFolder() / "$Profile0").string() +
                         ") cannot be written"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(r.err.find("reading the keyboard"), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_TRUE(Keyboard() == FactoryMemory(SimModel::k320F_5000));
}

TEST_F(Cli, BackupThenRestoreReproducesTheKeyboard) {
    WriteSampleProfile(dir / "sample.fwc");
    CliRun restore = Run({"restore", (dir / "sample.fwc").string()});
    ASSERT_EQ(restore.code, kExitOk) << restore.err;
    CliRun shown = Run({"show", "--keyboard"});
    ASSERT_EQ(shown.code, kExitOk);
    EXPECT_NE(shown.out.find("G1 -> macro:Fire (id 1)"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("Caps Lock -> Left Ctrl"), std::string::npos);
    EXPECT_NE(shown.out.find("Fire (id 1, repeat 2, 2 actions): press A, 50 ms, release A, 10 ms"),
              std::string::npos);
    // The file's own view keeps the launch key the keyboard cannot hold.
    EXPECT_NE(Run({"show", (dir / "sample.fwc").string()}).out.find("F1 -> launch: /usr/bin/true"),
              std::string::npos);

    ASSERT_EQ(Run({"backup", (dir / "backup.fwc").string()}).code, kExitOk);
    const SimMemory configured = Keyboard();
    fs::remove(State());  // a keyboard fresh from the factory
    ASSERT_EQ(Run({"restore", (dir / "backup.fwc").string()}).code, kExitOk);
    const SimMemory restored = Keyboard();
    EXPECT_TRUE(restored.keyMaps == configured.keyMaps);
    EXPECT_TRUE(std::equal(configured.macros.begin(), configured.macros.begin() + 256,
                           restored.macros.begin()));
}

TEST_F(Cli, BadProfileFilesAreRejectedWithTheReasonAndNothingIsWritten) {
    WriteSampleProfile(dir / "good.fwc");
    const std::vector<uint8_t> good = ReadFile(dir / "good.fwc");
    std::vector<uint8_t> flipped = good;
    flipped[4] ^= 1;  // header field changed without its checksum
    std::vector<uint8_t> tooMany = good;
    tooMany[14] = 101;
    tooMany[31] = static_cast<uint8_t>(tooMany[31] + 100);
    WriteFile(dir / "flipped.fwc", flipped);
    WriteFile(dir / "many.fwc", tooMany);
    WriteFile(dir / "short.fwc", std::vector<uint8_t>(good.begin(), good.begin() + 1000));
    WriteFile(dir / "truncated.fwc", std::vector<uint8_t>(good.begin(), good.end() - 10));
    struct Case {
        std::string file, message;
    };
    const Case cases[] = {
        {"flipped.fwc", "header"},
        {"many.fwc", "header"},
        {"short.fwc", "shorter than a profile image"},
        {"truncated.fwc", "shorter than its header says"},
        {"missing.fwc", "does not exist"},
    };
    for (const Case& c : cases) {
        for (const char* command : {"restore", "show"}) {
            CliRun r = Run({command, (dir / c.file).string()});
            EXPECT_EQ(r.code, kExitBadFile) << c.file;
            EXPECT_NE(r.err.find(c.message), std::string::npos) << c.file << ": " << r.err;
            EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        }
    }
    EXPECT_TRUE(Keyboard() == FactoryMemory(SimModel::k320F_5000));
}

TEST_F(Cli, ExportCopiesTheBackingFileAndAsksBeforeReplacing) {
    CliRun none = Run({"export", "--profile", "1", (dir / "x.fwc").string()});
    EXPECT_EQ(none.code, kExitBadFile);
    EXPECT_NE(none.err.find("no backing file"), std::string::npos);

    ASSERT_EQ(Run({"assign", "A", "B"}).code, kExitOk);
    ASSERT_EQ(Run({"export", (dir / "x.fwc").string()}).code, kExitOk);
    EXPECT_EQ(ReadFile(dir / "x.fwc"), ReadFile(UserFolder() / "$Profile0"));

    WriteFile(dir / "x.fwc", {1, 2, 3});
    CliRun no = Run({"export", (dir / "x.fwc").string()});
    EXPECT_EQ(no.code, kExitFailed);
    EXPECT_EQ(ReadFile(dir / "x.fwc"), (std::vector<uint8_t>{1, 2, 3}));
    CliRun asked = Run({"export", (dir / "x.fwc").string()}, {}, true, "y\n", true);
    EXPECT_EQ(asked.code, kExitOk) << asked.err;
    EXPECT_NE(asked.err.find("Replace it? [y/N]"), std::string::npos);
    EXPECT_EQ(ReadFile(dir / "x.fwc"), ReadFile(UserFolder() / "$Profile0"));
}

TEST_F(Cli, BootAsksFirstAndSendsTheRequest) {
    bool inBoot = true;
    CliHooks hooks;
    hooks.afterCommand = [&](CliSession& s) { inBoot = s.sim->InBootMode(); };
    CliRun refused = Run({"boot"}, hooks);
    EXPECT_EQ(refused.code, kExitFailed);
    EXPECT_FALSE(inBoot);
    CliRun sent = Run({"--yes", "boot"}, hooks);
    EXPECT_EQ(sent.code, kExitOk) << sent.err;
    EXPECT_TRUE(inBoot);
}

TEST_F(Cli, WatchPrintsConnectionAndNotifications) {
    std::thread actor;
    CliHooks hooks;
    hooks.beforeCommand = [&](CliSession& s) {
        actor = std::thread([&s] {
            // Notifications raised before the listener holds its handle would go nowhere.
            const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(4);
            while ((s.state.connectionState.load() != 1 ||
                    s.sim->OpenHandles(SimEndpoint::Consumer) == 0) &&
                   std::chrono::steady_clock::now() < giveUp)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            s.sim->SwitchProfileOnKeyboard(1);
            s.sim->SetIndicator(true);
            s.sim->SetIndicator(false);
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            s.sim->Vanish();
        });
    };
    // Long enough for a loaded machine to connect, notify and lose the keyboard in it.
    CliRun r = Run({"watch", "--for", "4"}, hooks);
    actor.join();
    EXPECT_EQ(r.code, kExitOk);
    for (const char* line : {"connected: 320f:5000", "notification 0x0402", "0x1811: indicator on",
                             "0x1810: indicator off", "disconnected", "stopped"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << " in\n" << r.out;
}

}  // namespace
}  // namespace vorlin::test
