#pragma once

// How numbers are shown everywhere: sizes, counts and durations. Never locale-dependent: the
// decimal separator is a full stop and the thousands separator a comma.

#include <cstdint>
#include <string>

namespace ui {

// Base 1000, "B" to "PB", one decimal above bytes: 1000 gives "1.0 kB", 999950 "1000.0 kB".
std::u16string sizeText(std::int64_t bytes);
// Decimal digits with comma thousands separators: 1000000 gives "1,000,000".
std::u16string countText(std::int64_t count);
// One decimal and "s": 12 gives "12.0s".
std::u16string secondsText(double seconds);

}  // namespace ui
