// Frame checks and memory access of the simulated keyboard. Refusals: 255 for a frame it
// cannot take at all, 254 for a well-formed request outside the memory it names.
#include "sim/sim_firmware.h"

#include <algorithm>
#include <cstring>

namespace vorlin {
namespace {

constexpr size_t kPayload = 56;
constexpr uint8_t kReportId = 4;

uint16_t SumBytes3To63(const uint8_t* frame) {
    unsigned sum = 0;
    for (size_t i = 3; i < kSimReportSize; ++i) sum += frame[i];
    return static_cast<uint16_t>(sum);
}

// A memory window a command reaches: bytes [0, size) readable, [0, writable) writable.
struct Window {
    uint8_t* base;
    size_t size;
    size_t writable;
};

// Reads may run past the end of the memory (the keyboard answers zeros there) as long as they
// start inside it; writes must fit entirely.
uint8_t ReadWindow(const Window& w, size_t offset, size_t length, uint8_t* out) {
    if (offset >= w.size) return kSimStatusBadAddress;
    size_t n = std::min(length, w.size - offset);
    std::memcpy(out, w.base + offset, n);
    return kSimStatusOk;
}

uint8_t WriteWindow(const Window& w, size_t offset, size_t length, const uint8_t* in) {
    if (offset > w.writable || length > w.writable - offset) return kSimStatusBadAddress;
    std::memcpy(w.base + offset, in, length);
    return kSimStatusOk;
}

// Key-colour pages are separate 512-byte pages; an access may not cross into the next profile.
bool InsideOnePage(size_t offset, size_t length) {
    return offset / kSimKeyColourPage < 3 &&
           offset % kSimKeyColourPage + length <= kSimKeyColourPage;
}

uint8_t Execute(SimMemory& m, uint8_t command, size_t length, size_t offset, const uint8_t* payload,
                uint8_t* data) {
    const SimModelInfo& info = m.info();
    const bool simple = command == 1 || command == 2 || (command >= 11 && command <= 14);
    if (simple) return length == 0 && offset == 0 ? kSimStatusOk : kSimStatusBadFrame;
    if (length == 0) return kSimStatusBadFrame;

    switch (command) {
        case 3:  // read state
            if (length != kSimStateSize || offset != 0) return kSimStatusBadFrame;
            std::memcpy(data, m.state.data(), kSimStateSize);
            return kSimStatusOk;
        case 4: {  // write state: capacity and offered modes are the keyboard's own facts
            if (length != kSimStateSize || offset != 0) return kSimStatusBadFrame;
            if (payload[kStateActiveProfile] > 2) return kSimStatusBadAddress;
            std::memcpy(m.state.data(), payload, kStateMacroUnits);
            return kSimStatusOk;
        }
        case 5:
            return ReadWindow({m.lighting.data(), m.lighting.size(), 0}, offset, length, data);
        case 6:
            return WriteWindow({m.lighting.data(), 0, m.lighting.size()}, offset, length, payload);
        case 7:
        case 8: {
            Window w{m.keyMaps.data(), 3 * size_t{info.keyMapSize}, 3 * size_t{info.keyMapSize}};
            if (offset + length > w.size) return kSimStatusBadAddress;
            return command == 7 ? ReadWindow(w, offset, length, data)
                                : WriteWindow(w, offset, length, payload);
        }
        case 9: {  // the whole address space reads; beyond the granted capacity it is zeros
            size_t capacity = m.macroCapacity();
            if (offset < capacity)
                std::memcpy(data, m.macros.data() + offset, std::min(length, capacity - offset));
            return kSimStatusOk;
        }
        case 10:
            return WriteWindow({m.macros.data(), 0, m.macroCapacity()}, offset, length, payload);
        case 15:
            if (offset + length > info.keyMapSize) return kSimStatusBadAddress;
            std::memcpy(data, m.factoryMap.data() + offset, length);
            return kSimStatusOk;
        case 16:
        case 17:
            if (!InsideOnePage(offset, length)) return kSimStatusBadAddress;
            if (command == 16)
                std::memcpy(data, m.keyColours.data() + offset, length);
            else
                std::memcpy(m.keyColours.data() + offset, payload, length);
            return kSimStatusOk;
        default:
            return kSimStatusBadFrame;
    }
}

}  // namespace

void StampFrameChecksum(uint8_t* frame64) {
    uint16_t sum = SumBytes3To63(frame64);
    frame64[1] = static_cast<uint8_t>(sum);
    frame64[2] = static_cast<uint8_t>(sum >> 8);
}

SimFrameResult HandleSimFrame(SimMemory& memory, const uint8_t* request, size_t length,
                              uint8_t* reply64) {
    SimFrameResult result;
    std::memset(reply64, 0, kSimReportSize);
    reply64[0] = kReportId;
    if (length >= 4) result.command = request[3];

    // The boot-loader request carries no checksum and gets no answer.
    if (length == kSimReportSize && request[0] == kReportId && request[3] == 0xEE &&
        request[4] == 0xEE) {
        result.enterBoot = true;
        return result;
    }

    result.replied = true;
    uint8_t status = kSimStatusBadFrame;
    if (length == kSimReportSize) {
        std::memcpy(reply64 + 3, request + 3, 4);  // echo command, length and offset
        const uint8_t checksum[2] = {request[1], request[2]};
        uint16_t sent = static_cast<uint16_t>(checksum[0] | checksum[1] << 8);
        size_t dataLength = request[4];
        size_t offset = static_cast<size_t>(request[5] | request[6] << 8);
        if (request[0] == kReportId && sent == SumBytes3To63(request) && request[7] == 0 &&
            dataLength <= kPayload)
            status = Execute(memory, request[3], dataLength, offset, request + 8, reply64 + 8);
    } else if (length >= 4) {
        reply64[3] = request[3];
    }
    if (status != kSimStatusOk) std::memset(reply64 + 8, 0, kPayload);
    reply64[7] = status;
    result.status = status;
    StampFrameChecksum(reply64);
    return result;
}

}  // namespace vorlin
