// Where the bytes are in the keyboard's command frames and in its device state block. The
// protocol, the stores and the simulated keyboard place and find bytes through these names only;
// what a byte may hold is checked by each side on its own.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vorlin {

// ---- frames ----

constexpr uint8_t kReportId = 4;
constexpr size_t kFrameSize = 64;
constexpr size_t kFramePayload = 56;

// Byte offsets within a frame; requests and replies share them.
namespace framebyte {
inline constexpr size_t kId = 0;           // the report id
inline constexpr size_t kChecksumLow = 1;  // sum of bytes 3..63, modulo 65536
inline constexpr size_t kChecksumHigh = 2;
inline constexpr size_t kCommand = 3;
inline constexpr size_t kLength = 4;  // payload bytes sent, or data bytes wanted
inline constexpr size_t kOffsetLow = 5;
inline constexpr size_t kOffsetHigh = 6;
inline constexpr size_t kStatus = 7;  // 0 in a request; the keyboard's verdict in a reply
inline constexpr size_t kPayload = 8;
// The checksum covers the header fields and the payload.
inline constexpr size_t kChecksumFirst = kCommand;
}  // namespace framebyte

static_assert(framebyte::kPayload + kFramePayload == kFrameSize);

// Reply status values that refuse the request; any other value accepts it.
constexpr uint8_t kStatusRefused255 = 255;
constexpr uint8_t kStatusRefused254 = 254;

enum CommandCode : uint8_t {
    CMD_CONFIG_BEGIN = 1,
    CMD_CONFIG_END = 2,
    CMD_READ_STATE = 3,
    CMD_WRITE_STATE = 4,
    CMD_READ_LIGHTING = 5,
    CMD_WRITE_LIGHTING = 6,
    CMD_READ_KEYMAP = 7,
    CMD_WRITE_KEYMAP = 8,
    CMD_READ_MACROS = 9,
    CMD_WRITE_MACROS = 10,
    // 11, 12 and 14 take no data; what they make the keyboard do is not known, so they keep
    // their numbers for names.
    CMD_11 = 11,
    CMD_12 = 12,
    CMD_TEST = 13,
    CMD_14 = 14,
    CMD_READ_DEFAULT_KEYMAP = 15,
    CMD_READ_KEY_COLOURS = 16,
    CMD_WRITE_KEY_COLOURS = 17,
    // The boot-loader request: this code in both the command and the length byte, no checksum.
    CMD_ENTER_BOOT = 0xEE,
};

inline uint16_t FrameOffset(const uint8_t* frame) {
    return static_cast<uint16_t>(frame[framebyte::kOffsetLow] | frame[framebyte::kOffsetHigh] << 8);
}
inline void PutFrameOffset(uint8_t* frame, unsigned offset) {
    frame[framebyte::kOffsetLow] = static_cast<uint8_t>(offset);
    frame[framebyte::kOffsetHigh] = static_cast<uint8_t>(offset >> 8);
}
inline uint16_t StoredChecksum(const uint8_t* frame) {
    return static_cast<uint16_t>(frame[framebyte::kChecksumLow] | frame[framebyte::kChecksumHigh]
                                                                      << 8);
}
inline void PutStoredChecksum(uint8_t* frame, uint16_t sum) {
    frame[framebyte::kChecksumLow] = static_cast<uint8_t>(sum);
    frame[framebyte::kChecksumHigh] = static_cast<uint8_t>(sum >> 8);
}

// ---- the device state block ----

// Read and written whole with CMD_READ_STATE / CMD_WRITE_STATE. Bytes 0..9 mean nothing to the
// host and go back to the keyboard unchanged.
constexpr size_t kStateBlockSize = 44;
constexpr size_t kStateActiveProfile = 10;  // 0..2
constexpr size_t kStateMacroUnits = 11;     // macro capacity in units of kMacroCapacityUnit
constexpr size_t kStateModes = 12;          // offered lighting modes, in the order shown
constexpr size_t kOfferedModeSlots = 32;    // each a mode number, 0 for an empty slot
constexpr unsigned kMacroCapacityUnit = 128;

static_assert(kStateModes + kOfferedModeSlots == kStateBlockSize);

// The macro capacity in bytes that a state block grants.
inline unsigned StateMacroCapacity(const uint8_t* block) {
    return kMacroCapacityUnit * block[kStateMacroUnits];
}

}  // namespace vorlin
