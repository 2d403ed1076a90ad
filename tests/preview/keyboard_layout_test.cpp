// The keyboard picture: identities, lights and layout keys of its key buttons.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "store/lighting_keys.h"
#include "ui/keyboard_layout.h"

namespace vorlin {
namespace {

using namespace keyctl;

TEST(KeyboardPicture, ButtonsAreDistinctAndTheListKeepsItsOrder) {
    auto picture = KeyboardPicture();
    ASSERT_EQ(picture.size(), size_t(kPictureKeyCount));
    std::set<int> ids;
    std::set<KeyCode> codes;
    for (const PictureKey& k : picture) {
        ids.insert(k.controlId);
        if (k.listPosition >= 0) {
            EXPECT_EQ(KeyButtonList()[k.listPosition], k.controlId);
            EXPECT_NE(k.keyCode, 0) << k.label;
            codes.insert(k.keyCode);
        }
    }
    EXPECT_EQ(ids.size(), size_t(kPictureKeyCount));
    EXPECT_EQ(codes.size(), size_t(kKeyButtonListSize));

    struct Case {
        int id, listPosition;
        KeyCode code;
        int light;
    } cases[] = {
        {kA, 0, 0x01E, 64},
        {kEsc, 37, 0x001, 0},
        {kSpace, 40, 0x039, 108},
        {kF7, 58, 0x041, 7},
        {kPrintScreen, 64, 0x137, 14},
        {kUp, 72, 0x148, 99},
        {kRWin, 86, 0x15C, 112},
        {kNumEnter, 98, 0x11C, 104},
        {kNumPlus, 103, 0x04E, 62},
        {kFn, -1, 0, 110},
        {kG1, -1, 0, 125},
        {kG9, -1, 0, 125},
        {kK45, -1, 0, 85},
        {kK56, -1, 0, 96},
    };
    for (const Case& c : cases) {
        const PictureKey* k = FindPictureKey(c.id);
        ASSERT_NE(k, nullptr) << c.id;
        EXPECT_EQ(k->listPosition, c.listPosition) << k->label;
        EXPECT_EQ(k->keyCode, c.code) << k->label;
        EXPECT_EQ(k->lightPosition, c.light) << k->label;
    }
    EXPECT_EQ(FindPictureKey(1016), nullptr);
}

TEST(KeyboardPicture, LightsAreDistinctExceptTheGKeys) {
    std::set<int> lights;
    for (const PictureKey& k : KeyboardPicture()) {
        ASSERT_GE(k.lightPosition, 0) << k.label;
        ASSERT_LT(k.lightPosition, kLightPositions) << k.label;
        if (k.lightPosition != kGKeyLightPosition) {
            EXPECT_TRUE(lights.insert(k.lightPosition).second) << k.label;
        }
    }
    EXPECT_EQ(lights.size(), size_t(kKeyButtonListSize + 1 + 2));  // + Fn, K45, K56
    EXPECT_EQ(LightKeys().size(), size_t(kLightKeyCount));
    for (const LightKey& k : LightKeys()) EXPECT_NE(FindPictureKey(k.controlId), nullptr);
}

// Where the buttons sit is the skin's (tests/skin checks Main.ini's rectangles); the picture
// only names each button's layout key.
TEST(KeyboardPicture, LayoutKeysFollowTheKeyCodeAndAreDistinct) {
    std::set<std::string> keys;
    for (const PictureKey& k : KeyboardPicture())
        EXPECT_TRUE(keys.insert(PictureLayoutKey(k)).second) << PictureLayoutKey(k);
    struct Case {
        int id;
        const char* key;
    } cases[] = {
        {kEsc, "KEY_001"},      {kA, "KEY_01E"},   {kPrintScreen, "KEY_137"},
        {kNumEnter, "KEY_11C"}, {kG1, "FUNC_G1"},  {kG9, "FUNC_G9"},
        {kFn, "KEY_FN"},        {kK45, "KEY_056"}, {kK56, "KEY_073"},
    };
    for (const Case& c : cases) EXPECT_EQ(PictureLayoutKey(*FindPictureKey(c.id)), c.key);
}

}  // namespace
}  // namespace vorlin
