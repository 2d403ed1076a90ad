// The window side of the core's two seams: the calls the device threads make of the main window
// (MainWindowSink) and the questions the core asks (Prompter), both carried to the GUI thread.
#pragma once

#include <atomic>

#include "app/qt/gui_bridge.h"
#include "platform/main_window_sink.h"
#include "platform/prompter.h"

namespace vorlin {

class CVorlinDlg;
class LanguageCache;

class GuiSink final : public MainWindowSink {
  public:
    GuiSink(GuiBridge& bridge, CVorlinDlg& window) : bridge_(bridge), window_(window) {}

    void SendKeyboardLost() override;
    void SendReloadProfile() override;
    void PostOpen() override;
    void HideMainWindow() override;
    void ScheduleLightingReload() override;
    void ScheduleUserColourReset() override;
    void ShowTrayState(TrayState state) override;

  private:
    GuiBridge& bridge_;
    CVorlinDlg& window_;
};

// Message boxes with the language texts, without owner and with an empty caption. Off the GUI
// thread the question waits for the user's answer there; after shutdown began it is answered
// No (or OK).
class GuiPrompter final : public Prompter {
  public:
    GuiPrompter(GuiBridge& bridge, const LanguageCache& texts, const int& languageIndex)
        : bridge_(bridge), texts_(texts), languageIndex_(languageIndex) {}

    bool Ask(const std::string& textKey, PromptButtons buttons,
             const std::string& argument = {}) override;

  private:
    GuiBridge& bridge_;
    const LanguageCache& texts_;
    const int& languageIndex_;
};

}  // namespace vorlin
