// Frame checks and memory access of the simulated keyboard. Refusals: 255 for a frame it
// cannot take at all, 254 for a well-formed request outside the memory it names.
#include "sim/sim_firmware.h"

#include <algorithm>
#include <cstring>

#include "device/frame_layout.h"

namespace vorlin {
namespace {

// The keyboard sums the frame itself rather than trusting the host's arithmetic.
uint16_t SumBytes3To63(const uint8_t* frame) {
    unsigned sum = 0;
    for (size_t i = framebyte::kChecksumFirst; i < kSimReportSize; ++i) sum += frame[i];
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
    const bool simple = command == CMD_CONFIG_BEGIN || command == CMD_CONFIG_END ||
                        (command >= CMD_11 && command <= CMD_14);
    if (simple) return length == 0 && offset == 0 ? kSimStatusOk : kSimStatusBadFrame;
    if (length == 0) return kSimStatusBadFrame;

    switch (command) {
        case CMD_READ_STATE:
            if (length != kStateBlockSize || offset != 0) return kSimStatusBadFrame;
            std::memcpy(data, m.state.data(), kStateBlockSize);
            return kSimStatusOk;
        case CMD_WRITE_STATE: {  // capacity and offered modes are the keyboard's own facts
            if (length != kStateBlockSize || offset != 0) return kSimStatusBadFrame;
            if (payload[kStateActiveProfile] > 2) return kSimStatusBadAddress;
            std::memcpy(m.state.data(), payload, kStateMacroUnits);
            return kSimStatusOk;
        }
        case CMD_READ_LIGHTING:
            return ReadWindow({m.lighting.data(), m.lighting.size(), 0}, offset, length, data);
        case CMD_WRITE_LIGHTING:
            return WriteWindow({m.lighting.data(), 0, m.lighting.size()}, offset, length, payload);
        case CMD_READ_KEYMAP:
        case CMD_WRITE_KEYMAP: {
            Window w{m.keyMaps.data(), 3 * size_t{info.keyMapSize}, 3 * size_t{info.keyMapSize}};
            if (offset + length > w.size) return kSimStatusBadAddress;
            return command == CMD_READ_KEYMAP ? ReadWindow(w, offset, length, data)
                                              : WriteWindow(w, offset, length, payload);
        }
        case CMD_READ_MACROS: {  // the whole address space reads; beyond the granted capacity it is
                                 // zeros
            size_t capacity = m.macroCapacity();
            if (offset < capacity)
                std::memcpy(data, m.macros.data() + offset, std::min(length, capacity - offset));
            return kSimStatusOk;
        }
        case CMD_WRITE_MACROS:
            return WriteWindow({m.macros.data(), 0, m.macroCapacity()}, offset, length, payload);
        case CMD_READ_DEFAULT_KEYMAP:
            if (offset + length > info.keyMapSize) return kSimStatusBadAddress;
            std::memcpy(data, m.factoryMap.data() + offset, length);
            return kSimStatusOk;
        case CMD_READ_KEY_COLOURS:
        case CMD_WRITE_KEY_COLOURS:
            if (!InsideOnePage(offset, length)) return kSimStatusBadAddress;
            if (command == CMD_READ_KEY_COLOURS)
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
    PutStoredChecksum(frame64, SumBytes3To63(frame64));
}

SimFrameResult HandleSimFrame(SimMemory& memory, const uint8_t* request, size_t length,
                              uint8_t* reply64) {
    using namespace framebyte;
    SimFrameResult result;
    std::memset(reply64, 0, kSimReportSize);
    reply64[kId] = kReportId;
    if (length > kCommand) result.command = request[kCommand];

    // The boot-loader request carries no checksum and gets no answer.
    if (length == kSimReportSize && request[kId] == kReportId &&
        request[kCommand] == CMD_ENTER_BOOT && request[kLength] == CMD_ENTER_BOOT) {
        result.enterBoot = true;
        return result;
    }

    result.replied = true;
    uint8_t status = kSimStatusBadFrame;
    if (length == kSimReportSize) {
        // Echo command, length and offset.
        std::memcpy(reply64 + kCommand, request + kCommand, kOffsetHigh + 1 - kCommand);
        const uint16_t sent = StoredChecksum(request);
        const size_t dataLength = request[kLength];
        const size_t offset = FrameOffset(request);
        if (request[kId] == kReportId && sent == SumBytes3To63(request) && request[kStatus] == 0 &&
            dataLength <= kFramePayload)
            status = Execute(memory, request[kCommand], dataLength, offset, request + kPayload,
                             reply64 + kPayload);
    } else if (length > kCommand) {
        reply64[kCommand] = request[kCommand];
    }
    if (status != kSimStatusOk) std::memset(reply64 + kPayload, 0, kFramePayload);
    reply64[kStatus] = status;
    result.status = status;
    StampFrameChecksum(reply64);
    return result;
}

}  // namespace vorlin
