#pragma once

// Copies a finished treemap picture to a window. Windows only: the view and its animation call
// it; portable code never includes this header.

#include <windows.h>

#include <cstdint>

namespace treemap {

// Stretches width × height pixels (0x00RRGGBB, top row first) onto `destination` of `dc` without
// smoothing, and puts the DC's stretch mode back as it was. Nothing is drawn for a non-positive
// size or a null pixel pointer.
void presentImage(HDC dc, const std::uint32_t* pixels, int width, int height,
                  const RECT& destination);

}  // namespace treemap
