// What background threads and the core ask of the main window. The GUI posts each call to its
// own thread ("Send" calls block until handled, the others do not); the CLI and tests implement
// it directly. The calls say what is wanted; how the window does it (its timers, its icons) is
// the window's own business.
#pragma once

namespace vorlin {

// What the tray shows. Indicator is shown while the keyboard reports its indicator on; when it
// goes off, the connection state shown before comes back.
enum class TrayState { NotConnected, Connected, Indicator };

class MainWindowSink {
  public:
    virtual ~MainWindowSink() = default;
    virtual void SendKeyboardLost() = 0;   // close the secondary windows
    virtual void SendReloadProfile() = 0;  // reload everything from the keyboard
    virtual void PostOpen() = 0;           // show the main window
    virtual void HideMainWindow() = 0;
    // The keyboard changed its lighting: re-read it and refresh the lighting panel, on the
    // window's thread at its next turn.
    virtual void ScheduleLightingReload() = 0;
    // The keyboard switched profile and reset its user colours: reset the user-colour files,
    // then reload the lighting, on the window's thread at its next turn.
    virtual void ScheduleUserColourReset() = 0;
    virtual void ShowTrayState(TrayState state) = 0;
};

}  // namespace vorlin
