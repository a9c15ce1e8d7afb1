#pragma once

// How numbers are shown everywhere: sizes, counts and durations. Never locale-dependent: the
// decimal separator is a full stop and the thousands separator a comma.

#include <cstdint>
#include <string>
#include <string_view>

namespace ui {

// Base 1000, "B" to "PB", one decimal above bytes: 1000 gives "1.0 kB", 999950 "1000.0 kB".
std::u16string sizeText(std::int64_t bytes);
// Decimal digits with comma thousands separators: 1000000 gives "1,000,000".
std::u16string countText(std::int64_t count);
// The count and the noun, singular for exactly one: "1 file", "0 files", "1,204 files".
std::u16string countOf(std::int64_t count, std::u16string_view singular,
                       std::u16string_view plural);
// One decimal and "s": 12 gives "12.0s".
std::u16string secondsText(double seconds);

}  // namespace ui
