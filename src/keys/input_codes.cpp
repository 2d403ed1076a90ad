// Linux input event codes (what X11 keycode - 8 and evdev deliver) to KeyCodes. Codes 1..88
// are the set-1 make codes themselves, except Num Lock; the rest are listed one by one.
#include "keys/key_codes.h"

namespace vorlin {
namespace {

struct InputCodeKey {
    uint16_t input;
    KeyCode code;
};

constexpr InputCodeKey kBeyondBasic[] = {
    {89, 0x73},    // KEY_RO: K56
    {92, 0x79},    // KEY_HENKAN: CHG
    {93, 0x70},    // KEY_KATAKANAHIRAGANA: ROMA
    {94, 0x7B},    // KEY_MUHENKAN: N-CHG
    {96, 0x11C},   // KEY_KPENTER
    {97, 0x11D},   // KEY_RIGHTCTRL
    {98, 0x135},   // KEY_KPSLASH
    {99, 0x137},   // KEY_SYSRQ: Print Screen (Alt+Print Screen arrives as the same code)
    {100, 0x138},  // KEY_RIGHTALT
    {102, 0x147},  // KEY_HOME
    {103, 0x148},  // KEY_UP
    {104, 0x149},  // KEY_PAGEUP
    {105, 0x14B},  // KEY_LEFT
    {106, 0x14D},  // KEY_RIGHT
    {107, 0x14F},  // KEY_END
    {108, 0x150},  // KEY_DOWN
    {109, 0x151},  // KEY_PAGEDOWN
    {110, 0x152},  // KEY_INSERT
    {111, 0x153},  // KEY_DELETE
    {113, 0x120},  // KEY_MUTE
    {114, 0x12E},  // KEY_VOLUMEDOWN
    {115, 0x130},  // KEY_VOLUMEUP
    {116, 0x15E},  // KEY_POWER
    {119, 0x45},   // KEY_PAUSE
    {121, 0x7E},   // KEY_KPCOMMA: K107
    {122, 0x72},   // KEY_HANGEUL: KR
    {123, 0x71},   // KEY_HANJA: KL
    {124, 0x7D},   // KEY_YEN: K14
    {125, 0x15B},  // KEY_LEFTMETA
    {126, 0x15C},  // KEY_RIGHTMETA
    {127, 0x15D},  // KEY_COMPOSE: App
    {128, 0x168},  // KEY_STOP: browser stop
    {140, 0x121},  // KEY_CALC
    {142, 0x15F},  // KEY_SLEEP
    {143, 0x163},  // KEY_WAKEUP
    {155, 0x16C},  // KEY_MAIL
    {156, 0x166},  // KEY_BOOKMARKS
    {157, 0x16B},  // KEY_COMPUTER
    {158, 0x16A},  // KEY_BACK
    {159, 0x169},  // KEY_FORWARD
    {163, 0x119},  // KEY_NEXTSONG
    {164, 0x122},  // KEY_PLAYPAUSE
    {165, 0x110},  // KEY_PREVIOUSSONG
    {166, 0x124},  // KEY_STOPCD
    {171, 0x16D},  // KEY_CONFIG: media player key of USB keyboards
    {172, 0x132},  // KEY_HOMEPAGE
    {173, 0x167},  // KEY_REFRESH
    {183, 0x64},   // KEY_F13
    {217, 0x165},  // KEY_SEARCH
    {226, 0x16D},  // KEY_MEDIA: media player key of PS/2 keyboards
};

}  // namespace

KeyCode KeyCodeFromInputCode(uint32_t inputCode) {
    if (inputCode == 69) return 0x145;  // KEY_NUMLOCK; a plain 0x45 is Pause here
    // 84 is unassigned; 85 (Zenkaku/Hankaku) has no row of its own.
    if (inputCode >= 1 && inputCode <= 88 && inputCode != 84 && inputCode != 85) {
        return static_cast<KeyCode>(inputCode);
    }
    for (const InputCodeKey& entry : kBeyondBasic) {
        if (entry.input == inputCode) return entry.code;
    }
    return 0;
}

}  // namespace vorlin
