#pragma once

// The texts of the measure box, whose items are the four measures in order.

#include "scan/measures.h"

#include <cstdint>
#include <string>

namespace app {

inline constexpr int kMeasureCount = 4;

// The measure's name. "Added Since Last Scan" is marked when no earlier scan of the root is
// known (`previousScan` 0), so the user sees why it has nothing to compare with.
std::u16string measureItemText(scan::Measure measure, std::uint32_t previousScan);

}  // namespace app
