// The changes the lighting panel makes: each updates the model and writes the changed fields of
// the active profile's record (or its key colours) to the keyboard in one begin/end sequence.
// Values outside a control's range are refused (false or 0) and change nothing.
#pragma once

#include "store/lighting_model.h"

namespace vorlin {

// Selects list entry position and returns its mode (0 when there is no such entry).
int SelectModeAt(LightingModel& model, DeviceLink& link, int position);
// The mode becomes current; a mode with a parameter set is sent (mode byte, and the
// multicolour byte for the modes that take it). Nothing is sent for other numbers.
void SelectModeNumber(LightingModel& model, DeviceLink& link, int mode);

// Slider positions 0..5; an unchanged value writes nothing. The speed slider shows 5 - speed.
bool SetBrightness(LightingModel& model, DeviceLink& link, int position);
bool SetSpeedPosition(LightingModel& model, DeviceLink& link, int position);
bool SetDirection(LightingModel& model, DeviceLink& link, int direction);  // 255 or 0
// A picked colour switches multicolour off.
void SetColour(LightingModel& model, DeviceLink& link, Rgb colour);
void ToggleMulticolour(LightingModel& model, DeviceLink& link);
bool SetColourChoice(LightingModel& model, DeviceLink& link, int choice);  // 0..3
bool SetReportRate(LightingModel& model, DeviceLink& link, int rate);      // 0..3
// Settles values the panel cannot show before it is refreshed.
void PrepareLightingPanel(LightingModel& model);

// The model's part of showing a profile's lighting before the keyboard switches to it: the
// profile becomes active, its record is loaded, and with user colours its user-mode list and
// layout are loaded and sent. Returns LoadLighting's result.
int LoadProfileLighting(LightingModel& model, LightingContext& ctx, int profile);

// A click on a key button in the lighting view: in the user-colour mode the key takes the
// colour of the current tool. Returns 1 when the key was painted.
int PaintKey(LightingModel& model, LightingContext& ctx, int controlId);
// The same painting in any mode (the keyboard keeps the page for when the user-colour mode is
// selected): the key's colour and base flag from the tool, sent, put in the page and saved.
int PaintKeyWithTool(LightingModel& model, LightingContext& ctx, int controlId);
// Every key painted with the current tool at once: one write of the user-colour file and the
// whole page sent, as a base-colour change sends it. 1 done, 0 for a tool that paints nothing.
int PaintAllKeysWithTool(LightingModel& model, LightingContext& ctx);
void SetFreeColour(LightingModel& model, const AppPaths& paths, Rgb colour);
// Recolours exactly the keys whose base flag is set and sends the page; false, with nothing
// written, when the colour is the current one.
bool SetBaseColour(LightingModel& model, LightingContext& ctx, Rgb colour);
bool SetTool(LightingModel& model, const AppPaths& paths, int tool);

}  // namespace vorlin
