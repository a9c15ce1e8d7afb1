#pragma once

// The high-resolution tick counter the scanner times itself with.

#include <cstdint>

namespace scan {

std::int64_t performanceTicks();
// Seconds per tick, read from the platform once per process.
double secondsPerTick();
inline double ticksToSeconds(std::int64_t ticks) {
    return static_cast<double>(ticks) * secondsPerTick();
}

// Milliseconds since an arbitrary moment, never going back.
std::uint64_t tickCountMilliseconds();
// The current time in whole seconds since 1970-01-01 UTC.
std::uint32_t currentUnixTime();

}  // namespace scan
