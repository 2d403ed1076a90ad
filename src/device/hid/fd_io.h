// Report I/O over a file descriptor: waiting with a time-out and a cancel eventfd, and a
// transport that moves one report at a time over a hidraw node or one end of a
// SOCK_SEQPACKET socketpair (one packet = one report, as hidraw delivers them).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "device/hid/hid_backend.h"

namespace vorlin {

// Largest report a node hands out (the kernel's buffer limit), without the id byte.
constexpr size_t kMaxFdReportBytes = 16384;

// A cancel event: an eventfd in semaphore mode, non-blocking. -1 on failure.
int MakeCancelEvent();
// Adds count signals; each releases exactly one waiter.
bool SignalCancelEvent(int fd, uint64_t count = 1);
// Takes one signal if there is one (so a stale signal does not cancel a later transfer).
bool TakeCancelSignal(int fd);

enum class FdWait { Ready, TimedOut, Cancelled, Failed };

// Waits until fd is ready for events (POLLIN or POLLOUT), or has hung up or failed, or until
// cancelFd (may be -1) gives up one signal, or until timeoutMs passes (< 0: no limit). A
// signal taken by another waiter first does not end this wait.
FdWait WaitForFd(int fd, short events, int cancelFd, int timeoutMs);

// Transport over an owned fd.
// Reads: a numbered node gives "id, data"; an unnumbered one gives only data and the transport
// puts a 0 in front, so callers always see byte 0 as the report id. Reports whose id is not in
// acceptedInputIds are skipped (empty list: accept every id), so a read on one collection never
// returns a report of another collection of the same node.
// Writes: the buffer goes out unchanged, id byte first, also when it is 0: that is what hidraw
// expects (the kernel drops a 0 id before sending), and what a socketpair peer receives.
// A report longer than the caller's buffer is consumed and the read fails (nothing truncated
// is passed off as a whole report).
std::unique_ptr<HidTransport> MakeFdTransport(int fd, bool numbered,
                                              std::vector<uint8_t> acceptedInputIds);

}  // namespace vorlin
