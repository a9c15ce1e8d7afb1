#pragma once

// The small monochrome pictures of the user interface: PNG resources of the program used as
// alpha masks, scaled once per size, filled with any colour and blended onto a device context,
// so one picture serves both appearances and every DPI. Windows only; user-interface thread only,
// in its single-threaded COM apartment.

#include <windows.h>

#include <cstdint>

namespace ui {

// The RCDATA PNG `id` of this module as a top-down 32-bit DIB section of size × size pixels with
// premultiplied alpha, every pixel `colour` (a GDI colour word) at the picture's opacity. Null
// when the resource is missing or cannot be decoded. The caller owns the bitmap.
HBITMAP loadTintedImage(int id, int size, std::uint32_t colour);

// Draws picture `id` at size × size, tinted `colour`, centred in `rectangle` (overhanging it
// equally when larger). Each combination is decoded once and kept for the life of the process,
// a failed one too, so a missing picture costs nothing after the first try.
void drawTintedImage(HDC dc, int id, const RECT& rectangle, int size, std::uint32_t colour);

// How many combinations the cache holds, for tests.
std::size_t tintedImageCount();

}  // namespace ui
