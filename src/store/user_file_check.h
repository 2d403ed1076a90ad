// Checks of the files the program keeps for the user (backing files, user-colour files, the
// settings files), for diagnostics: each one found, missing, unreadable or faulty, with the
// reason. Nothing is created, repaired or rewritten, and no message is shown.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/app_paths.h"

namespace vorlin {

enum class FileVerdict {
    Ok,
    Missing,     // not there; defaults apply or it is made when needed
    Unreadable,  // there, but cannot be read
    Faulty,      // read, but the program would refuse or misread it
};

struct FileCheck {
    std::filesystem::path path;
    std::string role;  // what the file is for
    FileVerdict verdict = FileVerdict::Ok;
    std::string detail;  // why, for anything but Ok; what a missing file means
};

FileCheck CheckImageFile(const std::filesystem::path& file, const std::string& role);
FileCheck CheckUserColourFile(const std::filesystem::path& file, const std::string& role);

// The user folder, the three backing files, the three user-colour files and the shipped
// template they are seeded from, "wskb.ini", and the two settings files, in that order.
std::vector<FileCheck> CheckUserFiles(const AppPaths& paths);

const char* VerdictWord(FileVerdict verdict);

}  // namespace vorlin
