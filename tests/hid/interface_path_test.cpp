// InterfacePath: spelling and reading back the paths the backends list.
#include <gtest/gtest.h>

#include "device/hid/interface_path.h"

namespace vorlin {
namespace {

TEST(InterfacePath, FormatsAndParsesBack) {
    struct Case {
        InterfacePath path;
        const char* text;
    };
    const Case cases[] = {
        {{"/dev/hidraw3", 0x320F, 0x5000, 1, 2}, "/dev/hidraw3&vid_320f&pid_5000&mi_01&col02"},
        {{"/dev/hidraw2", 0x0C45, 0x5004, 2, 0}, "/dev/hidraw2&vid_0c45&pid_5004&mi_02"},
        {{"sim:0", 0x320F, 0x5000, 1, 1}, "sim:0&vid_320f&pid_5000&mi_01&col01"},
        {{"/dev/hidraw10", 0x054C, 0x05C4, -1, 0}, "/dev/hidraw10&vid_054c&pid_05c4"},
        {{"/dev/hidraw1", 0xFFFF, 0x0000, 0xAB, 0x1F},
         "/dev/hidraw1&vid_ffff&pid_0000&mi_ab&col1f"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.path.Format(), c.text);
        const std::optional<InterfacePath> parsed = InterfacePath::Parse(c.text);
        ASSERT_TRUE(parsed) << c.text;
        EXPECT_EQ(*parsed, c.path) << c.text;
    }
    // Keys in any case, values in any case.
    EXPECT_EQ(InterfacePath::Parse("/dev/hidraw3&VID_320F&Pid_5000&MI_01&COL02"),
              (InterfacePath{"/dev/hidraw3", 0x320F, 0x5000, 1, 2}));
}

TEST(InterfacePath, RefusesMalformedPaths) {
    const char* bad[] = {
        "",
        "/dev/hidraw3",                                     // no fields
        "/dev/hidraw3&pid_5000",                            // no vendor
        "/dev/hidraw3&vid_320f",                            // no product
        "/dev/hidraw3&vid_320f&pid_5000&x_1",               // unknown field
        "/dev/hidraw3&vid_320f&pid_5000&mi_",               // empty value
        "/dev/hidraw3&vid_320f&pid_50g0",                   // not hexadecimal
        "/dev/hidraw3&vid_10000&pid_5000",                  // beyond 16 bits
        "/dev/hidraw3&vid_320f&pid_5000&",                  // empty field
        "/dev/hidraw3&vid_320f&&pid_5000",                  // empty field inside
        "/dev/hidraw3&vid_320f&pid_5000&col01 ",            // trailing space
        "/dev/hidraw3&vid_00000000000000000320f&pid_5000",  // overlong value
    };
    for (const char* p : bad) EXPECT_FALSE(InterfacePath::Parse(p)) << '"' << p << '"';
}

TEST(HexFieldAfter, ReadsTheNumberAfterAKeyAnywhere) {
    const std::string windows = "\\\\?\\hid#VID_0C45&PID_5004&MI_01#7&1a&0&0000";
    EXPECT_EQ(HexFieldAfter(windows, "vid_"), 0x0C45u);
    EXPECT_EQ(HexFieldAfter(windows, "&mi_"), 1u);
    EXPECT_EQ(HexFieldAfter(windows, "&col"), 0u);                        // absent
    EXPECT_EQ(HexFieldAfter("x&mi_&col02", "&mi_"), 0u);                  // no digit
    EXPECT_EQ(HexFieldAfter("x&col1234abcd99", "&col", 8), 0x1234ABCDu);  // digits capped
    EXPECT_EQ(HexFieldAfter("vid_10c45", "vid_") & 0xFFFF, 0x0C45u);
}

}  // namespace
}  // namespace vorlin
