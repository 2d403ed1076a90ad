// Store contents, key strings and the string area shared by saving and snapshots.
#include "store/config_store.h"

#include <new>

#include "platform/atomic_file.h"
#include "platform/le_bytes.h"

namespace vorlin {

int64_t KeyStringTable::Set(int slot, std::u16string_view text) {
    Slot& s = slots_[slot];
    const int64_t before = s.length;
    s.text.assign(text);
    s.length = static_cast<uint32_t>((text.size() + 1) * 2);
    return int64_t{s.length} - before;
}

int64_t KeyStringTable::Clear(int slot) {
    Slot& s = slots_[slot];
    const int64_t before = s.length;
    s.text.clear();
    s.text.shrink_to_fit();
    s.length = 0;
    return -before;
}

void KeyStringTable::ClearAll() {
    for (Slot& s : slots_) {
        s.text.clear();
        s.text.shrink_to_fit();
        s.length = 0;
    }
}

void FreeStoreContents(ConfigStore& store) {
    std::lock_guard guard(store.lock);
    store.strings.ClearAll();
    store.stringArea.clear();
    store.stringArea.shrink_to_fit();
    store.stringBytes = 0;
    store.macros.clear();
    store.macros.shrink_to_fit();
    store.image.reset();
}

void SetKeyString(ConfigStore& work, int slot, std::u16string_view text) {
    std::lock_guard guard(work.lock);
    work.stringBytes = static_cast<int32_t>(work.stringBytes + work.strings.Set(slot, text));
}

void ClearKeyString(ConfigStore& work, int slot) {
    std::lock_guard guard(work.lock);
    work.stringBytes = static_cast<int32_t>(work.stringBytes + work.strings.Clear(slot));
}

std::vector<uint8_t> BuildStringArea(ConfigStore& work) {
    std::lock_guard guard(work.lock);
    const size_t size = work.stringBytes > 0 ? static_cast<size_t>(work.stringBytes) : 0;
    std::vector<uint8_t> area(size, 0);
    if (!work.image) return area;
    size_t offset = 0;
    for (int slot = 0; slot < kKeyActionSlots; ++slot) {
        const uint32_t length = work.strings.Length(slot);
        KeyAction& action = work.image->Slot(slot);
        if (!IsStringAction(action)) continue;
        if (length == 0 || offset + length > size) {
            // An old offset could name another key's text once the area is rebuilt.
            action.value = static_cast<uint32_t>(size);
            continue;
        }
        const size_t at = offset & ~size_t{1};
        const std::u16string& text = work.strings.Text(slot);
        for (size_t i = 0; i < text.size(); ++i) PutU16(area.data() + at + 2 * i, text[i]);
        action.value = static_cast<uint32_t>(at);
        offset += length;
    }
    return area;
}

int NewImage(ConfigStore& work, const std::filesystem::path& path, bool toWorkStore) {
    std::unique_ptr<ConfigImage> image = MakeDefaultImage();
    if (!image) return 0;
    if (toWorkStore) {
        std::lock_guard guard(work.lock);
        FreeStoreContents(work);
        work.image = std::move(image);
        return 1;
    }
    std::vector<uint8_t> bytes;
    try {
        bytes.resize(kImageSize);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    WriteConfigImage(*image, bytes.data());
    return WriteFileAtomically(path, bytes) ? 1 : 0;
}

}  // namespace vorlin
