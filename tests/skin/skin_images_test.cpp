#include "skin/skin_images.h"

#include <gtest/gtest.h>

namespace vorlin {
namespace {

TEST(SkinImages, HiDpiNameReplacesTheExtension) {
    const struct {
        const char* name;
        const char* expected;
    } cases[] = {
        {"main_normal.jpg", "main_normal@2x.png"},
        {"dengup.bmp", "dengup@2x.png"},
        {"tray", "tray@2x.png"},
        {"a.b.jpg", "a.b@2x.png"},
        {"Skins.v2/key_over.jpg", "Skins.v2/key_over@2x.png"},
        {"Skins.v2/icon", "Skins.v2/icon@2x.png"},
        {".hidden", ".hidden@2x.png"},
    };
    for (const auto& c : cases) EXPECT_EQ(HiDpiImageName(c.name), c.expected) << c.name;
}

}  // namespace
}  // namespace vorlin
