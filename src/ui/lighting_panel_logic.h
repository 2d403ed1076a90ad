// What the lighting panel decides without a window: which of its controls a mode shows, what
// every control displays for the model, and what each user action changes, writes and asks of
// the key buttons of the keyboard picture. The panel's widgets only show this and forward events.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "skin/skin_catalog.h"
#include "store/lighting_model.h"

namespace vorlin {

// Control ids of the lighting panel.
namespace lightctl {
inline constexpr int kViewCaption = 1171, kViewSwitch = 1167, kModeList = 1146;
inline constexpr int kBrightnessCaption = 1172, kBrightness = 1178;
inline constexpr int kSpeedCaption = 1166, kSpeed = 1179;
inline constexpr int kDirectionCaption = 1148, kDirectionFirst = 1149, kDirectionSecond = 1150;
inline constexpr int kFixedCaption = 1151, kFixedColour = 1152, kFixedMulticolour = 1175,
                     kFixedMulticolourCaption = 1176;
inline constexpr int kEffectCaption = 1154, kEffectColour = 1155, kEffectMulticolour = 1156,
                     kEffectMulticolourCaption = 1173;
inline constexpr std::array<int, 4> kChoice = {1194, 1195, 1196, 1197};
inline constexpr int kFreeCaption = 1159, kFreeColour = 1160, kBaseCaption = 1161,
                     kBaseColour = 1162, kToolCaption = 1163, kTool0 = 1164, kTool1 = 1165,
                     kUserModes = 1198;
inline constexpr int kReportCaption = 1204, kRgbText = 1207;
// Image buttons of the main window, report rate 0..3.
inline constexpr std::array<int, 4> kReport = {1147, 1168, 1169, 1170};
}  // namespace lightctl

// The part of the panel a control belongs to; the part decides when the control is shown.
enum class LightingGroup : uint8_t {
    kAlways,        // the view switch, its caption, the report-rate caption and buttons
    kModeList,      // the mode list
    kBrightness,    // brightness caption and slider
    kSpeed,         // speed caption and slider
    kDirection,     // direction caption and pictures
    kColourChoice,  // the four colours of mode 17
    kFixedColour,   // colour and multicolour of modes 6 and 16
    kEffectColour,  // colour and multicolour of the other colour modes
    kUserColours,   // the user tools and the user-mode list of mode 20
    kNever,         // laid out, never shown
};

struct LightingControl {
    std::string_view key;  // layout key in "Main.ini"
    int id;                // 0 for the controls that take no part in the panel
    LightingGroup group;
    const char* caption;  // key in section "LIGHT", nullptr for none
};

// Every control the panel creates, the report-rate buttons excepted (the window owns those).
std::span<const LightingControl> LightingPanelControls();
const LightingControl* FindLightingControl(int id);

// Whether a group is shown for a mode and the state of the lighting view.
bool GroupVisible(LightingGroup group, int mode, bool lightingView);

// Where the direction caption and the two pictures sit for a mode: three layout keys.
std::array<std::string, 3> DirectionLayoutKeys(int mode);

// Everything the panel's controls show for the model, besides which of them are visible.
struct LightingPanelState {
    std::string_view viewImage;
    int modePosition = -1;  // in the mode list, -1 for none
    int brightnessPosition = 0;
    std::string brightnessTrack;
    int speedPosition = 0;
    std::string speedTrack;
    DirectionImages direction;
    std::array<std::string, 3> directionKeys;
    Rgb colour = 0;
    std::string_view multicolourImage;  // both multicolour pictures
    std::array<std::string_view, 4> choiceImages;
    std::array<std::string_view, 2> toolImages;
    int userMode = 0;
    Rgb freeColour = 0;
    Rgb baseColour = 0;
    int reportRate = 0;  // the selected report-rate button
};
LightingPanelState DescribeLightingPanel(const LightingModel& model);

// A colour overlay of one key button.
struct KeyPaint {
    int controlId;
    Rgb colour;
    bool operator==(const KeyPaint&) const = default;
};
// The user colours on the key buttons: the 104 keys, Fn and the G keys take their page entry.
std::vector<KeyPaint> UserColourPaints(const LightingModel& model, std::span<const int> buttons);

// What an action asks of the window after it changed the model. The panel's controls are shown
// again from DescribeLightingPanel after every action.
struct PanelOutcome {
    bool resetKeys = false;         // every key button loses its overlay and selection, first
    bool paintUserColours = false;  // then every key shows its user colour
    std::optional<KeyPaint> paintKey;
    bool restartPreview = false;
    bool keyAssignmentView = false;  // the keyboard picture shows the key assignments again
    bool refillLists = false;        // the mode list and the user-mode list are filled again
    bool changed = false;            // anything happened at all
};

// What the panel needs from the main window besides the model.
struct LightingPanelHooks {
    // Makes the keyboard's active profile the shown one before the view is turned on; false
    // when that was refused (an editor is open, the user said no).
    std::function<bool()> showKeyboardProfile;
};

class LightingPanelLogic {
  public:
    LightingPanelLogic(LightingModel& model, LightingContext ctx, LightingPanelHooks hooks = {});

    LightingModel& Model() { return model_; }

    // A click on the lighting-view switch.
    PanelOutcome ToggleLightingView();
    PanelOutcome LightingViewOff();
    // Selection change of the mode list.
    PanelOutcome ChooseMode(int position);
    // Every notification of either slider, also when its position stayed.
    PanelOutcome SliderMoved(int controlId, int position);
    PanelOutcome DirectionClicked(int controlId);
    // A colour picked on the colour button 1152 or 1155: multicolour goes off.
    PanelOutcome ColourPicked(int controlId, Rgb colour);
    PanelOutcome MulticolourClicked();
    PanelOutcome ColourChoiceClicked(int controlId);
    PanelOutcome ReportRateClicked(int controlId);
    // A key button clicked while the view is on.
    PanelOutcome KeyClicked(int controlId);
    PanelOutcome FreeColourPicked(Rgb colour);
    PanelOutcome BaseColourPicked(Rgb colour);
    PanelOutcome ToolClicked(int controlId);
    PanelOutcome UserModeChosen(int entry);
    // Every edit of the user-mode list's text; returns the name as stored.
    std::string UserModeRenamed(std::string_view text);
    // A profile button: its lighting is shown before the keyboard switches to it.
    PanelOutcome ShowProfileLighting(int profile);
    // The default command, after the user confirmed.
    PanelOutcome DefaultReset();
    // The model was loaded again: what showing it takes.
    PanelOutcome Refreshed();

  private:
    LightingModel& model_;
    LightingContext ctx_;
    LightingPanelHooks hooks_;
};

}  // namespace vorlin
