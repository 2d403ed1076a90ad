// The lighting model against a simulated keyboard: what it loads, what every change sends,
// and what the keyboard and the user-colour files hold afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>

#include "link/link_fixture.h"
#include "platform/ini_file.h"
#include "store/lighting_edits.h"
#include "store/lighting_model.h"
#include "store/lighting_modes.h"
#include "support/temp_folder.h"

namespace vorlin {
namespace {

namespace fs = std::filesystem;

struct Frame {
    int command, length, offset;
    std::vector<uint8_t> payload;
    bool operator==(const Frame&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Frame& f) {
    os << "{cmd " << f.command << " len " << f.length << " off " << f.offset << " [";
    for (uint8_t b : f.payload) os << int(b) << " ";
    return os << "]}";
}

Frame Begin() {
    return {CMD_CONFIG_BEGIN, 0, 0, {}};
}
Frame End() {
    return {CMD_CONFIG_END, 0, 0, {}};
}
Frame Lighting(int offset, std::vector<uint8_t> bytes) {
    int n = int(bytes.size());
    return {CMD_WRITE_LIGHTING, n, offset, std::move(bytes)};
}

std::string ReadFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

fs::path AssetsDefaultPrefix() {
    return fs::path(VORLIN_ASSETS_DIR) / "Skins" / "UserDengColor_";
}

class LightingModelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        paths_.exeFolder = root_ / "exe";
        paths_.skinFolder = paths_.exeFolder / "Skins";
        paths_.defaultUserColourPrefix = AssetsDefaultPrefix();
        paths_.userFolder = root_ / "user";
        paths_.userSettings = paths_.userFolder / "wskb.ini";
        paths_.userColourPrefix = paths_.userFolder / "UserDengColor_";
        fs::create_directories(paths_.exeFolder);
        fs::create_directories(paths_.userFolder);
    }
    void TearDown() override {
        ctx_.reset();
        sim_.reset();
    }

    void Connect(SimModel model) {
        // Over a socketpair, so the real transport code runs too.
        sim_ = std::make_unique<SimLink>(model, SimBackend::Transport::Socketpair);
        ASSERT_TRUE(sim_->Connect());
        ctx_.emplace(LightingContext{sim_->link, paths_, iniLock_});
    }
    SimKeyboard& Keyboard() { return *sim_->keyboard; }
    DeviceLink& Link() { return sim_->link; }
    LightingContext& Ctx() { return *ctx_; }

    // Starts recording afresh.
    void Record() {
        Keyboard().RecordRequests(true);
        Keyboard().TakeRecordedRequests();
    }
    std::vector<Frame> Frames() {
        std::vector<Frame> frames;
        for (const auto& r : Keyboard().TakeRecordedRequests()) {
            Frame f{r[3], r[4], r[5] | r[6] << 8, {}};
            if (f.command == CMD_WRITE_LIGHTING || f.command == CMD_WRITE_KEY_COLOURS)
                f.payload.assign(r.begin() + 8, r.begin() + 8 + f.length);
            frames.push_back(f);
        }
        return frames;
    }
    std::vector<Frame> FramesOf(int command) {
        std::vector<Frame> all = Frames(), some;
        std::copy_if(all.begin(), all.end(), std::back_inserter(some),
                     [&](const Frame& f) { return f.command == command; });
        return some;
    }
    void SetKeyboardProfile(int profile) {
        Keyboard().EditMemory(
            [&](SimMemory& m) { m.state[kStateActiveProfile] = uint8_t(profile); });
        model_.activeProfile = profile;
    }
    Rgb KeyboardKeyColour(int profile, int position) {
        SimMemory m = Keyboard().Memory();
        const uint8_t* p = &m.keyColours[profile * 512 + position * 3];
        return MakeRgb(p[0], p[1], p[2]);
    }
    fs::path UserFile(int profile) { return UserColourFilePath(paths_.userColourPrefix, profile); }
    void InstallDefaultUserFiles() {
        for (int p = 0; p < 3; ++p)
            fs::copy_file(UserColourFilePath(AssetsDefaultPrefix(), 3), UserFile(p));
    }

    test::TempFolder folder_{"vorlin-light"};
    const fs::path& root_ = folder_.path();
    AppPaths paths_;
    IniLock iniLock_;
    LightingModel model_;
    std::unique_ptr<SimLink> sim_;
    std::optional<LightingContext> ctx_;
};

TEST_F(LightingModelTest, LoadDecodesTheActiveRecordOfEveryProfile) {
    Connect(SimModel::k320F_5000);
    Keyboard().EditMemory([](SimMemory& m) {
        uint8_t* r = &m.lighting[42];
        r[0] = 12, r[1] = 2, r[2] = 4, r[3] = 255, r[4] = 0;
        r[5] = 10, r[6] = 20, r[7] = 30;
        r[15] = 0xFF;  // as the default reset leaves it
        r[17] = 2;
        m.lighting[84] = 7;
    });
    ASSERT_TRUE(IniWrite(iniLock_, paths_.userSettings, "KEYCOLOR", "DengCheck", "1"));
    model_.activeProfile = 1;
    Record();
    EXPECT_EQ(LoadLighting(model_, Ctx()), 0);

    EXPECT_EQ(model_.mode, 12);
    EXPECT_EQ(model_.brightness, 2);
    EXPECT_EQ(model_.speed, 4);
    EXPECT_EQ(model_.direction, 255);
    EXPECT_FALSE(model_.multicolour);
    EXPECT_EQ(model_.colour, MakeRgb(10, 20, 30));
    EXPECT_EQ(model_.reportRate, 3);
    EXPECT_EQ(model_.colourChoice, 2);
    EXPECT_TRUE(model_.lightingView);
    SimMemory m = Keyboard().Memory();
    for (int p = 0; p < 3; ++p)
        EXPECT_TRUE(std::equal(model_.records[p].begin(), model_.records[p].end(),
                               m.lighting.begin() + p * 42));

    EXPECT_TRUE(OffersUserColours(model_));
    EXPECT_EQ(model_.modeIndexTable.size(), 19u);
    EXPECT_EQ(ModePosition(model_, 20), 18);
    EXPECT_EQ(ModeAt(model_, 18), 20);
    EXPECT_EQ(ModePosition(model_, 19), -1);
    EXPECT_EQ(ModeAt(model_, 19), 0);

    std::vector<Frame> expected = {{CMD_READ_STATE, 44, 0, {}},     Begin(),
                                   {CMD_READ_LIGHTING, 56, 0, {}},  {CMD_READ_LIGHTING, 56, 42, {}},
                                   {CMD_READ_LIGHTING, 56, 84, {}}, End()};
    EXPECT_EQ(Frames(), expected);
}

TEST_F(LightingModelTest, EmptyModeListOffersNothing) {
    Connect(SimModel::k320F_5000);
    Keyboard().EditMemory(
        [](SimMemory& m) { std::fill(m.state.begin() + kStateModes, m.state.end(), 0); });
    InstallDefaultUserFiles();
    Record();
    EXPECT_EQ(LoadLightingWithUserModes(model_, Ctx()), 0);
    EXPECT_TRUE(model_.modeIndexTable.empty());
    EXPECT_FALSE(OffersUserColours(model_));
    EXPECT_EQ(ModeAt(model_, 0), 0);
    EXPECT_EQ(ModePosition(model_, 1), -1);
    EXPECT_TRUE(model_.userModeNames.empty());
    EXPECT_TRUE(FramesOf(CMD_WRITE_KEY_COLOURS).empty());
    EXPECT_EQ(SelectModeAt(model_, Link(), 0), 0);
}

TEST_F(LightingModelTest, FailedStateReadEmptiesTheModeListAndKeepsTheRecords) {
    Connect(SimModel::k320F_5000);
    ASSERT_EQ(LoadLighting(model_, Ctx()), 0);
    const LightingArea before = model_.records;
    Keyboard().EditMemory([](SimMemory& m) { m.lighting[0] = 9; });
    Keyboard().RefuseCommand(CMD_READ_STATE);
    Record();
    EXPECT_EQ(LoadLighting(model_, Ctx()), -1);
    EXPECT_TRUE(model_.modeIndexTable.empty());
    EXPECT_TRUE(std::all_of(model_.modeList.begin(), model_.modeList.end(),
                            [](uint8_t m) { return m == 0; }));
    EXPECT_EQ(model_.records, before);
    EXPECT_EQ(Frames().size(), 1u);  // the refused state read only
}

TEST_F(LightingModelTest, ConnectionLoadFillsUserModesAndSendsTheLayout) {
    Connect(SimModel::k320F_5000);
    InstallDefaultUserFiles();
    ASSERT_TRUE(IniWrite(iniLock_, UserFile(1), "PRESENTMODE", "mode", "3"));
    ASSERT_TRUE(IniWrite(iniLock_, UserFile(1), "MODENAME", "7", ""));
    SetKeyboardProfile(1);
    Record();
    ASSERT_EQ(LoadLightingWithUserModes(model_, Ctx()), 0);

    ASSERT_EQ(model_.userModeNames.size(), 10u);
    EXPECT_EQ(model_.userModeNames[3], ReadUserModeName(UserFile(1), 3));
    EXPECT_EQ(model_.userModeNames[7], "");
    EXPECT_EQ(model_.userMode, 3);
    UserModeSettings s = ReadUserModeSettings(UserFile(1), 3);
    EXPECT_EQ(model_.baseColour, s.baseColour);
    EXPECT_EQ(model_.userColour, s.userColour);

    // The layout goes out in its own begin/end pair, after the outer begin, before the reads.
    std::vector<Frame> frames = Frames();
    ASSERT_GE(frames.size(), 14u);
    EXPECT_EQ(frames[1], Begin());
    EXPECT_EQ(frames[2], Begin());
    for (int k = 0; k < 8; ++k) {
        const Frame& f = frames[3 + k];
        EXPECT_EQ(f.command, CMD_WRITE_KEY_COLOURS);
        EXPECT_EQ(f.length, 54);
        EXPECT_EQ(f.offset, 512 + 54 * k);
    }
    EXPECT_EQ(frames[11], End());
    EXPECT_EQ(frames[12].command, CMD_READ_LIGHTING);

    for (const LightKey& k : LightKeys()) {
        KeyColourEntry e = ReadKeyColour(UserFile(1), 3, k.lightPosition);
        EXPECT_EQ(KeyboardKeyColour(1, k.lightPosition), e.colour) << k.lightPosition;
        // Recomputed from the colours: set exactly where the key shows the base colour.
        EXPECT_EQ(model_.baseFlags[1][LightKeyIndex(k.controlId)], e.colour == s.baseColour);
    }
}

TEST_F(LightingModelTest, LayoutFramesFor126AndFor128Keys) {
    for (SimModel model : {SimModel::k0C45_5004, SimModel::k320F_5000}) {
        Connect(model);
        model_ = {};
        SetKeyboardProfile(2);
        Record();
        SendUserMode(model_, Ctx());
        std::vector<Frame> frames = FramesOf(CMD_WRITE_KEY_COLOURS);
        ASSERT_EQ(frames.size(), 8u);
        EXPECT_EQ(frames.back().offset, 1024 + 378);  // first key 126
        EXPECT_EQ(frames.back().length, 54);
        // Without a user-colour file every key is red.
        EXPECT_EQ(KeyboardKeyColour(2, 110), MakeRgb(255, 0, 0));
    }
}

TEST_F(LightingModelTest, UserModeWithoutItsSectionIsRedOnBlack) {
    Connect(SimModel::k320F_5000);
    std::ofstream(UserFile(0)) << "[PRESENTMODE]\nmode=3\n[Mode2]\ntool=1\njcolor=1,2,3\n"
                                  "0=0,0,255,0\n";
    model_.baseFlags[0].fill(false);
    LoadUserMode(model_, paths_);
    EXPECT_EQ(model_.userMode, 3);
    EXPECT_EQ(model_.tool, 0);
    EXPECT_EQ(model_.baseColour, 0u);
    EXPECT_EQ(model_.userColour, 0u);
    for (const LightKey& k : LightKeys()) {
        EXPECT_EQ(PageColour(model_.keyColours[0], k.lightPosition), MakeRgb(255, 0, 0));
        EXPECT_TRUE(model_.baseFlags[0][LightKeyIndex(k.controlId)]);
    }
}

TEST_F(LightingModelTest, ModeSelectionSendsThePartsOfEachMode) {
    Connect(SimModel::k320F_5000);
    ASSERT_EQ(LoadLighting(model_, Ctx()), 0);
    model_.multicolour = true;
    struct Case {
        int mode;
        std::vector<Frame> frames;
    } cases[] = {
        {13, {Begin(), Lighting(0, {13}), Lighting(4, {1}), End()}},
        {10, {Begin(), Lighting(0, {10}), End()}},
        {20, {Begin(), Lighting(0, {20}), End()}},
        {1, {Begin(), Lighting(0, {1}), Lighting(4, {1}), End()}},
    };
    for (const Case& c : cases) {
        Record();
        EXPECT_EQ(SelectModeAt(model_, Link(), ModePosition(model_, c.mode)), c.mode);
        EXPECT_EQ(Frames(), c.frames) << "mode " << c.mode;
        EXPECT_EQ(model_.mode, c.mode);
    }
    Record();
    SelectModeNumber(model_, Link(), 19);
    EXPECT_TRUE(Frames().empty());
    EXPECT_EQ(model_.mode, 19);
    EXPECT_EQ(Keyboard().Memory().lighting[0], 1);
}

TEST_F(LightingModelTest, SlidersWriteOnlyChangedValues) {
    Connect(SimModel::k320F_5000);
    SetKeyboardProfile(1);
    ASSERT_EQ(LoadLighting(model_, Ctx()), 0);
    ASSERT_EQ(model_.speed, 3);
    EXPECT_TRUE(SetSpeedPosition(model_, Link(), 0));  // back to speed 5
    Record();
    for (int position : {0, 1, 1, 2, 3, 4, 5, 5}) SetSpeedPosition(model_, Link(), position);
    std::vector<Frame> writes = FramesOf(CMD_WRITE_LIGHTING);
    std::vector<Frame> expected;
    for (uint8_t speed : {4, 3, 2, 1, 0}) expected.push_back(Lighting(42 + 2, {speed}));
    EXPECT_EQ(writes, expected);
    EXPECT_EQ(Keyboard().Memory().lighting[44], 0);

    Record();
    EXPECT_FALSE(SetBrightness(model_, Link(), 5));  // unchanged
    EXPECT_FALSE(SetBrightness(model_, Link(), 6));
    EXPECT_FALSE(SetSpeedPosition(model_, Link(), -1));
    EXPECT_TRUE(Frames().empty());
    EXPECT_TRUE(SetBrightness(model_, Link(), 2));
    EXPECT_EQ(Keyboard().Memory().lighting[43], 2);
    EXPECT_EQ(model_.brightness, 2);
}

TEST_F(LightingModelTest, FieldWritesLandAtTheActiveProfilesOffsets) {
    Connect(SimModel::k320F_5000);
    SetKeyboardProfile(2);
    ASSERT_EQ(LoadLighting(model_, Ctx()), 0);

    Record();
    SetColour(model_, Link(), MakeRgb(1, 2, 3));
    EXPECT_EQ(Frames(),
              (std::vector<Frame>{Begin(), Lighting(88, {0}), Lighting(89, {1, 2, 3}), End()}));
    EXPECT_FALSE(model_.multicolour);

    Record();
    ToggleMulticolour(model_, Link());
    EXPECT_TRUE(SetReportRate(model_, Link(), 2));
    EXPECT_TRUE(SetColourChoice(model_, Link(), 3));
    EXPECT_TRUE(SetDirection(model_, Link(), 255));
    EXPECT_FALSE(SetReportRate(model_, Link(), 4));
    EXPECT_FALSE(SetColourChoice(model_, Link(), -1));
    EXPECT_FALSE(SetDirection(model_, Link(), 1));
    EXPECT_EQ(FramesOf(CMD_WRITE_LIGHTING),
              (std::vector<Frame>{Lighting(88, {1}), Lighting(99, {2}), Lighting(101, {3}),
                                  Lighting(87, {255})}));
    SimMemory m = Keyboard().Memory();
    EXPECT_EQ(m.lighting[99], 2);
    EXPECT_EQ(m.lighting[89], 1);
    EXPECT_EQ(m.lighting[0], 1);  // other profiles untouched
    // The model's copy of the record follows, so decoding it again agrees.
    EXPECT_TRUE(
        std::equal(model_.records[2].begin(), model_.records[2].end(), m.lighting.begin() + 84));
}

TEST_F(LightingModelTest, PaintingKeysInTheUserColourMode) {
    Connect(SimModel::k320F_5000);
    InstallDefaultUserFiles();
    SetKeyboardProfile(2);
    ASSERT_EQ(LoadLightingWithUserModes(model_, Ctx()), 0);
    ASSERT_EQ(SelectUserMode(model_, Ctx(), 3), 1);
    const int fn = LightKeyIndex(keyctl::kFn);

    SelectModeNumber(model_, Link(), 6);
    Record();
    EXPECT_EQ(PaintKey(model_, Ctx(), keyctl::kFn), 0);
    EXPECT_TRUE(Frames().empty());

    SelectModeNumber(model_, Link(), 20);
    ASSERT_TRUE(SetTool(model_, paths_, kToolFreeColour));
    SetFreeColour(model_, paths_, MakeRgb(9, 8, 7));
    model_.baseFlags[2][fn] = true;
    Record();
    EXPECT_EQ(PaintKey(model_, Ctx(), keyctl::kFn), 1);
    EXPECT_EQ(Frames(), (std::vector<Frame>{
                            Begin(), {CMD_WRITE_KEY_COLOURS, 3, 1024 + 330, {9, 8, 7}}, End()}));
    EXPECT_FALSE(model_.baseFlags[2][fn]);
    EXPECT_EQ(KeyboardKeyColour(2, 110), MakeRgb(9, 8, 7));
    EXPECT_EQ(PageColour(model_.keyColours[2], 110), MakeRgb(9, 8, 7));
    EXPECT_EQ(IniRead(UserFile(2), "Mode3", "110", ""), "9,8,7,0");

    ASSERT_TRUE(SetTool(model_, paths_, kToolBaseColour));
    EXPECT_EQ(PaintKey(model_, Ctx(), keyctl::kFn), 1);
    EXPECT_TRUE(model_.baseFlags[2][fn]);
    EXPECT_EQ(KeyboardKeyColour(2, 110), model_.baseColour);
    EXPECT_FALSE(SetTool(model_, paths_, 2));
    EXPECT_EQ(ReadUserModeSettings(UserFile(2), 3).tool, kToolBaseColour);
}

TEST_F(LightingModelTest, BaseColourRecoloursExactlyTheFlaggedKeys) {
    Connect(SimModel::k320F_5000);
    InstallDefaultUserFiles();
    ASSERT_EQ(LoadLightingWithUserModes(model_, Ctx()), 0);
    ASSERT_EQ(SelectUserMode(model_, Ctx(), 3), 1);  // base colour keys and painted keys
    const KeyColourPage before = model_.keyColours[0];
    const auto flags = model_.baseFlags[0];
    ASSERT_TRUE(std::count(flags.begin(), flags.end(), true) > 0);
    ASSERT_TRUE(std::count(flags.begin(), flags.end(), false) > 0);

    const std::string fileBefore = ReadFile(UserFile(0));
    Record();
    EXPECT_FALSE(SetBaseColour(model_, Ctx(), model_.baseColour));
    EXPECT_TRUE(Frames().empty());
    EXPECT_EQ(ReadFile(UserFile(0)), fileBefore);

    const Rgb green = MakeRgb(0, 255, 0);
    Record();
    EXPECT_TRUE(SetBaseColour(model_, Ctx(), green));
    EXPECT_EQ(FramesOf(CMD_WRITE_KEY_COLOURS).size(), 8u);
    EXPECT_EQ(ReadUserModeSettings(UserFile(0), 3).baseColour, green);
    auto keys = LightKeys();
    for (size_t i = 0; i < keys.size(); ++i) {
        int pos = keys[i].lightPosition;
        Rgb expected = flags[i] ? green : PageColour(before, pos);
        EXPECT_EQ(PageColour(model_.keyColours[0], pos), expected) << pos;
        EXPECT_EQ(KeyboardKeyColour(0, pos), expected) << pos;
        EXPECT_EQ(ReadKeyColour(UserFile(0), 3, pos).colour, expected) << pos;
    }
}

TEST_F(LightingModelTest, UserModeSelectionAndRenaming) {
    Connect(SimModel::k320F_5000);
    InstallDefaultUserFiles();
    ASSERT_EQ(LoadLightingWithUserModes(model_, Ctx()), 0);
    Record();
    EXPECT_EQ(SelectUserMode(model_, Ctx(), 10), 0);
    EXPECT_TRUE(Frames().empty());
    EXPECT_EQ(SelectUserMode(model_, Ctx(), 4), 1);
    EXPECT_EQ(ReadPresentMode(UserFile(0)), 4);
    EXPECT_EQ(model_.baseColour, ReadUserModeSettings(UserFile(0), 4).baseColour);
    EXPECT_EQ(FramesOf(CMD_WRITE_KEY_COLOURS).size(), 8u);

    EXPECT_EQ(RenameUserMode(model_, paths_, iniLock_, "Night\r\nshift"), "Night  shift");
    EXPECT_EQ(model_.userModeNames[4], "Night  shift");
    EXPECT_EQ(ReadUserModeName(UserFile(0), 4), "Night  shift");
    EXPECT_EQ(ReadUserModeName(UserFile(0), 5),
              ReadUserModeName(UserColourFilePath(AssetsDefaultPrefix(), 3), 5));
}

TEST_F(LightingModelTest, DefaultResetWritesTheDefaultRecordAndUserColours) {
    Connect(SimModel::k320F_5000);
    SetKeyboardProfile(1);
    ASSERT_EQ(LoadLighting(model_, Ctx()), 0);
    Keyboard().EditMemory([](SimMemory& m) { std::fill_n(m.lighting.begin() + 42, 42, 0x33); });
    std::ofstream(UserFile(1)) << "[PRESENTMODE]\nmode=6\n[MODENAME]\n0=Old\n";
    model_.multicolour = false;
    Record();
    EXPECT_EQ(ResetLightingDefaults(model_, Ctx()), 1);

    std::vector<Frame> frames = Frames();
    ASSERT_GE(frames.size(), 4u);
    // The mode selection comes first, with the multicolour byte as it was.
    EXPECT_EQ(std::vector<Frame>(frames.begin(), frames.begin() + 4),
              (std::vector<Frame>{Begin(), Lighting(42, {1}), Lighting(46, {0}), End()}));
    EXPECT_EQ(std::count_if(frames.begin(), frames.end(),
                            [](const Frame& f) { return f.command == CMD_WRITE_KEY_COLOURS; }),
              8);
    std::vector<uint8_t> record(kDefaultLightingRecord.begin(), kDefaultLightingRecord.end());
    EXPECT_EQ(std::vector<Frame>(frames.end() - 3, frames.end()),
              (std::vector<Frame>{Begin(), Lighting(42, record), End()}));
    SimMemory m = Keyboard().Memory();
    EXPECT_TRUE(std::equal(kDefaultLightingRecord.begin(), kDefaultLightingRecord.end(),
                           m.lighting.begin() + 42));
    EXPECT_EQ(m.lighting[42 + 35], 0x33);  // bytes 35..41 are not written
    EXPECT_EQ(ReadFile(UserFile(1)), ReadFile(UserColourFilePath(AssetsDefaultPrefix(), 3)));
    EXPECT_EQ(model_.userModeNames[0], ReadUserModeName(UserFile(1), 0));
    EXPECT_EQ(model_.mode, 1);
    EXPECT_EQ(model_.brightness, 5);
    EXPECT_EQ(model_.speed, 3);
    EXPECT_EQ(model_.direction, 0);
    EXPECT_EQ(model_.colour, MakeRgb(255, 0, 0));
    EXPECT_TRUE(model_.multicolour);
    EXPECT_EQ(model_.reportRate, 0);
}

TEST_F(LightingModelTest, DefaultResetWithoutTheDefaultFileKeepsTheUsersFile) {
    Connect(SimModel::k320F_5000);
    ASSERT_EQ(LoadLighting(model_, Ctx()), 0);
    std::ofstream(UserFile(0)) << "[PRESENTMODE]\nmode=6\n[MODENAME]\n6=Mine\n";
    const std::string before = ReadFile(UserFile(0));
    paths_.defaultUserColourPrefix = root_ / "nowhere" / "UserDengColor_";
    EXPECT_EQ(ResetLightingDefaults(model_, Ctx()), 0);
    EXPECT_EQ(ReadFile(UserFile(0)), before);
    EXPECT_EQ(model_.userModeNames[6], "Mine");
    EXPECT_EQ(model_.userMode, 6);
}

TEST_F(LightingModelTest, KeyboardResetOfUserColours) {
    Connect(SimModel::k320F_5000);
    ASSERT_EQ(LoadLighting(model_, Ctx()), 0);
    for (int p = 0; p < 3; ++p) std::ofstream(UserFile(p)) << "[PRESENTMODE]\nmode=9\n";
    SetLightingView(model_, paths_, iniLock_, true);
    Keyboard().EditMemory([](SimMemory& m) { m.state[kStateActiveProfile] = 2; });

    int viewOff = 0;
    std::vector<int> switched;
    UserColourResetHooks hooks{[&] { ++viewOff; },
                               [&](int p) {
                                   switched.push_back(p);
                                   return false;
                               }};
    EXPECT_EQ(ResetUserColourFiles(model_, Ctx(), hooks), 0);
    EXPECT_EQ(viewOff, 1);
    EXPECT_FALSE(model_.lightingView);
    EXPECT_EQ(IniRead(paths_.userSettings, "KEYCOLOR", "DengCheck", ""), "0");
    EXPECT_EQ(ReadPresentMode(UserFile(0)), 9);  // refused switch: files untouched

    hooks.switchToProfile = [&](int p) {
        switched.push_back(p);
        return true;
    };
    EXPECT_EQ(ResetUserColourFiles(model_, Ctx(), hooks), 1);
    EXPECT_EQ(switched, (std::vector<int>{2, 2}));
    EXPECT_EQ(viewOff, 1);
    for (int p = 0; p < 3; ++p)
        EXPECT_EQ(ReadFile(UserFile(p)), ReadFile(UserColourFilePath(AssetsDefaultPrefix(), 3)));
    EXPECT_EQ(model_.activeProfile, 2);
    EXPECT_EQ(model_.userMode, 0);
}

TEST_F(LightingModelTest, ProfileButtonsLoadThatProfilesLighting) {
    Connect(SimModel::k320F_5000);
    InstallDefaultUserFiles();
    ASSERT_TRUE(WritePresentMode(iniLock_, UserFile(2), 4));
    ASSERT_TRUE(WriteUserModeName(iniLock_, UserFile(2), 1, "Profile two"));
    Keyboard().EditMemory([](SimMemory& m) { m.lighting[84] = 14; });
    Record();
    EXPECT_EQ(LoadProfileLighting(model_, Ctx(), 2), 0);
    EXPECT_EQ(model_.activeProfile, 2);
    EXPECT_EQ(model_.mode, 14);
    EXPECT_EQ(model_.userMode, 4);
    EXPECT_EQ(model_.userModeNames[1], "Profile two");
    std::vector<Frame> colours = FramesOf(CMD_WRITE_KEY_COLOURS);
    ASSERT_EQ(colours.size(), 8u);
    EXPECT_EQ(colours[0].offset, 1024);
    EXPECT_EQ(KeyboardKeyColour(2, 0), ReadKeyColour(UserFile(2), 4, 0).colour);
}

TEST_F(LightingModelTest, ModeNamesComeFromTheLanguageFile) {
    Connect(SimModel::k0C45_5004);
    std::ofstream(paths_.exeFolder / "Lang0409.ini") << "[MODE]\n1=Wave\n18=Rings\n";
    ASSERT_EQ(LoadLighting(model_, Ctx()), 0);
    std::vector<std::string> names = ShowModeList(model_, LanguageCache(paths_), 0);
    ASSERT_EQ(names.size(), 18u);
    EXPECT_EQ(names[0], "Wave");
    EXPECT_EQ(names[1], "#Error");
    EXPECT_EQ(names[17], "Rings");
    EXPECT_FALSE(OffersUserColours(model_));
}

TEST_F(LightingModelTest, NoKeyboardChangesTheModelOnly) {
    Connect(SimModel::k320F_5000);
    Link().ready = 0;
    EXPECT_EQ(LoadLighting(model_, Ctx()), -1);
    EXPECT_TRUE(SetBrightness(model_, Link(), 3));
    EXPECT_EQ(model_.brightness, 3);
    EXPECT_EQ(model_.records[0][lightfield::kBrightness], 3);
    EXPECT_EQ(Keyboard().RequestsReceived(), 0u);
}

}  // namespace
}  // namespace vorlin
