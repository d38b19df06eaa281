#include "show/show_clock.h"

namespace {
constexpr float kSecondsPerTick = 0.001f;
}

float ShowClockFromTicks(std::uint32_t ticks) {
    // The product of a 32-bit count and a float needs 56 bits: form it exactly
    // in extended precision and round once to float, so that 23 000 ms reads
    // 23.000002 on every tick count.
    const std::int64_t wide = ticks;
    const long double product = static_cast<long double>(wide) * kSecondsPerTick;
    return static_cast<float>(product);
}
