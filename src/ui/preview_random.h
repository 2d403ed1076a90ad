// Random numbers of the twinkling preview effects. They are re-seeded from the clock at every
// step, as the keyboard's own effects look; tests pass a generator of their own.
#pragma once

#include <cstdint>
#include <functional>

namespace vorlin {

class PreviewRandom {
  public:
    virtual ~PreviewRandom() = default;
    // Called at the start of every step that draws random numbers.
    virtual void Reseed() = 0;
    virtual unsigned Next() = 0;
};

// A linear congruential generator seeded with the current time in seconds.
class ClockSeededRandom final : public PreviewRandom {
  public:
    using SecondsClock = std::function<int64_t()>;
    // The default clock is the system's wall clock.
    explicit ClockSeededRandom(SecondsClock seconds = {});

    void Reseed() override;
    unsigned Next() override;  // 0..32767

  private:
    SecondsClock seconds_;
    uint32_t state_ = 0;
};

}  // namespace vorlin
