// The command protocol over the shared vendor collection: framing, the exchange with its
// retries, and the single-frame and chunked commands.
#include "device/protocol.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>

#include "device/frame_trace.h"

namespace vorlin {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kWriteTimeoutMs = 1000;
constexpr auto kReadTimeout = std::chrono::milliseconds(300);
constexpr int kAttempts = 4;
constexpr auto kEndPause = std::chrono::milliseconds(10);
constexpr size_t kStaleReplyLimit = 64;  // more than any handle can have queued
// How long after a reply failed to come in time one may still turn up.
constexpr auto kStaleReplyWindow = std::chrono::milliseconds(2000);
// The request that learns what replies repeat: profile 1's lighting record, read whole.
constexpr unsigned kEchoProbeOffset = 42;

using Event = FrameEvent::Kind;
using Failure = LinkFailure::Kind;

inline void Trace(DeviceLink& link, Event event, const uint8_t* bytes, size_t length) {
    if (FrameTrace* trace = link.trace.load(std::memory_order_acquire)) [[unlikely]]
        trace->Log(event, {bytes, length});
}

// The command code a request carries.
uint8_t CommandOf(const uint8_t* frame) {
    return frame[framebyte::kCommand];
}

// false, with the failure recorded, when no keyboard is open.
bool Ready(DeviceLink& link) {
    if (link.ready.load()) return true;
    link.RecordFailure({Failure::NotReady});
    return false;
}

int MsUntil(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// A reply that arrived after its exchange stopped waiting for it would otherwise be taken as
// the answer to the next request. Called with ioLock held.
void DiscardStaleReplies(DeviceLink& link) {
    uint8_t stale[kFrameSize];
    size_t n = 0;
    for (size_t i = 0; i < kStaleReplyLimit && link.device.ReadReport(stale, sizeof stale, &n, 0);
         ++i)
        Trace(link, Event::Discarded, stale, n);
}

// Do the reply's length and offset bytes repeat the request's?
bool SamePosition(const uint8_t* frame, const uint8_t* reply) {
    using namespace framebyte;
    return std::memcmp(reply + kLength, frame + kLength, kOffsetHigh + 1 - kLength) == 0;
}

// Does the reply answer this request, as far as the keyboard repeats its requests?
bool Answers(const uint8_t* frame, const uint8_t* reply, size_t got, int echo) {
    using namespace framebyte;
    if ((echo & kEchoCommand) && (got <= kCommand || reply[kCommand] != frame[kCommand]))
        return false;
    if ((echo & kEchoPosition) && (got <= kOffsetHigh || !SamePosition(frame, reply))) return false;
    return true;
}

// Reads until a reply that answers frame comes or the deadline passes. A reply to another
// request (one that came too late for its own exchange) is passed over and the wait goes on.
// Called with ioLock held.
bool ReadAnswer(DeviceLink& link, const uint8_t* frame, int echo, uint8_t* reply,
                size_t replyLength, size_t* got, Clock::time_point deadline) {
    for (;;) {
        *got = 0;
        if (!link.device.ReadReport(reply, replyLength, got, MsUntil(deadline))) return false;
        if (Answers(frame, reply, *got, echo)) return true;
        Trace(link, Event::Discarded, reply, *got);
        if (Clock::now() >= deadline) return false;
    }
}

void StampChecksum(uint8_t* frame) {
    PutStoredChecksum(frame, FrameChecksum(frame));
}

void PutHeader(uint8_t* frame, uint8_t code, size_t length, unsigned offset) {
    frame[framebyte::kId] = kReportId;
    frame[framebyte::kCommand] = code;
    frame[framebyte::kLength] = static_cast<uint8_t>(length);
    PutFrameOffset(frame, offset);
    frame[framebyte::kStatus] = 0;
}

int MapStatus(const uint8_t* reply) {
    if (reply[framebyte::kStatus] == kStatusRefused255) return kRefused255;
    if (reply[framebyte::kStatus] == kStatusRefused254) return kRefused254;
    return kDone;
}

// The result of an answered request; a refusal is recorded with the command it refused.
int Answered(DeviceLink& link, uint8_t code, const uint8_t* reply) {
    const int result = MapStatus(reply);
    if (result != kDone)
        link.RecordFailure(
            {Failure::Refused, code, 0, static_cast<uint8_t>(result == kRefused255 ? 255 : 254)});
    return result;
}

// One frame, one exchange. replyData receives replyDataLength bytes of the reply's payload on 1.
int SingleFrame(DeviceLink& link, uint8_t code, size_t length, unsigned offset,
                const uint8_t* payload, size_t payloadLength, uint8_t* replyData,
                size_t replyDataLength, bool pauseFirst = false) {
    if ((payloadLength > 0 && !payload) || (replyDataLength > 0 && !replyData)) return kFailed;
    if (!Ready(link)) return kFailed;
    uint8_t frame[kFrameSize] = {};
    PutHeader(frame, code, length, offset);
    if (payloadLength > 0) std::memcpy(frame + framebyte::kPayload, payload, payloadLength);
    StampChecksum(frame);
    if (pauseFirst) std::this_thread::sleep_for(kEndPause);

    uint8_t reply[kFrameSize] = {};
    size_t got = 0;
    int result = Transact(link, frame, sizeof frame, reply, sizeof reply, &got);
    if (result != kDone) return result;
    result = Answered(link, code, reply);
    if (result == kDone && replyDataLength > 0)
        std::memcpy(replyData, reply + framebyte::kPayload, replyDataLength);
    return result;
}

enum class Size { KeyMap, Count };

// Blocks longer than one frame, 56 bytes at a time from base. out: data to write; in: buffer
// to read into. A key-map sized transfer stops with 0 if the connection (and with it the map
// size) changes under it, so it never reaches past the caller's buffer.
int Chunked(DeviceLink& link, uint8_t code, unsigned base, Size sizeKind, unsigned count,
            const uint8_t* out, uint8_t* in) {
    const unsigned total = sizeKind == Size::KeyMap ? link.keyMapSize.load() : count;
    if (total == 0) return kDone;
    if ((out == nullptr) == (in == nullptr)) return kFailed;  // no data given
    if (!Ready(link)) return kFailed;

    uint8_t frame[kFrameSize] = {};
    frame[framebyte::kId] = kReportId;
    frame[framebyte::kCommand] = code;
    for (unsigned position = 0; position < total; position += kFramePayload) {
        if (sizeKind == Size::KeyMap && link.keyMapSize.load() != total) return kFailed;
        size_t chunk = position + kFramePayload < total ? kFramePayload : total - position;
        unsigned offset = base + position;
        frame[framebyte::kLength] = static_cast<uint8_t>(chunk);
        PutFrameOffset(frame, offset);
        // Payload bytes past the chunk keep what the previous chunk left there.
        if (out) std::memcpy(frame + framebyte::kPayload, out + position, chunk);
        StampChecksum(frame);

        uint8_t reply[kFrameSize] = {};
        size_t got = 0;
        int result = Transact(link, frame, sizeof frame, reply, sizeof reply, &got);
        if (result != kDone) return result;
        result = Answered(link, code, reply);
        if (result != kDone) return result;
        if (in) std::memcpy(in + position, reply + framebyte::kPayload, chunk);
    }
    return kDone;
}

bool ValidProfile(int profile) {
    return profile >= 0 && profile <= 2;
}

// Offsets travel as 16 bits; anything wider would wrap onto other data.
bool FitsOffset(long long offset) {
    return offset >= 0 && offset <= 0xFFFF;
}

int KeyMapCommand(DeviceLink& link, uint8_t code, int profile, const uint8_t* out, uint8_t* in) {
    if (!ValidProfile(profile)) return kBadProfile;
    unsigned base = static_cast<unsigned>(profile) * link.profileStride.load();
    return Chunked(link, code, base, Size::KeyMap, 0, out, in);
}

int KeyColourOffset(int firstKey, int profile) {
    long long offset = profile * 512LL + firstKey * 3LL;
    return firstKey >= 0 && FitsOffset(offset) ? static_cast<int>(offset) : -1;
}

}  // namespace

uint16_t FrameChecksum(const uint8_t* frame) {
    unsigned sum = 0;
    for (size_t i = framebyte::kChecksumFirst; i < kFrameSize; ++i) sum += frame[i];
    return static_cast<uint16_t>(sum);
}

int Transact(DeviceLink& link, const uint8_t* request, size_t requestLength, uint8_t* reply,
             size_t replyLength, size_t* bytesRead) {
    if (bytesRead) *bytesRead = 0;
    if (!Ready(link)) return kFailed;
    uint8_t frame[kFrameSize] = {};
    if (requestLength > 0) std::memcpy(frame, request, std::min(requestLength, kFrameSize));

    // Held for the whole exchange so a reply always belongs to this thread's request.
    std::lock_guard<std::recursive_mutex> io(link.ioLock);
    if (Clock::now() < link.staleReplyUntil) DiscardStaleReplies(link);
    const int echo = link.replyEcho.load(std::memory_order_relaxed);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        size_t written = 0;
        if (!link.device.WriteReport(frame, kFrameSize, &written, kWriteTimeoutMs)) {
            Trace(link, Event::WriteFailed, frame, kFrameSize);
            link.RecordFailure({Failure::WriteFailed, CommandOf(frame)});
            return kWriteFailed;
        }
        Trace(link, Event::Write, frame, kFrameSize);
        size_t got = 0;
        bool ok =
            ReadAnswer(link, frame, echo, reply, replyLength, &got, Clock::now() + kReadTimeout);
        if (bytesRead) *bytesRead = got;
        if (ok) {
            Trace(link, Event::Read, reply, got);
            return kDone;
        }
        Trace(link, Event::ReadTimedOut, nullptr, 0);
        link.staleReplyUntil = Clock::now() + kStaleReplyWindow;
    }
    link.RecordFailure({Failure::NoReply, CommandOf(frame), kAttempts});
    return kFailed;
}

int LearnReplyEcho(DeviceLink& link) {
    uint8_t frame[kFrameSize] = {};
    PutHeader(frame, CMD_READ_LIGHTING, kFramePayload, kEchoProbeOffset);
    StampChecksum(frame);
    std::lock_guard<std::recursive_mutex> io(link.ioLock);
    link.replyEcho.store(0);
    uint8_t reply[kFrameSize] = {};
    size_t got = 0;
    bool answered = false, timedOut = false;
    for (int attempt = 0; attempt < kAttempts && !answered; ++attempt) {
        size_t written = 0;
        if (!link.device.WriteReport(frame, kFrameSize, &written, kWriteTimeoutMs)) {
            Trace(link, Event::WriteFailed, frame, kFrameSize);
            link.RecordFailure({Failure::WriteFailed, CommandOf(frame)});
            return -1;
        }
        Trace(link, Event::Write, frame, kFrameSize);
        // The last attempt waits as long as a late reply may still come: a keyboard that is
        // merely slow is then known by its replies all the same.
        const auto wait = attempt + 1 < kAttempts ? kReadTimeout : kStaleReplyWindow;
        answered =
            link.device.ReadReport(reply, sizeof reply, &got, static_cast<int>(wait.count()));
        if (!answered) {
            Trace(link, Event::ReadTimedOut, nullptr, 0);
            timedOut = true;
        }
    }
    // Replies to attempts that timed out may still come in.
    if (timedOut) link.staleReplyUntil = Clock::now() + kStaleReplyWindow;
    if (!answered) {
        link.RecordFailure({Failure::NoReply, CommandOf(frame), kAttempts});
        return -1;
    }
    Trace(link, Event::Read, reply, got);
    // A refusal still tells what replies repeat; it is recorded as any exchange records it.
    Answered(link, CommandOf(frame), reply);
    int echo = 0;
    if (got > framebyte::kCommand && reply[framebyte::kCommand] == frame[framebyte::kCommand]) {
        echo |= kEchoCommand;
        if (got > framebyte::kOffsetHigh && SamePosition(frame, reply)) echo |= kEchoPosition;
    }
    link.replyEcho.store(echo);
    return echo;
}

int SendOnly(DeviceLink& link, const uint8_t* request, size_t requestLength) {
    if (!Ready(link)) return kFailed;
    uint8_t frame[kFrameSize] = {};
    if (requestLength > 0) std::memcpy(frame, request, std::min(requestLength, kFrameSize));
    std::lock_guard<std::recursive_mutex> io(link.ioLock);
    size_t written = 0;
    bool ok = link.device.WriteReport(frame, kFrameSize, &written, kWriteTimeoutMs);
    Trace(link, ok ? Event::Write : Event::WriteFailed, frame, kFrameSize);
    if (!ok) link.RecordFailure({Failure::WriteFailed, CommandOf(frame)});
    return ok ? kDone : kFailed;
}

int ConfigBegin(DeviceLink& link) {
    return SingleFrame(link, CMD_CONFIG_BEGIN, 0, 0, nullptr, 0, nullptr, 0);
}

int ConfigEnd(DeviceLink& link) {
    return SingleFrame(link, CMD_CONFIG_END, 0, 0, nullptr, 0, nullptr, 0, true);
}

int ReadState(DeviceLink& link, uint8_t* block44) {
    return SingleFrame(link, CMD_READ_STATE, kStateBlockSize, 0, nullptr, 0, block44,
                       kStateBlockSize);
}

int WriteState(DeviceLink& link, const uint8_t* block44) {
    return SingleFrame(link, CMD_WRITE_STATE, kStateBlockSize, 0, block44, kStateBlockSize, nullptr,
                       0);
}

int ReadLighting(DeviceLink& link, uint8_t* buffer56, int length, int offset) {
    if (length < 0 || length > static_cast<int>(kFramePayload) || !FitsOffset(offset))
        return kFailed;
    return SingleFrame(link, CMD_READ_LIGHTING, length, offset, nullptr, 0, buffer56,
                       kFramePayload);
}

int WriteLighting(DeviceLink& link, const uint8_t* data, int length, int offset) {
    if (length < 1 || length > static_cast<int>(kFramePayload) || !FitsOffset(offset))
        return kFailed;
    return SingleFrame(link, CMD_WRITE_LIGHTING, length, offset, data, length, nullptr, 0);
}

int ReadKeyMap(DeviceLink& link, uint8_t* buffer, int profile) {
    return KeyMapCommand(link, CMD_READ_KEYMAP, profile, nullptr, buffer);
}

int WriteKeyMap(DeviceLink& link, const uint8_t* image, int profile) {
    return KeyMapCommand(link, CMD_WRITE_KEYMAP, profile, image, nullptr);
}

int ReadMacroArea(DeviceLink& link, uint8_t* buffer, unsigned count) {
    if (count > 0x10000) return kFailed;
    return Chunked(link, CMD_READ_MACROS, 0, Size::Count, count, nullptr, buffer);
}

int WriteMacroArea(DeviceLink& link, const uint8_t* data, unsigned count) {
    if (count > 0x10000) return kFailed;
    return Chunked(link, CMD_WRITE_MACROS, 0, Size::Count, count, data, nullptr);
}

int Command11(DeviceLink& link) {
    return SingleFrame(link, CMD_11, 0, 0, nullptr, 0, nullptr, 0);
}

int Command12(DeviceLink& link) {
    return SingleFrame(link, CMD_12, 0, 0, nullptr, 0, nullptr, 0, true);
}

int SendTest(DeviceLink& link) {
    return SingleFrame(link, CMD_TEST, 0, 0, nullptr, 0, nullptr, 0);
}

int Command14(DeviceLink& link) {
    return SingleFrame(link, CMD_14, 0, 0, nullptr, 0, nullptr, 0);
}

int ReadDefaultKeyMap(DeviceLink& link, uint8_t* buffer) {
    return Chunked(link, CMD_READ_DEFAULT_KEYMAP, 0, Size::KeyMap, 0, nullptr, buffer);
}

int ReadKeyColours(DeviceLink& link, uint8_t* buffer56, int length, int firstKey, int profile) {
    if (!ValidProfile(profile)) return kBadProfile;
    int offset = KeyColourOffset(firstKey, profile);
    if (length < 0 || length > static_cast<int>(kFramePayload) || offset < 0) return kFailed;
    return SingleFrame(link, CMD_READ_KEY_COLOURS, length, offset, nullptr, 0, buffer56,
                       kFramePayload);
}

int WriteKeyColours(DeviceLink& link, const uint8_t* data, int length, int firstKey, int profile) {
    if (!ValidProfile(profile)) return kBadProfile;
    int offset = KeyColourOffset(firstKey, profile);
    if (length < 1 || length > static_cast<int>(kFramePayload) || offset < 0) return kFailed;
    return SingleFrame(link, CMD_WRITE_KEY_COLOURS, length, offset, data, length, nullptr, 0);
}

int EnterBootMode(DeviceLink& link) {
    uint8_t frame[kFrameSize] = {};
    frame[framebyte::kId] = kReportId;
    frame[framebyte::kCommand] = CMD_ENTER_BOOT;
    frame[framebyte::kLength] = CMD_ENTER_BOOT;
    return SendOnly(link, frame, sizeof frame);
}

int ReadShortValue(DeviceLink& link, uint16_t* value) {
    uint8_t data[2] = {};
    int result = SingleFrame(link, CMD_READ_LIGHTING, 2, 0, nullptr, 0, data, sizeof data);
    if (result == kDone && value) *value = static_cast<uint16_t>(data[0] | data[1] << 8);
    return result;
}

int WriteShortValue(DeviceLink& link, uint16_t value) {
    const uint8_t data[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
    return SingleFrame(link, CMD_WRITE_LIGHTING, 2, 0, data, sizeof data, nullptr, 0);
}

}  // namespace vorlin
