// Optional log of every report the command protocol writes and reads: one line per report,
// a time stamp in seconds since the trace started, the direction and the bytes in hex.
// Installed on a DeviceLink through its trace pointer; when none is installed nothing is
// formatted.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

namespace vorlin {

class FrameTrace {
  public:
    using Sink = std::function<void(const std::string& line)>;
    enum class Event { Write, Read, WriteFailed, ReadTimedOut, Discarded };

    explicit FrameTrace(Sink sink);

    void Log(Event event, const uint8_t* bytes, size_t length);

    // "  0.001234 W 04 01 00 ..."; exposed for tests and other front ends.
    static std::string FormatLine(double seconds, Event event, const uint8_t* bytes, size_t length);

  private:
    Sink sink_;
    std::chrono::steady_clock::time_point start_;
    // Guards sink_ calls so lines from two threads never interleave.
    std::mutex sinkLock_;
};

}  // namespace vorlin
