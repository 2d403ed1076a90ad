// The lighting panel's decisions, over the model operations of the store.
#include "ui/lighting_panel_logic.h"

#include <algorithm>

#include "platform/text_key_names.h"
#include "store/lighting_edits.h"
#include "store/lighting_keys.h"
#include "store/lighting_modes.h"

namespace vorlin {
namespace {

using G = LightingGroup;

constexpr LightingControl kControls[] = {
    {"CONTROL_DengStatic", lightctl::kViewCaption, G::kAlways, kLightView},
    {"CONTROL_DengStaPic", lightctl::kViewSwitch, G::kAlways, nullptr},
    {"CONTROL_XGcombox", lightctl::kModeList, G::kModeList, nullptr},
    {"CONTROL_LightStatic", lightctl::kBrightnessCaption, G::kBrightness, kLightBrightness},
    {"CONTROL_LightSlider", lightctl::kBrightness, G::kBrightness, nullptr},
    {"CONTROL_SpeedStatic", lightctl::kSpeedCaption, G::kSpeed, kLightSpeed},
    {"CONTROL_SpeedSlider", lightctl::kSpeed, G::kSpeed, nullptr},
    {"CONTROL_BLFXStatic", lightctl::kDirectionCaption, G::kDirection, kLightDirection},
    {"CONTROL_BLFXLStaPic", lightctl::kDirectionFirst, G::kDirection, nullptr},
    {"CONTROL_BLFXRStaPic", lightctl::kDirectionSecond, G::kDirection, nullptr},
    {"CONTROL_FYYSStatic", lightctl::kFixedCaption, G::kFixedColour, kLightColour},
    {"CONTROL_FYYSButton", lightctl::kFixedColour, G::kFixedColour, nullptr},
    {"CONTROL_FYSJSStaPic", lightctl::kFixedMulticolour, G::kFixedColour, nullptr},
    {"CONTROL_FYSJSStatic", lightctl::kFixedMulticolourCaption, G::kFixedColour, kLightMulticolour},
    {"CONTROL_HXysStatic", lightctl::kEffectCaption, G::kEffectColour, kLightColour},
    {"CONTROL_HXysButton", lightctl::kEffectColour, G::kEffectColour, nullptr},
    {"CONTROL_HXsjsStaPic", lightctl::kEffectMulticolour, G::kEffectColour, nullptr},
    {"CONTROL_HXsjsStatic", lightctl::kEffectMulticolourCaption, G::kEffectColour,
     kLightMulticolour},
    {"CONTROL_HONGPIC", lightctl::kChoice[0], G::kColourChoice, nullptr},
    {"CONTROL_HUANGPIC", lightctl::kChoice[1], G::kColourChoice, nullptr},
    {"CONTROL_LVPIC", lightctl::kChoice[2], G::kColourChoice, nullptr},
    {"CONTROL_LANPIC", lightctl::kChoice[3], G::kColourChoice, nullptr},
    {"CONTROL_USERysStatic", lightctl::kFreeCaption, G::kUserColours, kLightColour},
    {"CONTROL_USERysButton", lightctl::kFreeColour, G::kUserColours, nullptr},
    {"CONTROL_USERjsStatic", lightctl::kBaseCaption, G::kUserColours, kLightBaseColour},
    {"CONTROL_USERjsButton", lightctl::kBaseColour, G::kUserColours, nullptr},
    {"CONTROL_USERgjStatic", lightctl::kToolCaption, G::kUserColours, kLightTool},
    {"CONTROL_USERgjStaPic1", lightctl::kTool0, G::kUserColours, nullptr},
    {"CONTROL_USERgjStaPic2", lightctl::kTool1, G::kUserColours, nullptr},
    {"CONTROL_umCombo", lightctl::kUserModes, G::kUserColours, nullptr},
    {"CONTROL_UsbStatic", lightctl::kReportCaption, G::kAlways, kLightReportRate},
    {"CONTROL_RGBStatic", lightctl::kRgbText, G::kNever, nullptr},
    {"CONTROL_FYCFStatic", 0, G::kNever, nullptr},
    {"CONTROL_FYdjcfStatic", 0, G::kNever, nullptr},
    {"CONTROL_FYggcfStatc", 0, G::kNever, nullptr},
    {"CONTROL_FYdjcfStaPic", 0, G::kNever, nullptr},
    {"CONTROL_FYggcfStaPic", 0, G::kNever, nullptr},
    {"CONTROL_JTysStatic", 0, G::kNever, nullptr},
    {"CONTROL_JTysButton", 0, G::kNever, nullptr},
    {"CONTROL_TSysStatic", 0, G::kNever, nullptr},
    {"CONTROL_TSysButton", 0, G::kNever, nullptr},
    {"CONTROL_TSsjsStatic", 0, G::kNever, nullptr},
    {"CONTROL_TSsjsStaPic", 0, G::kNever, nullptr},
    {"CONTROL_CDysStatic", 0, G::kNever, nullptr},
    {"CONTROL_CDysButton", 0, G::kNever, nullptr},
    {"CONTROL_CDsjsStatic", 0, G::kNever, nullptr},
    {"CONTROL_CDsjsStaPic", 0, G::kNever, nullptr},
};

int IndexOf(std::span<const int> ids, int id) {
    auto it = std::find(ids.begin(), ids.end(), id);
    return it == ids.end() ? -1 : int(it - ids.begin());
}

PanelOutcome Changed() {
    PanelOutcome o;
    o.changed = true;
    return o;
}

}  // namespace

std::span<const LightingControl> LightingPanelControls() {
    return kControls;
}

const LightingControl* FindLightingControl(int id) {
    if (id == 0) return nullptr;
    for (const LightingControl& c : kControls)
        if (c.id == id) return &c;
    return nullptr;
}

bool GroupVisible(LightingGroup group, int mode, bool lightingView) {
    if (group == G::kAlways) return true;
    if (group == G::kNever || !lightingView) return false;
    // The mode list stays reachable in a mode the panel has no settings for (one the keyboard
    // reported), or the user could never leave that mode.
    if (group == G::kModeList) return true;
    const ModeParameters* p = FindModeParameters(mode);
    if (!p) return false;
    switch (group) {
        case G::kBrightness:
            return true;
        case G::kSpeed:
            return p->speed;
        case G::kDirection:
            return p->direction != ModeDirection::kNone;
        case G::kColourChoice:
            return p->extra == ModeExtra::kColourChoice;
        case G::kFixedColour:
            return p->colour == ModeColour::kFixed;
        case G::kEffectColour:
            return p->colour == ModeColour::kEffect;
        case G::kUserColours:
            return p->extra == ModeExtra::kUserColours;
        default:
            return false;
    }
}

std::array<std::string, 3> DirectionLayoutKeys(int mode) {
    const std::string suffix = DirectionPlaceSuffix(mode);
    return {"CONTROL_BLFXStatic" + suffix, "CONTROL_BLFXLStaPic" + suffix,
            "CONTROL_BLFXRStaPic" + suffix};
}

LightingPanelState DescribeLightingPanel(const LightingModel& m) {
    LightingPanelState s;
    s.viewImage = m.lightingView ? kLightingViewOnImage : kLightingViewOffImage;
    s.modePosition = ModePosition(m, m.mode);
    s.brightnessPosition = std::clamp(m.brightness, 0, kSliderPositions - 1);
    s.brightnessTrack = BrightnessTrackImage(s.brightnessPosition);
    s.speedPosition = std::clamp(kMaxSpeed - m.speed, 0, kSliderPositions - 1);
    s.speedTrack = SpeedTrackImage(s.speedPosition);
    s.direction = DirectionImagesFor(m.mode, m.direction);
    s.directionKeys = DirectionLayoutKeys(m.mode);
    s.colour = m.colour;
    s.multicolourImage = m.multicolour ? kMulticolourOnImage : kMulticolourOffImage;
    for (int i = 0; i < 4; ++i)
        s.choiceImages[size_t(i)] = i == m.colourChoice ? kColourChoiceChosenImages[size_t(i)]
                                                        : kColourChoiceImages[size_t(i)];
    for (int t = 0; t < 2; ++t)
        s.toolImages[size_t(t)] =
            t == m.tool ? kToolChosenImages[size_t(t)] : kToolImages[size_t(t)];
    s.userMode = m.userMode;
    s.freeColour = m.userColour;
    s.baseColour = m.baseColour;
    s.reportRate = std::clamp(m.reportRate, 0, int(lightctl::kReport.size()) - 1);
    return s;
}

std::vector<KeyPaint> UserColourPaints(const LightingModel& model, std::span<const int> buttons) {
    std::vector<KeyPaint> paints;
    const KeyColourPage& page = model.keyColours[size_t(ProfileIndex(model))];
    // Only the keys the user-colour files keep: the extra ISO keys have no stored colour.
    for (int id : buttons)
        if (LightKeyIndex(id) >= 0) paints.push_back({id, PageColour(page, LightPositionOf(id))});
    return paints;
}

LightingPanelLogic::LightingPanelLogic(LightingModel& model, LightingContext ctx,
                                       LightingPanelHooks hooks)
    : model_(model), ctx_(ctx), hooks_(std::move(hooks)) {}

PanelOutcome LightingPanelLogic::ToggleLightingView() {
    if (model_.lightingView) return LightingViewOff();
    if (hooks_.showKeyboardProfile && !hooks_.showKeyboardProfile()) return {};
    SetLightingView(model_, ctx_.paths, ctx_.iniLock, true);
    PanelOutcome o = Changed();
    o.resetKeys = true;
    o.paintUserColours = model_.mode == kUserColourMode;
    return o;
}

PanelOutcome LightingPanelLogic::LightingViewOff() {
    SetLightingView(model_, ctx_.paths, ctx_.iniLock, false);
    PanelOutcome o = Changed();
    o.resetKeys = true;
    o.keyAssignmentView = true;
    return o;
}

PanelOutcome LightingPanelLogic::ChooseMode(int position) {
    if (SelectModeAt(model_, ctx_.link, position) == 0) return {};
    PanelOutcome o = Changed();
    o.resetKeys = true;
    o.restartPreview = true;
    o.paintUserColours = model_.mode == kUserColourMode && model_.lightingView;
    return o;
}

PanelOutcome LightingPanelLogic::SliderMoved(int controlId, int position) {
    // The track follows the pointer even when the value stays; only a change is written.
    if (controlId == lightctl::kBrightness)
        SetBrightness(model_, ctx_.link, position);
    else if (controlId == lightctl::kSpeed)
        SetSpeedPosition(model_, ctx_.link, position);
    else
        return {};
    return Changed();
}

PanelOutcome LightingPanelLogic::DirectionClicked(int controlId) {
    if (controlId == lightctl::kDirectionFirst)
        SetDirection(model_, ctx_.link, kDirectionLeft);
    else if (controlId == lightctl::kDirectionSecond)
        SetDirection(model_, ctx_.link, kDirectionRight);
    else
        return {};
    return Changed();
}

PanelOutcome LightingPanelLogic::ColourPicked(int controlId, Rgb colour) {
    if (controlId != lightctl::kFixedColour && controlId != lightctl::kEffectColour) return {};
    SetColour(model_, ctx_.link, colour);
    return Changed();
}

PanelOutcome LightingPanelLogic::MulticolourClicked() {
    ToggleMulticolour(model_, ctx_.link);
    return Changed();
}

PanelOutcome LightingPanelLogic::ColourChoiceClicked(int controlId) {
    const int i = IndexOf(lightctl::kChoice, controlId);
    if (i < 0 || !SetColourChoice(model_, ctx_.link, i)) return {};
    return Changed();
}

PanelOutcome LightingPanelLogic::ReportRateClicked(int controlId) {
    const int i = IndexOf(lightctl::kReport, controlId);
    if (i < 0 || !SetReportRate(model_, ctx_.link, i)) return {};
    return Changed();
}

PanelOutcome LightingPanelLogic::KeyClicked(int controlId) {
    if (!model_.lightingView || PaintKey(model_, ctx_, controlId) == 0) return {};
    PanelOutcome o = Changed();
    o.paintKey = KeyPaint{controlId, PageColour(model_.keyColours[size_t(ProfileIndex(model_))],
                                                LightPositionOf(controlId))};
    return o;
}

PanelOutcome LightingPanelLogic::FreeColourPicked(Rgb colour) {
    SetFreeColour(model_, ctx_.paths, colour);
    return Changed();
}

PanelOutcome LightingPanelLogic::BaseColourPicked(Rgb colour) {
    if (!SetBaseColour(model_, ctx_, colour)) return {};
    PanelOutcome o = Changed();
    o.paintUserColours = model_.lightingView;
    return o;
}

PanelOutcome LightingPanelLogic::ToolClicked(int controlId) {
    const int tool = controlId == lightctl::kTool0   ? kToolFreeColour
                     : controlId == lightctl::kTool1 ? kToolBaseColour
                                                     : -1;
    if (!SetTool(model_, ctx_.paths, tool)) return {};
    return Changed();
}

PanelOutcome LightingPanelLogic::UserModeChosen(int entry) {
    if (SelectUserMode(model_, ctx_, entry) == 0) return {};
    PanelOutcome o = Changed();
    o.paintUserColours = model_.lightingView;
    return o;
}

std::string LightingPanelLogic::UserModeRenamed(std::string_view text) {
    return RenameUserMode(model_, ctx_.paths, ctx_.iniLock, text);
}

PanelOutcome LightingPanelLogic::ShowProfileLighting(int profile) {
    LoadProfileLighting(model_, ctx_, profile);
    PanelOutcome o = Refreshed();
    if (model_.lightingView) {
        PanelOutcome off = LightingViewOff();
        off.refillLists = true;
        return off;
    }
    return o;
}

PanelOutcome LightingPanelLogic::DefaultReset() {
    if (!model_.lightingView) return {};
    ResetLightingDefaults(model_, ctx_);
    PanelOutcome o = Refreshed();
    o.resetKeys = true;
    o.restartPreview = true;
    return o;
}

PanelOutcome LightingPanelLogic::Refreshed() {
    PrepareLightingPanel(model_);
    PanelOutcome o = Changed();
    o.refillLists = true;
    o.paintUserColours = model_.lightingView && model_.mode == kUserColourMode;
    return o;
}

}  // namespace vorlin
