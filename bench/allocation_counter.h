#pragma once

// Counts the bytes the process holds from operator new, so a benchmark can tell how much memory
// one call needed at its peak. The benchmark executable replaces the global operator new and
// delete to do it; the count includes the allocator's rounding.

#include <cstddef>

namespace bench {

std::size_t allocatedNow();

// The most held since the last resetAllocationPeak (or the start).
std::size_t allocationPeak();
void resetAllocationPeak();

}  // namespace bench
