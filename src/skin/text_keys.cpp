// The language keys of the windows and messages, grouped by where they appear.
#include "skin/text_keys.h"

namespace vorlin {
namespace {

using namespace std::string_view_literals;

constexpr std::string_view kWindowTextKeys[] = {
    // Main window, tray and menus
    "MAIN_CAPTION"sv,
    "MAIN_HELP_PROMPT"sv,
    "MAIN_CLOSE_PROMPT"sv,
    "MAIN_MINIMIZE_PROMPT"sv,
    "MAIN_MENU_PROMPT"sv,
    "KEYBOARD_TRAY_DESC"sv,
    "PROFILE_1"sv,
    "PROFILE_2"sv,
    "PROFILE_3"sv,
    "PROFILE_MACRO"sv,
    "PROFILE_DEFAULT"sv,
    "PROFILE_OK"sv,
    "PROFILE_CANCLE"sv,
    "PROFILE_APPLY"sv,
    "MAIN_SWITCH_COLOR_TEXT"sv,
    "MAIN_SWITCH_FUNCTION_TEXT"sv,
    "MENU_11"sv,
    "MENU_22"sv,
    "MENU_33"sv,
    "MENU_1"sv,
    "MENU_2"sv,
    "MENU_3"sv,
    "MENU_4"sv,
    "LANG_ABOUT_TITLE"sv,
    "GUANYU_JIESHAO"sv,
    "GUANYU_BANQUAN"sv,
    "LANG_ABOUT_OK"sv,
    // Messages and prompts
    "MAIN_NO_DEVICE_PROMPT"sv,
    "MAIN_PROMPT_INPORT"sv,
    "MAIN_PROMPT_DEFAULT"sv,
    "MAIN_DEFAULT_MATRIX_PROMPT"sv,
    "PROFILE_SELECT_PROMPT"sv,
    "PROFILE_SEELCT_PROMPT2"sv,
    "PROFILE_FORMAT_ERROR"sv,
    "EXTRA_MACRO_TOO_LONG"sv,
    "EXTRA_PROFILE_SPACE_TIGHT"sv,
    // Profiles
    "PROFILE_TIP"sv,
    "DEFAULT_PROFILE_NAME"sv,
    "PROFILE_NEW"sv,
    // Key tooltips of the keyboard panel
    "KEY_PROMPT_SET"sv,
    "KEY_PROMPT_SINGLE"sv,
    "KEY_PROMPT_MACRO"sv,
    "KEY_PROMPT_MEDIA"sv,
    "KEY_PROMPT_FUNCTION"sv,
    // Key settings window
    "KEY_SETTING_TISHI"sv,
    "MACRO_EDIT_TISHI"sv,
    "SINGLE_KEY"sv,
    "MACRO_SETTING"sv,
    "MULTI_MEDIA"sv,
    "FUNCTION_KEY"sv,
    "COMPOSITE_PROMPT_CLEAR"sv,
    "COMPOSITE_PROMPT_OSK"sv,
    "SINGLE_STATIC"sv,
    "MEDIA_EDIT_TISHI"sv,
    "FUNCTION_TISHI"sv,
    "MACRO_NAME_SETTING"sv,
    "IDS_MACRO_KB_KEY"sv,
    "IDS_MACRO_MOU_KEY"sv,
    "MACRO_KEYS_TISHI"sv,
    "MACRO_ACTION_TISHI"sv,
    "MACRO_DELAY_MS"sv,
    "A_RECORD"sv,
    "MACRO_ACTION_RECORD"sv,
    "MACRO_ACTION_STOP_RECORD"sv,
    "A_DELETE"sv,
    "A_CLEAR"sv,
    "A_TOP"sv,
    "A_UP"sv,
    "A_DOWN"sv,
    "A_BOTTOM"sv,
    "RECORD_DELAY"sv,
    "MACRO_CYCLES"sv,
    "MACRO_OK"sv,
    "MACRO_CANCLE"sv,
    "MACRO_NEW_PREFIX"sv,
    "MACRO_ERR_MAX"sv,
    "MACRO_ACTION_ERR_DELAY_MAX"sv,
    "MACRO_ACTION_ERR_MODIFY"sv,
    "MACRO_ACTION_CLEAR_CONFIRM"sv,
    "MACRO_DELETE_CONFIRM_OF_KEYS"sv,
    "MACRO_ACTION_RECORD_DELAY"sv,
    // Key names without a row of their own
    "UNKNOWN_KEY"sv,
};

constexpr std::string_view kLightTextKeys[] = {
    "Usb"sv, "Deng"sv, "Light"sv, "FX"sv, "Speed"sv, "Color"sv, "JColor"sv, "DC"sv, "Tool"sv,
};

constexpr FormatTextKey kFormatTextKeys[] = {
    {"UNKNOWN_KEY"sv, "%d"sv},
    {"MACRO_ERR_MAX"sv, "%d"sv},
    {"MACRO_ACTION_ERR_DELAY_MAX"sv, "%d"sv},
    {"PROFILE_FORMAT_ERROR"sv, "%s"sv},
};

}  // namespace

std::span<const std::string_view> WindowTextKeys() {
    return kWindowTextKeys;
}
std::span<const std::string_view> LightTextKeys() {
    return kLightTextKeys;
}
std::span<const FormatTextKey> FormatTextKeys() {
    return kFormatTextKeys;
}

}  // namespace vorlin
