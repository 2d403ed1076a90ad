// Arbitrary bytes into the simulated keyboard's frame handling. Input: one byte choosing the
// model, then records of [control, length, bytes...]; control bit 0 asks for the frame's
// checksum to be made valid so that the fuzzer also reaches the commands behind the check.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "sim/sim_firmware.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vorlin;
    if (size == 0) return 0;
    SimMemory memory = FactoryMemory(data[0] & 1 ? SimModel::k320F_5000 : SimModel::k0C45_5004);
    size_t pos = 1;
    while (pos + 2 <= size) {
        const uint8_t control = data[pos];
        size_t length = data[pos + 1];
        pos += 2;
        length = std::min(length, size - pos);
        uint8_t frame[2 * kSimReportSize] = {};
        const size_t copied = std::min(length, sizeof frame);
        std::memcpy(frame, data + pos, copied);
        pos += length;
        if ((control & 1) && copied >= kSimReportSize) StampFrameChecksum(frame);

        uint8_t reply[kSimReportSize];
        SimFrameResult r = HandleSimFrame(memory, frame, copied, reply);
        if (r.replied) {
            uint8_t check[kSimReportSize];
            std::memcpy(check, reply, sizeof check);
            StampFrameChecksum(check);
            if (check[1] != reply[1] || check[2] != reply[2]) std::abort();
            if (reply[7] != kSimStatusOk && reply[7] != kSimStatusBadFrame &&
                reply[7] != kSimStatusBadAddress)
                std::abort();
        }
        if (memory.state[kStateActiveProfile] > 2) std::abort();
        if (memory.model == SimModel::k0C45_5004 &&
            std::any_of(memory.keyMaps.begin() + 3 * 378, memory.keyMaps.end(),
                        [](uint8_t b) { return b != 0; }))
            std::abort();  // a write landed outside the smaller model's maps
    }
    return 0;
}
