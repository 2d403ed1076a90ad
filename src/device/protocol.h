// The keyboard's 64-byte command protocol: frames, the exchange primitive with its retries and
// time-outs, and one function per command. Results: 1 done, 0 no keyboard or no reply,
// -1 write failed, -102 refused (255), -103 refused (254), -201 bad profile number.
#pragma once

#include <cstddef>
#include <cstdint>

#include "device/device_link.h"
#include "device/frame_layout.h"

namespace vorlin {

enum ProtocolResult : int {
    kDone = 1,
    kFailed = 0,
    kWriteFailed = -1,
    kRefused255 = -102,
    kRefused254 = -103,
    kBadProfile = -201,
};

// Bits of DeviceLink::replyEcho: replies repeat the command (byte 3), and the length and
// offset (bytes 4..6) of their request.
constexpr int kEchoCommand = 1;
constexpr int kEchoPosition = 2;

// Sum of bytes 3..63, modulo 65536.
uint16_t FrameChecksum(const uint8_t* frame);

// Learns what the keyboard's replies repeat of their request and stores it in link.replyEcho:
// one harmless read (56 lighting bytes at offset 42), sent as an exchange is, whose first reply
// tells; a keyboard slower than the exchange's time-outs is waited for a while longer, so that
// its late replies are known for what they are. Called once the device is open, before ready
// is raised (it does not look at ready). Returns the bits learnt, or -1 when no reply came
// (replyEcho is then 0).
int LearnReplyEcho(DeviceLink& link);

int Transact(DeviceLink& link, const uint8_t* request, size_t requestLength, uint8_t* reply,
             size_t replyLength, size_t* bytesRead);
int SendOnly(DeviceLink& link, const uint8_t* request, size_t requestLength);

int ConfigBegin(DeviceLink& link);
int ConfigEnd(DeviceLink& link);
int ReadState(DeviceLink& link, uint8_t* block44);
int WriteState(DeviceLink& link, const uint8_t* block44);
int ReadLighting(DeviceLink& link, uint8_t* buffer56, int length, int offset);
int WriteLighting(DeviceLink& link, const uint8_t* data, int length, int offset);
int ReadKeyMap(DeviceLink& link, uint8_t* buffer, int profile);        // keyMapSize bytes
int WriteKeyMap(DeviceLink& link, const uint8_t* image, int profile);  // keyMapSize bytes
int ReadMacroArea(DeviceLink& link, uint8_t* buffer, unsigned count);
int WriteMacroArea(DeviceLink& link, const uint8_t* data, unsigned count);
int Command11(DeviceLink& link);
int Command12(DeviceLink& link);
int SendTest(DeviceLink& link);
int Command14(DeviceLink& link);
int ReadDefaultKeyMap(DeviceLink& link, uint8_t* buffer);  // keyMapSize bytes
int ReadKeyColours(DeviceLink& link, uint8_t* buffer56, int length, int firstKey, int profile);
// profile: the active profile of the lighting model.
int WriteKeyColours(DeviceLink& link, const uint8_t* data, int length, int firstKey, int profile);
int EnterBootMode(DeviceLink& link);
// The two short forms: a 16-bit value at offset 0 through commands 5 and 6.
int ReadShortValue(DeviceLink& link, uint16_t* value);
int WriteShortValue(DeviceLink& link, uint16_t value);

}  // namespace vorlin
