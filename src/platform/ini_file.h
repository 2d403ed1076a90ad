// Ini files read and written the way the Windows private-profile functions do it: sections and
// keys without regard to case, a default for a missing key, values of up to 259 characters,
// UTF-8 (with or without BOM), UTF-16LE with BOM, or Windows-1252 (a file without BOM that is
// not valid UTF-8, as Windows writes them in the ANSI code page). Writes keep every other line
// and the file's encoding, and replace the file atomically.
#pragma once

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vorlin {

constexpr size_t kIniValueMaxChars = 259;
// Larger files are not read (they give defaults) and never rewritten.
constexpr size_t kIniMaxFileBytes = 16 * 1024 * 1024;

// Texts are UTF-8 on this side.
// A missing file, a folder, an unreadable or oversized file all give the default. A value is cut
// to kIniValueMaxChars UTF-16 units; surrounding blanks and one pair of matching quotes are
// removed, as Windows does.
std::string IniRead(const std::filesystem::path& file, std::string_view section,
                    std::string_view key, std::string_view defaultValue);
// Guards the read-modify-write cycle of IniWrite: two threads that set values in the same file
// do not lose one another's change. The application context owns one and passes it to every
// writer of its ini files; a test owns its own.
class IniLock {
  public:
    void lock() { mutex_.lock(); }
    void unlock() { mutex_.unlock(); }

  private:
    std::mutex mutex_;
};

// Sets one value, creating the file (and its folder) when needed. Refuses (false) names or
// values that would break the file's structure: line breaks or NUL anywhere, '=' or a leading
// '[' / ';' in a key, ']' in a section, empty names. A value with surrounding blanks or
// quotes is written quoted so that it reads back unchanged.
bool IniWrite(IniLock& lock, const std::filesystem::path& file, std::string_view section,
              std::string_view key, std::string_view value);

enum class IniEncoding { Utf8, Utf8Bom, Utf16LeBom, Cp1252 };

// A whole ini file in memory, for callers that read many values or rewrite one.
class IniDocument {
  public:
    static IniDocument Parse(std::span<const uint8_t> bytes);
    // nullopt when the file is missing, not a regular file, unreadable or larger than
    // kIniMaxFileBytes.
    static std::optional<IniDocument> Load(const std::filesystem::path& file);

    // The value as IniRead gives it; nullopt when the section or key is missing.
    std::optional<std::string> Find(std::string_view section, std::string_view key) const;
    // The keys of the first section of that name, in file order (first of duplicates only).
    std::vector<std::string> Keys(std::string_view section) const;
    // The same keys with their values as Find gives them.
    std::vector<std::pair<std::string, std::string>> Entries(std::string_view section) const;
    // Same rules as IniWrite.
    bool Set(std::string_view section, std::string_view key, std::string_view value);
    // In the file's encoding. A Windows-1252 file that can no longer be written as one without
    // losing or changing text (a character the code page lacks, or bytes that would read back
    // as UTF-8) becomes UTF-16LE with BOM, which this reader and Windows both read; one left
    // with ASCII only is the same bytes in either encoding and counts as UTF-8.
    std::vector<uint8_t> Serialize() const;

    // The encoding Serialize writes.
    IniEncoding encoding() const;

  private:
    struct Line {
        std::string text;  // UTF-8, without its line end
        std::string end;   // "\r\n", "\n", "\r" or "" for a last line without one
    };
    std::string Text() const;
    IniEncoding EncodingFor(const std::string& text, std::string* cp1252) const;

    std::vector<Line> lines_;
    IniEncoding encoding_ = IniEncoding::Utf8;  // as read
};

}  // namespace vorlin
