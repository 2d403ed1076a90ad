// The store against the simulated keyboard: round trips through the keyboard, which profiles an
// apply writes, the macro capacity rules, and the keyboard vanishing at every exchange.
#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <vector>

#include "keys/key_codes.h"
#include "keys/key_table.h"
#include "sim_store.h"
#include "store/config_device.h"
#include "store/macro_list.h"
#include "store/profile_file.h"

namespace vorlin {
namespace {

using test::MakeMacro;
using test::ReadFile;
namespace fs = std::filesystem;

constexpr KeyCode kA = 0x1E, kB = 0x30, kSpace = 0x39, kLShift = 0x2A, kEsc = 0x01;

// The key-action entries a model's factory map lets the keyboard hold.
std::set<KeyIndex> HeldEntries(const std::array<uint8_t, 512>& factory, unsigned keyCount) {
    std::set<KeyIndex> entries;
    for (unsigned i = 0; i < keyCount; ++i) {
        const KeyCode code =
            DecodeDeviceRecord({factory[3 * i], factory[3 * i + 1], factory[3 * i + 2]});
        if (code != 0) entries.insert(KeyIndexOf(code));
    }
    return entries;
}

struct Assignment {
    KeyIndex entry;
    KeyAction action;
    KeyAction back;  // what reading the keyboard gives
};

// Every kind of assignment, different per profile. Macro ids 5, 2, 9 sit at positions 0, 1, 2.
std::vector<Assignment> AssignmentsFor(int profile, bool gKeys) {
    const uint32_t media = static_cast<uint32_t>(profile + 3);
    const uint32_t function = static_cast<uint32_t>(10 - profile);
    std::vector<Assignment> list = {
        {KeyIndexOf(kA), {kActionDisabled, 0, 0, 0, 0}, {kActionDisabled, 0, 0, 0, 0}},
        {KeyIndexOf(kB), {kActionKey, 0, kLShift, 0, 0}, {kActionKey, 0, kLShift, 0, 0}},
        {KeyIndexOf(0x10), {kActionKey, 0, 0x171, 0, 0}, {kActionKey, 0, 0x171, 0, 0}},
        {KeyIndexOf(0x11), {kActionKey, 0, 0x162, 0, 0}, {kActionKey, 0, 0x162, 0, 0}},
        {KeyIndexOf(0x12), {kActionKey, 0, kSpace, 0, 0}, {kActionKey, 0, kSpace, 0, 0}},
        {KeyIndexOf(0x13), {kActionLaunch, 0, 0, 0, 0}, {kActionDefault, 0, 0, 0, 0}},
        {KeyIndexOf(0x14), {kActionMacro, 1, 9, 0, 0}, {kActionMacro, 0, 3, 0, 0}},
        {KeyIndexOf(0x15), {kActionMacro, 1, 5, 0, 0}, {kActionMacro, 0, 1, 0, 0}},
        {KeyIndexOf(0x16), {kActionStopMacro, 0, 0, 0, 0}, {kActionStopMacro, 0, 0, 0, 0}},
        {KeyIndexOf(0x17), {kActionText, 0, 0, 0, 0}, {kActionDisabled, 0, 0, 0, 0}},
        {KeyIndexOf(0x18), {kActionMedia, 0, media, 0, 0}, {kActionMedia, 0, media, 0, 0}},
        {KeyIndexOf(0x19),
         {kActionFunction, 0, function, 0, 0},
         {kActionFunction, 0, function, 0, 0}},
        // Set to its own factory function: the keyboard cannot tell, so it reads back default.
        {KeyIndexOf(kEsc), {kActionKey, 0, kEsc, 0, 0}, {kActionDefault, 0, 0, 0, 0}},
    };
    if (gKeys) {
        const KeyIndex g = static_cast<KeyIndex>(kFirstGKeyEntry + profile);
        const auto id = static_cast<uint16_t>(0x0301 + profile);  // the reset G-key identifier
        list.push_back({g, {kActionMacro, 1, 2, 0, 0}, {kActionMacro, id, 2, 0, 0}});
    }
    return list;
}

struct RoundTrip : ::testing::TestWithParam<SimModel> {};

TEST_P(RoundTrip, WhatTheKeyboardHoldsComesBack) {
    test::SimStore s(GetParam());
    s.Connect();
    const bool gKeys = GetParam() == SimModel::k320F_5000;
    const std::set<KeyIndex> held =
        HeldEntries(s.connection.defaultKeyMap, s.keyboard->info().keyCount);

    s.work.macros = {MakeMacro(5, u"Fünf", {{125, kA, 0}, {15, kA, 1}}, 2),
                     MakeMacro(2, u"two", {{40000, kLShift, 0}, {0, 0x171, 0}, {30, 0x171, 1}}),
                     MakeMacro(9, u"nine", {}, 255)};
    for (int p = 0; p < 3; ++p) {
        for (const Assignment& a : AssignmentsFor(p, gKeys)) {
            ASSERT_TRUE(held.count(a.entry)) << "entry " << a.entry << " is not on the keyboard";
            const uint16_t extra = s.work.image->tables[p][a.entry].extra;
            s.work.image->tables[p][a.entry] = a.action;
            if (a.entry >= kFirstGKeyEntry) s.work.image->tables[p][a.entry].extra = extra;
            if (IsStringAction(a.action)) SetKeyString(s.work, p * 512 + a.entry, u"text");
        }
    }
    ASSERT_EQ(SnapshotAndApply(s.ctx, true), 1);
    EXPECT_TRUE(s.prompter.Keys().empty());

    const fs::path file = s.dir / "read.fwc";
    ASSERT_EQ(ReadDeviceIntoFile(s.ctx, file), 1);
    ConfigStore back;
    ASSERT_EQ(LoadImageFile(back, file), 1);
    EXPECT_EQ(back.stringBytes, 0);
    for (int p = 0; p < 3; ++p) {
        std::set<KeyIndex> assigned;
        for (const Assignment& a : AssignmentsFor(p, gKeys)) {
            const KeyAction& got = back.image->tables[p][a.entry];
            EXPECT_EQ(got.type, a.back.type) << "profile " << p << " entry " << a.entry;
            EXPECT_EQ(got.value, a.back.value) << "profile " << p << " entry " << a.entry;
            if (a.entry >= kFirstGKeyEntry) {
                EXPECT_EQ(got.extra, a.back.extra);
            }
            assigned.insert(a.entry);
        }
        for (KeyIndex e : held) {
            if (!assigned.count(e)) {
                EXPECT_EQ(back.image->tables[p][e].type, kActionDefault) << p << " " << e;
            }
        }
    }
    EXPECT_EQ(back.image->tables[3][KeyIndexOf(kA)].type, kActionDefault);

    ASSERT_EQ(back.macros.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        const MacroRecord& want = s.work.macros[i];
        const MacroRecord& got = back.macros[i];
        EXPECT_EQ(got.macroId, i + 1);
        EXPECT_EQ(got.Name(), want.Name());
        EXPECT_EQ(got.repeatCount, want.repeatCount);
        ASSERT_EQ(got.actionCount, want.actionCount);
        for (int k = 0; k < want.actionCount; ++k) {
            EXPECT_EQ(got.actions[k].delayMs, want.actions[k].delayMs / 10 * 10);
            EXPECT_EQ(got.actions[k].keyCode, want.actions[k].keyCode);
            EXPECT_EQ(got.actions[k].release, want.actions[k].release);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(BothModels, RoundTrip,
                         ::testing::Values(SimModel::k320F_5000, SimModel::k0C45_5004),
                         [](const auto& info) {
                             return info.param == SimModel::k320F_5000 ? "Keyboard320F_5000"
                                                                       : "Keyboard0C45_5004";
                         });

TEST(ApplyToKeyboard, OneProfileUnlessAMacroKeysUseWasDeleted) {
    test::SimStore s;
    s.Connect();
    s.SetActiveOnKeyboard(1);
    s.work.macros = {MakeMacro(1, u"a", {{10, kA, 0}}), MakeMacro(2, u"b", {{10, kB, 0}})};
    s.work.image->tables[2][KeyIndexOf(kA)] = KeyAction{kActionMacro, 1, 2, 0, 0};
    s.keyboard->RecordRequests(true);

    ASSERT_EQ(SnapshotAndApply(s.ctx, false), 1);
    EXPECT_EQ(s.KeyMapsWritten(), std::vector<int>{1});

    // The editor deletes macro 2, which a key of profile 2 plays; the user says No first.
    s.prompter.answer = false;
    EXPECT_FALSE(MacroInUse(s.work, s.work.macros[1], s.writeAllProfiles, s.prompter));
    EXPECT_EQ(s.writeAllProfiles, 1);
    s.prompter.answer = true;
    ASSERT_TRUE(MacroInUse(s.work, s.work.macros[1], s.writeAllProfiles, s.prompter));
    std::vector<MacroRecord> kept = {s.work.macros[0]};
    ASSERT_EQ(CommitMacroList(s.work, kept, s.ui), 1);
    EXPECT_EQ(s.work.image->tables[2][KeyIndexOf(kA)].type, kActionDefault);

    ASSERT_EQ(SnapshotAndApply(s.ctx, false), 1);
    EXPECT_EQ(s.KeyMapsWritten(), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(s.writeAllProfiles, 0);
    ASSERT_EQ(SnapshotAndApply(s.ctx, false), 1);
    EXPECT_EQ(s.KeyMapsWritten(), std::vector<int>{1});
}

TEST(ApplyToKeyboard, AllProfilesStayPendingWhileTheWriteFails) {
    test::SimStore s;
    s.Connect();
    s.writeAllProfiles = 1;
    s.keyboard->RefuseCommand(CMD_WRITE_KEYMAP);
    EXPECT_EQ(SnapshotAndApply(s.ctx, false), 0);
    EXPECT_EQ(s.writeAllProfiles, 1);
    s.keyboard->ClearRefusals();
    s.keyboard->RecordRequests(true);
    ASSERT_EQ(SnapshotAndApply(s.ctx, false), 1);
    EXPECT_EQ(s.KeyMapsWritten(), (std::vector<int>{0, 1, 2}));
}

TEST(ApplyToKeyboard, UnreadableActiveProfileWritesNothing) {
    test::SimStore s;
    s.Connect();
    s.keyboard->RefuseCommand(CMD_READ_STATE);
    s.keyboard->RecordRequests(true);
    EXPECT_EQ(SnapshotAndApply(s.ctx, false), 0);
    for (const auto& frame : s.keyboard->TakeRecordedRequests()) {
        EXPECT_EQ(frame[3], CMD_READ_STATE) << "only the state read goes out";
    }
    EXPECT_EQ(s.connection.activeProfileCache, -1);
}

TEST(ApplyToKeyboard, MacroCapacityRules) {
    struct Case {
        const char* what;
        unsigned units;
        bool withMacro;
        int result;
        std::vector<std::string> prompts;
        uint16_t namesFlag;
    };
    // One macro named "Ab" with one action: 26 bytes bare, 30 with its name.
    const Case cases[] = {
        {"no capacity, no macros", 0, false, 0, {"EXTRA_MACRO_TOO_LONG"}, 0},
        {"no capacity", 0, true, 0, {"EXTRA_MACRO_TOO_LONG"}, 0},
        {"room for everything", 1, true, 1, {}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::SimStore s;
        s.Connect();
        s.SetCapacity(c.units);
        if (c.withMacro) s.work.macros = {MakeMacro(1, u"Ab", {{125, kA, 0}})};
        const uint64_t before = s.keyboard->RequestsReceived();
        EXPECT_EQ(SnapshotAndApply(s.ctx, false), c.result);
        EXPECT_EQ(s.prompter.Keys(), c.prompts);
        if (c.result == 0) {
            EXPECT_EQ(s.keyboard->RequestsReceived(), before) << "nothing goes out";
        } else {
            EXPECT_EQ(s.keyboard->Memory().macros[6], c.namesFlag);
        }
    }
}

TEST(ApplyToKeyboard, NamesAreLeftOutWhenOnlyTheBareAreaFits) {
    test::SimStore s;
    s.Connect();
    // 27 actions: 130 bytes bare, 148 with the name; one unit of capacity is 128 bytes.
    std::vector<MacroAction> actions(27, MacroAction{10, kA, 0});
    s.work.macros = {MakeMacro(1, u"long name", actions)};
    s.SetCapacity(1);
    EXPECT_EQ(SnapshotAndApply(s.ctx, false), 0);
    EXPECT_EQ(s.prompter.Keys(), std::vector<std::string>{"EXTRA_MACRO_TOO_LONG"});

    s.work.macros[0].actionCount = 26;  // bare 126, full 144: only the bare area fits
    s.prompter.Clear();
    ASSERT_EQ(SnapshotAndApply(s.ctx, false), 1);
    EXPECT_EQ(s.prompter.Keys(), std::vector<std::string>{"EXTRA_PROFILE_SPACE_TIGHT"});
    const SimMemory memory = s.keyboard->Memory();
    EXPECT_EQ(memory.macros[2] | memory.macros[3] << 8, 126);
    EXPECT_EQ(memory.macros[6], 0) << "names flag";

    const fs::path file = s.dir / "bare.fwc";
    ASSERT_EQ(ReadDeviceIntoFile(s.ctx, file), 1);
    ConfigStore back;
    ASSERT_EQ(LoadImageFile(back, file), 1);
    ASSERT_EQ(back.macros.size(), 1u);
    EXPECT_EQ(back.macros[0].Name(), u"Macro1");
    EXPECT_EQ(back.macros[0].actionCount, 26);
}

TEST(ReadKeyboard, NoMacroAreaGivesAnImageOnlyFile) {
    test::SimStore s;
    s.Connect();
    s.keyboard->EditMemory([](SimMemory& m) { m.macros.fill(0); });
    const fs::path file = s.dir / "plain";
    ASSERT_EQ(ReadDeviceIntoFile(s.ctx, file), 1);
    EXPECT_EQ(fs::file_size(file), 32832u);
}

TEST(ReadKeyboard, ReloadReplacesTheWorkStoreThroughTheBackingFile) {
    test::SimStore s;
    s.Connect();
    s.SetActiveOnKeyboard(2);
    s.keyboard->EditMemory([](SimMemory& m) {
        const unsigned at = 2 * 512 + 19 * 3;  // A's position in profile 2
        m.keyMaps[at] = 0;
        m.keyMaps[at + 1] = 0;
        m.keyMaps[at + 2] = 0;
    });
    s.work.macros = {MakeMacro(1, u"stale", {})};
    EXPECT_EQ(ReloadFromKeyboard(s.ctx), 1);
    EXPECT_TRUE(fs::exists(s.paths.userFolder / "$Profile2"));
    EXPECT_EQ(s.work.image->tables[2][KeyIndexOf(kA)].type, kActionDisabled);
    EXPECT_TRUE(s.work.macros.empty());
    EXPECT_EQ(s.ui.refreshed, std::vector<int>{2});
    EXPECT_EQ(s.ui.changedOff, 1);

    // The keyboard cannot be read: a default image, and the backing file stays.
    const auto before = ReadFile(s.paths.userFolder / "$Profile2");
    s.keyboard->RefuseCommand(CMD_READ_KEYMAP);
    s.work.image->tables[0][5].type = kActionDisabled;
    EXPECT_EQ(ReloadFromKeyboard(s.ctx), 0);
    ASSERT_TRUE(s.work.image);
    EXPECT_EQ(s.work.image->tables[0][5].type, kActionDefault);
    EXPECT_EQ(ReadFile(s.paths.userFolder / "$Profile2"), before);
}

TEST(ActiveProfile, CachedReadAndWrite) {
    test::SimStore s;
    s.Connect();
    s.SetActiveOnKeyboard(1);
    EXPECT_EQ(GetActiveProfile(s.ctx), 1);
    s.keyboard->EditMemory([](SimMemory& m) { m.state[kStateActiveProfile] = 0; });
    EXPECT_EQ(GetActiveProfile(s.ctx), 1) << "cached";

    EXPECT_EQ(SetActiveProfile(s.ctx, 2), kDone);
    EXPECT_EQ(s.keyboard->Memory().state[kStateActiveProfile], 2);
    EXPECT_EQ(s.connection.activeProfileCache, 2);
    // Only the three profiles there are; nothing is sent for another number.
    const uint64_t before = s.keyboard->RequestsReceived();
    for (int p : {-1, 3, 255}) {
        EXPECT_EQ(SetActiveProfile(s.ctx, p), kBadProfile) << p;
        EXPECT_EQ(s.connection.activeProfileCache, 2) << p;
    }
    EXPECT_EQ(s.keyboard->RequestsReceived(), before);
    EXPECT_EQ(s.keyboard->Memory().state[kStateActiveProfile], 2);

    s.keyboard->RefuseCommand(CMD_WRITE_STATE);
    EXPECT_EQ(SetActiveProfile(s.ctx, 0), kRefused255);
    EXPECT_EQ(s.connection.activeProfileCache, -1);
    EXPECT_EQ(s.keyboard->Memory().state[kStateActiveProfile], 2);
    s.keyboard->RefuseCommand(CMD_READ_STATE);
    EXPECT_EQ(GetActiveProfile(s.ctx), -1);
    // A failed read sends no write and says why.
    s.keyboard->ClearRefusals();
    s.keyboard->RefuseCommand(CMD_READ_STATE, 254);
    EXPECT_EQ(SetActiveProfile(s.ctx, 1), kRefused254);
    EXPECT_EQ(s.keyboard->Memory().state[kStateActiveProfile], 2);
}

TEST(ActiveProfile, BackingFileIsRewrittenOnlyWhenItExists) {
    test::SimStore s;
    s.Connect();
    s.SetActiveOnKeyboard(0);
    const fs::path backing = ProfileFilePath(s.paths, 0);
    EXPECT_EQ(SaveActiveProfileFile(s.ctx), 0);
    EXPECT_FALSE(fs::exists(backing));
    ASSERT_EQ(NewImage(s.work, backing, false), 1);
    s.work.macros = {MakeMacro(1, u"m", {})};
    EXPECT_EQ(SaveActiveProfileFile(s.ctx), 1);
    EXPECT_EQ(fs::file_size(backing), 32832u + 16512u);
}

// The keyboard disappears at exchange n, for every n of a clean run.
class VanishingKeyboard : public ::testing::Test {
  protected:
    void SetUp() override {
        s.Connect();
        s.work.macros = {MakeMacro(1, u"one", {{10, kA, 0}, {10, kA, 1}}),
                         MakeMacro(2, u"two", std::vector<MacroAction>(30, {20, kB, 0}))};
        s.work.image->tables[0][KeyIndexOf(kA)] = KeyAction{kActionMacro, 1, 2, 0, 0};
        s.work.image->tables[1][KeyIndexOf(kB)] = KeyAction{kActionDisabled, 0, 0, 0, 0};
    }

    // Runs op with the keyboard vanishing at each exchange in turn; checks after each.
    template <typename Op, typename Check>
    void AtEveryExchange(Op op, Check check) {
        s.connection.activeProfileCache = -1;
        const uint64_t before = s.keyboard->RequestsReceived();
        ASSERT_EQ(op(), 1);
        const int exchanges = static_cast<int>(s.keyboard->RequestsReceived() - before);
        ASSERT_GT(exchanges, 30);
        for (int n = 1; n <= exchanges; ++n) {
            SCOPED_TRACE("vanishes at exchange " + std::to_string(n));
            s.Reconnect();
            s.keyboard->VanishAtExchange(n);
            const auto start = std::chrono::steady_clock::now();
            EXPECT_NE(op(), 1);
            // A guard against hanging, far above one exchange's time-outs, not a speed goal.
            EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
            check();
        }
    }

    test::SimStore s;
};

TEST_F(VanishingKeyboard, ReadingIntoAFileKeepsTheOldFileWhole) {
    const fs::path file = s.paths.userFolder / "$Profile0";
    fs::create_directories(file.parent_path());
    ASSERT_EQ(SaveImageFile(s.work, file), 1);
    const std::vector<uint8_t> old = ReadFile(file);
    ASSERT_EQ(SnapshotAndApply(s.ctx, true), 1);

    AtEveryExchange(
        [&] {
            const int r = ReadDeviceIntoFile(s.ctx, file);
            if (r == 1) {
                // The clean run: keep the old file for the faulty ones.
                EXPECT_NE(ReadFile(file), old);
                test::WriteFile(file, old);
            }
            return r;
        },
        [&] { EXPECT_EQ(ReadFile(file), old); });

    s.Reconnect();
    ASSERT_EQ(ReadDeviceIntoFile(s.ctx, file), 1);
    ConfigStore back;
    EXPECT_EQ(LoadImageFile(back, file), 1) << "the new file is complete";
    EXPECT_EQ(back.macros.size(), 2u);
}

TEST_F(VanishingKeyboard, ApplyNeverReportsSuccess) {
    const fs::path backing = s.paths.userFolder / "$Profile0";
    fs::create_directories(backing.parent_path());
    ASSERT_EQ(SaveImageFile(s.work, backing), 1);
    const std::vector<uint8_t> saved = ReadFile(backing);
    s.writeAllProfiles = 1;
    AtEveryExchange(
        [&] {
            s.writeAllProfiles = 1;
            return SnapshotAndApply(s.ctx, false);
        },
        [&] {
            EXPECT_EQ(s.writeAllProfiles, 1);
            EXPECT_EQ(ReadFile(backing), saved);
        });
    s.Reconnect();
    EXPECT_EQ(SnapshotAndApply(s.ctx, false), 1);
}

}  // namespace
}  // namespace vorlin
