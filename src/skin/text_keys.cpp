// The language keys of the windows and messages, grouped by where they appear.
#include "skin/text_keys.h"

#include "platform/text_key_names.h"

namespace vorlin {
namespace {

using namespace std::string_view_literals;

constexpr std::string_view kWindowTextKeys[] = {
    // Main window, tray and menus
    kTextMainCaption,
    kTextMainHelpPrompt,
    kTextMainClosePrompt,
    kTextMainMinimizePrompt,
    kTextMainMenuPrompt,
    kTextKeyboardTrayDesc,
    kTextProfile1,
    kTextProfile2,
    kTextProfile3,
    kTextProfileMacro,
    kTextProfileDefault,
    kTextProfileOk,
    kTextProfileCancel,
    kTextProfileApply,
    kTextMainSwitchColorText,
    kTextMainSwitchFunctionText,
    kTextMenu11,
    kTextMenu22,
    kTextMenu33,
    kTextMenu1,
    kTextMenu2,
    kTextMenu3,
    kTextMenu4,
    kTextMenuLanguage,
    kTextMenuFirmware,
    kTextMenuAutostart,
    kTextLangAboutTitle,
    kTextAboutIntroduction,
    kTextAboutCopyright,
    kTextLangAboutOk,
    // Messages and prompts
    kTextMainNoDevicePrompt,
    kTextMainNoAccessPrompt,
    kTextMainNoAccessApplyPrompt,
    kTextMainAutostartFailed,
    kTextMainPromptImport,
    kTextMainPromptExportFailed,
    kTextMainPromptDefault,
    kTextMainDefaultMatrixPrompt,
    kTextProfileSelectPrompt,
    kTextProfileSelectPrompt2,
    kTextProfileFormatError,
    kTextExtraMacroTooLong,
    kTextExtraProfileSpaceTight,
    // Profiles
    kTextProfileTip,
    kTextDefaultProfileName,
    kTextProfileNew,
    // Profile manager and firmware dialog
    kTextProfileManagerCaption,
    kTextProfileListActive,
    kTextProfileListName,
    kTextProfileListFolder,
    kTextProfileAdd,
    kTextProfileLoad,
    kTextProfileDelete,
    kTextProfileNotHardware,
    kTextProfileNewFailed,
    kTextFirmwareCaption,
    kTextFirmwareNoUpdater,
    kTextFirmwareOpen,
    kTextFirmwareUpdate,
    kTextFirmwareCancelUpdate,
    kTextFirmwareBackup,
    kTextFirmwareNoFile,
    kTextFirmwareNoBootMode,
    kTextFirmwareNotStarted,
    kTextFirmwareBackupDone,
    kTextFirmwareBackupFailed,
    // Key tooltips of the keyboard panel
    kTextKeyPromptSet,
    kTextKeyPromptSingle,
    kTextKeyPromptMacro,
    kTextKeyPromptMedia,
    kTextKeyPromptFunction,
    // Key settings window
    kTextKeySettingHint,
    kTextMacroEditHint,
    kTextSingleKey,
    kTextMacroSetting,
    kTextMultiMedia,
    kTextFunctionKey,
    kTextCompositePromptClear,
    kTextCompositePromptOsk,
    kTextCompositeOskMissing,
    kTextSingleStatic,
    kTextMediaEditHint,
    kTextFunctionHint,
    kTextMacroNameSetting,
    kTextMacroKeyboardKey,
    kTextMacroMouseKey,
    kTextMacroKeysHint,
    kTextMacroActionHint,
    kTextMacroDelayMs,
    kTextActionRecord,
    kTextMacroActionRecord,
    kTextMacroActionStopRecord,
    kTextActionDelete,
    kTextActionClear,
    kTextActionTop,
    kTextActionUp,
    kTextActionDown,
    kTextActionBottom,
    kTextRecordDelay,
    kTextMacroCycles,
    kTextMacroOk,
    kTextMacroCancel,
    kTextMacroApply,
    kTextMacroNewPrefix,
    kTextMacroErrMax,
    kTextMacroActionErrDelayMax,
    kTextMacroActionErrModify,
    kTextMacroActionClearConfirm,
    kTextMacroDeleteConfirmOfKeys,
    kTextMacroActionRecordDelay,
    // Key names without a row of their own
    kTextUnknownKey,
};

constexpr std::string_view kLightTextKeys[] = {
    kLightReportRate, kLightView,       kLightBrightness,  kLightDirection, kLightSpeed,
    kLightColour,     kLightBaseColour, kLightMulticolour, kLightTool,
};

constexpr FormatTextKey kFormatTextKeys[] = {
    {kTextUnknownKey, "%d"sv},
    {kTextMacroErrMax, "%d"sv},
    {kTextMacroActionErrDelayMax, "%d"sv},
    {kTextProfileFormatError, "%s"sv},
    {kTextProfileNewFailed, "%s"sv},
    {kTextMainAutostartFailed, "%s"sv},
    {kTextMainNoAccessPrompt, "%s"sv},
    {kTextMainNoAccessApplyPrompt, "%s"sv},
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
