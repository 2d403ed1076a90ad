// Clock-seeded generator of the preview.
#include "ui/preview_random.h"

#include <ctime>

namespace vorlin {

ClockSeededRandom::ClockSeededRandom(SecondsClock seconds) : seconds_(std::move(seconds)) {
    if (!seconds_) seconds_ = [] { return int64_t(std::time(nullptr)); };
}

void ClockSeededRandom::Reseed() {
    state_ = uint32_t(seconds_());
}

unsigned ClockSeededRandom::Next() {
    state_ = state_ * 214013u + 2531011u;
    return state_ >> 16 & 0x7FFF;
}

}  // namespace vorlin
