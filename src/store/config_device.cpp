// Transfers between the stores and the keyboard.
#include "store/config_device.h"

#include <algorithm>
#include <array>
#include <new>
#include <span>
#include <vector>

#include "device/protocol.h"
#include "platform/atomic_file.h"
#include "platform/le_bytes.h"
#include "platform/text_key_names.h"
#include "platform/utf.h"
#include "skin/language.h"
#include "store/macro_area.h"
#include "store/macro_list.h"
#include "store/profile_file.h"

namespace vorlin {
namespace {

constexpr size_t kMaxKeyMapSize = 512;
using KeyMap = std::array<uint8_t, kMaxKeyMapSize>;

KeyMap CopyFactoryMap(ConnectionState& connection) {
    std::lock_guard guard(connection.defaultKeyMapLock);
    return connection.defaultKeyMap;
}

// The connected model's key-map size, kept within the buffers.
size_t KeyMapBytes(const DeviceLink& link) {
    return std::min<size_t>(link.keyMapSize.load(), kMaxKeyMapSize);
}

}  // namespace

int GetActiveProfile(StoreContext& ctx) {
    const int cached = ctx.connection.activeProfileCache.load();
    if (cached != -1) return cached;
    uint8_t block[kStateBlockSize] = {};
    if (ReadState(ctx.link, block) != kDone) return -1;
    ctx.connection.activeProfileCache = block[kStateActiveProfile];
    return block[kStateActiveProfile];
}

int SetActiveProfile(StoreContext& ctx, int p) {
    if (p < 0 || p > 2) return kBadProfile;
    uint8_t block[kStateBlockSize] = {};
    if (const int read = ReadState(ctx.link, block); read != kDone) return read;
    block[kStateActiveProfile] = static_cast<uint8_t>(p);
    const int written = WriteState(ctx.link, block);
    ctx.connection.activeProfileCache = written == kDone ? p : -1;
    return written;
}

int ReadDeviceImage(StoreContext& ctx, std::vector<uint8_t>& bytes) {
    bytes.clear();
    const int active = GetActiveProfile(ctx);
    if (active < 0 || active > 3) return 0;

    std::array<KeyMap, 3> maps{};
    for (int p = 0; p < 3; ++p) {
        if (ReadKeyMap(ctx.link, maps[p].data(), p) != kDone) return 0;
    }

    uint8_t head[kMacroAreaHeaderSize] = {};
    if (ReadMacroArea(ctx.link, head, sizeof head) != kDone) return 0;
    std::vector<MacroRecord> macros;
    try {
        std::vector<uint8_t> area(head, head + sizeof head);
        if (GetU16(head) == kMacroAreaMagic) {
            const uint16_t total = GetU16(head + 2);
            if (total > sizeof head) {
                area.resize(total);
                if (ReadMacroArea(ctx.link, area.data(), total) != kDone) return 0;
            }
            const std::u16string prefix =
                Utf8ToUtf16(LookupText(ctx.texts, kTextMacroNewPrefix, ctx.languageIndex));
            DecodeMacroArea(area, macros, prefix);
        }
    } catch (const std::bad_alloc&) {
        return 0;
    }

    const KeyMap factory = CopyFactoryMap(ctx.connection);
    const size_t mapBytes = KeyMapBytes(ctx.link);
    const int positions = static_cast<int>(ctx.link.keyCount.load());
    try {
        auto image = std::make_unique<ConfigImage>();
        image->RefreshHeader(static_cast<uint16_t>(macros.size()), 0, 0);
        for (int p = 0; p < 3; ++p) {
            ResetKeyActionTable(image->tables[p]);
            DecodeKeyMap({maps[p].data(), mapBytes}, {factory.data(), mapBytes}, positions,
                         image->tables[p].data());
        }
        image->tables[3].fill(KeyAction{});
        bytes.resize(ImageFileSize(static_cast<uint32_t>(macros.size()), 0));
        WriteConfigImage(*image, bytes.data());
        for (size_t i = 0; i < macros.size(); ++i) {
            WriteMacroRecord(macros[i], bytes.data() + kImageSize + i * kMacroRecordSize);
        }
    } catch (const std::bad_alloc&) {
        bytes.clear();
        return 0;
    }
    return 1;
}

int ReadDeviceIntoFile(StoreContext& ctx, const std::filesystem::path& path) {
    std::vector<uint8_t> bytes;
    if (ReadDeviceImage(ctx, bytes) != 1) return 0;
    return WriteFileAtomically(path, bytes) ? 1 : 0;
}

int SnapshotAndApply(StoreContext& ctx, bool allProfiles) {
    std::lock_guard workGuard(ctx.work.lock);
    std::lock_guard applyGuard(ctx.apply.lock);
    FreeStoreContents(ctx.apply);
    if (!ctx.work.image) return 0;
    try {
        ctx.apply.image = std::make_unique<ConfigImage>(*ctx.work.image);
        ctx.apply.image->RefreshHeader(ctx.work.macroCount(),
                                       static_cast<uint32_t>(ctx.work.stringBytes), 0);
        ctx.apply.macros = ctx.work.macros;
        ctx.apply.stringArea = BuildStringArea(ctx.work);
        ctx.apply.stringBytes = ctx.work.stringBytes;
    } catch (const std::bad_alloc&) {
        FreeStoreContents(ctx.apply);
        return 0;
    }
    return ApplyToDevice(ctx, allProfiles);
}

int ApplyToDevice(StoreContext& ctx, bool allProfiles) {
    std::lock_guard applyGuard(ctx.apply.lock);
    if (!ctx.apply.image) return 0;
    if (ctx.writeAllProfiles) allProfiles = true;

    const MacroAreaSizes sizes = MacroAreaSize(ctx.apply);
    const unsigned capacity = ctx.connection.macroCapacity.load();
    if (!MacroAreaFits(sizes, capacity)) {
        ctx.prompter.Ask(kTextExtraMacroTooLong, PromptButtons::Ok);
        return 0;
    }
    const bool withNames = MacroAreaFitsWithNames(sizes, capacity);
    std::vector<uint8_t> area(withNames ? sizes.full : sizes.bare);
    EncodeMacroArea(ctx.apply, area, withNames);

    std::vector<int> profiles;
    if (allProfiles) {
        profiles = {0, 1, 2};
    } else {
        const int active = GetActiveProfile(ctx);
        if (active < 0 || active > 2) return 0;
        profiles = {active};
    }

    const KeyMap factory = CopyFactoryMap(ctx.connection);
    const std::span<const uint8_t> factoryMap(factory.data(), KeyMapBytes(ctx.link));
    const int positions = static_cast<int>(ctx.link.keyCount.load());
    // The positions in the area just encoded, which is the apply store's list.
    const MacroIndexOf findMacro = [&](uint32_t id) { return FindMacroIndex(ctx.apply, id); };
    std::vector<std::vector<uint8_t>> maps;
    for (int p : profiles) {
        maps.push_back(
            EncodeKeyMap(ctx.apply.image->tables[p].data(), factoryMap, positions, findMacro));
        maps.back().resize(kMaxKeyMapSize, 0);  // the link reads its current key-map size
    }

    // Every step counts: a lost begin, macro area or end leaves the keyboard with a partial
    // configuration, so the apply must not report success. The first failure ends the writes.
    bool ok = ConfigBegin(ctx.link) == kDone;
    if (ok) {
        ok = WriteMacroArea(ctx.link, area.data(), static_cast<unsigned>(area.size())) == kDone;
    }
    for (size_t k = 0; ok && k < profiles.size(); ++k) {
        ok = WriteKeyMap(ctx.link, maps[k].data(), profiles[k]) == kDone;
    }
    ok = ConfigEnd(ctx.link) == kDone && ok;

    if (!withNames) ctx.prompter.Ask(kTextExtraProfileSpaceTight, PromptButtons::Ok);
    if (!ok) return 0;
    ctx.writeAllProfiles = 0;
    return 1;
}

int ReloadFromKeyboard(StoreContext& ctx) {
    EnsureUserFolder(ctx.paths);
    const int p = GetActiveProfile(ctx);
    std::filesystem::path path;
    int ok = 0;
    if (p >= 0) {
        path = ProfileFilePath(ctx.paths, p);
        ok = ReadDeviceIntoFile(ctx, path);
    }
    {
        std::lock_guard guard(ctx.work.lock);
        FreeStoreContents(ctx.work);
        if (ok == 1) {
            LoadImageFile(ctx.work, path);
        } else {
            NewImage(ctx.work, {}, true);
        }
        ctx.ui.RefreshKeyButtons(p);
    }
    ctx.ui.SetChanged(false);
    return ok;
}

}  // namespace vorlin
