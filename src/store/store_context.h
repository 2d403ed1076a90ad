// What the store operations work on, bundled by reference: one instance per process in the
// application, as many as a test wants side by side.
#pragma once

#include "device/connection_state.h"
#include "device/device_link.h"
#include "keys/key_action.h"
#include "platform/app_paths.h"
#include "platform/prompter.h"
#include "skin/language.h"
#include "store/config_store.h"

namespace vorlin {

// The main window's side of the store: its Apply button and its key buttons.
class StoreUi {
  public:
    virtual ~StoreUi() = default;
    // The changed state (the Apply button enabled while on).
    virtual void SetChanged(bool changed) = 0;
    // A macro assignment was dropped: the button of that entry looks unassigned again.
    virtual void ResetKeyButton(int table, KeyIndex entry) = 0;
    // Redraw the key buttons from a profile's table.
    virtual void RefreshKeyButtons(int profile) = 0;
};

struct StoreContext {
    ConfigStore& work;
    ConfigStore& apply;
    DeviceLink& link;
    ConnectionState& connection;  // macroCapacity, defaultKeyMap, activeProfileCache
    // Set when a macro referred to by keys is deleted: the next apply writes all three profiles.
    int& writeAllProfiles;
    Prompter& prompter;
    const AppPaths& paths;
    const int& languageIndex;
    StoreUi& ui;
    const LanguageCache& texts;  // the language files of paths
    IniLock& iniLock;            // every writer of the user's ini files
};

}  // namespace vorlin
