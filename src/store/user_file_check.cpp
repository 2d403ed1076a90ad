// Diagnostic checks of the user's files, read-only.
#include "store/user_file_check.h"

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <optional>
#include <string_view>

#include "platform/file_read.h"
#include "platform/ini_file.h"
#include "platform/settings.h"
#include "store/profile_file.h"
#include "store/user_colour_file.h"

namespace vorlin {
namespace {

namespace fs = std::filesystem;

constexpr int kLightPositions = 126;

// Whole comma-separated integers, nothing else; nullopt when the text is not exactly that.
std::optional<std::vector<int>> Ints(std::string_view text, size_t count) {
    std::vector<int> out;
    const char* p = text.data();
    const char* end = p + text.size();
    while (out.size() < count) {
        while (p != end && (*p == ' ' || *p == '\t')) ++p;
        int v = 0;
        auto [next, ec] = std::from_chars(p, end, v);
        if (ec != std::errc()) return std::nullopt;
        out.push_back(v);
        p = next;
        while (p != end && (*p == ' ' || *p == '\t')) ++p;
        if (out.size() < count) {
            if (p == end || *p != ',') return std::nullopt;
            ++p;
        }
    }
    if (p != end) return std::nullopt;
    return out;
}

bool Channels(const std::vector<int>& v, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (v[i] < 0 || v[i] > 255) return false;
    return true;
}

// What is wrong with one entry of a user mode's section; empty when nothing.
std::string ModeEntryFault(const std::string& key, const std::string& value) {
    if (key == "tool") {
        auto v = Ints(value, 1);
        return v && ((*v)[0] == 0 || (*v)[0] == 1) ? "" : "tool is not 0 or 1";
    }
    if (key == "jcolor" || key == "color") {
        auto v = Ints(value, 3);
        return v && Channels(*v, 3) ? "" : key + " is not R,G,B with values 0..255";
    }
    int position = -1;
    auto [end, ec] = std::from_chars(key.data(), key.data() + key.size(), position);
    if (ec != std::errc() || end != key.data() + key.size()) return "";  // not ours; ignored
    if (position < 0 || position >= kLightPositions)
        return "key light " + key + " is outside 0..125";
    auto v = Ints(value, 4);
    return v && Channels(*v, 3) ? "" : "key light " + key + " is not R,G,B,flag";
}

FileCheck Missing(const fs::path& file, const std::string& role, const std::string& meaning) {
    return {file, role, FileVerdict::Missing, meaning};
}

FileCheck Unreadable(const fs::path& file, const std::string& role) {
    // The ini reader only says no; the bounded reader says why (and refuses FIFOs, devices and
    // oversized files without reading them).
    std::string bytes;
    const FileReadResult read = ReadFileBounded(file, kIniMaxFileBytes, bytes);
    const std::string why = read.ok() ? "cannot be read" : DescribeFileRead(read);
    return {file, role, FileVerdict::Unreadable, why};
}

// An ini file we only need to be able to read.
FileCheck CheckIniReadable(const fs::path& file, const std::string& role,
                           const std::string& missingMeaning, std::optional<IniDocument>* doc) {
    std::error_code ec;
    if (!fs::exists(file, ec)) return Missing(file, role, missingMeaning);
    auto loaded = IniDocument::Load(file);
    if (!loaded) return Unreadable(file, role);
    if (doc) *doc = std::move(loaded);
    return {file, role, FileVerdict::Ok, ""};
}

}  // namespace

const char* VerdictWord(FileVerdict verdict) {
    switch (verdict) {
        case FileVerdict::Ok:
            return "ok";
        case FileVerdict::Missing:
            return "missing";
        case FileVerdict::Unreadable:
            return "unreadable";
        case FileVerdict::Faulty:
            return "faulty";
    }
    return "?";
}

FileCheck CheckImageFile(const fs::path& file, const std::string& role) {
    std::vector<uint8_t> bytes;
    const FileReadResult read = ReadImageFile(file, bytes);
    switch (read.status) {
        case FileReadStatus::Ok:
            break;
        case FileReadStatus::Missing:
            return Missing(file, role, "written from the keyboard at the next connection");
        case FileReadStatus::NotRegular:
        case FileReadStatus::TooLarge:
            return {file, role, FileVerdict::Faulty, DescribeFileRead(read)};
        default:
            return {file, role, FileVerdict::Unreadable, DescribeFileRead(read)};
    }
    const size_t size = bytes.size();
    switch (CheckImageBytes(bytes)) {
        case ImageFileFault::None:
            return {file, role, FileVerdict::Ok, ""};
        case ImageFileFault::TooShort:
            return {file, role, FileVerdict::Faulty,
                    std::to_string(size) + " bytes, shorter than a configuration image"};
        case ImageFileFault::Header:
            return {file, role, FileVerdict::Faulty, "its header or header checksum is wrong"};
        case ImageFileFault::Truncated:
            return {file, role, FileVerdict::Faulty, "shorter than its header says"};
        case ImageFileFault::Record:
            return {file, role, FileVerdict::Faulty, "a macro record in it is malformed"};
        case ImageFileFault::Texts:
            return {file, role, FileVerdict::Faulty, "its texts add up to more than a file holds"};
    }
    return {file, role, FileVerdict::Faulty, "not a profile file"};
}

FileCheck CheckUserColourFile(const fs::path& file, const std::string& role) {
    std::optional<IniDocument> doc;
    FileCheck check =
        CheckIniReadable(file, role, "every user mode reads as its defaults, all keys red", &doc);
    if (check.verdict != FileVerdict::Ok) return check;

    std::vector<std::string> faults;
    if (auto mode = doc->Find("PRESENTMODE", "mode")) {
        auto v = Ints(*mode, 1);
        if (!v || (*v)[0] < 0 || (*v)[0] >= kUserModes)
            faults.push_back("the selected user mode \"" + *mode + "\" is not 0..9");
    }
    for (int m = 0; m < kUserModes; ++m) {
        const std::string section = "Mode" + std::to_string(m);
        for (const auto& [key, value] : doc->Entries(section)) {
            std::string fault = ModeEntryFault(key, value);
            if (!fault.empty()) faults.push_back(section + ": " + fault);
        }
    }
    if (faults.empty()) return check;
    check.verdict = FileVerdict::Faulty;
    check.detail = faults.front();
    if (faults.size() > 1) check.detail += " (and " + std::to_string(faults.size() - 1) + " more)";
    return check;
}

std::vector<FileCheck> CheckUserFiles(const AppPaths& paths) {
    std::vector<FileCheck> checks;
    std::error_code ec;
    {
        FileCheck folder{paths.userFolder, "user folder", FileVerdict::Ok, ""};
        if (!fs::exists(paths.userFolder, ec)) {
            folder.verdict = FileVerdict::Missing;
            folder.detail = "created, with the user-colour files, at the next start";
        } else if (!fs::is_directory(paths.userFolder, ec)) {
            folder.verdict = FileVerdict::Faulty;
            folder.detail = "not a folder";
        } else if (::access(paths.userFolder.c_str(), W_OK | X_OK) != 0) {
            folder.verdict = FileVerdict::Unreadable;
            folder.detail = std::string("cannot be written: ") + std::strerror(errno);
        }
        checks.push_back(folder);
    }
    for (int n = 0; n < 3; ++n)
        checks.push_back(CheckImageFile(paths.userFolder / ("$Profile" + std::to_string(n)),
                                        "backing file of profile " + std::to_string(n)));
    for (int n = 0; n < 3; ++n)
        checks.push_back(CheckUserColourFile(UserColourFilePath(paths.userColourPrefix, n),
                                             "user colours of profile " + std::to_string(n)));
    {
        FileCheck tmpl = CheckUserColourFile(
            UserColourFilePath(paths.defaultUserColourPrefix, kDefaultUserColourNumber),
            "default user colours (shipped)");
        if (tmpl.verdict == FileVerdict::Missing)
            tmpl.detail = "new user folders get empty colour files; reinstall the program";
        checks.push_back(tmpl);
    }
    {
        std::optional<IniDocument> doc;
        FileCheck view = CheckIniReadable(paths.userSettings, "lighting-view switch",
                                          "the switch reads as off", &doc);
        if (view.verdict == FileVerdict::Ok) {
            if (auto v = doc->Find("KEYCOLOR", "DengCheck"); v && *v != "0" && *v != "1") {
                view.verdict = FileVerdict::Faulty;
                view.detail = "DengCheck is \"" + *v + "\", not 0 or 1 (read as off)";
            }
        }
        checks.push_back(view);
    }
    {
        std::optional<IniDocument> doc;
        FileCheck reg = CheckIniReadable(paths.registryFile, "language choice",
                                         "chosen from the system language at the next start", &doc);
        if (reg.verdict == FileVerdict::Ok) {
            const auto stored = RegistryReadDword(paths, "LANGUAGE");
            if (stored && *stored != 0 && *stored != 1033 && *stored != 1046) {
                reg.verdict = FileVerdict::Faulty;
                reg.detail = "LANGUAGE is " + std::to_string(*stored) +
                             ", not 1033 or 1046 (English is used)";
            } else if (!stored && doc->Find("Software\\Morvane Tesslar", "LANGUAGE")) {
                reg.verdict = FileVerdict::Faulty;
                reg.detail = "LANGUAGE is not a number (reset at the next start)";
            }
        }
        checks.push_back(reg);
    }
    checks.push_back(CheckIniReadable(paths.settingsFile, "settings (profile list, record delay)",
                                      "defaults apply", nullptr));
    return checks;
}

}  // namespace vorlin
