#include "skin/skin_layout.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/temp_folder.h"

namespace vorlin {
namespace {

struct ValueCase {
    const char* text;
    LayoutRect rect;
};

TEST(SkinLayout, ValuesReadAsFourNumbers) {
    const ValueCase cases[] = {
        {"100,50,30,20", {100, 50, 30, 20}},
        {"10,20,30,40,x", {10, 20, 30, 40}},  // text after the fourth number is ignored
        {"1,1,40,20", {1, 1, 40, 20}},
        {" 7, 8,+9,-10", {7, 8, 9, -10}},  // blanks before a number, signs
        {"5,6", {5, 6, 1, 1}},             // fields the text does not reach stay 1
        {"5 ,6,7,8", {5, 1, 1, 1}},        // the comma must follow the number at once
        {"abc", {1, 1, 1, 1}},
        {"", {1, 1, 1, 1}},
        {"3,99999999999,4,4", {3, 1, 1, 1}},  // out of int range ends the reading
        {"+-3,4,4,4", {1, 1, 1, 1}},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseLayoutValue(c.text), c.rect) << c.text;
}

class SkinLayoutFile : public ::testing::Test {
  protected:
    std::filesystem::path Write(const char* name, const char* text) {
        auto p = dir_ / name;
        std::ofstream(p, std::ios::binary) << text;
        return p;
    }
    test::TempFolder folder_{"vorlin-skin-layout"};
    const std::filesystem::path& dir_ = folder_.path();
};

TEST_F(SkinLayoutFile, MissingKeyOrFileGivesTheDisabledPlacement) {
    auto file = Write("Main.ini", "[BUTTONINFO]\r\nCONTROL_OK=100,50,30,20\r\n");
    EXPECT_EQ(ReadLayoutRect(file, kLayoutSection, "control_ok"), (LayoutRect{100, 50, 30, 20}));
    LayoutRect missing = ReadLayoutRect(file, kLayoutSection, "CONTROL_CANCEL");
    EXPECT_EQ(missing, (LayoutRect{1, 1, 1, 1}));
    EXPECT_TRUE(PlacementDisables(missing));
    EXPECT_TRUE(PlacementDisables(ParseLayoutValue("1,1,40,20")));
    EXPECT_FALSE(PlacementDisables(ParseLayoutValue("1,2,40,20")));
    EXPECT_EQ(ReadLayoutRect(dir_ / "none.ini", kLayoutSection, "CONTROL_OK"),
              (LayoutRect{1, 1, 1, 1}));
}

TEST_F(SkinLayoutFile, ScreenSectionDefaults) {
    auto full = Write("a.ini", "[SCREEN]\nMain=bg.jpg\nMask=mask.bmp\nLink=https://x.test/\n");
    SkinScreen s = ReadSkinScreen(full);
    EXPECT_EQ(s.background, "bg.jpg");
    EXPECT_EQ(s.mask, "mask.bmp");
    EXPECT_EQ(s.link, "https://x.test/");

    SkinScreen d = ReadSkinScreen(Write("b.ini", "[SCREEN]\nMain=bg.jpg\n"));
    EXPECT_EQ(d.mask, "bg.jpg");
    EXPECT_EQ(d.link, kDefaultSkinLink);
}

}  // namespace
}  // namespace vorlin
