// The language keys of the windows and messages by name, for every layer: call sites use these,
// never the key typed out, and skin/text_keys.cpp lists them all for the language-file check.
// Key names of the key table and the choice lists live with their tables.
#pragma once

namespace vorlin {

// Section "TEXT".
// Main window, tray and menus
inline constexpr char kTextMainCaption[] = "MAIN_CAPTION";
inline constexpr char kTextMainHelpPrompt[] = "MAIN_HELP_PROMPT";
inline constexpr char kTextMainClosePrompt[] = "MAIN_CLOSE_PROMPT";
inline constexpr char kTextMainMinimizePrompt[] = "MAIN_MINIMIZE_PROMPT";
inline constexpr char kTextMainMenuPrompt[] = "MAIN_MENU_PROMPT";
inline constexpr char kTextKeyboardTrayDesc[] = "KEYBOARD_TRAY_DESC";
inline constexpr char kTextProfile1[] = "PROFILE_1";
inline constexpr char kTextProfile2[] = "PROFILE_2";
inline constexpr char kTextProfile3[] = "PROFILE_3";
inline constexpr char kTextProfileMacro[] = "PROFILE_MACRO";
inline constexpr char kTextProfileDefault[] = "PROFILE_DEFAULT";
inline constexpr char kTextProfileOk[] = "PROFILE_OK";
inline constexpr char kTextProfileCancel[] = "PROFILE_CANCLE";
inline constexpr char kTextProfileApply[] = "PROFILE_APPLY";
inline constexpr char kTextMainSwitchColorText[] = "MAIN_SWITCH_COLOR_TEXT";
inline constexpr char kTextMainSwitchFunctionText[] = "MAIN_SWITCH_FUNCTION_TEXT";
inline constexpr char kTextMenu11[] = "MENU_11";
inline constexpr char kTextMenu22[] = "MENU_22";
inline constexpr char kTextMenu33[] = "MENU_33";
inline constexpr char kTextMenu1[] = "MENU_1";
inline constexpr char kTextMenu2[] = "MENU_2";
inline constexpr char kTextMenu3[] = "MENU_3";
inline constexpr char kTextMenu4[] = "MENU_4";
inline constexpr char kTextMenuLanguage[] = "MENU_LANGUAGE";
inline constexpr char kTextMenuFirmware[] = "MENU_FIRMWARE";
inline constexpr char kTextMenuAutostart[] = "MENU_AUTOSTART";
inline constexpr char kTextLangAboutTitle[] = "LANG_ABOUT_TITLE";
inline constexpr char kTextAboutIntroduction[] = "GUANYU_JIESHAO";
inline constexpr char kTextAboutCopyright[] = "GUANYU_BANQUAN";
inline constexpr char kTextLangAboutOk[] = "LANG_ABOUT_OK";

// Messages and prompts
inline constexpr char kTextMainNoDevicePrompt[] = "MAIN_NO_DEVICE_PROMPT";
inline constexpr char kTextMainNoAccessPrompt[] = "MAIN_NO_ACCESS_PROMPT";
inline constexpr char kTextMainNoAccessApplyPrompt[] = "MAIN_NO_ACCESS_APPLY_PROMPT";
inline constexpr char kTextMainAutostartFailed[] = "MAIN_AUTOSTART_FAILED";
inline constexpr char kTextMainPromptImport[] = "MAIN_PROMPT_INPORT";
inline constexpr char kTextMainPromptExportFailed[] = "MAIN_PROMPT_EXPORT_FAILED";
inline constexpr char kTextMainPromptDefault[] = "MAIN_PROMPT_DEFAULT";
inline constexpr char kTextMainDefaultMatrixPrompt[] = "MAIN_DEFAULT_MATRIX_PROMPT";
inline constexpr char kTextProfileSelectPrompt[] = "PROFILE_SELECT_PROMPT";
inline constexpr char kTextProfileSelectPrompt2[] = "PROFILE_SEELCT_PROMPT2";
inline constexpr char kTextProfileFormatError[] = "PROFILE_FORMAT_ERROR";
inline constexpr char kTextExtraMacroTooLong[] = "EXTRA_MACRO_TOO_LONG";
inline constexpr char kTextExtraProfileSpaceTight[] = "EXTRA_PROFILE_SPACE_TIGHT";

// Profiles
inline constexpr char kTextProfileTip[] = "PROFILE_TIP";
inline constexpr char kTextDefaultProfileName[] = "DEFAULT_PROFILE_NAME";
inline constexpr char kTextProfileNew[] = "PROFILE_NEW";

// Profile manager and firmware dialog
inline constexpr char kTextProfileManagerCaption[] = "PROFILE_MANAGER_CAPTION";
inline constexpr char kTextProfileListActive[] = "PROFILE_LIST_ACTIVE";
inline constexpr char kTextProfileListName[] = "PROFILE_LIST_NAME";
inline constexpr char kTextProfileListFolder[] = "PROFILE_LIST_FOLDER";
inline constexpr char kTextProfileAdd[] = "PROFILE_ADD";
inline constexpr char kTextProfileLoad[] = "PROFILE_LOAD";
inline constexpr char kTextProfileDelete[] = "PROFILE_DELETE";
inline constexpr char kTextProfileNotHardware[] = "PROFILE_NOT_HARDWARE";
inline constexpr char kTextProfileNewFailed[] = "PROFILE_NEW_FAILED";
inline constexpr char kTextFirmwareCaption[] = "FIRMWARE_CAPTION";
inline constexpr char kTextFirmwareNoUpdater[] = "FIRMWARE_NO_UPDATER";
inline constexpr char kTextFirmwareOpen[] = "FIRMWARE_OPEN";
inline constexpr char kTextFirmwareUpdate[] = "FIRMWARE_UPDATE";
inline constexpr char kTextFirmwareCancelUpdate[] = "FIRMWARE_CANCEL_UPDATE";
inline constexpr char kTextFirmwareBackup[] = "FIRMWARE_BACKUP";
inline constexpr char kTextFirmwareNoFile[] = "FIRMWARE_NO_FILE";
inline constexpr char kTextFirmwareNoBootMode[] = "FIRMWARE_NO_BOOT_MODE";
inline constexpr char kTextFirmwareNotStarted[] = "FIRMWARE_NOT_STARTED";
inline constexpr char kTextFirmwareBackupDone[] = "FIRMWARE_BACKUP_DONE";
inline constexpr char kTextFirmwareBackupFailed[] = "FIRMWARE_BACKUP_FAILED";

// Key tooltips of the keyboard panel
inline constexpr char kTextKeyPromptSet[] = "KEY_PROMPT_SET";
inline constexpr char kTextKeyPromptSingle[] = "KEY_PROMPT_SINGLE";
inline constexpr char kTextKeyPromptMacro[] = "KEY_PROMPT_MACRO";
inline constexpr char kTextKeyPromptMedia[] = "KEY_PROMPT_MEDIA";
inline constexpr char kTextKeyPromptFunction[] = "KEY_PROMPT_FUNCTION";

// Key settings window
inline constexpr char kTextKeySettingHint[] = "KEY_SETTING_TISHI";
inline constexpr char kTextMacroEditHint[] = "MACRO_EDIT_TISHI";
inline constexpr char kTextSingleKey[] = "SINGLE_KEY";
inline constexpr char kTextMacroSetting[] = "MACRO_SETTING";
inline constexpr char kTextMultiMedia[] = "MULTI_MEDIA";
inline constexpr char kTextFunctionKey[] = "FUNCTION_KEY";
inline constexpr char kTextCompositePromptClear[] = "COMPOSITE_PROMPT_CLEAR";
inline constexpr char kTextCompositePromptOsk[] = "COMPOSITE_PROMPT_OSK";
inline constexpr char kTextCompositeOskMissing[] = "COMPOSITE_OSK_MISSING";
inline constexpr char kTextSingleStatic[] = "SINGLE_STATIC";
inline constexpr char kTextMediaEditHint[] = "MEDIA_EDIT_TISHI";
inline constexpr char kTextFunctionHint[] = "FUNCTION_TISHI";
inline constexpr char kTextMacroNameSetting[] = "MACRO_NAME_SETTING";
inline constexpr char kTextMacroKeyboardKey[] = "IDS_MACRO_KB_KEY";
inline constexpr char kTextMacroMouseKey[] = "IDS_MACRO_MOU_KEY";
inline constexpr char kTextMacroKeysHint[] = "MACRO_KEYS_TISHI";
inline constexpr char kTextMacroActionHint[] = "MACRO_ACTION_TISHI";
inline constexpr char kTextMacroDelayMs[] = "MACRO_DELAY_MS";
inline constexpr char kTextActionRecord[] = "A_RECORD";
inline constexpr char kTextMacroActionRecord[] = "MACRO_ACTION_RECORD";
inline constexpr char kTextMacroActionStopRecord[] = "MACRO_ACTION_STOP_RECORD";
inline constexpr char kTextActionDelete[] = "A_DELETE";
inline constexpr char kTextActionClear[] = "A_CLEAR";
inline constexpr char kTextActionTop[] = "A_TOP";
inline constexpr char kTextActionUp[] = "A_UP";
inline constexpr char kTextActionDown[] = "A_DOWN";
inline constexpr char kTextActionBottom[] = "A_BOTTOM";
inline constexpr char kTextRecordDelay[] = "RECORD_DELAY";
inline constexpr char kTextMacroCycles[] = "MACRO_CYCLES";
inline constexpr char kTextMacroOk[] = "MACRO_OK";
inline constexpr char kTextMacroCancel[] = "MACRO_CANCLE";
inline constexpr char kTextMacroApply[] = "MACRO_APPLY";
inline constexpr char kTextMacroNewPrefix[] = "MACRO_NEW_PREFIX";
inline constexpr char kTextMacroErrMax[] = "MACRO_ERR_MAX";
inline constexpr char kTextMacroActionErrDelayMax[] = "MACRO_ACTION_ERR_DELAY_MAX";
inline constexpr char kTextMacroActionErrModify[] = "MACRO_ACTION_ERR_MODIFY";
inline constexpr char kTextMacroActionClearConfirm[] = "MACRO_ACTION_CLEAR_CONFIRM";
inline constexpr char kTextMacroDeleteConfirmOfKeys[] = "MACRO_DELETE_CONFIRM_OF_KEYS";
inline constexpr char kTextMacroActionRecordDelay[] = "MACRO_ACTION_RECORD_DELAY";

// Key names without a row of their own
inline constexpr char kTextUnknownKey[] = "UNKNOWN_KEY";

// Section "LIGHT": captions of the lighting panel.
inline constexpr char kLightReportRate[] = "Usb";
inline constexpr char kLightView[] = "Deng";
inline constexpr char kLightBrightness[] = "Light";
inline constexpr char kLightDirection[] = "FX";
inline constexpr char kLightSpeed[] = "Speed";
inline constexpr char kLightColour[] = "Color";
inline constexpr char kLightBaseColour[] = "JColor";
inline constexpr char kLightMulticolour[] = "DC";
inline constexpr char kLightTool[] = "Tool";

}  // namespace vorlin
