// LoadLighting against a keyboard whose replies come from the input (see scripted_keyboard.h),
// after a connection: the model must stay usable whatever the state block and records say.
#include <cstdlib>

#include "scripted_keyboard.h"
#include "store/lighting_model.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vorlin;
    if (size == 0) return 0;
    fuzz::Session s(data, size);
    if (!s.Connect()) std::abort();
    static const AppPaths paths = MakeAppPaths(fuzz::ScratchFolder() / "app");
    static const LanguageCache texts(paths);
    LightingModel model;
    IniLock iniLock;
    LightingContext ctx{s.link, paths, iniLock};
    const int r = LoadLighting(model, ctx);
    if (r != 0 && r != -1) std::abort();
    const int profile = ProfileIndex(model);
    if (profile < 0 || profile > 2) std::abort();
    (void)ShowModeList(model, texts, 0);
    DisconnectOnce(s.link);
    return 0;
}
