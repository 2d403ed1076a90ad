// Moving the configuration between the stores and the keyboard: the active profile, reading the
// keyboard into a profile file, and writing a snapshot of the work store to it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "store/store_context.h"

namespace vorlin {

// The cached active profile, or the keyboard's when not read yet; -1 when it cannot be read.
int GetActiveProfile(StoreContext& ctx);
// Makes p (0..2) the keyboard's active profile; the protocol's result (kBadProfile, with nothing
// sent, for any other p). The cache becomes p when the keyboard took it, -1 when the write
// failed; a failed read leaves it as it was.
int SetActiveProfile(StoreContext& ctx, int p);

// Builds an image (key maps of the three profiles translated against the factory map, the
// macros, no strings) from what the keyboard holds and replaces the file at path with it
// atomically. 1 done; 0 when any read fails or the file cannot be written (it then stays as it
// was).
int ReadDeviceIntoFile(StoreContext& ctx, const std::filesystem::path& path);
// The same image as the bytes of that file, for callers that want no file. 1 done, 0 otherwise.
int ReadDeviceImage(StoreContext& ctx, std::vector<uint8_t>& bytes);

// Copies the work store into the apply store (the caller holds the work lock) and writes it.
int SnapshotAndApply(StoreContext& ctx, bool allProfiles);
// Writes the apply store: the macro area (without names when only that fits the keyboard's
// capacity) and the key map of the active profile, or of all three, between a begin and an end.
// 1 when every one of those writes succeeded (writeAllProfiles is then cleared); 0 otherwise,
// also when the active profile cannot be read (nothing is written then).
int ApplyToDevice(StoreContext& ctx, bool allProfiles);

// Replaces the work store by what the keyboard holds, through the active profile's backing file;
// a default image when the keyboard cannot be read. Returns the read's result.
int ReloadFromKeyboard(StoreContext& ctx);

}  // namespace vorlin
