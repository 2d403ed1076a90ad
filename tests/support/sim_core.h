// What the widget tests over the application's core share: every user folder of the run inside
// the test's own, the core on the simulated keyboard, and a work store over it connected and
// holding the default image.
#pragma once

#include <cstdlib>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>

#include "app/app_core.h"
#include "store/config_image.h"
#include "store/store_context.h"
#include "support/connect.h"
#include "support/qt_app.h"
#include "support/temp_folder.h"

namespace vorlin::test {

// HOME and the XDG folders inside home, then the core as the application makes it.
inline std::unique_ptr<AppCore> MakeSimCore(const TempFolder& home) {
    App();
    for (const char* v : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"})
        ::setenv(v, (home.path() / v).c_str(), 1);
    AppArguments args;
    args.simulate = true;
    std::string why;
    auto core = AppCore::Create(args, BuildFolder(), home.path(), &why);
    if (!core) throw std::runtime_error(why);
    return core;
}

// The main window's store over the core with the test's prompter and window side, the link
// connected and the default image in the work store.
inline std::unique_ptr<StoreContext> MakeConnectedStore(AppCore& core, Prompter& prompter,
                                                        StoreUi& ui) {
    auto store = std::make_unique<StoreContext>(
        StoreContext{core.work, core.apply, *core.link, core.state, core.writeAllProfiles, prompter,
                     core.paths, core.languageIndex, ui, core.texts, core.iniLock});
    if (!ConnectLink(*core.link, LearnEcho::Yes)) throw std::runtime_error("no connection");
    std::lock_guard guard(core.work.lock);
    core.work.image = MakeDefaultImage();
    return store;
}

}  // namespace vorlin::test
