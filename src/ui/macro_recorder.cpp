// Recording a macro from key events.
#include "ui/macro_recorder.h"

#include <algorithm>

#include "keys/key_codes.h"

namespace vorlin {
namespace {

constexpr int32_t kFixedRecordDelayMs = 50;
constexpr int32_t kUpOnlyPressMs = 2;

}  // namespace

void MacroRecorder::Start(uint64_t nowMs) {
    recording_ = true;
    lastEventMs_ = nowMs;
    held_.clear();
}

void MacroRecorder::Stop() {
    recording_ = false;
    held_.clear();
}

int32_t MacroRecorder::Measure(uint64_t nowMs, int recordDelays) const {
    if (recordDelays != 1) return kFixedRecordDelayMs;
    // A clock that went backwards gives 0; a long pause is cut to what a row can hold.
    if (nowMs <= lastEventMs_) return 0;
    return static_cast<int32_t>(std::min<uint64_t>(nowMs - lastEventMs_, kMaxMacroDelayMs));
}

KeyVerdict MacroRecorder::OnKey(const KeyInput& input, int recordDelays,
                                std::vector<RecordedAction>& out) {
    if (!recording_) return KeyVerdict::Pass;
    const KeyCode code = KeyCodeFromInputCode(input.inputCode);
    if (code == 0 || IsMediaKeyCode(code)) return KeyVerdict::Pass;

    const bool release = input.transition == KeyTransition::Release;
    if (input.transition == KeyTransition::AutoRepeat || (!release && held_.count(code) != 0)) {
        return KeyVerdict::Swallow;
    }
    if (release) {
        held_.erase(code);
    } else {
        held_.insert(code);
    }

    if (IsUpOnlyKey(code)) {
        // Recorded as a whole on the release, so it reads the same whether or not the press
        // arrives: the press with the time since the previous event, the release 2 ms after.
        if (!release) return KeyVerdict::Swallow;
        out.push_back({MacroAction{0, code, 0}, Measure(input.timeMs, recordDelays)});
        out.push_back({MacroAction{0, code, 1}, kUpOnlyPressMs});
    } else {
        out.push_back({MacroAction{0, code, static_cast<uint16_t>(release ? 1 : 0)},
                       Measure(input.timeMs, recordDelays)});
    }
    lastEventMs_ = input.timeMs;
    return KeyVerdict::Swallow;
}

}  // namespace vorlin
