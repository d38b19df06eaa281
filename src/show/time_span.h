// A stretch of show time: open at both ends, or open-ended.
#pragma once

#include <cmath>

constexpr float kForever = INFINITY;

struct TimeSpan {
    float from; // seconds, exclusive
    float to;   // seconds, exclusive; kForever for no end
};

inline bool IsActive(TimeSpan span, float t) {
    return span.from < t && t < span.to;
}
