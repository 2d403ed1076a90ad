// ReadDeviceIntoFile against a keyboard whose replies come from the input (see
// scripted_keyboard.h), after a connection: whatever the keyboard says, a file it reports as
// written must load again.
#include <cstdlib>

#include "scripted_keyboard.h"
#include "store/config_device.h"
#include "store/profile_file.h"

namespace {

class QuietUi final : public vorlin::StoreUi {
  public:
    void SetChanged(bool) override {}
    void ResetKeyButton(int, vorlin::KeyIndex) override {}
    void RefreshKeyButtons(int) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vorlin;
    if (size == 0) return 0;
    fuzz::Session s(data, size);
    if (!s.Connect()) std::abort();
    static const AppPaths paths = MakeAppPaths(fuzz::ScratchFolder() / "app");
    static const LanguageCache texts(paths);
    ConfigStore work, apply;
    int writeAll = 0;
    const int language = 0;
    QuietUi ui;
    static IniLock iniLock;
    StoreContext ctx{work,  apply,    s.link, s.state, writeAll, s.prompter,
                     paths, language, ui,     texts,   iniLock};
    const std::filesystem::path file = fuzz::ScratchFolder() / "read.fwc";
    std::error_code ec;
    std::filesystem::remove(file, ec);
    const int r = ReadDeviceIntoFile(ctx, file);
    if (r != 0 && r != 1) std::abort();
    if (r == 1) {
        ConfigStore loaded;
        std::lock_guard<std::recursive_mutex> guard(loaded.lock);
        if (LoadImageFile(loaded, file) != 1) std::abort();
    } else if (std::filesystem::exists(file, ec)) {
        std::abort();  // a failed read leaves no file behind
    }
    DisconnectOnce(s.link);
    return 0;
}
