// ReadState against a keyboard whose replies come from the input (see scripted_keyboard.h),
// after a connection, as long as input is left.
#include <cstdlib>
#include <cstring>

#include "device/protocol.h"
#include "scripted_keyboard.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vorlin;
    if (size == 0) return 0;
    fuzz::Session s(data, size);
    if (!s.Connect()) std::abort();
    for (int i = 0; i < 64 && !s.script.Empty(); ++i) {
        uint8_t block[kStateBlockSize + 1];
        std::memset(block, 0xA5, sizeof block);
        const int r = ReadState(s.link, block);
        if (!fuzz::IsResultCode(r)) std::abort();
        if (block[kStateBlockSize] != 0xA5) std::abort();  // nothing past the 44 bytes
    }
    DisconnectOnce(s.link);
    return 0;
}
