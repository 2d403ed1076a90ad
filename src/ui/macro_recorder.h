// Key events as the editor receives them, and the macro recorder that turns them into timed
// actions. The windowing side only converts its key events (Linux input code, transition, time
// stamp in milliseconds) and forwards them.
#pragma once

#include <cstdint>
#include <set>
#include <vector>

#include "keys/key_action.h"
#include "store/macro_record.h"

namespace vorlin {

enum class KeyTransition { Press, Release, AutoRepeat };

struct KeyInput {
    uint32_t inputCode;  // linux/input-event-codes.h (X11 keycode - 8)
    KeyTransition transition;
    uint64_t timeMs;  // the event's time stamp; only differences are used
};

// Pass: the window handles the event as usual. Swallow: the editor consumed it.
enum class KeyVerdict { Pass, Swallow };

// An action to insert with the delay measured before it (given to the row before).
struct RecordedAction {
    MacroAction action;
    int32_t measuredDelay;
};

class MacroRecorder {
  public:
    bool recording() const { return recording_; }
    // nowMs: a time stamp from the same clock as the key events (the click that started it).
    void Start(uint64_t nowMs);
    void Stop();

    // While recording: multimedia keys and codes that are no key pass unrecorded; auto-repeats
    // are swallowed; other events are swallowed and appended to `out`. Keys for which only the
    // release counts (Print Screen and the like) record a press and, 2 ms later, the release,
    // both on the release; their press is swallowed. Delays are the time since the previous
    // event (0..40000), or 50 with recordDelays 0.
    KeyVerdict OnKey(const KeyInput& input, int recordDelays, std::vector<RecordedAction>& out);

  private:
    int32_t Measure(uint64_t nowMs, int recordDelays) const;

    bool recording_ = false;
    uint64_t lastEventMs_ = 0;
    std::set<KeyCode> held_;
};

}  // namespace vorlin
