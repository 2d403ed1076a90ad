// Colours as the system holds them: R + G x 256 + B x 65536, red in the low byte. On the wire
// and in files they always go R, G, B.
#pragma once

#include <cstdint>

namespace vorlin {

using Rgb = uint32_t;

constexpr Rgb MakeRgb(int r, int g, int b) {
    return Rgb(r & 0xFF) | Rgb(g & 0xFF) << 8 | Rgb(b & 0xFF) << 16;
}
constexpr int RedOf(Rgb c) {
    return int(c & 0xFF);
}
constexpr int GreenOf(Rgb c) {
    return int(c >> 8 & 0xFF);
}
constexpr int BlueOf(Rgb c) {
    return int(c >> 16 & 0xFF);
}

}  // namespace vorlin
