#include "scan/clock.h"

#include <chrono>
#include <ctime>

namespace scan {

// steady_clock is the platform's high-resolution monotonic counter (the performance counter on
// Windows), so ticks are its nanoseconds-or-finer periods.
std::int64_t performanceTicks() {
    return std::chrono::steady_clock::now().time_since_epoch().count();
}

double secondsPerTick() {
    static const double reciprocal = static_cast<double>(std::chrono::steady_clock::period::num) /
                                     static_cast<double>(std::chrono::steady_clock::period::den);
    return reciprocal;
}

std::uint64_t tickCountMilliseconds() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

std::uint32_t currentUnixTime() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(now).count();
    return seconds <= 0 ? 0 : static_cast<std::uint32_t>(seconds);
}

}  // namespace scan
