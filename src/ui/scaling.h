#pragma once

// The arithmetic of DPI scaling, apart from the window it is asked for, so that it is tested on
// any host. Every length in the program is given at 96 DPI.

#include <cstdint>

namespace ui {

inline constexpr int kDefaultDpi = 96;

// What the platform reports as a window's DPI, with 0 (no window, or a failed query) read as 96.
constexpr int effectiveDpi(unsigned reported) {
    return reported == 0 ? kDefaultDpi : static_cast<int>(reported);
}

// value × numerator / denominator rounded half away from zero, as the platform's MulDiv rounds;
// a zero denominator or a result beyond ±2^31 - 1 gives -1, as MulDiv does.
constexpr int mulDiv(int value, int numerator, int denominator) {
    if (denominator == 0) {
        return -1;
    }
    const std::int64_t product = static_cast<std::int64_t>(value) * numerator;
    const bool negative = (product < 0) != (denominator < 0);
    const std::int64_t magnitude = product < 0 ? -product : product;
    const std::int64_t divisor = denominator < 0 ? -static_cast<std::int64_t>(denominator)
                                                 : static_cast<std::int64_t>(denominator);
    const std::int64_t rounded = (magnitude + divisor / 2) / divisor;
    if (rounded > 2'147'483'647) {
        return -1;
    }
    return static_cast<int>(negative ? -rounded : rounded);
}

// A length at 96 DPI as pixels at `dpi`.
constexpr int scaleLength(int length, int dpi) {
    return mulDiv(length, dpi, kDefaultDpi);
}

// The LOGFONT height (negative: the character height without the internal leading) of a font of
// `points` at `dpi`.
constexpr int fontHeightFor(int points, int dpi) {
    return -mulDiv(points, dpi, 72);
}

}  // namespace ui
