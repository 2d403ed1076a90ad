// What every vorlinctl command works with: the global options, the data and user paths, the
// language, the HID backend (hidraw, plus the simulated keyboard with --simulate), the device
// link and connection state, the prompter, and helpers to connect and to report errors.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>

#include "device/connection_monitor.h"
#include "device/connection_state.h"
#include "device/device_link.h"
#include "device/frame_trace.h"
#include "platform/app_paths.h"
#include "platform/keyboard_lock.h"
#include "platform/main_window_sink.h"
#include "platform/prompter.h"
#include "skin/language.h"

namespace vorlin {

class HidrawBackend;
class SimBackend;
class SimKeyboard;
class SystemHidBackend;
struct CliSession;

// Exit codes; the README lists them for scripts.
enum CliExit : int {
    kExitOk = 0,
    kExitFailed = 1,      // the keyboard or a file operation failed
    kExitUsage = 2,       // bad arguments
    kExitNoKeyboard = 3,  // no keyboard found
    kExitRefused = 4,     // the keyboard refused a command
    kExitBadFile = 5,     // a file is missing or fails validation
};

struct CliOptions {
    bool simulate = false;
    std::string simulateModel;   // empty: 320f:5000, or the model of the --sim-state file
    bool simOverSocket = false;  // serve it over a socketpair, through the fd I/O code
    std::string simState;        // empty: the simulated keyboard starts from the factory each time
    int language = 0;            // 1033 or 1046; 0: the stored or system choice
    bool verbose = false;
    bool yes = false;
    std::string sysfsRoot = "/sys/class/hidraw";
    std::string devRoot = "/dev";
    std::string dataFolder;  // empty: found from the executable's place
    // How long to wait for a keyboard another process is using.
    std::chrono::milliseconds lockWait = kKeyboardLockWait;
};

// Language texts on stderr. Yes/No questions take --yes, ask on a terminal, and are answered
// No otherwise.
class CliPrompter final : public Prompter {
  public:
    explicit CliPrompter(CliSession& session) : session_(session) {}
    bool Ask(const std::string& textKey, PromptButtons buttons,
             const std::string& argument = {}) override;

  private:
    CliSession& session_;
};

// The main window's part, for commands that have none; watch installs its own reactions.
class CliSink : public MainWindowSink {
  public:
    void SendKeyboardLost() override { Call(onLost); }
    void SendReloadProfile() override { Call(onReload); }
    void PostOpen() override {}
    void HideMainWindow() override {}
    void ScheduleLightingReload() override { Call(onLightingReload); }
    void ScheduleUserColourReset() override { Call(onUserColourReset); }
    void ShowTrayState(TrayState state) override {
        if (onTrayState) onTrayState(state);
    }

    std::function<void()> onLost, onReload, onLightingReload, onUserColourReset;
    std::function<void(TrayState)> onTrayState;

  private:
    static void Call(const std::function<void()>& f) {
        if (f) f();
    }
};

// Why an exchange failed, in words: "the keyboard refused command 8 (status 255, code -102)"
// and the like; empty for no failure and for no keyboard (the caller knows better words then).
std::string DescribeFailure(const LinkFailure& failure);

struct CliSession {
    CliSession(std::ostream& out, std::ostream& err, std::istream& in, bool inputIsTerminal);
    ~CliSession();

    CliOptions options;
    bool json = false;  // set by the commands that offer --json
    std::ostream& out;
    std::ostream& err;
    std::istream& in;
    bool inputIsTerminal;

    AppPaths paths;
    int languageIndex = 0;
    LanguageCache texts{paths};
    IniLock iniLock;  // every ini file this session writes

    std::shared_ptr<HidrawBackend> hidraw;
    std::shared_ptr<SimBackend> simBackend;
    std::shared_ptr<SimKeyboard> sim;
    std::unique_ptr<SystemHidBackend> backend;
    std::unique_ptr<DeviceLink> link;
    ConnectionState state;
    CliSink sink;
    CliPrompter prompter{*this};
    // With --verbose, prints every frame on err.
    std::unique_ptr<FrameTrace> trace;
    std::unique_ptr<MonitorContext> monitorContext;
    // Held from the first use of the keyboard until the session ends, so the whole command,
    // the backing files and the state file it writes included, runs with no other process on
    // the keyboard: the --sim-state file's lock file, or the hidraw node of a real keyboard.
    KeyboardLock keyboardLock;

    // Paths, language, backend and link from the options; with --sim-state, the keyboard's lock
    // and its memory. An exit code (kExitOk when ready).
    int Prepare();
    // Locks the keyboard, then one search for it; kExitOk when connected, otherwise the error
    // is printed.
    int Connect();
    // The lock alone, for commands that search for the keyboard themselves; kExitOk, or the
    // holder named when another process keeps the keyboard.
    int LockRealKeyboard();
    void Disconnect();
    // Saves the simulated keyboard's memory when --sim-state asks for it; an exit code.
    int Finish();

    std::string Text(const std::string& key) const;
    // Shows text on err; for a question: --yes answers Yes, a terminal is asked, else No.
    bool Ask(const std::string& text, PromptButtons buttons);
    // Prints "vorlinctl: message" on err and returns code.
    int Fail(int code, const std::string& message) const;
    // Before an operation whose failure is to be told: forgets the link's earlier failure.
    void ClearLinkFailure();
    // Whether an exchange failed since then, also where the core does not pass its result on.
    bool LinkFailed() const;
    // A device operation that did not return 1: the link's failure record tells why;
    // kExitRefused or kExitFailed.
    int FailDevice(const std::string& what, int result = 0) const;

  private:
    // Takes keyboardLock on a lock file or on a device node, waiting up to options.lockWait;
    // kExitOk, or the holder named. A node that cannot be opened is left unlocked (*locked
    // false): opening it for the exchanges fails the same way and says why.
    int LockKeyboard(const std::string& path, bool lockFile, const std::string& what,
                     bool* locked = nullptr);
};

// Words for a protocol result code.
std::string DescribeResult(int result);

bool StdinIsTerminal();

}  // namespace vorlin
