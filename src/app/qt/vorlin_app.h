// The desktop application: the one running copy's core, its GUI bridge, prompter and main
// window, from the command line to the end of the event loop.
#pragma once

#include <memory>
#include <string>

#include "app/app_arguments.h"
#include "app/app_core.h"
#include "app/qt/gui_bridge.h"
#include "app/qt/gui_seams.h"
#include "app/qt/main_window.h"
#include "app/single_instance.h"

namespace vorlin {

class CVorlinApp {
  public:
    // The single-instance steps and the companion daemon happen here; nullptr means the process
    // ends with *exitCode (0 after handing over to the running copy).
    static std::unique_ptr<CVorlinApp> Start(const AppArguments& args, int* exitCode);
    // Runs until ExitApplication; the process's exit code.
    int Run();

    CVorlinDlg& Window() { return *window_; }
    AppCore& Core() { return *core_; }

  private:
    CVorlinApp() = default;

    std::unique_ptr<AppCore> core_;
    std::unique_ptr<GuiBridge> bridge_;
    std::unique_ptr<GuiPrompter> prompter_;
    std::unique_ptr<CVorlinDlg> window_;
};

}  // namespace vorlin
