// Reads and writes the autostart entry by the XDG autostart and desktop-entry rules.
#include "app/autostart.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>

#include "platform/app_paths.h"
#include "platform/atomic_file.h"
#include "platform/file_read.h"

namespace vorlin {
namespace {

namespace fs = std::filesystem;

// An autostart entry is a few lines; anything larger is not ours to trust.
constexpr size_t kEntryLimit = 64 * 1024;

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// Whether an entry's text lets the session start it: Hidden=true or
// X-GNOME-Autostart-enabled=false in its [Desktop Entry] group say no.
bool EntryStarts(std::string_view text) {
    bool inEntry = false;
    bool starts = true;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = Trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            inEntry = line == "[Desktop Entry]";
            continue;
        }
        const size_t eq = line.find('=');
        if (!inEntry || eq == std::string_view::npos) continue;
        const std::string_view key = Trim(line.substr(0, eq));
        const std::string_view value = Trim(line.substr(eq + 1));
        if (key == "Hidden") starts = starts && !EqualsNoCase(value, "true");
        if (key == "X-GNOME-Autostart-enabled") starts = starts && !EqualsNoCase(value, "false");
    }
    return starts;
}

// The first entry of the folders decides; nullopt when none has one. One that is there but
// cannot be read (a folder, unreadable, oversized) still hides the later ones, and starts
// nothing.
std::optional<bool> FirstEntryStarts(const std::vector<fs::path>& folders) {
    for (const fs::path& folder : folders) {
        std::string text;
        const FileReadResult r = ReadFileBounded(folder / kAutostartFileName, kEntryLimit, text);
        if (r.status == FileReadStatus::Missing) continue;
        return r.ok() && EntryStarts(text);
    }
    return std::nullopt;
}

// A string value: backslash, line breaks and tabs escaped, a leading space kept.
std::string EscapeValue(std::string_view s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\r')
            out += "\\r";
        else if (c == ' ' && i == 0)
            out += "\\s";
        else
            out += c;
    }
    return out;
}

// One argument of an Exec line: quoted when it holds a reserved character; '%' doubled, since
// a single one starts a field code.
std::string QuoteExecArgument(std::string_view arg) {
    constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
    const bool quote = arg.empty() || arg.find_first_of(kReserved) != std::string_view::npos;
    std::string out = quote ? "\"" : "";
    for (char c : arg) {
        if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) out += '\\';
        out += c;
        if (c == '%') out += '%';
    }
    if (quote) out += '"';
    return out;
}

std::string EntryText(const AutostartEntry& entry, bool hidden) {
    std::string text = "[Desktop Entry]\nType=Application\n";
    text += "Name=" + EscapeValue(entry.name) + "\n";
    text += "Exec=" + EscapeValue(entry.command) + "\n";
    if (!entry.program.empty()) text += "TryExec=" + EscapeValue(entry.program.string()) + "\n";
    text += "Icon=vorlin\nTerminal=false\n";
    if (hidden) text += "Hidden=true\n";
    return text;
}

std::string ErrorText(int error) {
    return error ? std::strerror(error) : "not a regular file";
}

bool WriteEntry(const AutostartFolders& folders, const std::string& text, std::string* why) {
    std::error_code ec;
    fs::create_directories(folders.user, ec);
    if (ec) {
        *why = "cannot create " + folders.user.string() + ": " + ec.message();
        return false;
    }
    const fs::path file = folders.user / kAutostartFileName;
    errno = 0;
    if (!WriteFileAtomically(file, text)) {
        *why = "cannot write " + file.string() + ": " + ErrorText(errno);
        return false;
    }
    return true;
}

}  // namespace

AutostartFolders AutostartFoldersFromEnvironment() {
    AutostartFolders f;
    f.user = ConfigHomeFolder() / "autostart";
    const char* dirs = std::getenv("XDG_CONFIG_DIRS");
    std::string_view list = dirs && dirs[0] ? std::string_view(dirs) : "/etc/xdg";
    while (!list.empty()) {
        const size_t colon = list.find(':');
        const std::string_view dir = list.substr(0, colon);
        list = colon == std::string_view::npos ? std::string_view() : list.substr(colon + 1);
        if (!dir.empty() && dir.front() == '/') f.system.push_back(fs::path(dir) / "autostart");
    }
    return f;
}

bool AutostartEnabled(const AutostartFolders& folders) {
    std::vector<fs::path> all = {folders.user};
    all.insert(all.end(), folders.system.begin(), folders.system.end());
    return FirstEntryStarts(all).value_or(false);
}

std::string AutostartCommand(const fs::path& program, std::string_view pathList) {
    const std::string name = program.filename().string();
    while (!pathList.empty()) {
        const size_t colon = pathList.find(':');
        const std::string_view dir = pathList.substr(0, colon);
        pathList =
            colon == std::string_view::npos ? std::string_view() : pathList.substr(colon + 1);
        if (dir.empty() || dir.front() != '/') continue;
        std::error_code ec;
        const fs::path candidate = fs::path(dir) / name;
        if (!fs::is_regular_file(candidate, ec)) continue;
        // The first one the search finds is what the session would run.
        if (fs::equivalent(candidate, program, ec)) return QuoteExecArgument(name) + " /Start";
        break;
    }
    return QuoteExecArgument(program.string()) + " /Start";
}

AutostartEntry ProgramAutostartEntry(std::string name) {
    const fs::path program = ExecutableFolder() / "vorlin";
    const char* path = std::getenv("PATH");
    return {std::move(name), AutostartCommand(program, path ? path : ""), program};
}

bool SetAutostart(const AutostartFolders& folders, bool on, const AutostartEntry& entry,
                  std::string* why) {
    if (on) return WriteEntry(folders, EntryText(entry, false), why);
    // A system entry that would start the program needs a hidden one of the user's over it.
    if (FirstEntryStarts(folders.system).value_or(false))
        return WriteEntry(folders, EntryText(entry, true), why);
    const fs::path file = folders.user / kAutostartFileName;
    std::error_code ec;
    if (fs::symlink_status(file, ec).type() == fs::file_type::not_found) return true;
    if (!fs::remove(file, ec) && ec) {
        *why = "cannot remove " + file.string() + ": " + ec.message();
        return false;
    }
    return true;
}

}  // namespace vorlin
