// Reading and writing user-colour files through the ini reader and writer.
#include "store/user_colour_file.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "platform/atomic_file.h"
#include "platform/ini_file.h"
#include "platform/utf.h"

namespace vorlin {
namespace {

constexpr std::string_view kPresentSection = "PRESENTMODE";
constexpr std::string_view kPresentKey = "mode";
constexpr std::string_view kNameSection = "MODENAME";

std::string ModeSection(int userMode) {
    return "Mode" + std::to_string(userMode);
}

// Reads up to n comma-separated integers the way "%d,%d,..." does: stops at the first field
// that is not a number and returns how many were read.
int ParseInts(std::string_view text, int* out, int n) {
    const char* p = text.data();
    const char* end = p + text.size();
    for (int i = 0; i < n; ++i) {
        if (i > 0) {
            if (p == end || *p != ',') return i;
            ++p;
        }
        while (p != end && (*p == ' ' || *p == '\t')) ++p;
        if (p != end && *p == '+') ++p;
        auto [next, ec] = std::from_chars(p, end, out[i]);
        if (ec != std::errc()) return i;
        p = next;
    }
    return n;
}

int ParseInt(std::string_view text, int fallback) {
    int value = fallback;
    return ParseInts(text, &value, 1) == 1 ? value : fallback;
}

int Channel(int value) {
    return std::clamp(value, 0, 255);
}

Rgb ParseRgb(std::string_view text, Rgb fallback) {
    int c[3] = {RedOf(fallback), GreenOf(fallback), BlueOf(fallback)};
    ParseInts(text, c, 3);
    return MakeRgb(Channel(c[0]), Channel(c[1]), Channel(c[2]));
}

std::string FormatRgb(Rgb c) {
    char text[16];
    std::snprintf(text, sizeof text, "%d,%d,%d", RedOf(c), GreenOf(c), BlueOf(c));
    return text;
}

std::string KeyName(int lightPosition) {
    return std::to_string(lightPosition);
}

std::string FormatKeyColour(const KeyColourEntry& entry) {
    return FormatRgb(entry.colour) + (entry.baseFlag ? ",1" : ",0");
}

KeyColourEntry ParseKeyColour(std::string_view text) {
    int v[4] = {255, 0, 0, 1};
    ParseInts(text, v, 4);
    return {MakeRgb(Channel(v[0]), Channel(v[1]), Channel(v[2])), v[3] != 0};
}

constexpr std::string_view kDefaultKeyText = "255,0,0,1";

}  // namespace

std::filesystem::path UserColourFilePath(const std::filesystem::path& prefix, int number) {
    std::filesystem::path file = prefix;
    file += std::to_string(number) + ".userd";
    return file;
}

int ReadPresentMode(const std::filesystem::path& file) {
    return ParseInt(IniRead(file, kPresentSection, kPresentKey, "0"), 0);
}

bool WritePresentMode(IniLock& lock, const std::filesystem::path& file, int userMode) {
    return IniWrite(lock, file, kPresentSection, kPresentKey, std::to_string(userMode));
}

std::string ReadUserModeName(const std::filesystem::path& file, int userMode) {
    return IniRead(file, kNameSection, std::to_string(userMode), "0");
}

std::string CleanUserModeName(std::string_view name) {
    // A line break would end the value and start a line of its own in the file.
    std::string clean(name);
    for (char& c : clean) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) c = ' ';
    }
    // Counted in UTF-16 units, as the reader counts them, so the name reads back as written.
    return CutUtf8ToUtf16Units(clean, kIniValueMaxChars);
}

bool WriteUserModeName(IniLock& lock, const std::filesystem::path& file, int userMode,
                       std::string_view name) {
    return IniWrite(lock, file, kNameSection, std::to_string(userMode), CleanUserModeName(name));
}

UserModeSettings ReadUserModeSettings(const std::filesystem::path& file, int userMode) {
    return UserColourFile(file).Settings(userMode);
}

bool WriteUserModeSettings(IniLock& lock, const std::filesystem::path& file, int userMode,
                           const UserModeSettings& settings) {
    std::string section = ModeSection(userMode);
    bool ok = IniWrite(lock, file, section, "tool", std::to_string(settings.tool));
    ok = IniWrite(lock, file, section, "jcolor", FormatRgb(settings.baseColour)) && ok;
    return IniWrite(lock, file, section, "color", FormatRgb(settings.userColour)) && ok;
}

KeyColourEntry ReadKeyColour(const std::filesystem::path& file, int userMode, int lightPosition) {
    return ParseKeyColour(
        IniRead(file, ModeSection(userMode), KeyName(lightPosition), kDefaultKeyText));
}

bool WriteKeyColour(IniLock& lock, const std::filesystem::path& file, int userMode,
                    int lightPosition, const KeyColourEntry& entry) {
    return IniWrite(lock, file, ModeSection(userMode), KeyName(lightPosition),
                    FormatKeyColour(entry));
}

UserColourFile::UserColourFile(std::filesystem::path file) : file_(std::move(file)) {
    std::error_code ec;
    if (std::optional<IniDocument> doc = IniDocument::Load(file_)) {
        doc_ = std::move(*doc);
    } else {
        readable_ = !std::filesystem::exists(std::filesystem::symlink_status(file_, ec));
    }
}

std::string UserColourFile::Get(std::string_view section, std::string_view key,
                                std::string_view fallback) const {
    std::optional<std::string> value = doc_.Find(section, key);
    return value ? *value : std::string(fallback);
}

int UserColourFile::PresentMode() const {
    return ParseInt(Get(kPresentSection, kPresentKey, "0"), 0);
}

std::string UserColourFile::ModeName(int userMode) const {
    return Get(kNameSection, std::to_string(userMode), "0");
}

UserModeSettings UserColourFile::Settings(int userMode) const {
    std::string section = ModeSection(userMode);
    UserModeSettings s;
    s.tool = ParseInt(Get(section, "tool", "0"), 0);
    s.baseColour = ParseRgb(Get(section, "jcolor", "0,0,0"), 0);
    s.userColour = ParseRgb(Get(section, "color", "0,0,0"), 0);
    return s;
}

KeyColourEntry UserColourFile::KeyColour(int userMode, int lightPosition) const {
    return ParseKeyColour(Get(ModeSection(userMode), KeyName(lightPosition), kDefaultKeyText));
}

bool UserColourFile::SetSettings(int userMode, const UserModeSettings& settings) {
    std::string section = ModeSection(userMode);
    bool ok = doc_.Set(section, "tool", std::to_string(settings.tool));
    ok = doc_.Set(section, "jcolor", FormatRgb(settings.baseColour)) && ok;
    return doc_.Set(section, "color", FormatRgb(settings.userColour)) && ok;
}

bool UserColourFile::SetKeyColour(int userMode, int lightPosition, const KeyColourEntry& entry) {
    return doc_.Set(ModeSection(userMode), KeyName(lightPosition), FormatKeyColour(entry));
}

bool UserColourFile::Save() const {
    if (!readable_) return false;
    std::error_code ec;
    if (file_.has_parent_path()) std::filesystem::create_directories(file_.parent_path(), ec);
    std::vector<uint8_t> bytes = doc_.Serialize();
    return WriteFileAtomically(file_, bytes);
}

bool CopyUserColourFile(const std::filesystem::path& source, const std::filesystem::path& target) {
    return CopyFileAtomically(source, target);
}

}  // namespace vorlin
