#include "app/app_core.h"

#include "device/hid/hidraw_backend.h"
#include "platform/keyboard_lock.h"
#include "sim/sim_memory.h"

namespace vorlin {

namespace fs = std::filesystem;

namespace {

// The simulated keyboard's memory: the state file's when it exists, else the factory's. A model
// named on the command line must be the file's.
std::optional<SimMemory> SimStartMemory(const AppArguments& args, std::string* why) {
    const bool named = !args.simulateModel.empty();
    const std::string modelName = named ? args.simulateModel : "320f:5000";
    const std::optional<SimModel> model = ParseModelName(modelName);
    if (!model) {
        *why = "unknown simulated model \"" + modelName + "\"; use 0c45:5004 or 320f:5000";
        return std::nullopt;
    }
    SimMemory memory = FactoryMemory(*model);
    if (!args.simState) return memory;
    const std::string& file = *args.simState;
    std::error_code ec;
    if (fs::status(file, ec).type() == fs::file_type::not_found) return memory;
    SimMemory loaded;
    std::string error;
    KeyboardLock lock;
    if (lock.LockFile(file + ".lock", kKeyboardLockWait, {}) != KeyboardLock::kTaken ||
        !LoadSimMemory(file, loaded, &error)) {
        *why = "the simulated keyboard's state file " + file + " cannot be read" +
               (error.empty() ? std::string() : ": " + error);
        return std::nullopt;
    }
    if (named && loaded.model != *model) {
        *why = "the simulated keyboard's state file " + file + " belongs to the other model";
        return std::nullopt;
    }
    return loaded;
}

}  // namespace

std::unique_ptr<AppCore> AppCore::Create(const AppArguments& args, const fs::path& dataFolder,
                                         const fs::path& exeFolder, std::string* why) {
    std::unique_ptr<AppCore> core(new AppCore());
    core->paths = MakeAppPaths(dataFolder);
    core->paths.daemonFile = exeFolder / core->paths.daemonFile.filename();
    core->languageIndex = LanguageIndex(core->paths, core->iniLock);
    core->backend = std::make_unique<SystemHidBackend>(std::make_shared<HidrawBackend>());
    if (args.simulate) {
        std::optional<SimMemory> memory = SimStartMemory(args, why);
        if (!memory) return nullptr;
        core->sim = SimKeyboard::Create(*memory);
        core->simBackend = std::make_shared<SimBackend>(SimBackend::Transport::InProcess);
        core->simBackend->Add(core->sim);
        core->backend->Register(kSimPathPrefix, core->simBackend);
        core->simState = args.simState;
    }
    core->link = std::make_unique<DeviceLink>(*core->backend);
    return core;
}

bool AppCore::SaveSimState(std::string* why) {
    if (!sim || !simState) return true;
    // The lock is held only while the file is written, so vorlinctl can read it meanwhile.
    KeyboardLock lock;
    if (lock.LockFile(*simState + ".lock", kKeyboardLockWait, {}) != KeyboardLock::kTaken) {
        *why = "its lock is held by " + DescribeLockHolder(lock.holder());
        return false;
    }
    return SaveSimMemory(sim->Memory(), *simState, why);
}

}  // namespace vorlin
