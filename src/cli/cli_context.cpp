// The session of one vorlinctl run: backend, link, connection, prompts and error reporting.
#include "cli/cli_context.h"

#include <cstdio>
#include <iostream>
#include <vector>

#include "device/connect_once.h"
#include "device/hid/hidraw_backend.h"
#include "device/hid/system_backend.h"
#include "device/protocol.h"
#include "platform/text_format.h"
#include "sim/sim_backend.h"
#include "sim/sim_keyboard.h"
#include "sim/sim_memory.h"
#include "skin/language.h"

namespace vorlin {

namespace fs = std::filesystem;

// ---- prompter ----

bool CliPrompter::Ask(const std::string& textKey, PromptButtons buttons,
                      const std::string& argument) {
    std::string text = session_.Text(textKey);
    if (!argument.empty()) text = FormatPromptText(text, argument);
    return session_.Ask(text, buttons);
}

// ---- link failures ----

std::string DescribeFailure(const LinkFailure& f) {
    const std::string command = std::to_string(f.command);
    switch (f.kind) {
        case LinkFailure::Kind::Refused:
            return "the keyboard refused command " + command + " (status " +
                   std::to_string(f.status) + ", code " +
                   std::to_string(f.status == 255 ? kRefused255 : kRefused254) + ")";
        case LinkFailure::Kind::WriteFailed:
            return "command " + command +
                   " could not be written to the keyboard (code -1); it may have been unplugged";
        case LinkFailure::Kind::NoReply:
            return "the keyboard did not answer command " + command + " (" +
                   std::to_string(f.attempts) + " attempts, code 0)";
        case LinkFailure::Kind::NotReady:
        case LinkFailure::Kind::None:
            break;
    }
    return {};
}

// ---- session ----

CliSession::CliSession(std::ostream& o, std::ostream& e, std::istream& i, bool terminal)
    : out(o), err(e), in(i), inputIsTerminal(terminal) {}

CliSession::~CliSession() {
    if (link) {
        link->trace.store(nullptr);
        DisconnectOnce(*link);
    }
}

int CliSession::Prepare() {
    fs::path data = options.dataFolder.empty() ? FindDataFolder(ExecutableFolder())
                                               : fs::path(options.dataFolder);
    paths = MakeAppPaths(data);
    if (options.language == 1033 || options.language == 1046)
        languageIndex = options.language == 1033 ? 0 : 1;
    else
        languageIndex = LanguageIndex(paths, iniLock);

    hidraw = std::make_shared<HidrawBackend>(options.sysfsRoot, options.devRoot);
    backend = std::make_unique<SystemHidBackend>(hidraw);
    if (options.simulate) {
        // A model named on the command line must be the state file's; without one the file
        // tells the model.
        const bool named = !options.simulateModel.empty();
        const std::string modelName = named ? options.simulateModel : "320f:5000";
        std::optional<SimModel> model = ParseModelName(modelName);
        if (!model)
            return Fail(kExitUsage, "unknown simulated model \"" + modelName +
                                        "\"; use 0c45:5004 or 320f:5000");
        SimMemory memory = FactoryMemory(*model);
        if (const std::string& file = options.simState; !file.empty()) {
            const std::string what = "the simulated keyboard's state file " + file;
            // Refused before its lock file is made beside it (no "/dev/zero.lock").
            std::error_code ec;
            const fs::file_status before = fs::status(file, ec);
            if (fs::exists(before) && !fs::is_regular_file(before))
                return Fail(kExitBadFile,
                            what + " cannot be read: it is " +
                                (fs::is_directory(before) ? "a folder" : "not a regular file") +
                                ".");
            // Load, command and save are one read-modify-write: no other process may run one
            // on the same file in between.
            if (int code = LockKeyboard(file + ".lock", true, "the simulated keyboard of " + file);
                code != kExitOk)
                return code;
            if (fs::status(file, ec).type() != fs::file_type::not_found) {
                std::string why;
                SimMemory loaded;
                if (!LoadSimMemory(file, loaded, &why))
                    return Fail(kExitBadFile, what + " cannot be read: " + why + ".");
                if (named && loaded.model != *model) {
                    const SimModelInfo& info = ModelInfo(loaded.model);
                    char ids[16];
                    std::snprintf(ids, sizeof ids, "%04x:%04x", info.vendorId, info.productId);
                    return Fail(kExitUsage, what + " belongs to the other model (" + ids +
                                                "), not to " + modelName + ".");
                }
                memory = loaded;
            }
        }
        sim = SimKeyboard::Create(memory);
        simBackend =
            std::make_shared<SimBackend>(options.simOverSocket ? SimBackend::Transport::Socketpair
                                                               : SimBackend::Transport::InProcess);
        simBackend->Add(sim);
        backend->Register(kSimPathPrefix, simBackend);
    }
    link = std::make_unique<DeviceLink>(*backend);
    if (options.verbose) {
        trace = std::make_unique<FrameTrace>(
            [this](const FrameEvent& event) { err << FrameTrace::FormatLine(event) << '\n'; });
        link->trace.store(trace.get());
    }
    monitorContext = std::make_unique<MonitorContext>(*link, state, sink, prompter);
    return kExitOk;
}

int CliSession::Connect() {
    if (link->ready.load()) return kExitOk;
    if (int code = LockRealKeyboard(); code != kExitOk) return code;
    ClearLinkFailure();
    ConnectOutcome outcome = ConnectOnce(*monitorContext);
    if (outcome.found) {
        // Going on without the keyboard's own factory map or macro capacity would translate
        // keys against the wrong map; the desktop application may, a script should not.
        if (LinkFailed()) {
            const int code = FailDevice("connecting to the keyboard");
            Disconnect();
            return code;
        }
        return kExitOk;
    }
    if (!outcome.enumerated) return Fail(kExitNoKeyboard, "the HID devices cannot be listed.");
    std::string message = "no keyboard found.";
    if (outcome.candidates > 0 && !outcome.unopened.empty()) {
        message += " " + std::to_string(outcome.unopened.size()) +
                   " keyboard interface(s) exist but cannot be opened (" +
                   outcome.unopened.front() +
                   "); most likely this user lacks permission. Install the udev rule "
                   "(sudo cp packaging/60-vorlin.rules /etc/udev/rules.d/ && sudo udevadm control "
                   "--reload && sudo udevadm trigger), then unplug and replug the keyboard.";
    } else if (!options.simulate) {
        message += " Plug the keyboard in, or try the simulated one with --simulate.";
    }
    return Fail(kExitNoKeyboard, message);
}

int CliSession::LockRealKeyboard() {
    // The node of the vendor collection that the search opens first. (With --sim-state the
    // simulated keyboard's lock is held already.)
    std::vector<HidrawInterfaceDetails> details;
    if (!keyboardLock.Held() && hidraw && hidraw->ListDetails(details)) {
        for (const HidrawInterfaceDetails& d : details) {
            if (!d.described || !PathPassesFilter(d.path) ||
                !FindKeyboardModel(d.vendorId, d.productId) ||
                d.caps.usagePage != kVendorUsagePage || d.caps.usage != kVendorUsage)
                continue;
            bool locked = false;
            if (int code = LockKeyboard(d.node, false, "the keyboard at " + d.node, &locked);
                code != kExitOk)
                return code;
            if (locked) break;
        }
    }
    return kExitOk;
}

void CliSession::Disconnect() {
    if (link) DisconnectOnce(*link);
}

int CliSession::Finish() {
    if (!sim || options.simState.empty()) return kExitOk;
    std::string why;
    if (!SaveSimMemory(sim->Memory(), options.simState, &why))
        return Fail(kExitFailed, "the simulated keyboard's state could not be saved to " +
                                     options.simState + ": " + why + ".");
    return kExitOk;
}

namespace {

std::string WaitText(std::chrono::milliseconds wait) {
    const long long ms = wait.count();
    return ms % 1000 == 0 ? std::to_string(ms / 1000) + " s" : std::to_string(ms) + " ms";
}

}  // namespace

int CliSession::LockKeyboard(const std::string& path, bool lockFile, const std::string& what,
                             bool* locked) {
    const auto note = [&](const LockHolder& holder) {
        err << "vorlinctl: " << what << " is in use by " << DescribeLockHolder(holder)
            << "; waiting up to " << WaitText(options.lockWait) << ".\n";
    };
    const int result = lockFile ? keyboardLock.LockFile(path, options.lockWait, note)
                                : keyboardLock.LockNode(path, options.lockWait, note);
    if (locked) *locked = result == KeyboardLock::kTaken;
    if (result == KeyboardLock::kTaken) return kExitOk;
    if (result == KeyboardLock::kBusy)
        return Fail(kExitFailed, what + " is in use by " +
                                     DescribeLockHolder(keyboardLock.holder()) +
                                     "; gave up after waiting " + WaitText(options.lockWait) + ".");
    if (!lockFile) return kExitOk;
    return Fail(kExitFailed,
                "the lock file " + path + " cannot be used: " + keyboardLock.error() + ".");
}

bool CliSession::Ask(const std::string& text, PromptButtons buttons) {
    if (buttons == PromptButtons::Ok) {
        err << text << '\n';
        return true;
    }
    if (options.yes) {
        err << text << " [yes]\n";
        return true;
    }
    if (!inputIsTerminal) {
        err << text << " [no: not asked off a terminal; --yes answers yes]\n";
        return false;
    }
    err << text << " [y/N] " << std::flush;
    std::string answer;
    if (!std::getline(in, answer)) return false;
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes";
}

std::string CliSession::Text(const std::string& key) const {
    return LookupText(texts, key, languageIndex);
}

int CliSession::Fail(int code, const std::string& message) const {
    err << "vorlinctl: " << message << '\n';
    return code;
}

void CliSession::ClearLinkFailure() {
    if (link) link->TakeFailure();
}

bool CliSession::LinkFailed() const {
    return link && link->Failure().kind != LinkFailure::Kind::None;
}

int CliSession::FailDevice(const std::string& what, int result) const {
    const LinkFailure failure = link ? link->Failure() : LinkFailure{};
    std::string why = DescribeFailure(failure);
    if (why.empty() && result != 0 && result != 1) why = DescribeResult(result);
    if (why.empty() && link && (failure.kind == LinkFailure::Kind::NotReady || !link->ready.load()))
        why = "the keyboard is not connected";
    if (why.empty()) why = "the keyboard did not complete it";
    const bool refused = failure.kind == LinkFailure::Kind::Refused || result == kRefused255 ||
                         result == kRefused254;
    return Fail(refused ? kExitRefused : kExitFailed, what + " failed: " + why + ".");
}

// ---- helpers ----

std::string DescribeResult(int result) {
    switch (result) {
        case kDone:
            return "done";
        case kFailed:
            return "no keyboard, or no reply (code 0)";
        case kWriteFailed:
            return "the request could not be written (code -1)";
        case kRefused255:
            return "the keyboard refused the command (status 255, code -102)";
        case kRefused254:
            return "the keyboard refused the command (status 254, code -103)";
        case kBadProfile:
            return "profile number out of range (code -201)";
        default:
            return "code " + std::to_string(result);
    }
}

}  // namespace vorlin
