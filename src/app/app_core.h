// What the desktop application runs on below its windows: its paths and language texts, the HID
// backend (hidraw, plus the simulated keyboard when asked), the device link, the connection
// state and the two configuration stores. The windows add the monitor, the prompter and the
// store's window side on top; tests build one without any window.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "app/app_arguments.h"
#include "device/connection_state.h"
#include "device/device_link.h"
#include "device/hid/system_backend.h"
#include "platform/app_paths.h"
#include "platform/ini_file.h"
#include "sim/sim_backend.h"
#include "sim/sim_keyboard.h"
#include "skin/language.h"
#include "store/config_store.h"

namespace vorlin {

class AppCore {
  public:
    // dataFolder holds the language files, Skins and Help; exeFolder the daemon. nullptr with
    // why for a simulated keyboard that cannot be made (unknown model, unreadable state file).
    static std::unique_ptr<AppCore> Create(const AppArguments& args,
                                           const std::filesystem::path& dataFolder,
                                           const std::filesystem::path& exeFolder,
                                           std::string* why);
    AppCore(const AppCore&) = delete;
    AppCore& operator=(const AppCore&) = delete;

    // Writes the simulated keyboard's memory to its state file, when it has one; true when
    // there is nothing to save.
    bool SaveSimState(std::string* why);

    AppPaths paths;
    IniLock iniLock;  // every write of the user's ini files goes through it
    LanguageCache texts{paths};
    int languageIndex = 0;
    std::unique_ptr<SystemHidBackend> backend;
    std::shared_ptr<SimBackend> simBackend;  // with --simulate
    std::shared_ptr<SimKeyboard> sim;
    std::optional<std::string> simState;
    std::unique_ptr<DeviceLink> link;
    ConnectionState state;
    ConfigStore work;
    ConfigStore apply;
    int writeAllProfiles = 0;

  private:
    AppCore() = default;
};

}  // namespace vorlin
