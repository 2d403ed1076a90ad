// Lighting panel changes as model operations.
#include "store/lighting_edits.h"

#include <array>
#include <optional>

#include "device/protocol.h"
#include "store/lighting_modes.h"

namespace vorlin {
namespace {

void WriteByte(LightingModel& model, DeviceLink& link, int field, int value) {
    uint8_t byte = uint8_t(value);
    WriteField(model, link, field, &byte, 1);
}

std::array<uint8_t, 3> RgbBytes(Rgb c) {
    return {uint8_t(RedOf(c)), uint8_t(GreenOf(c)), uint8_t(BlueOf(c))};
}

// The colour and base flag a click gives a key with the current tool; nullopt for a tool that
// paints nothing.
struct ToolPaint {
    Rgb colour;
    bool flag;
};
std::optional<ToolPaint> PaintOfTool(const LightingModel& model) {
    if (model.tool == kToolBaseColour) return ToolPaint{model.baseColour, true};
    if (model.tool == kToolFreeColour) return ToolPaint{model.userColour, false};
    return std::nullopt;
}

}  // namespace

void SelectModeNumber(LightingModel& model, DeviceLink& link, int mode) {
    if (const ModeParameters* params = FindModeParameters(mode)) {
        uint8_t modeByte = uint8_t(mode);
        uint8_t multicolour = model.multicolour ? 1 : 0;
        if (params->sendsMulticolour) {
            WriteFields(
                model, link,
                {{lightfield::kMode, &modeByte, 1}, {lightfield::kMulticolour, &multicolour, 1}});
        } else {
            WriteField(model, link, lightfield::kMode, &modeByte, 1);
        }
    }
    model.mode = mode;
}

int SelectModeAt(LightingModel& model, DeviceLink& link, int position) {
    int mode = ModeAt(model, position);
    if (mode == 0) return 0;
    SelectModeNumber(model, link, mode);
    return mode;
}

bool SetBrightness(LightingModel& model, DeviceLink& link, int position) {
    if (position < 0 || position > kMaxBrightness || position == model.brightness) return false;
    model.brightness = position;
    WriteByte(model, link, lightfield::kBrightness, position);
    return true;
}

bool SetSpeedPosition(LightingModel& model, DeviceLink& link, int position) {
    if (position < 0 || position > kMaxSpeed) return false;
    int speed = kMaxSpeed - position;
    if (speed == model.speed) return false;
    model.speed = speed;
    WriteByte(model, link, lightfield::kSpeed, speed);
    return true;
}

bool SetDirection(LightingModel& model, DeviceLink& link, int direction) {
    if (direction != kDirectionLeft && direction != kDirectionRight) return false;
    model.direction = direction;
    WriteByte(model, link, lightfield::kDirection, direction);
    return true;
}

void SetColour(LightingModel& model, DeviceLink& link, Rgb colour) {
    model.multicolour = false;
    model.colour = colour;
    uint8_t off = 0;
    auto rgb = RgbBytes(colour);
    WriteFields(model, link,
                {{lightfield::kMulticolour, &off, 1}, {lightfield::kColour, rgb.data(), 3}});
}

void ToggleMulticolour(LightingModel& model, DeviceLink& link) {
    model.multicolour = !model.multicolour;
    WriteByte(model, link, lightfield::kMulticolour, model.multicolour ? 1 : 0);
}

bool SetColourChoice(LightingModel& model, DeviceLink& link, int choice) {
    if (choice < 0 || choice >= kColourChoices) return false;
    model.colourChoice = choice;
    WriteByte(model, link, lightfield::kColourChoice, choice);
    return true;
}

bool SetReportRate(LightingModel& model, DeviceLink& link, int rate) {
    if (rate < 0 || rate >= kReportRates) return false;
    model.reportRate = rate;
    WriteByte(model, link, lightfield::kReportRate, rate);
    return true;
}

void PrepareLightingPanel(LightingModel& model) {
    if (model.colourChoice < 0 || model.colourChoice >= kColourChoices) model.colourChoice = 0;
}

int LoadProfileLighting(LightingModel& model, LightingContext& ctx, int profile) {
    model.activeProfile = profile;
    int result = LoadLighting(model, ctx);
    if (OffersUserColours(model)) {
        FillUserModeList(model, ctx.paths);
        SendUserMode(model, ctx);
    }
    return result;
}

int PaintKey(LightingModel& model, LightingContext& ctx, int controlId) {
    if (model.mode != kUserColourMode) return 0;
    return PaintKeyWithTool(model, ctx, controlId);
}

int PaintKeyWithTool(LightingModel& model, LightingContext& ctx, int controlId) {
    const int position = LightPositionOf(controlId);
    if (position < 0) return 0;
    const std::optional<ToolPaint> paint = PaintOfTool(model);
    if (!paint) return 0;
    const int profile = ProfileIndex(model);
    int key = LightKeyIndex(controlId);
    if (key >= 0) model.baseFlags[profile][key] = paint->flag;

    auto rgb = RgbBytes(paint->colour);
    ConfigBegin(ctx.link);
    WriteKeyColours(ctx.link, rgb.data(), 3, position, profile);
    ConfigEnd(ctx.link);
    SetPageColour(model.keyColours[profile], position, paint->colour);
    SaveKeyColour(model, ctx.paths, ctx.iniLock, position, paint->colour, paint->flag);
    return 1;
}

int PaintAllKeysWithTool(LightingModel& model, LightingContext& ctx) {
    const std::optional<ToolPaint> paint = PaintOfTool(model);
    if (!paint) return 0;
    const int profile = ProfileIndex(model);
    UserColourFile file(ActiveUserColourFile(model, ctx.paths));
    auto keys = LightKeys();
    for (size_t i = 0; i < keys.size(); ++i) {
        model.baseFlags[profile][i] = paint->flag;
        SetPageColour(model.keyColours[profile], keys[i].lightPosition, paint->colour);
        file.SetKeyColour(model.userMode, keys[i].lightPosition, {paint->colour, paint->flag});
    }
    file.Save();
    SendKeyColours(model, ctx.link);
    return 1;
}

void SetFreeColour(LightingModel& model, const AppPaths& paths, Rgb colour) {
    model.userColour = colour;
    SaveUserModeSettings(model, paths);
}

bool SetBaseColour(LightingModel& model, LightingContext& ctx, Rgb colour) {
    if (colour == model.baseColour) return false;
    model.baseColour = colour;
    const int profile = ProfileIndex(model);
    // Settings and every recoloured key go to the file in one write.
    UserColourFile file(ActiveUserColourFile(model, ctx.paths));
    file.SetSettings(model.userMode, {model.tool, model.baseColour, model.userColour});
    auto keys = LightKeys();
    for (size_t i = 0; i < keys.size(); ++i) {
        if (!model.baseFlags[profile][i]) continue;
        SetPageColour(model.keyColours[profile], keys[i].lightPosition, colour);
        file.SetKeyColour(model.userMode, keys[i].lightPosition, {colour, true});
    }
    file.Save();
    SendKeyColours(model, ctx.link);
    return true;
}

bool SetTool(LightingModel& model, const AppPaths& paths, int tool) {
    if (tool != kToolFreeColour && tool != kToolBaseColour) return false;
    model.tool = tool;
    SaveUserModeSettings(model, paths);
    return true;
}

}  // namespace vorlin
