// Traced reports, and their hex lines.
#include "device/frame_trace.h"

#include <cstdio>

namespace vorlin {

FrameTrace::FrameTrace(Sink sink)
    : sink_(std::move(sink)), start_(std::chrono::steady_clock::now()) {}

std::string FrameTrace::FormatLine(const FrameEvent& event) {
    static constexpr const char* kTags[] = {"W", "R", "W-FAILED", "R-TIMEOUT", "R-STALE"};
    static constexpr char kHex[] = "0123456789ABCDEF";
    char head[48];
    std::snprintf(head, sizeof head, "%10.6f %s", event.seconds,
                  kTags[static_cast<int>(event.kind)]);
    std::string line(head);
    line.reserve(line.size() + 3 * event.bytes.size());
    for (const uint8_t byte : event.bytes) {
        line += ' ';
        line += kHex[byte >> 4];
        line += kHex[byte & 15];
    }
    return line;
}

void FrameTrace::Log(FrameEvent::Kind kind, std::span<const uint8_t> bytes) {
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    std::lock_guard<std::mutex> guard(sinkLock_);
    if (sink_) sink_(FrameEvent{kind, seconds, bytes});
}

}  // namespace vorlin
