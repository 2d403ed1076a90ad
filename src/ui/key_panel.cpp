#include "ui/key_panel.h"

#include <charconv>

#include "keys/key_codes.h"
#include "keys/key_table.h"
#include "platform/settings.h"
#include "platform/text_key_names.h"
#include "platform/utf.h"
#include "skin/key_names.h"
#include "skin/language.h"
#include "store/config_device.h"
#include "store/config_image.h"
#include "store/lighting_keys.h"
#include "ui/keyboard_layout.h"

namespace vorlin {
namespace {

constexpr char kSettingsSection[] = "PROFILES";
constexpr char kFlipKey[] = "Flip";
constexpr int kF1 = 1010, kF4 = 1013;

int GKeyPosition(int controlId) {
    for (int n = 0; n < kGKeyCount; ++n) {
        if (kGKeyControlIds[n] == controlId) return n;
    }
    return -1;
}

bool IsFlipKey(int controlId) {
    return controlId >= panelctl::kFirstFlipKey && controlId <= panelctl::kLastFlipKey;
}

// The list position of a control id, -1 when it is not in the key button list.
int ListPosition(int controlId) {
    const PictureKey* key = FindPictureKey(controlId);
    return key != nullptr ? key->listPosition : -1;
}

KeyCode ListKeyCode(int position) {
    const PictureKey* key = FindPictureKey(KeyButtonList()[position]);
    return key != nullptr ? key->keyCode : 0;
}

std::string Text(const StoreContext& ctx, std::string_view key) {
    return LookupText(ctx.texts, key, ctx.languageIndex);
}

std::string MacroName(const ConfigStore& work, uint32_t value) {
    std::lock_guard guard(work.lock);
    if (!work.image) return {};
    const uint16_t id = static_cast<uint16_t>(value & 0xFFFF);
    for (const MacroRecord& macro : work.macros) {
        if (macro.macroId == id) return Utf16ToUtf8(macro.Name());
    }
    return {};
}

}  // namespace

std::string GKeyName(int n) {
    return "G" + std::to_string(n + 1);
}

KeyTip KeyTooltip(const StoreContext& ctx, std::string_view name, const KeyAction& action) {
    KeyTip tip;
    tip.tooltip = std::string(name);
    if (action.type == kActionDefault) return tip;
    tip.assigned = true;
    tip.tooltip += Text(ctx, kTextKeyPromptSet);
    switch (action.type) {
        case kActionKey:
            tip.tooltip += Text(ctx, kTextKeyPromptSingle) +
                           KeyName(ctx.texts, ctx.languageIndex, action.value & 0xFFFF) + ")";
            break;
        case kActionMacro:
            tip.tooltip += Text(ctx, kTextKeyPromptMacro) + MacroName(ctx.work, action.value) + ")";
            break;
        case kActionMedia: {
            // A value past the list (a hand-edited file) names nothing rather than reading past it.
            std::string media;
            if (action.value < static_cast<uint32_t>(kMediaCount)) {
                media = KeyName(ctx.texts, ctx.languageIndex, MediaList()[action.value].code);
            }
            tip.tooltip += Text(ctx, kTextKeyPromptMedia) + media + ")";
            break;
        }
        case kActionFunction: {
            const char* key = action.value < static_cast<uint32_t>(kFunctionCount)
                                  ? FunctionNameKey(static_cast<int>(action.value))
                                  : "";
            tip.tooltip += Text(ctx, kTextKeyPromptFunction) + (*key ? Text(ctx, key) : "") + ")";
            break;
        }
        default:
            break;
    }
    return tip;
}

int ReadFlipSetting(const AppPaths& paths) {
    const std::string text = SettingsReadString(paths, kSettingsSection, kFlipKey, "0");
    int value = 0;
    const char* begin = text.data();
    while (begin != text.data() + text.size() && (*begin == ' ' || *begin == '\t')) ++begin;
    std::from_chars(begin, text.data() + text.size(), value);
    return value;
}

bool WriteFlipSetting(const AppPaths& paths, IniLock& lock, int value) {
    return SettingsWriteString(paths, lock, kSettingsSection, kFlipKey, value == 1 ? "1" : "0");
}

FlipView ApplyFlip(const AppPaths& paths) {
    FlipView view;
    view.flip = ReadFlipSetting(paths) == 1 ? 1 : 0;
    const bool on = view.flip == 1;
    for (int id = kF1; id <= kF4; ++id) view.enabled.emplace_back(id, !on);
    for (int id = panelctl::kFirstFlipKey; id <= panelctl::kLastFlipKey; ++id) {
        view.enabled.emplace_back(id, on);
    }
    view.indicatorCopy = on ? 1 : 0;
    return view;
}

FlipView ClickFlipButton(const AppPaths& paths, IniLock& lock) {
    WriteFlipSetting(paths, lock, ReadFlipSetting(paths) == 0 ? 1 : 0);
    return ApplyFlip(paths);
}

std::optional<ArrowPlacement> FlipArrowPlacement(int flipButtonId, bool overLook,
                                                 const AppPaths& paths) {
    if (!overLook) return std::nullopt;
    const bool left = flipButtonId == panelctl::kFlipButton1;
    if (!left && flipButtonId != panelctl::kFlipButton2) return std::nullopt;
    const bool up = ReadFlipSetting(paths) == 1;
    ArrowPlacement placement;
    placement.arrowId = left ? panelctl::kLeftArrow : panelctl::kRightArrow;
    placement.layoutKey = left ? "LEFT_ARROW" : "RIGHT_ARROW";
    placement.secondKey =
        std::string(up ? "UP_ARROW_" : "DOWN_ARROW_") + (left ? "LEFT" : "RIGHT") + "1";
    return placement;
}

int PanelTable(int profile) {
    return profile >= 0 && profile <= 2 ? profile : 0;
}

KeyClick KeyPanel::OnKeyButton(int controlId, bool perKeyColourView) {
    if (controlId == panelctl::kMacroEdit) return SelectKey(kGKeyControlIds[8]);
    const int g = GKeyPosition(controlId);
    if (g >= 5) return SelectKey(controlId);  // G6..G9, whatever view is on
    const bool colourOnly = g >= 0 || controlId == keyctl::kFn || controlId == keyctl::kK45 ||
                            controlId == keyctl::kK56 || IsFlipKey(controlId);
    if (!colourOnly && ListPosition(controlId) < 0) return {};
    if (perKeyColourView) {
        const int light = LightPositionOf(controlId);
        if (light < 0) return {};
        return {KeyClickKind::PaintKey, controlId, light, false};
    }
    if (colourOnly) return {};
    return SelectKey(controlId);
}

KeyClick KeyPanel::SelectKey(int controlId) {
    const int g = GKeyPosition(controlId);
    const int p = g < 0 ? ListPosition(controlId) : -1;
    if (g < 0 && p < 0) return {};
    const EditorTarget target{
        static_cast<KeyIndex>(g >= 0 ? kFirstGKeyEntry + g : KeyIndexOf(ListKeyCode(p))), controlId,
        controlId == kGKeyControlIds[8]};
    {
        std::lock_guard guard(targetLock_);
        target_ = target;
    }
    if (!switchView_) return {KeyClickKind::OpenEditor, controlId, -1, false};

    // The switch flag lives in the entry of the list position, not in the key's own entry.
    const int flagEntry = g >= 0 ? kFirstGKeyEntry + g : p;
    const int table = PanelTable(GetActiveProfile(ctx_));
    bool on = false;
    {
        std::lock_guard guard(ctx_.work.lock);
        if (!ctx_.work.image) return {};
        uint32_t& flag = ctx_.work.image->tables[table][flagEntry].switchFlag;
        flag = flag == 0 ? 1 : 0;
        on = flag == 1;
    }
    ctx_.ui.SetChanged(true);
    return {KeyClickKind::SwitchFlag, controlId, -1, on};
}

std::optional<EditorTarget> KeyPanel::editorTarget() const {
    std::lock_guard guard(targetLock_);
    return target_;
}

std::string KeyPanel::ToggleSwitchView() {
    switchView_ = !switchView_;
    return SwitchCaption();
}

std::string KeyPanel::SwitchCaption() const {
    return Text(ctx_, switchView_ ? kTextMainSwitchColorText : kTextMainSwitchFunctionText);
}

std::vector<KeyButtonView> KeyPanel::Buttons(int profile, bool withLooks) const {
    const int table = PanelTable(profile);
    const bool switchOn = withLooks && switchView_;
    const bool flip = withLooks && ReadFlipSetting(ctx_.paths) == 1;
    std::vector<KeyButtonView> views;
    views.reserve(kGKeyCount + kKeyButtonListSize);

    std::lock_guard guard(ctx_.work.lock);
    const ConfigImage* image = ctx_.work.image.get();
    const auto add = [&](int controlId, KeyIndex entry, int flagEntry, const std::string& name) {
        const KeyAction action = image ? image->tables[table][entry] : KeyAction{};
        KeyTip tip = KeyTooltip(ctx_, name, action);
        KeyButtonView view{controlId, entry, tip.assigned, std::move(tip.tooltip)};
        if (switchOn) {
            const bool set = image && image->tables[table][flagEntry].switchFlag == 1;
            view.look = set ? KeyLook::SwitchOn : KeyLook::SwitchOff;
        }
        view.enabled = !(flip && controlId >= kF1 && controlId <= kF4);
        views.push_back(std::move(view));
    };
    for (int n = 0; n < kGKeyCount; ++n) {
        const KeyIndex entry = static_cast<KeyIndex>(kFirstGKeyEntry + n);
        add(kGKeyControlIds[n], entry, entry, GKeyName(n));
    }
    for (int p = 0; p < kKeyButtonListSize; ++p) {
        const KeyCode code = ListKeyCode(p);
        add(KeyButtonList()[p], KeyIndexOf(code), p, KeyName(ctx_.texts, ctx_.languageIndex, code));
    }
    return views;
}

PanelView KeyPanel::RefreshKeyButtons(int profile) const {
    return {Buttons(profile, true), ApplyFlip(ctx_.paths)};
}

std::vector<KeyButtonView> KeyPanel::RefreshKeyTooltips(int profile) const {
    return Buttons(profile, false);
}

std::vector<KeyButtonView> KeyPanel::ResetKeyButton(KeyIndex entry) const {
    std::vector<KeyButtonView> views;
    for (int n = 0; n < kGKeyCount; ++n) {
        if (entry == kFirstGKeyEntry + n)
            views.push_back({kGKeyControlIds[n], entry, false, GKeyName(n)});
    }
    for (int p = 0; p < kKeyButtonListSize; ++p) {
        const KeyCode code = ListKeyCode(p);
        if (KeyIndexOf(code) == entry) {
            views.push_back(
                {KeyButtonList()[p], entry, false, KeyName(ctx_.texts, ctx_.languageIndex, code)});
        }
    }
    return views;
}

std::vector<KeyButtonView> KeyPanel::ResetProfileKeys(int profile) {
    const int table = PanelTable(profile);
    {
        std::lock_guard guard(ctx_.work.lock);
        if (ctx_.work.image) {
            KeyActionTable& actions = ctx_.work.image->tables[table];
            for (int n = 0; n < kGKeyCount; ++n) actions[kFirstGKeyEntry + n] = KeyAction{};
            for (int p = 0; p < kKeyButtonListSize; ++p) {
                actions[KeyIndexOf(ListKeyCode(p))] = KeyAction{};
            }
        }
    }
    ctx_.ui.SetChanged(true);
    return Buttons(profile, true);
}

std::vector<std::pair<int, bool>> KeyPanel::LedMarks(uint32_t wParam, int profile) const {
    std::vector<std::pair<int, bool>> marks;
    if (wParam != kLedTag) return marks;
    const int table = PanelTable(profile);
    std::lock_guard guard(ctx_.work.lock);
    for (int n = 0; n < kGKeyCount; ++n) {
        const bool set =
            ctx_.work.image && ctx_.work.image->tables[table][kFirstGKeyEntry + n].type != 0;
        marks.emplace_back(kGKeyControlIds[n], set);
    }
    return marks;
}

}  // namespace vorlin
