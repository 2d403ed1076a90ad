// The keyboard's side of the command protocol: one request frame in, at most one reply out.
// Pure over the memory it is given, so it can be driven directly by tests and the fuzzer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "device/frame_layout.h"
#include "sim/sim_memory.h"

namespace vorlin {

constexpr size_t kSimReportSize = kFrameSize;  // every report of the vendor collection

// Reply status byte values.
constexpr uint8_t kSimStatusOk = 0;
constexpr uint8_t kSimStatusBadFrame = 255;    // checksum, report id, length or unknown command
constexpr uint8_t kSimStatusBadAddress = 254;  // outside the addressed memory

struct SimFrameResult {
    bool replied = false;    // reply holds 64 bytes to send back
    bool enterBoot = false;  // the boot-loader request; no reply
    uint8_t command = 0;     // byte 3 of the request (0 when too short to tell)
    uint8_t status = 0;
};

// request: one output report in Windows layout (byte 0 the report id), any length.
SimFrameResult HandleSimFrame(SimMemory& memory, const uint8_t* request, size_t length,
                              uint8_t* reply64);

// Fills bytes 1..2 of a reply or request frame with the sum of bytes 3..63.
void StampFrameChecksum(uint8_t* frame64);

}  // namespace vorlin
