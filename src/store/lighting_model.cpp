// Loading the lighting model from the keyboard and the user-colour files, and the operations
// that move user colours between files, model and keyboard.
#include "store/lighting_model.h"

#include <algorithm>

#include "device/protocol.h"
#include "skin/language.h"
#include "store/lighting_edits.h"
#include "store/lighting_modes.h"
#include "store/lighting_view.h"

namespace vorlin {
namespace {

constexpr int kMaxColourFrames = kKeyColourPageSize / (kKeysPerColourFrame * 3);  // 9

std::filesystem::path DefaultUserColourFile(const AppPaths& paths) {
    return UserColourFilePath(paths.defaultUserColourPrefix, kDefaultUserColourNumber);
}

void DecodeActiveRecord(LightingModel& model) {
    const LightingRecord& r = model.records[ProfileIndex(model)];
    model.mode = r[lightfield::kMode];
    model.brightness = r[lightfield::kBrightness];
    model.speed = r[lightfield::kSpeed];
    model.direction = r[lightfield::kDirection];
    model.colourChoice = r[lightfield::kColourChoice];
    model.reportRate = std::min<int>(r[lightfield::kReportRate], kReportRates - 1);
    model.colour =
        MakeRgb(r[lightfield::kColour], r[lightfield::kColour + 1], r[lightfield::kColour + 2]);
    model.multicolour = r[lightfield::kMulticolour] != 0;
}

int Load(LightingModel& model, LightingContext& ctx, bool withUserModes) {
    model.modeIndexTable.clear();
    model.modeList.fill(0);
    DeviceStateBlock state;
    if (ReadDeviceState(ctx.link, state) != kDone) return -1;
    std::copy(state.offeredModes().begin(), state.offeredModes().end(), model.modeList.begin());
    for (size_t slot = 0; slot < kOfferedModeSlots; ++slot) {
        if (model.modeList[slot] == 0) continue;
        int position = int(model.modeIndexTable.size());
        model.modeIndexTable.push_back({position, model.modeList[slot]});
    }

    const bool userModes = withUserModes && OffersUserColours(model);
    ConfigBegin(ctx.link);
    if (userModes) {
        FillUserModeList(model, ctx.paths);
        SendUserMode(model, ctx);
    }
    for (int p = 0; p < kHardwareProfiles; ++p) {
        std::array<uint8_t, kLightingReadLength> reply{};
        if (ReadLighting(ctx.link, reply.data(), kLightingReadLength, LightingOffset(p, 0)) ==
            kDone) {
            std::copy_n(reply.begin(), kLightingRecordSize, model.records[p].begin());
        }
    }
    ConfigEnd(ctx.link);

    DecodeActiveRecord(model);
    model.lightingView = ReadLightingView(ctx.paths.userSettings);
    if (userModes) RecomputeBaseFlags(model);
    return 0;
}

}  // namespace

Rgb PageColour(const KeyColourPage& page, int lightPosition) {
    if (lightPosition < 0 || lightPosition * 3 + 2 >= kKeyColourPageSize) return 0;
    const uint8_t* p = &page[lightPosition * 3];
    return MakeRgb(p[0], p[1], p[2]);
}

void SetPageColour(KeyColourPage& page, int lightPosition, Rgb colour) {
    if (lightPosition < 0 || lightPosition * 3 + 2 >= kKeyColourPageSize) return;
    uint8_t* p = &page[lightPosition * 3];
    p[0] = uint8_t(RedOf(colour));
    p[1] = uint8_t(GreenOf(colour));
    p[2] = uint8_t(BlueOf(colour));
}

int ProfileIndex(const LightingModel& model) {
    return model.activeProfile >= 0 && model.activeProfile < kHardwareProfiles ? model.activeProfile
                                                                               : 0;
}

std::filesystem::path ActiveUserColourFile(const LightingModel& model, const AppPaths& paths) {
    return UserColourFilePath(paths.userColourPrefix, ProfileIndex(model));
}

int LoadLighting(LightingModel& model, LightingContext& ctx) {
    return Load(model, ctx, false);
}

int LoadLightingWithUserModes(LightingModel& model, LightingContext& ctx) {
    return Load(model, ctx, true);
}

void WriteFields(LightingModel& model, DeviceLink& link, std::initializer_list<FieldWrite> writes) {
    const int profile = ProfileIndex(model);
    ConfigBegin(link);
    for (const FieldWrite& w : writes) {
        if (w.field < 0 || w.length <= 0 || w.field + w.length > kLightingRecordSize) continue;
        WriteLighting(link, w.bytes, w.length, LightingOffset(profile, w.field));
        std::copy_n(w.bytes, w.length, model.records[profile].begin() + w.field);
    }
    ConfigEnd(link);
}

void WriteField(LightingModel& model, DeviceLink& link, int field, const uint8_t* bytes,
                int length) {
    WriteFields(model, link, {{field, bytes, length}});
}

std::vector<std::string> ShowModeList(LightingModel& model, const LanguageCache& texts,
                                      int languageIndex) {
    std::vector<std::string> names;
    for (const ModeIndexEntry& e : model.modeIndexTable)
        names.push_back(LookupModeName(texts, e.mode, languageIndex));
    return names;
}

int ModePosition(const LightingModel& model, int mode) {
    for (const ModeIndexEntry& e : model.modeIndexTable)
        if (e.mode == mode) return e.position;
    return -1;
}

int ModeAt(const LightingModel& model, int position) {
    if (position < 0 || position >= int(model.modeIndexTable.size())) return 0;
    return model.modeIndexTable[position].mode;
}

bool OffersUserColours(const LightingModel& model) {
    return std::find(model.modeList.begin(), model.modeList.end(), kUserColourMode) !=
           model.modeList.end();
}

void FillUserModeList(LightingModel& model, const AppPaths& paths) {
    UserColourFile file(ActiveUserColourFile(model, paths));
    model.userModeNames.clear();
    for (int n = 0; n < kUserModes; ++n) model.userModeNames.push_back(file.ModeName(n));
}

void LoadUserMode(LightingModel& model, const AppPaths& paths) {
    const int profile = ProfileIndex(model);
    UserColourFile file(ActiveUserColourFile(model, paths));
    model.userMode = file.PresentMode();
    UserModeSettings settings = file.Settings(model.userMode);
    model.tool = settings.tool;
    model.baseColour = settings.baseColour;
    model.userColour = settings.userColour;
    auto keys = LightKeys();
    for (size_t i = 0; i < keys.size(); ++i) {
        KeyColourEntry entry = file.KeyColour(model.userMode, keys[i].lightPosition);
        SetPageColour(model.keyColours[profile], keys[i].lightPosition, entry.colour);
        model.baseFlags[profile][i] = entry.baseFlag;
    }
}

void SendKeyColours(LightingModel& model, DeviceLink& link) {
    const int profile = ProfileIndex(model);
    const KeyColourPage& page = model.keyColours[profile];
    const int last = std::min<int>(link.keyCount / kKeysPerColourFrame, kMaxColourFrames - 1);
    ConfigBegin(link);
    for (int k = 0; k <= last; ++k) {
        int first = k * kKeysPerColourFrame;
        WriteKeyColours(link, page.data() + first * 3, kKeysPerColourFrame * 3, first, profile);
    }
    ConfigEnd(link);
}

void SendUserMode(LightingModel& model, LightingContext& ctx) {
    LoadUserMode(model, ctx.paths);
    SendKeyColours(model, ctx.link);
}

void RecomputeBaseFlags(LightingModel& model) {
    auto keys = LightKeys();
    for (int p = 0; p < kHardwareProfiles; ++p)
        for (size_t i = 0; i < keys.size(); ++i)
            model.baseFlags[p][i] =
                PageColour(model.keyColours[p], keys[i].lightPosition) == model.baseColour;
}

bool SaveUserModeSettings(const LightingModel& model, const AppPaths& paths) {
    UserColourFile file(ActiveUserColourFile(model, paths));
    return file.SetSettings(model.userMode, {model.tool, model.baseColour, model.userColour}) &&
           file.Save();
}

bool SaveKeyColour(const LightingModel& model, const AppPaths& paths, IniLock& lock,
                   int lightPosition, Rgb colour, bool baseFlag) {
    return WriteKeyColour(lock, ActiveUserColourFile(model, paths), model.userMode, lightPosition,
                          {colour, baseFlag});
}

int SelectUserMode(LightingModel& model, LightingContext& ctx, int userMode) {
    if (userMode < 0 || userMode >= kUserModes) return 0;
    model.userMode = userMode;
    WritePresentMode(ctx.iniLock, ActiveUserColourFile(model, ctx.paths), userMode);
    SendUserMode(model, ctx);
    return 1;
}

std::string RenameUserMode(LightingModel& model, const AppPaths& paths, IniLock& lock,
                           std::string_view name) {
    // A user mode number read from a damaged file has no list entry to rename.
    if (model.userMode < 0 || model.userMode >= kUserModes) return {};
    std::string clean = CleanUserModeName(name);
    if (size_t(model.userMode) < model.userModeNames.size())
        model.userModeNames[model.userMode] = clean;
    WriteUserModeName(lock, ActiveUserColourFile(model, paths), model.userMode, clean);
    return clean;
}

int ResetLightingDefaults(LightingModel& model, LightingContext& ctx) {
    SelectModeNumber(model, ctx.link, 1);
    model.brightness = 5;
    model.speed = 3;
    model.direction = kDirectionRight;
    model.colour = MakeRgb(255, 0, 0);
    model.multicolour = true;
    model.reportRate = 0;

    int result = 1;
    if (OffersUserColours(model)) {
        if (!CopyUserColourFile(DefaultUserColourFile(ctx.paths),
                                ActiveUserColourFile(model, ctx.paths)))
            result = 0;
        FillUserModeList(model, ctx.paths);
        SendUserMode(model, ctx);
    }

    const int profile = ProfileIndex(model);
    ConfigBegin(ctx.link);
    WriteLighting(ctx.link, kDefaultLightingRecord.data(), kDefaultLightingRecordSize,
                  LightingOffset(profile, 0));
    ConfigEnd(ctx.link);
    std::copy(kDefaultLightingRecord.begin(), kDefaultLightingRecord.end(),
              model.records[profile].begin());
    return result;
}

int ResetUserColourFiles(LightingModel& model, LightingContext& ctx,
                         const UserColourResetHooks& hooks) {
    DeviceStateBlock state;
    if (ReadState(ctx.link, state.bytes.data()) != kDone) return -1;
    const int keyboardProfile = state.activeProfile();
    model.activeProfile = keyboardProfile;
    if (model.lightingView) {
        SetLightingView(model, ctx.paths, ctx.iniLock, false);
        if (hooks.lightingViewOff) hooks.lightingViewOff();
    }
    if (hooks.switchToProfile && !hooks.switchToProfile(keyboardProfile)) return 0;
    if (!OffersUserColours(model)) return 0;
    int result = 1;
    for (int p = 0; p < kHardwareProfiles; ++p) {
        model.activeProfile = p;
        if (!CopyUserColourFile(DefaultUserColourFile(ctx.paths),
                                ActiveUserColourFile(model, ctx.paths)))
            result = 0;
        FillUserModeList(model, ctx.paths);
        LoadUserMode(model, ctx.paths);
    }
    model.activeProfile = keyboardProfile;
    return result;
}

void SetLightingView(LightingModel& model, const AppPaths& paths, IniLock& lock, bool on) {
    model.lightingView = on;
    WriteLightingView(lock, paths.userSettings, on);
}

}  // namespace vorlin
