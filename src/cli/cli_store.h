// The configuration stores of one vorlinctl run, wired to its session as the main window wires
// its own, for the commands that read or write key assignments and profile files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli_context.h"
#include "store/store_context.h"

namespace vorlin {

class CliStoreUi final : public StoreUi {
  public:
    void SetChanged(bool) override {}
    void ResetKeyButton(int, KeyIndex) override {}
    void RefreshKeyButtons(int) override {}
};

struct CliStore {
    explicit CliStore(CliSession& s)
        : ctx{work,    apply,           *s.link, s.state, writeAllProfiles, s.prompter,
              s.paths, s.languageIndex, ui,      s.texts, s.iniLock} {}

    ConfigStore work;
    ConfigStore apply;
    int writeAllProfiles = 0;
    CliStoreUi ui;
    StoreContext ctx;
};

// Reads a profile file (once, with a bound) and checks it before it is taken in; kExitOk with
// its bytes, or the error printed with its reason.
int ReadProfileFile(CliSession& s, const std::filesystem::path& file, std::vector<uint8_t>& bytes);

// When file exists, asks before it is replaced; kExitOk to go on.
int ConfirmOverwrite(CliSession& s, const std::filesystem::path& file);

// Loads the keyboard's configuration into the work store without writing any file; kExitOk or
// the error printed.
int LoadKeyboardIntoStore(CliSession& s, CliStore& store);

}  // namespace vorlin
