// Profile-file bytes into validation and loading: nothing read out of bounds, validation and
// loading agree, and whatever loads saves back to a file that loads to the same bytes.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "store/config_store.h"
#include "store/profile_file.h"
#include "support/scripted_prompter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vorlin;
    const std::span<const uint8_t> bytes(data, size);
    test::ScriptedPrompter prompter(false);
    const int valid = ValidateImageBytes(bytes, "fuzz", prompter);

    ConfigStore work;
    const int loaded = LoadImageBytes(work, bytes);
    if (loaded != valid || !work.image) __builtin_trap();
    if (loaded != 1) return 0;

    const std::vector<uint8_t> saved = BuildImageFile(work);
    if (ValidateImageBytes(saved, "saved", prompter) != 1) __builtin_trap();
    ConfigStore again;
    if (LoadImageBytes(again, saved) != 1) __builtin_trap();
    if (BuildImageFile(again) != saved) __builtin_trap();
    return 0;
}
