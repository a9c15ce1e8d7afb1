#pragma once

// How far a turn of the mouse wheel scrolls a pane, as the user set the wheel up. Portable.

#include <algorithm>
#include <cstdint>

namespace panes {

// SPI_GETWHEELSCROLLLINES's answer for "one screen at a time".
inline constexpr std::uint32_t kWheelPageScroll = 0xFFFFFFFF;

// How far (in pixels, positive towards the end) a wheel turn of `delta` (120 a notch, positive
// away from the user) scrolls: `lines` rows a notch, or a page a notch for kWheelPageScroll.
inline std::int64_t wheelScrollPixels(int delta, std::uint32_t lines, int rowHeight,
                                      int pageHeight) {
    if (lines == kWheelPageScroll) {
        return -std::int64_t{std::max(pageHeight, rowHeight)} * delta / 120;
    }
    return -std::int64_t{rowHeight} * delta * static_cast<std::int64_t>(lines) / 120;
}

}  // namespace panes
