// What background threads and the core ask of the main window. The GUI posts each call to its
// own thread ("Send" calls block until handled, "Post" calls do not); the CLI and tests
// implement it directly.
#pragma once

namespace vorlin {

constexpr int kTrayIconDisconnected = 128;
constexpr int kTrayIconConnected = 141;
constexpr int kTrayIconIndicator = 142;
constexpr int kTimerReloadLighting = 1051;
constexpr int kTimerResetUserColours = 1053;

class MainWindowSink {
  public:
    virtual ~MainWindowSink() = default;
    virtual void SendKeyboardLost() = 0;   // 0x4753: close the secondary windows
    virtual void SendReloadProfile() = 0;  // 0x5452 'PROF': reload everything from the keyboard
    virtual void PostOpen() = 0;           // 0x5350 'OPEN': show the main window
    virtual void HideMainWindow() = 0;
    virtual void SetTimer(int timerId, int periodMs) = 0;  // 1051, 1053
    virtual void SetTrayIcon(int iconId) = 0;
};

}  // namespace vorlin
