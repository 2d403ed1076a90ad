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

// What the main window does on connection, for the commands that change the configuration: the
// keyboard into the active profile's backing file, and that file into the work store. kExitOk
// or the error printed.
int ReloadWorkStore(CliSession& s, CliStore& store);

// The main window's Apply after an edit of the work store: refused, with nothing written, when
// the macros would not fit the keyboard's memory; otherwise the active profile's backing file is
// saved and the work store written to the keyboard (all three profiles with allProfiles, or
// after a macro used by keys was deleted). what names the write in an error. kExitOk or the
// error printed.
int ApplyWorkStore(CliSession& s, CliStore& store, bool allProfiles, const std::string& what);

}  // namespace vorlin
