// The lighting panel's decisions against a simulated keyboard: what each action writes, what the
// key buttons are asked to show, and which controls every mode shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>

#include "link/link_fixture.h"
#include "platform/ini_file.h"
#include "store/lighting_keys.h"
#include "store/lighting_modes.h"
#include "support/temp_folder.h"
#include "ui/keyboard_layout.h"
#include "ui/lighting_panel_logic.h"

namespace vorlin {
namespace {

namespace fs = std::filesystem;
using G = LightingGroup;

struct Written {
    int command, length, offset;
    std::vector<uint8_t> payload;
    bool operator==(const Written&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Written& f) {
    os << "{cmd " << f.command << " len " << f.length << " off " << f.offset << " [";
    for (uint8_t b : f.payload) os << int(b) << " ";
    return os << "]}";
}

const Written kBegin{CMD_CONFIG_BEGIN, 0, 0, {}};
const Written kEnd{CMD_CONFIG_END, 0, 0, {}};
Written Lighting(int offset, std::vector<uint8_t> bytes) {
    const int n = int(bytes.size());
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

class PanelLogicTest : public ::testing::Test {
  protected:
    void SetUp() override {
        paths_.exeFolder = root_ / "exe";
        paths_.skinFolder = paths_.exeFolder / "Skins";
        paths_.defaultUserColourPrefix = AssetsDefaultPrefix();
        paths_.userFolder = root_ / "user";
        paths_.userSettings = paths_.userFolder / "wskb.ini";
        paths_.userColourPrefix = paths_.userFolder / "UserDengColor_";
        fs::create_directories(paths_.userFolder);
        for (int p = 0; p < 3; ++p)
            fs::copy_file(UserColourFilePath(AssetsDefaultPrefix(), 3), UserFile(p));
        sim_ = std::make_unique<SimLink>(SimModel::k320F_5000);
        ASSERT_TRUE(sim_->Connect());
        logic_.emplace(model_, LightingContext{sim_->link, paths_, iniLock_},
                       LightingPanelHooks{[this] { return allowView_; }});
    }
    void TearDown() override {
        logic_.reset();
        sim_.reset();
    }

    void Load(int profile = 0) {
        sim_->keyboard->EditMemory(
            [&](SimMemory& m) { m.state[kStateActiveProfile] = uint8_t(profile); });
        model_.activeProfile = profile;
        LightingContext ctx{sim_->link, paths_, iniLock_};
        ASSERT_EQ(LoadLightingWithUserModes(model_, ctx), 0);
        logic_->Refreshed();
    }
    void Record() {
        sim_->keyboard->RecordRequests(true);
        sim_->keyboard->TakeRecordedRequests();
    }
    std::vector<Written> Frames() {
        std::vector<Written> frames;
        for (const auto& r : sim_->keyboard->TakeRecordedRequests()) {
            Written f{r[3], r[4], r[5] | r[6] << 8, {}};
            if (f.command == CMD_WRITE_LIGHTING || f.command == CMD_WRITE_KEY_COLOURS)
                f.payload.assign(r.begin() + 8, r.begin() + 8 + f.length);
            frames.push_back(f);
        }
        return frames;
    }
    fs::path UserFile(int profile) { return UserColourFilePath(paths_.userColourPrefix, profile); }
    LightingPanelLogic& Logic() { return *logic_; }

    test::TempFolder folder_{"vorlin-panel"};
    const fs::path& root_ = folder_.path();
    AppPaths paths_;
    IniLock iniLock_;
    LightingModel model_;
    std::unique_ptr<SimLink> sim_;
    std::optional<LightingPanelLogic> logic_;
    bool allowView_ = true;
};

TEST(LightingPanelVisibility, EveryModeShowsItsGroupsOnlyWithTheViewOn) {
    // By group, the modes that show it while the view is on.
    const std::vector<std::pair<G, std::set<int>>> table = {
        {G::kBrightness, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 20}},
        {G::kSpeed, {1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12, 13, 14, 15}},
        {G::kDirection, {1, 2, 3, 12, 18}},
        {G::kColourChoice, {17}},
        {G::kFixedColour, {6, 16}},
        {G::kEffectColour, {1, 2, 3, 5, 7, 8, 9, 10, 13, 14, 15}},
        {G::kUserColours, {20}},
    };
    for (int mode = 0; mode <= 21; ++mode) {
        for (const auto& [group, modes] : table) {
            EXPECT_EQ(GroupVisible(group, mode, true), modes.count(mode) == 1)
                << "group " << int(group) << " mode " << mode;
            EXPECT_FALSE(GroupVisible(group, mode, false));
        }
        // The mode list stays reachable with the view on, even in a mode without settings.
        EXPECT_TRUE(GroupVisible(G::kModeList, mode, true));
        EXPECT_FALSE(GroupVisible(G::kModeList, mode, false));
        EXPECT_TRUE(GroupVisible(G::kAlways, mode, false));
        EXPECT_FALSE(GroupVisible(G::kNever, mode, true));
    }
}

TEST(LightingPanelControls, EveryControlIsInTheSkinWithItsCaption) {
    const WindowSkin& skin = SkinOf(SkinWindow::Main);
    std::set<int> ids;
    for (const LightingControl& c : LightingPanelControls()) {
        const SkinControl* s = FindSkinControl(skin, c.key);
        ASSERT_NE(s, nullptr) << c.key;
        EXPECT_EQ(s->id, c.id) << c.key;
        EXPECT_EQ(s->hidden, c.group == G::kNever) << c.key;
        if (c.id) {
            EXPECT_TRUE(ids.insert(c.id).second) << c.key;
        }
        EXPECT_EQ(FindLightingControl(c.id), c.id ? &c : nullptr);
    }
    EXPECT_EQ(FindLightingControl(lightctl::kTool1)->caption, nullptr);
    EXPECT_STREQ(FindLightingControl(lightctl::kBaseCaption)->caption, "JColor");
    for (int i = 0; i < 4; ++i) {
        const SkinControl* r = FindSkinControl(skin, "FUNC_REPORT" + std::to_string(i + 1));
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->id, lightctl::kReport[size_t(i)]);
    }

    EXPECT_EQ(DirectionLayoutKeys(2)[1], "CONTROL_BLFXLStaPic2");
    EXPECT_EQ(DirectionLayoutKeys(12)[0], "CONTROL_BLFXStatic3");
    EXPECT_EQ(DirectionLayoutKeys(18)[2], "CONTROL_BLFXRStaPic");
}

TEST_F(PanelLogicTest, ModeSelectionWritesTheBytesOfEveryMode) {
    Load();
    model_.multicolour = true;
    const std::set<int> withMulticolour = {1, 2, 3, 5, 7, 8, 9, 13, 14, 15};
    ASSERT_EQ(model_.modeIndexTable.size(), 19u);
    for (const ModeIndexEntry& e : model_.modeIndexTable) {
        Record();
        PanelOutcome o = Logic().ChooseMode(e.position);
        std::vector<Written> expected = {kBegin, Lighting(0, {uint8_t(e.mode)})};
        if (withMulticolour.count(e.mode)) expected.push_back(Lighting(4, {1}));
        expected.push_back(kEnd);
        EXPECT_EQ(Frames(), expected) << "mode " << e.mode;
        EXPECT_EQ(model_.mode, e.mode);
        EXPECT_TRUE(o.resetKeys && o.restartPreview);
        EXPECT_FALSE(o.paintUserColours);  // the view is off
    }
    Record();
    EXPECT_FALSE(Logic().ChooseMode(19).changed);
    EXPECT_TRUE(Frames().empty());
}

TEST_F(PanelLogicTest, SpeedDragWritesEachNewSpeedOnce) {
    Load(1);
    Logic().SliderMoved(lightctl::kSpeed, 0);
    ASSERT_EQ(DescribeLightingPanel(model_).speedPosition, 0);
    Record();
    for (int p : {0, 0, 1, 1, 2, 3, 3, 4, 5, 5}) {
        EXPECT_TRUE(Logic().SliderMoved(lightctl::kSpeed, p).changed);
        EXPECT_EQ(DescribeLightingPanel(model_).speedTrack, SpeedTrackImage(p));
    }
    std::vector<Written> expected;
    for (uint8_t speed : {4, 3, 2, 1, 0})
        for (const Written& w : {kBegin, Lighting(42 + 2, {speed}), kEnd}) expected.push_back(w);
    EXPECT_EQ(Frames(), expected);

    const int brightness = model_.brightness;
    Record();
    Logic().SliderMoved(lightctl::kBrightness, brightness);
    EXPECT_TRUE(Frames().empty());
    Logic().SliderMoved(lightctl::kBrightness, (brightness + 1) % 6);
    EXPECT_EQ(Frames(), (std::vector<Written>{
                            kBegin, Lighting(42 + 1, {uint8_t((brightness + 1) % 6)}), kEnd}));
    EXPECT_EQ(DescribeLightingPanel(model_).brightnessTrack,
              BrightnessTrackImage((brightness + 1) % 6));
}

TEST_F(PanelLogicTest, ButtonsOfTheActiveProfileWriteAtItsOffsets) {
    Load(2);
    struct Case {
        std::function<PanelOutcome()> act;
        std::vector<Written> frames;
    } cases[] = {
        {[&] { return Logic().ReportRateClicked(lightctl::kReport[2]); }, {Lighting(99, {2})}},
        {[&] { return Logic().ColourChoiceClicked(lightctl::kChoice[3]); }, {Lighting(101, {3})}},
        {[&] { return Logic().DirectionClicked(lightctl::kDirectionFirst); },
         {Lighting(87, {255})}},
        {[&] { return Logic().DirectionClicked(lightctl::kDirectionSecond); }, {Lighting(87, {0})}},
        {[&] { return Logic().ColourPicked(lightctl::kEffectColour, MakeRgb(1, 2, 3)); },
         {Lighting(88, {0}), Lighting(89, {1, 2, 3})}},
        {[&] { return Logic().MulticolourClicked(); }, {Lighting(88, {1})}},
        {[&] { return Logic().ReportRateClicked(1006); }, {}},
        {[&] { return Logic().ColourPicked(lightctl::kFreeColour, 0); }, {}},
    };
    for (const Case& c : cases) {
        Record();
        PanelOutcome o = c.act();
        std::vector<Written> expected;
        if (!c.frames.empty()) {
            expected.push_back(kBegin);
            expected.insert(expected.end(), c.frames.begin(), c.frames.end());
            expected.push_back(kEnd);
        }
        EXPECT_EQ(Frames(), expected);
        EXPECT_EQ(o.changed, !c.frames.empty());
    }
    EXPECT_EQ(sim_->keyboard->Memory().lighting[99], 2);
    LightingPanelState s = DescribeLightingPanel(model_);
    EXPECT_EQ(s.reportRate, 2);
    EXPECT_EQ(s.multicolourImage, kMulticolourOnImage);
    EXPECT_EQ(s.choiceImages[3], "lanok.bmp");
    EXPECT_EQ(s.choiceImages[0], "hong.bmp");
    EXPECT_EQ(s.colour, MakeRgb(1, 2, 3));

    // A picked colour turns both multicolour pictures off.
    Logic().ColourPicked(lightctl::kFixedColour, MakeRgb(4, 5, 6));
    EXPECT_EQ(DescribeLightingPanel(model_).multicolourImage, kMulticolourOffImage);
}

TEST_F(PanelLogicTest, KeyClicksPaintOnlyInTheUserColourMode) {
    Load(2);
    Logic().ToggleLightingView();
    Logic().ChooseMode(ModePosition(model_, 6));
    Record();
    EXPECT_FALSE(Logic().KeyClicked(keyctl::kA).changed);
    EXPECT_TRUE(Frames().empty());

    Logic().ChooseMode(ModePosition(model_, 20));
    Logic().ToolClicked(lightctl::kTool0);
    Logic().FreeColourPicked(MakeRgb(9, 8, 7));
    const int a = LightKeyIndex(keyctl::kA);
    model_.baseFlags[2][size_t(a)] = true;
    Record();
    PanelOutcome o = Logic().KeyClicked(keyctl::kA);
    const int position = LightPositionOf(keyctl::kA);
    EXPECT_EQ(Frames(),
              (std::vector<Written>{
                  kBegin, {CMD_WRITE_KEY_COLOURS, 3, 1024 + position * 3, {9, 8, 7}}, kEnd}));
    EXPECT_FALSE(model_.baseFlags[2][size_t(a)]);
    EXPECT_EQ(o.paintKey, (KeyPaint{keyctl::kA, MakeRgb(9, 8, 7)}));
    EXPECT_EQ(ReadKeyColour(UserFile(2), model_.userMode, position).colour, MakeRgb(9, 8, 7));

    // Tool 1 paints the base colour and sets the flag; a click beside the keys does nothing.
    Logic().ToolClicked(lightctl::kTool1);
    EXPECT_EQ(DescribeLightingPanel(model_).toolImages,
              (std::array<std::string_view, 2>{"user1up.bmp", "user2down.bmp"}));
    EXPECT_EQ(Logic().KeyClicked(keyctl::kA).paintKey->colour, model_.baseColour);
    EXPECT_TRUE(model_.baseFlags[2][size_t(a)]);
    EXPECT_FALSE(Logic().KeyClicked(lightctl::kSpeed).changed);
}

TEST_F(PanelLogicTest, BaseColourChangesOnlyWhenItDiffers) {
    Load();
    Logic().ToggleLightingView();
    Logic().ChooseMode(ModePosition(model_, 20));
    const std::string before = ReadFile(UserFile(0));
    Record();
    EXPECT_FALSE(Logic().BaseColourPicked(model_.baseColour).changed);
    EXPECT_TRUE(Frames().empty());
    EXPECT_EQ(ReadFile(UserFile(0)), before);

    const Rgb green = MakeRgb(0, 255, 0);
    PanelOutcome o = Logic().BaseColourPicked(green);
    EXPECT_TRUE(o.paintUserColours);
    std::vector<Written> frames = Frames();
    EXPECT_EQ(std::count_if(frames.begin(), frames.end(),
                            [](const Written& w) { return w.command == CMD_WRITE_KEY_COLOURS; }),
              8);
    EXPECT_EQ(DescribeLightingPanel(model_).baseColour, green);
    EXPECT_EQ(ReadUserModeSettings(UserFile(0), model_.userMode).baseColour, green);
}

TEST_F(PanelLogicTest, ViewSwitchOffHidesEverythingOnRepaintsTheUserColours) {
    Load();
    Logic().ChooseMode(ModePosition(model_, 20));
    ASSERT_FALSE(model_.lightingView);

    // Turning on is refused when the keyboard's profile cannot be shown.
    allowView_ = false;
    EXPECT_FALSE(Logic().ToggleLightingView().changed);
    EXPECT_FALSE(model_.lightingView);
    EXPECT_EQ(IniRead(paths_.userSettings, "KEYCOLOR", "DengCheck", "none"), "none");

    allowView_ = true;
    PanelOutcome on = Logic().ToggleLightingView();
    EXPECT_TRUE(model_.lightingView);
    EXPECT_EQ(IniRead(paths_.userSettings, "KEYCOLOR", "DengCheck", ""), "1");
    EXPECT_TRUE(on.resetKeys && on.paintUserColours);
    EXPECT_EQ(DescribeLightingPanel(model_).viewImage, kLightingViewOnImage);
    EXPECT_TRUE(GroupVisible(G::kUserColours, model_.mode, model_.lightingView));

    // Every key button of the picture gets its user colour, the G keys entry 125, Fn 110.
    const std::vector<int> ids = PictureControlIds();
    std::vector<KeyPaint> paints = UserColourPaints(model_, ids);
    ASSERT_EQ(paints.size(), size_t(kLightKeyCount));
    for (int extra : {keyctl::kK45, keyctl::kK56})
        EXPECT_TRUE(std::none_of(paints.begin(), paints.end(),
                                 [&](const KeyPaint& p) { return p.controlId == extra; }));
    const KeyColourPage& page = model_.keyColours[0];
    for (const KeyPaint& p : paints)
        EXPECT_EQ(p.colour, PageColour(page, LightPositionOf(p.controlId))) << p.controlId;
    auto paintOf = [&](int id) {
        return std::find_if(paints.begin(), paints.end(),
                            [&](const KeyPaint& p) { return p.controlId == id; })
            ->colour;
    };
    EXPECT_EQ(paintOf(keyctl::kG5), PageColour(page, 125));
    EXPECT_EQ(paintOf(keyctl::kFn), PageColour(page, 110));

    PanelOutcome off = Logic().ToggleLightingView();
    EXPECT_FALSE(model_.lightingView);
    EXPECT_TRUE(off.resetKeys && off.keyAssignmentView && !off.paintUserColours);
    EXPECT_EQ(IniRead(paths_.userSettings, "KEYCOLOR", "DengCheck", ""), "0");
    EXPECT_FALSE(GroupVisible(G::kModeList, model_.mode, model_.lightingView));
}

TEST_F(PanelLogicTest, ProfileLightingTurnsTheViewOffAndDefaultsResetTheRecord) {
    Load();
    Logic().ToggleLightingView();
    sim_->keyboard->EditMemory([](SimMemory& m) {
        m.lighting[42] = 17;
        m.lighting[42 + 17] = 9;  // a colour choice the panel cannot show
    });
    PanelOutcome o = Logic().ShowProfileLighting(1);
    EXPECT_EQ(model_.activeProfile, 1);
    EXPECT_EQ(model_.mode, 17);
    EXPECT_FALSE(model_.lightingView);
    EXPECT_TRUE(o.refillLists && o.keyAssignmentView);
    EXPECT_EQ(DescribeLightingPanel(model_).choiceImages[0], "hongok.bmp");

    // Without the view the default command leaves the lighting alone.
    Record();
    EXPECT_FALSE(Logic().DefaultReset().changed);
    EXPECT_TRUE(Frames().empty());
    Logic().ToggleLightingView();
    Logic().SliderMoved(lightctl::kSpeed, 5);
    o = Logic().DefaultReset();
    EXPECT_TRUE(o.resetKeys && o.restartPreview && o.refillLists);
    LightingPanelState s = DescribeLightingPanel(model_);
    EXPECT_EQ(model_.mode, 1);
    EXPECT_EQ(s.modePosition, ModePosition(model_, 1));
    EXPECT_EQ(s.brightnessTrack, "5.bmp");
    EXPECT_EQ(s.speedPosition, 2);
    EXPECT_EQ(s.speedTrack, "8.bmp");
    EXPECT_EQ(s.direction.first, "leftup.bmp");
    EXPECT_EQ(s.direction.second, "rightdown.bmp");
    EXPECT_EQ(s.directionKeys[0], "CONTROL_BLFXStatic2");
    EXPECT_EQ(s.multicolourImage, kMulticolourOnImage);
    EXPECT_EQ(s.reportRate, 0);
}

}  // namespace
}  // namespace vorlin
