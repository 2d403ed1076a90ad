// The skin catalog against the layout files: every key the windows place is in its file, sits
// inside its window and is large enough to click, and the files hold nothing the code ignores.
#include "skin/skin_catalog.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/ini_file.h"
#include "ui/keyboard_layout.h"

namespace vorlin {
namespace {

const std::filesystem::path kSkins = std::filesystem::path(VORLIN_ASSETS_DIR) / "Skins";

IniDocument Layout(const WindowSkin& skin) {
    auto doc = IniDocument::Load(kSkins / skin.layoutFile);
    EXPECT_TRUE(doc) << skin.layoutFile;
    return doc ? *doc : IniDocument::Parse({});
}

bool Inside(const LayoutRect& r, int width, int height) {
    return r.x >= 0 && r.y >= 0 && r.w > 0 && r.h > 0 && r.x + r.w <= width && r.y + r.h <= height;
}

bool Apart(const LayoutRect& a, const LayoutRect& b) {
    return a.x + a.w <= b.x || b.x + b.w <= a.x || a.y + a.h <= b.y || b.y + b.h <= a.y;
}

TEST(SkinCatalog, EveryKeyIsInItsFileInsideTheWindowAndClickable) {
    for (SkinWindow w : SkinWindows()) {
        const WindowSkin& skin = SkinOf(w);
        IniDocument doc = Layout(skin);
        ASSERT_FALSE(skin.controls.empty()) << skin.layoutFile;
        for (const SkinControl& c : skin.controls) {
            auto value = doc.Find(kLayoutSection, c.key);
            EXPECT_TRUE(value) << skin.layoutFile << " lacks " << c.key;
            if (!value) continue;
            LayoutRect r = ParseLayoutValue(*value);
            if (c.hidden || PlacementDisables(r)) continue;
            EXPECT_TRUE(Inside(r, skin.width, skin.height)) << skin.layoutFile << " " << c.key;
            // A moved control keeps its size; its own width and height mean nothing.
            if (c.placement != Placement::Move) {
                EXPECT_GE(r.w, 24) << c.key;
                EXPECT_GE(r.h, 24) << c.key;
            }
            if (c.placement == Placement::Arrow) {
                // The arrow sheet holds the picture at the second key's place, cut at (x-1, y-1).
                const SkinPicture* sheet = nullptr;
                for (const SkinPicture& i : skin.images)
                    if (i.role == ImageRole::ArrowSheet) sheet = &i;
                ASSERT_NE(sheet, nullptr);
                for (std::string_view key2 : {c.upKey, c.downKey}) {
                    auto v2 = doc.Find(kLayoutSection2, key2);
                    ASSERT_TRUE(v2) << key2;
                    LayoutRect p = ParseLayoutValue(*v2);
                    EXPECT_TRUE(Inside({p.x - 1, p.y - 1, r.w, r.h}, sheet->width, sheet->height))
                        << key2;
                }
            }
        }
    }
}

TEST(SkinCatalog, LayoutFilesHoldOnlyKeysTheCodePlaces) {
    for (SkinWindow w : SkinWindows()) {
        const WindowSkin& skin = SkinOf(w);
        IniDocument doc = Layout(skin);
        std::set<std::string> known, known2;
        for (const SkinControl& c : skin.controls) {
            EXPECT_TRUE(known.insert(std::string(c.key)).second) << "twice: " << c.key;
            if (!c.upKey.empty()) known2.insert({std::string(c.upKey), std::string(c.downKey)});
        }
        for (const std::string& key : doc.Keys(kLayoutSection))
            EXPECT_TRUE(known.count(key)) << skin.layoutFile << " places no " << key;
        for (const std::string& key : doc.Keys(kLayoutSection2))
            EXPECT_TRUE(known2.count(key)) << skin.layoutFile << " uses no " << key;
    }
}

TEST(SkinCatalog, TheScreenSectionNamesTheCatalogsBackgroundAndMask) {
    for (SkinWindow w : SkinWindows()) {
        const WindowSkin& skin = SkinOf(w);
        SkinScreen screen = ReadSkinScreen(kSkins / skin.layoutFile);
        std::string background, mask;
        for (const SkinPicture& i : skin.images) {
            if (i.role == ImageRole::Background) background = i.file;
            if (i.role == ImageRole::Mask) mask = i.file;
        }
        EXPECT_EQ(screen.background, background) << skin.layoutFile;
        EXPECT_EQ(screen.mask, mask) << skin.layoutFile;
    }
    EXPECT_NE(ReadSkinScreen(kSkins / "Main.ini").link, "");
}

TEST(SkinCatalog, VisibleImageButtonsDoNotOverlap) {
    for (SkinWindow w : SkinWindows()) {
        const WindowSkin& skin = SkinOf(w);
        IniDocument doc = Layout(skin);
        std::vector<std::pair<std::string_view, LayoutRect>> placed;
        for (const SkinControl& c : skin.controls) {
            // The editor's page area lies under the page's own buttons.
            if (c.placement != Placement::ImageButton || c.hidden || c.kind == ControlKind::Page)
                continue;
            placed.push_back(
                {c.key, ParseLayoutValue(doc.Find(kLayoutSection, c.key).value_or(""))});
        }
        for (size_t i = 0; i < placed.size(); ++i)
            for (size_t j = i + 1; j < placed.size(); ++j)
                EXPECT_TRUE(Apart(placed[i].second, placed[j].second))
                    << placed[i].first << " overlaps " << placed[j].first;
    }
}

TEST(SkinCatalog, TheKeyPictureIsPlacedAsTheFullBoard) {
    const WindowSkin& main = SkinOf(SkinWindow::Main);
    IniDocument doc = Layout(main);
    for (const PictureKey& k : KeyboardPicture()) {
        const SkinControl* c = FindSkinControl(main, PictureLayoutKey(k));
        ASSERT_NE(c, nullptr) << k.label;
        EXPECT_EQ(c->id, k.controlId);
        EXPECT_EQ(c->kind, ControlKind::Key);
    }
    auto rect = [&](const char* key) { return ParseLayoutValue(*doc.Find(kLayoutSection, key)); };
    // One unit is 40 px: Esc to F1 is two units, the row of digits runs 15 units to the end
    // of Backspace, and the numpad stands to the right of the arrows.
    EXPECT_EQ(rect("KEY_03B").x - rect("KEY_001").x, 80);
    EXPECT_EQ(rect("KEY_00E").x + rect("KEY_00E").w + 1 - rect("KEY_029").x + 1, 600);
    EXPECT_GT(rect("KEY_145").x, rect("KEY_14D").x + rect("KEY_14D").w);
    EXPECT_EQ(rect("KEY_11C").h, rect("KEY_04F").h * 2 + 2);  // Num Enter spans two rows
    // G keys in one column left of the board.
    for (int n = 1; n <= 9; ++n) {
        LayoutRect g = rect(("FUNC_G" + std::to_string(n)).c_str());
        EXPECT_EQ(g.x, rect("FUNC_G1").x);
        EXPECT_LT(g.x + g.w, rect("KEY_001").x);
    }
}

TEST(SkinCatalog, PicturesHaveTheSizeOfEveryControlShowingThem) {
    const WindowSkin& main = SkinOf(SkinWindow::Main);
    IniDocument doc = Layout(main);
    auto size = [&](const char* key) {
        LayoutRect r = ParseLayoutValue(*doc.Find(kLayoutSection, key));
        return std::pair(r.w, r.h);
    };
    const std::pair<const char*, const char*> sharing[] = {
        {"CONTROL_BLFXLStaPic", "CONTROL_BLFXRStaPic"},
        {"CONTROL_HXsjsStaPic", "CONTROL_FYSJSStaPic"},
        {"CONTROL_HONGPIC", "CONTROL_LANPIC"},
        {"CONTROL_USERgjStaPic1", "CONTROL_USERgjStaPic2"},
        {"CONTROL_LightSlider", "CONTROL_SpeedSlider"},
    };
    for (auto [a, b] : sharing) EXPECT_EQ(size(a), size(b)) << a << " " << b;
    for (const SkinPicture& i : main.images) {
        auto r = SkinImageSize(main, i, kSkins);
        ASSERT_TRUE(r) << i.file;
        EXPECT_GT(r->w, 0) << i.file;
    }
    std::set<std::string_view> files;
    for (const SkinPicture& i : main.images) EXPECT_TRUE(files.insert(i.file).second) << i.file;
}

TEST(SkinCatalog, PictureNames) {
    EXPECT_EQ(BrightnessTrackImage(0), "0.bmp");
    EXPECT_EQ(BrightnessTrackImage(5), "5.bmp");
    EXPECT_EQ(BrightnessTrackImage(9), "5.bmp");
    EXPECT_EQ(SpeedTrackImage(0), "6.bmp");
    EXPECT_EQ(SpeedTrackImage(5), "11.bmp");
    EXPECT_EQ(SpeedTrackImage(-1), "6.bmp");
    EXPECT_EQ(BusyFrameImage(1), "jdt1.bmp");
    EXPECT_EQ(BusyFrameImage(10), "jdt10.bmp");
    EXPECT_EQ(BusyFrameImage(11), "jdt1.bmp");
    EXPECT_EQ(BusyFrameImage(0), "jdt10.bmp");
    struct Case {
        int mode, direction;
        const char *first, *second;
    } cases[] = {
        {12, 255, "updown.bmp", "downup.bmp"},     {12, 0, "upup.bmp", "downdown.bmp"},
        {18, 255, "kuosandown.bmp", "julong.bmp"}, {18, 0, "kuosan.bmp", "julongdown.bmp"},
        {1, 255, "leftdown.bmp", "rightup.bmp"},   {3, 0, "leftup.bmp", "rightdown.bmp"},
    };
    for (const Case& c : cases) {
        DirectionImages d = DirectionImagesFor(c.mode, c.direction);
        EXPECT_EQ(d.first, c.first) << c.mode << " " << c.direction;
        EXPECT_EQ(d.second, c.second) << c.mode << " " << c.direction;
    }
}

}  // namespace
}  // namespace vorlin
