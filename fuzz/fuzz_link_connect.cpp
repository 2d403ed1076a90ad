// The connection handling against a keyboard whose replies come from the input (see
// scripted_keyboard.h): learning what replies repeat, the factory key map and the state block.
#include <cstdlib>

#include "keys/factory_key_map.h"
#include "scripted_keyboard.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vorlin;
    if (size == 0) return 0;
    fuzz::Session s(data, size);
    if (!s.Connect()) std::abort();  // the scripted keyboard is always there
    const int echo = s.link.replyEcho.load();
    if (echo < 0 || echo > 3) std::abort();
    // The capacity is 128 x a state byte, or what it was when no state block came.
    const unsigned capacity = s.state.macroCapacity.load();
    if (capacity != fuzz::Session::kSentinelCapacity && (capacity % 128 || capacity > 255 * 128))
        std::abort();
    // Only the connected model's part of the factory map is replaced.
    const unsigned size378or512 = s.link.keyMapSize.load();
    const auto builtIn = BuiltInFactoryKeyMap();
    for (size_t i = size378or512; i < builtIn.size(); ++i)
        if (s.state.defaultKeyMap[i] != builtIn[i]) std::abort();
    DisconnectOnce(s.link);
    return 0;
}
