// The work store's macro list as the editors see it: lookups by id and position, the checks
// before a macro is deleted, the commit of the editor's list, and the record-delay setting.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/app_paths.h"
#include "platform/prompter.h"
#include "store/config_store.h"
#include "store/macro_record.h"
#include "store/store_context.h"

namespace vorlin {

// Position of the first macro with that id (under the store's lock); 0 when there is none.
int FindMacroIndex(const ConfigStore& store, uint32_t macroId);
// The id at a position of the list; 0 for a negative position or one past the end.
uint16_t MacroIdAt(const ConfigStore& work, int position);

// May the macro be deleted? A new macro always may. When a key of any table (other than entry
// 256 of table 0) plays it, writeAllProfiles is set and the user is asked
// "MACRO_DELETE_CONFIRM_OF_KEYS"; only Yes allows it.
bool MacroInUse(ConfigStore& work, const MacroRecord& record, int& writeAllProfiles,
                Prompter& prompter);

// Replaces the work store's list with the editor's: keys that play a deleted macro, or one whose
// id a new macro took over, fall back to default (their buttons redrawn); keys with macro id 0
// get the first macro's id. The records' new flags are cleared. 1 done; 0 when the new list
// could not be allocated (the old list stays, the key fixes stay made).
int CommitMacroList(ConfigStore& work, std::vector<MacroRecord>& records, StoreUi& ui);

// Whether recording measures delays: 0 or 1, kept per language in the settings store.
int ReadRecordDelaySetting(const AppPaths& paths, const LanguageCache& texts, int languageIndex);
bool WriteRecordDelaySetting(const AppPaths& paths, IniLock& lock, const LanguageCache& texts,
                             int languageIndex, int value);

}  // namespace vorlin
