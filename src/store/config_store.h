// The work and apply stores. The work store is what the editors change and what is saved to
// files; the apply store is a snapshot of it taken on every apply and written to the keyboard.
// Lock order: work before apply, whenever both are held.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "store/config_image.h"
#include "store/macro_record.h"

namespace vorlin {

// Texts of launch-program and text-block keys, one slot per key action of the image
// (slot = table x 512 + KeyIndex). length counts bytes with the terminator; 0 = empty slot,
// which differs from an empty text (length 2).
class KeyStringTable {
  public:
    KeyStringTable() : slots_(kKeyActionSlots) {}

    const std::u16string& Text(int slot) const { return slots_[slot].text; }
    uint32_t Length(int slot) const { return slots_[slot].length; }
    // Both return the change of the table's total byte count.
    int64_t Set(int slot, std::u16string_view text);
    int64_t Clear(int slot);
    void ClearAll();

  private:
    struct Slot {
        std::u16string text;
        uint32_t length = 0;
    };
    std::vector<Slot> slots_;
};

struct ConfigStore {
    // Guards every field below; re-entrant for the owning thread.
    mutable std::recursive_mutex lock;
    std::unique_ptr<ConfigImage> image;  // null while none is loaded
    std::vector<MacroRecord> macros;     // list order; at most 100
    KeyStringTable strings;              // work store only
    std::vector<uint8_t> stringArea;     // apply store only: the flat area of the last snapshot
    // Work store: sum of the slot lengths. Apply store: size of stringArea.
    int32_t stringBytes = 0;

    uint16_t macroCount() const { return static_cast<uint16_t>(macros.size()); }
};

// Frees texts, macros and image (the caller holds the lock or owns the store alone).
void FreeStoreContents(ConfigStore& store);

// Sets the text of a key-action slot of the work store and keeps stringBytes the sum.
void SetKeyString(ConfigStore& work, int slot, std::u16string_view text);
void ClearKeyString(ConfigStore& work, int slot);

// The string area of a file or snapshot, stringBytes long: slots in order, each taken when its
// length is not 0, fits, and its key action is of type 3 or 6; the text's offset goes into that
// key action of the work image. A key action of type 3 or 6 without a text gets the offset just
// past the area, so it loads back without one. Throws std::bad_alloc when memory is short.
std::vector<uint8_t> BuildStringArea(ConfigStore& work);

// A default image with no macros and no strings. With toWorkStore it becomes the work store's
// image (its previous contents are freed); otherwise it replaces the file at path atomically.
// 1 done, 0 when memory is short or the file cannot be written (the old one then stays).
int NewImage(ConfigStore& work, const std::filesystem::path& path, bool toWorkStore);

}  // namespace vorlin
