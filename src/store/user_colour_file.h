// User-colour files: one ini file per hardware profile holding ten user modes, each with its
// name, painting tool, base and free colour, and a colour and base flag per key light. Missing
// files, sections and keys read as their defaults.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/ini_file.h"
#include "store/lighting_colour.h"

namespace vorlin {

constexpr int kUserModes = 10;
constexpr int kDefaultUserColourNumber = 3;  // the shipped default set
constexpr int kToolFreeColour = 0;
constexpr int kToolBaseColour = 1;
constexpr Rgb kDefaultKeyColour = MakeRgb(255, 0, 0);

// prefix + number + ".userd"
std::filesystem::path UserColourFilePath(const std::filesystem::path& prefix, int number);

struct UserModeSettings {
    int tool = kToolFreeColour;
    Rgb baseColour = 0;  // "jcolor"
    Rgb userColour = 0;  // "color", the free colour
};

struct KeyColourEntry {
    Rgb colour = kDefaultKeyColour;
    bool baseFlag = true;
};

// The selected user mode. Numbers outside 0..9 come back as stored.
int ReadPresentMode(const std::filesystem::path& file);
bool WritePresentMode(IniLock& lock, const std::filesystem::path& file, int userMode);

std::string ReadUserModeName(const std::filesystem::path& file, int userMode);
// Names are kept to one line of at most 259 UTF-16 units (a surrogate pair is never split).
bool WriteUserModeName(IniLock& lock, const std::filesystem::path& file, int userMode,
                       std::string_view name);
std::string CleanUserModeName(std::string_view name);

UserModeSettings ReadUserModeSettings(const std::filesystem::path& file, int userMode);
bool WriteUserModeSettings(IniLock& lock, const std::filesystem::path& file, int userMode,
                           const UserModeSettings& settings);

KeyColourEntry ReadKeyColour(const std::filesystem::path& file, int userMode, int lightPosition);
bool WriteKeyColour(IniLock& lock, const std::filesystem::path& file, int userMode,
                    int lightPosition, const KeyColourEntry& entry);

// A whole user-colour file in memory, for reading a user mode at once and for changes to many
// keys that are written back in one step.
class UserColourFile {
  public:
    // A missing or unreadable file reads as empty: every value takes its default.
    explicit UserColourFile(std::filesystem::path file);

    int PresentMode() const;
    std::string ModeName(int userMode) const;
    UserModeSettings Settings(int userMode) const;
    KeyColourEntry KeyColour(int userMode, int lightPosition) const;

    // Changes in memory only.
    bool SetSettings(int userMode, const UserModeSettings& settings);
    bool SetKeyColour(int userMode, int lightPosition, const KeyColourEntry& entry);
    // Replaces the file atomically; false, with the file unchanged, when it exists but could
    // not be read (nothing of it would survive the rewrite).
    bool Save() const;

  private:
    std::string Get(std::string_view section, std::string_view key,
                    std::string_view fallback) const;

    std::filesystem::path file_;
    IniDocument doc_;
    bool readable_ = true;
};

// Replaces the file with a copy of source in one step: on failure the file is as it was.
bool CopyUserColourFile(const std::filesystem::path& source, const std::filesystem::path& target);

}  // namespace vorlin
