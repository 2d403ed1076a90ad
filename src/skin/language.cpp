// Language choice and text lookup.
#include "skin/language.h"

#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <iterator>
#include <mutex>
#include <optional>
#include <unordered_map>

#include "platform/ini_file.h"
#include "platform/locale_language.h"
#include "platform/settings.h"

namespace vorlin {
namespace {

constexpr std::string_view kMissingText = "#Error";
constexpr int kLanguageCount = static_cast<int>(std::size(kLanguageTable));

}  // namespace

// Parsed language files, reused while the file on disk is unchanged. A window asks for
// hundreds of texts at once (a key name and prompts per key button); reading the file for each
// of them costs several milliseconds. A changed, replaced or removed file is seen at the next
// lookup, or within kRecheckNs for a file that had been unchanged for a while.
class LanguageCache::Files {
  public:
    // nullopt when the file or the key is missing.
    std::optional<std::string> Find(const std::filesystem::path& file, std::string_view section,
                                    std::string_view key) {
        std::lock_guard<std::mutex> guard(lock_);
        auto it = files_.find(file.native());
        const int64_t steadyNow = SteadyNs();
        const bool fresh = it != files_.end() && it->second.settled &&
                           steadyNow - it->second.checkedAtSteadyNs < kRecheckNs;
        if (!fresh) {
            const int64_t now = WallNs();
            struct stat st {};
            if (::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
                files_.erase(file.native());
                return std::nullopt;
            }
            const Identity id = IdentityOf(st);
            if (it == files_.end() || !(it->second.id == id) || !it->second.settled) {
                if (files_.size() >= kMaxFiles) files_.clear();
                auto doc = IniDocument::Load(file);
                if (!doc) return std::nullopt;
                // A file changed within the last moments may change again inside one time-stamp
                // tick without its identity changing: it is checked at every lookup until it
                // has settled.
                Entry entry{id, id.mtimeNs < now - kSettleNs, 0, {}};
                for (const char* name : kSections) {
                    for (auto& [k, v] : doc->Entries(name)) {
                        entry.values.emplace(Slot(name, k), std::move(v));
                    }
                }
                it = files_.insert_or_assign(file.native(), std::move(entry)).first;
            }
            it->second.checkedAtSteadyNs = steadyNow;
        }
        const auto value = it->second.values.find(Slot(section, key));
        if (value == it->second.values.end()) return std::nullopt;
        return value->second;
    }

  private:
    static constexpr const char* kSections[] = {"TEXT", "LIGHT", "MODE"};
    static constexpr int64_t kSettleNs = 3'000'000'000;  // covers 2-second file time stamps
    // A settled file is looked at again after this long: one window's burst of lookups costs
    // one check, and an edit shows by the next refresh.
    static constexpr int64_t kRecheckNs = 200'000'000;
    static constexpr size_t kMaxFiles = 16;

    struct Identity {
        dev_t dev;
        ino_t ino;
        off_t size;
        int64_t mtimeNs;
        int64_t ctimeNs;
        bool operator==(const Identity&) const = default;
    };
    struct Entry {
        Identity id;
        bool settled;  // unchanged for kSettleNs when read
        int64_t checkedAtSteadyNs;
        std::unordered_map<std::string, std::string> values;  // Slot() -> text
    };

    static int64_t WallNs() {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::system_clock::now().time_since_epoch())
            .count();
    }
    static int64_t SteadyNs() {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    static Identity IdentityOf(const struct stat& st) {
        return Identity{st.st_dev, st.st_ino, st.st_size,
                        st.st_mtim.tv_sec * 1'000'000'000LL + st.st_mtim.tv_nsec,
                        st.st_ctim.tv_sec * 1'000'000'000LL + st.st_ctim.tv_nsec};
    }
    // Sections and keys match as the ini reader matches them: trimmed, ASCII case folded.
    static std::string Slot(std::string_view section, std::string_view key) {
        std::string slot;
        slot.reserve(section.size() + key.size() + 1);
        const auto append = [&slot](std::string_view name) {
            while (!name.empty() && (name.front() == ' ' || name.front() == '\t'))
                name.remove_prefix(1);
            while (!name.empty() && (name.back() == ' ' || name.back() == '\t'))
                name.remove_suffix(1);
            for (char c : name)
                slot.push_back((c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c);
        };
        append(section);
        slot.push_back('\n');
        append(key);
        return slot;
    }

    std::mutex lock_;  // guards files_
    std::unordered_map<std::string, Entry> files_;
};

LanguageCache::LanguageCache(const AppPaths& paths)
    : paths_(paths), files_(std::make_unique<Files>()) {}

LanguageCache::~LanguageCache() = default;

std::optional<std::string> LanguageCache::Find(int languageIndex, std::string_view section,
                                               std::string_view key) const {
    return files_->Find(LanguageFilePath(paths_, languageIndex), section, key);
}

namespace {

std::string Lookup(const LanguageCache& texts, std::string_view section, std::string_view key,
                   int languageIndex) {
    const auto text = texts.Find(languageIndex, section, key);
    return text ? *text : std::string(kMissingText);
}

}  // namespace

uint16_t LanguageIdForSystemDefault(uint16_t systemLanguageId) {
    uint16_t id = systemLanguageId;
    if (id == 3076) id = 1033;
    if (id == 4100) id = 1046;
    if (id != 1033 && id != 1046) id = 1033;
    return id;
}

int ChooseLanguageIndex(const AppPaths& paths, IniLock& lock, uint16_t systemLanguageId) {
    std::optional<uint32_t> value = RegistryReadDword(paths, "LANGUAGE");
    if (!value) {
        // A store that cannot even take the value counts as a key that cannot be opened.
        if (!RegistryWriteDword(paths, lock, "LANGUAGE", 0)) return 0;
        value = 0;
    }
    if (*value == 0) {
        value = LanguageIdForSystemDefault(systemLanguageId);
        RegistryWriteDword(paths, lock, "LANGUAGE", *value);
    }
    for (int i = 0; i < kLanguageCount; ++i) {
        if (static_cast<uint32_t>(kLanguageTable[i]) == *value) return i;
    }
    return 0;
}

int LanguageIndex(const AppPaths& paths, IniLock& lock) {
    return ChooseLanguageIndex(paths, lock, SystemDefaultLanguageId());
}

std::filesystem::path LanguageFilePath(const AppPaths& paths, int languageIndex) {
    if (languageIndex < 0 || languageIndex >= kLanguageCount) languageIndex = 0;
    char name[32];
    std::snprintf(name, sizeof name, "Lang%04X.ini", kLanguageTable[languageIndex]);
    return paths.exeFolder / name;
}

std::string LookupText(const LanguageCache& texts, std::string_view key, int languageIndex) {
    return Lookup(texts, "TEXT", key, languageIndex);
}

std::string LookupLightText(const LanguageCache& texts, std::string_view key, int languageIndex) {
    return Lookup(texts, "LIGHT", key, languageIndex);
}

std::string LookupModeName(const LanguageCache& texts, int mode, int languageIndex) {
    return Lookup(texts, "MODE", std::to_string(mode), languageIndex);
}

}  // namespace vorlin
