// Optional log of every report the command protocol writes and reads: each report is handed to
// a sink as an event (what happened, when, the bytes), and whoever wants text makes a line of
// it with FormatLine. Installed on a DeviceLink through its trace pointer; when none is
// installed nothing is built.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <string>

namespace vorlin {

struct FrameEvent {
    enum class Kind { Write, Read, WriteFailed, ReadTimedOut, Discarded };
    Kind kind = Kind::Write;
    double seconds = 0;  // since the trace started
    // The report as written or read; empty for a read that timed out. Valid only during the
    // sink call: a sink that keeps events copies the bytes.
    std::span<const uint8_t> bytes;
};

class FrameTrace {
  public:
    using Sink = std::function<void(const FrameEvent& event)>;

    explicit FrameTrace(Sink sink);

    void Log(FrameEvent::Kind kind, std::span<const uint8_t> bytes);

    // "  0.001234 W 04 01 00 ...": the time, a tag for the kind, the bytes in hex.
    static std::string FormatLine(const FrameEvent& event);

  private:
    Sink sink_;
    std::chrono::steady_clock::time_point start_;
    // Guards sink_ calls so events from two threads never interleave.
    std::mutex sinkLock_;
};

}  // namespace vorlin
