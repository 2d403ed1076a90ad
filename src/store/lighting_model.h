// The PC-side mirror of the keyboard's lighting: the records of the three profiles, the
// decoded settings of the active one, the offered modes, the lighting-view switch, the user
// modes and the per-key colour pages. Loaded from the keyboard and the user-colour files; every
// change is written to the keyboard at once. Device results are not examined: a change is kept
// in the model whether or not the keyboard took it.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "device/device_link.h"
#include "platform/app_paths.h"
#include "skin/language.h"
#include "store/device_state.h"
#include "store/lighting_colour.h"
#include "store/lighting_keys.h"
#include "store/lighting_record.h"
#include "store/user_colour_file.h"

namespace vorlin {

constexpr int kKeyColourPageSize = 512;
constexpr int kKeysPerColourFrame = 18;  // 54 bytes

// Per-key colours of one profile: R, G, B at lightPosition x 3.
using KeyColourPage = std::array<uint8_t, kKeyColourPageSize>;
using KeyColourTable = std::array<KeyColourPage, kHardwareProfiles>;

Rgb PageColour(const KeyColourPage& page, int lightPosition);
void SetPageColour(KeyColourPage& page, int lightPosition, Rgb colour);

struct ModeIndexEntry {
    int position;
    int mode;
};

struct LightingModel {
    int activeProfile = 0;
    std::array<uint8_t, kOfferedModeSlots> modeList{};
    std::vector<ModeIndexEntry> modeIndexTable;  // built when the mode list is shown
    LightingArea records{};

    // Decoded from the active record.
    int mode = 0;
    int brightness = 0;
    int speed = 0;
    int direction = 0;
    int colourChoice = 0;
    int reportRate = 0;
    bool multicolour = false;
    Rgb colour = 0;

    bool lightingView = false;

    // User colours of the active profile's current user mode.
    std::vector<std::string> userModeNames;  // the user-mode list; empty until filled
    int userMode = 0;
    int tool = kToolFreeColour;
    Rgb baseColour = 0;
    Rgb userColour = 0;
    KeyColourTable keyColours{};
    // By profile and LightKeys index: the key follows the base colour.
    std::array<std::array<bool, kLightKeyCount>, kHardwareProfiles> baseFlags{};
};

// What the lighting operations work with besides the model.
struct LightingContext {
    DeviceLink& link;
    const AppPaths& paths;
    IniLock& iniLock;  // the writers of the user-colour files and the user settings
};

// Profile number as an index that is always safe to use; the keyboard reports 0..2.
int ProfileIndex(const LightingModel& model);
std::filesystem::path ActiveUserColourFile(const LightingModel& model, const AppPaths& paths);

// Refreshes the model from the keyboard: offered modes, the three records, the active record's
// settings, and the lighting-view switch. 0, or -1 when the state block could not be read (the
// mode list is then empty and the records keep their content).
int LoadLighting(LightingModel& model, LightingContext& ctx);
// The same; when the keyboard offers user colours it also fills the user-mode list, sends the
// current user mode to the keyboard, and recomputes every base flag.
int LoadLightingWithUserModes(LightingModel& model, LightingContext& ctx);

// One change of the active record: begin, one write per field, end. Keeps the model's copy of
// the record in step.
struct FieldWrite {
    int field;
    const uint8_t* bytes;
    int length;
};
void WriteField(LightingModel& model, DeviceLink& link, int field, const uint8_t* bytes,
                int length);
void WriteFields(LightingModel& model, DeviceLink& link, std::initializer_list<FieldWrite> writes);

// The mode list in display order: names from the language file, and modeIndexTable.
std::vector<std::string> ShowModeList(LightingModel& model, const LanguageCache& texts,
                                      int languageIndex);
int ModePosition(const LightingModel& model, int mode);  // -1 when not in the list
int ModeAt(const LightingModel& model, int position);    // 0 when there is no such entry
bool OffersUserColours(const LightingModel& model);

// The user-mode list from the active profile's file.
void FillUserModeList(LightingModel& model, const AppPaths& paths);
// Loads the current user mode of the active profile into the model and page, and sends every
// key colour to the keyboard. LoadUserMode does the same without sending.
void SendUserMode(LightingModel& model, LightingContext& ctx);
void LoadUserMode(LightingModel& model, const AppPaths& paths);
// Sends the active profile's page: 8 frames of 18 keys.
void SendKeyColours(LightingModel& model, DeviceLink& link);
// A flag is set exactly where the page colour equals the current base colour.
void RecomputeBaseFlags(LightingModel& model);

bool SaveUserModeSettings(const LightingModel& model, const AppPaths& paths);
bool SaveKeyColour(const LightingModel& model, const AppPaths& paths, IniLock& lock,
                   int lightPosition, Rgb colour, bool baseFlag);
// Returns 0 for a number outside 0..9 and changes nothing.
int SelectUserMode(LightingModel& model, LightingContext& ctx, int userMode);
// Renames the current user mode in the list and the file; returns the name as stored.
std::string RenameUserMode(LightingModel& model, const AppPaths& paths, IniLock& lock,
                           std::string_view name);

// The default reset of the lighting (run while the lighting view is on). Returns 1, or 0 when
// the default user-colour file could not be copied (the profile's file is then unchanged).
int ResetLightingDefaults(LightingModel& model, LightingContext& ctx);

// The keyboard reset its user colours: what the main window does in reply.
struct UserColourResetHooks {
    std::function<void()> lightingViewOff;             // the panel's part of switching it off
    std::function<bool(int profile)> switchToProfile;  // true when the switch succeeded
};
// Returns 1 when the three files were replaced, 0 when nothing was done, -1 when the state
// block could not be read.
int ResetUserColourFiles(LightingModel& model, LightingContext& ctx,
                         const UserColourResetHooks& hooks);

void SetLightingView(LightingModel& model, const AppPaths& paths, IniLock& lock, bool on);

}  // namespace vorlin
