// Macro list operations on the work store.
#include "store/macro_list.h"

#include <new>
#include <string>

#include "platform/settings.h"
#include "platform/text_key_names.h"
#include "skin/language.h"

namespace vorlin {
namespace {

// A macro assignment keeps its macro id in the low 16 bits of its value.
uint16_t MacroIdOf(uint32_t value) {
    return static_cast<uint16_t>(value & 0xFFFF);
}

}  // namespace

int FindMacroIndex(const ConfigStore& store, uint32_t macroId) {
    std::lock_guard guard(store.lock);
    const uint16_t id = MacroIdOf(macroId);
    for (size_t i = 0; i < store.macros.size(); ++i) {
        if (store.macros[i].macroId == id) return static_cast<int>(i);
    }
    return 0;
}

uint16_t MacroIdAt(const ConfigStore& work, int position) {
    std::lock_guard guard(work.lock);
    if (position < 0 || static_cast<size_t>(position) >= work.macros.size()) return 0;
    return work.macros[position].macroId;
}

bool MacroInUse(ConfigStore& work, const MacroRecord& record, int& writeAllProfiles,
                Prompter& prompter) {
    if (record.newFlag == 1) return true;
    bool used = false;
    {
        std::lock_guard guard(work.lock);
        if (!work.image) return true;
        for (int slot = 0; slot < kKeyActionSlots && !used; ++slot) {
            const KeyAction& a = work.image->Slot(slot);
            used = a.type == kActionMacro && MacroIdOf(a.value) == record.macroId;
        }
    }
    if (!used) return true;
    writeAllProfiles = 1;
    return prompter.Ask(kTextMacroDeleteConfirmOfKeys, PromptButtons::YesNoDefaultNo);
}

int CommitMacroList(ConfigStore& work, std::vector<MacroRecord>& records, StoreUi& ui) {
    {
        std::lock_guard guard(work.lock);
        if (work.image) {
            for (int slot = 0; slot < kKeyActionSlots; ++slot) {
                KeyAction& a = work.image->Slot(slot);
                if (a.type != kActionMacro) continue;
                const uint16_t id = MacroIdOf(a.value);
                if (id == 0) {
                    if (!records.empty()) {
                        a.value = records.front().macroId;
                        ui.SetChanged(true);
                    }
                    continue;
                }
                const MacroRecord* found = nullptr;
                for (const MacroRecord& r : records) {
                    if (r.macroId == id) {
                        found = &r;
                        break;
                    }
                }
                if (found && found->newFlag == 0) continue;
                a = KeyAction{.type = kActionDefault,
                              .extra = a.extra,
                              .value = 0,
                              .switchFlag = a.switchFlag,
                              .reserved = a.reserved};
                ui.ResetKeyButton(slot / kKeyActionsPerTable,
                                  static_cast<KeyIndex>(slot % kKeyActionsPerTable));
                ui.SetChanged(true);
            }
        }
    }
    for (MacroRecord& r : records) r.newFlag = 0;
    std::vector<MacroRecord> copy;
    try {
        copy = records;
    } catch (const std::bad_alloc&) {
        return 0;
    }
    std::lock_guard guard(work.lock);
    work.macros.swap(copy);
    return 1;
}

int ReadRecordDelaySetting(const AppPaths& paths, const LanguageCache& texts, int languageIndex) {
    const std::string name = LookupText(texts, kTextMacroActionRecordDelay, languageIndex);
    return SettingsReadString(paths, "PROFILES", name, "0") == "1" ? 1 : 0;
}

bool WriteRecordDelaySetting(const AppPaths& paths, IniLock& lock, const LanguageCache& texts,
                             int languageIndex, int value) {
    const std::string name = LookupText(texts, kTextMacroActionRecordDelay, languageIndex);
    return SettingsWriteString(paths, lock, "PROFILES", name, std::to_string(value == 1 ? 1 : 0));
}

}  // namespace vorlin
