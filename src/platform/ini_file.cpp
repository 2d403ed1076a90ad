// Private-profile style ini reading and writing.
#include "platform/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/atomic_file.h"
#include "platform/file_read.h"
#include "platform/utf.h"

namespace vorlin {
namespace {

namespace fs = std::filesystem;

std::string_view Trim(std::string_view s) {
    size_t b = 0;
    size_t e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return s.substr(b, e - b);
}

char FoldAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

// What one line of an ini file is.
struct LineInfo {
    enum Kind { Other, Section, Entry } kind = Other;
    std::string_view name;   // section name or key, trimmed
    std::string_view value;  // raw value after '=', trimmed
    size_t valueStart = 0;   // offset of the text after '=' in the line
};

LineInfo Classify(std::string_view line) {
    LineInfo info;
    const std::string_view t = Trim(line);
    if (t.empty() || t[0] == ';') return info;
    if (t[0] == '[') {
        const size_t close = t.find(']');
        info.kind = LineInfo::Section;
        info.name = Trim(t.substr(1, close == std::string_view::npos ? t.size() - 1 : close - 1));
        return info;
    }
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) return info;
    info.kind = LineInfo::Entry;
    info.name = Trim(line.substr(0, eq));
    info.value = Trim(line.substr(eq + 1));
    info.valueStart = eq + 1;
    if (info.name.empty()) info.kind = LineInfo::Other;
    return info;
}

std::string FinishValue(std::string_view raw) {
    if (raw.size() >= 2 && (raw.front() == '"' || raw.front() == '\'') &&
        raw.back() == raw.front()) {
        raw = raw.substr(1, raw.size() - 2);
    }
    return CutUtf8ToUtf16Units(raw, kIniValueMaxChars);
}

// Splits text into lines and hands each (text, end) to the visitor until it returns false.
template <typename Visit>
void ForEachLine(std::string_view text, Visit visit) {
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = pos;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r') ++end;
        size_t next = end;
        if (next < text.size()) {
            next +=
                (text[next] == '\r' && next + 1 < text.size() && text[next + 1] == '\n') ? 2 : 1;
        }
        if (!visit(text.substr(pos, end - pos), text.substr(end, next - end))) return;
        pos = next;
    }
}

// The file's text as UTF-8 and its encoding.
std::string DecodeText(std::span<const uint8_t> bytes, IniEncoding& encoding) {
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        encoding = IniEncoding::Utf16LeBom;
        const size_t units = (bytes.size() - 2) / 2;  // an odd last byte is dropped
        std::u16string wide(units, u'\0');
        for (size_t i = 0; i < units; ++i) {
            wide[i] = static_cast<char16_t>(bytes[2 + 2 * i] | (bytes[3 + 2 * i] << 8));
        }
        return Utf16ToUtf8(wide);
    }
    if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        encoding = IniEncoding::Utf8Bom;
        return std::string(reinterpret_cast<const char*>(bytes.data()) + 3, bytes.size() - 3);
    }
    const std::string_view raw(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (IsValidUtf8(raw)) {
        encoding = IniEncoding::Utf8;
        return std::string(raw);
    }
    encoding = IniEncoding::Cp1252;
    return Cp1252ToUtf8(raw);
}

bool IsAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return (c & 0x80) == 0; });
}

std::optional<std::vector<uint8_t>> ReadFileBytes(const fs::path& file) {
    std::vector<uint8_t> bytes;
    if (!ReadFileBounded(file, kIniMaxFileBytes, bytes).ok()) return std::nullopt;
    return bytes;
}

bool HasLineBreakOrNul(std::string_view s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

bool ValidNames(std::string_view section, std::string_view key, std::string_view value) {
    if (Trim(section).empty() || Trim(key).empty()) return false;
    if (HasLineBreakOrNul(section) || HasLineBreakOrNul(key) || HasLineBreakOrNul(value)) {
        return false;
    }
    if (section.find(']') != std::string_view::npos) return false;
    if (key.find('=') != std::string_view::npos) return false;
    const std::string_view k = Trim(key);
    return k[0] != '[' && k[0] != ';';
}

// The text to put after '=' so that reading gives value back.
std::string EncodeValue(std::string_view value) {
    const bool needsQuotes =
        !value.empty() && (value != Trim(value) ||
                           (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                            value.back() == value.front()));
    std::string text;
    text.reserve(value.size() + 2);
    if (needsQuotes) text.push_back('"');
    text.append(value);
    if (needsQuotes) text.push_back('"');
    return text;
}

}  // namespace

IniDocument IniDocument::Parse(std::span<const uint8_t> bytes) {
    IniDocument doc;
    const std::string text = DecodeText(bytes, doc.encoding_);
    ForEachLine(text, [&](std::string_view line, std::string_view end) {
        doc.lines_.push_back(Line{std::string(line), std::string(end)});
        return true;
    });
    return doc;
}

std::optional<IniDocument> IniDocument::Load(const fs::path& file) {
    const auto bytes = ReadFileBytes(file);
    if (!bytes) return std::nullopt;
    return Parse(*bytes);
}

std::optional<std::string> IniDocument::Find(std::string_view section, std::string_view key) const {
    if (section.empty() || key.empty()) return std::nullopt;
    bool inSection = false;
    for (const Line& line : lines_) {
        const LineInfo info = Classify(line.text);
        if (info.kind == LineInfo::Section) {
            if (inSection) return std::nullopt;  // only the first section of a name counts
            inSection = EqualNoCase(info.name, Trim(section));
        } else if (inSection && info.kind == LineInfo::Entry && EqualNoCase(info.name, Trim(key))) {
            return FinishValue(info.value);
        }
    }
    return std::nullopt;
}

std::vector<std::pair<std::string, std::string>> IniDocument::Entries(
    std::string_view section) const {
    std::vector<std::pair<std::string, std::string>> entries;
    bool inSection = false;
    for (const Line& line : lines_) {
        const LineInfo info = Classify(line.text);
        if (info.kind == LineInfo::Section) {
            if (inSection) break;
            inSection = EqualNoCase(info.name, Trim(section));
        } else if (inSection && info.kind == LineInfo::Entry) {
            bool seen = false;
            for (const auto& e : entries) seen = seen || EqualNoCase(e.first, info.name);
            if (!seen) entries.emplace_back(std::string(info.name), FinishValue(info.value));
        }
    }
    return entries;
}

std::vector<std::string> IniDocument::Keys(std::string_view section) const {
    std::vector<std::string> keys;
    for (auto& entry : Entries(section)) keys.push_back(std::move(entry.first));
    return keys;
}

bool IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    if (!ValidNames(section, key, value)) return false;
    section = Trim(section);
    key = Trim(key);
    const std::string encoded = EncodeValue(value);

    // A new line takes the line end the file already uses.
    std::string eol = "\n";
    for (const Line& line : lines_) {
        if (!line.end.empty()) {
            eol = line.end;
            break;
        }
    }

    size_t sectionLine = lines_.size();
    size_t lastContent = 0;  // last non-blank line of the found section
    for (size_t i = 0; i < lines_.size(); ++i) {
        const LineInfo info = Classify(lines_[i].text);
        if (info.kind == LineInfo::Section) {
            if (sectionLine != lines_.size()) break;  // the section ended
            if (EqualNoCase(info.name, section)) sectionLine = lastContent = i;
            continue;
        }
        if (sectionLine == lines_.size()) continue;
        if (!Trim(lines_[i].text).empty()) lastContent = i;
        if (info.kind == LineInfo::Entry && EqualNoCase(info.name, key)) {
            // Keep the key and the spacing around '=' as written.
            std::string& text = lines_[i].text;
            const std::string_view rest = std::string_view(text).substr(info.valueStart);
            const size_t blanks = rest.find_first_not_of(" \t");
            const size_t keep = info.valueStart + (blanks == std::string_view::npos ? 0 : blanks);
            text = text.substr(0, keep) + encoded;
            return true;
        }
    }

    if (!lines_.empty() && lines_.back().end.empty()) lines_.back().end = eol;
    Line entry{std::string(key), eol};
    entry.text.push_back('=');
    entry.text.append(encoded);
    if (sectionLine == lines_.size()) {
        Line header{"[", eol};
        header.text.append(section);
        header.text.push_back(']');
        lines_.push_back(std::move(header));
        lines_.push_back(entry);
    } else {
        if (lines_[lastContent].end.empty()) lines_[lastContent].end = eol;
        lines_.insert(lines_.begin() + static_cast<ptrdiff_t>(lastContent) + 1, entry);
    }
    return true;
}

std::string IniDocument::Text() const {
    std::string text;
    for (const Line& line : lines_) {
        text += line.text;
        text += line.end;
    }
    return text;
}

IniEncoding IniDocument::EncodingFor(const std::string& text, std::string* cp1252) const {
    if (encoding_ != IniEncoding::Cp1252) return encoding_;
    std::optional<std::string> bytes = Utf8ToCp1252(text);
    if (!bytes) return IniEncoding::Utf16LeBom;  // a character the code page lacks
    if (IsAscii(*bytes)) return IniEncoding::Utf8;
    // Windows-1252 bytes that happen to be valid UTF-8 would be read back as UTF-8.
    if (IsValidUtf8(*bytes)) return IniEncoding::Utf16LeBom;
    if (cp1252) *cp1252 = std::move(*bytes);
    return IniEncoding::Cp1252;
}

IniEncoding IniDocument::encoding() const {
    return EncodingFor(Text(), nullptr);
}

std::vector<uint8_t> IniDocument::Serialize() const {
    std::string text = Text();
    std::string cp1252;
    const IniEncoding encoding = EncodingFor(text, &cp1252);
    std::vector<uint8_t> out;
    switch (encoding) {
        case IniEncoding::Utf16LeBom: {
            const std::u16string wide = Utf8ToUtf16(text);
            out.reserve(2 + 2 * wide.size());
            out.push_back(0xFF);
            out.push_back(0xFE);
            for (char16_t u : wide) {
                out.push_back(static_cast<uint8_t>(u & 0xFF));
                out.push_back(static_cast<uint8_t>(u >> 8));
            }
            return out;
        }
        case IniEncoding::Cp1252:
            text = std::move(cp1252);
            break;
        case IniEncoding::Utf8Bom:
        case IniEncoding::Utf8:
            break;
    }
    const size_t bom = encoding == IniEncoding::Utf8Bom ? 3 : 0;
    out.resize(bom + text.size());
    if (bom) out[0] = 0xEF, out[1] = 0xBB, out[2] = 0xBF;
    std::copy(text.begin(), text.end(), out.begin() + static_cast<ptrdiff_t>(bom));
    return out;
}

std::string IniRead(const fs::path& file, std::string_view section, std::string_view key,
                    std::string_view defaultValue) {
    if (section.empty() || key.empty()) return std::string(defaultValue);
    const auto bytes = ReadFileBytes(file);
    if (!bytes) return std::string(defaultValue);
    IniEncoding encoding;
    const std::string text = DecodeText(*bytes, encoding);
    const std::string_view wantSection = Trim(section);
    const std::string_view wantKey = Trim(key);
    std::optional<std::string> found;
    bool inSection = false;
    ForEachLine(text, [&](std::string_view line, std::string_view) {
        const LineInfo info = Classify(line);
        if (info.kind == LineInfo::Section) {
            if (inSection) return false;  // only the first section of a name counts
            inSection = EqualNoCase(info.name, wantSection);
        } else if (inSection && info.kind == LineInfo::Entry && EqualNoCase(info.name, wantKey)) {
            found = FinishValue(info.value);
            return false;
        }
        return true;
    });
    return found ? *found : std::string(defaultValue);
}

bool IniWrite(IniLock& lock, const fs::path& file, std::string_view section, std::string_view key,
              std::string_view value) {
    if (!ValidNames(section, key, value)) return false;
    std::lock_guard<IniLock> guard(lock);
    std::error_code ec;
    IniDocument doc;
    if (fs::exists(fs::symlink_status(file, ec)) || fs::exists(file, ec)) {
        auto loaded = IniDocument::Load(file);
        if (!loaded) return false;  // never replace a file we could not read
        doc = std::move(*loaded);
    } else if (file.has_parent_path()) {
        fs::create_directories(file.parent_path(), ec);
    }
    if (!doc.Set(section, key, value)) return false;
    return WriteFileAtomically(file, doc.Serialize());
}

}  // namespace vorlin
