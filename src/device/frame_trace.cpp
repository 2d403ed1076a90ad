// Hex formatting of traced reports.
#include "device/frame_trace.h"

#include <cstdio>

namespace vorlin {

FrameTrace::FrameTrace(Sink sink)
    : sink_(std::move(sink)), start_(std::chrono::steady_clock::now()) {}

std::string FrameTrace::FormatLine(double seconds, Event event, const uint8_t* bytes,
                                   size_t length) {
    static constexpr const char* kTags[] = {"W", "R", "W-FAILED", "R-TIMEOUT", "R-STALE"};
    static constexpr char kHex[] = "0123456789ABCDEF";
    char head[48];
    std::snprintf(head, sizeof head, "%10.6f %s", seconds, kTags[static_cast<int>(event)]);
    std::string line(head);
    line.reserve(line.size() + 3 * length);
    for (size_t i = 0; i < length; ++i) {
        line += ' ';
        line += kHex[bytes[i] >> 4];
        line += kHex[bytes[i] & 15];
    }
    return line;
}

void FrameTrace::Log(Event event, const uint8_t* bytes, size_t length) {
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    std::string line = FormatLine(seconds, event, bytes, length);
    std::lock_guard<std::mutex> guard(sinkLock_);
    if (sink_) sink_(line);
}

}  // namespace vorlin
