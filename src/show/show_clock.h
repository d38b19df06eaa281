// The show clock: seconds since the platform's clock started, from its
// millisecond tick count. The platform layer samples the ticks.
#pragma once

#include <cstdint>

float ShowClockFromTicks(std::uint32_t ticks);
