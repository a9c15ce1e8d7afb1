#include "treemap/present_image_win32.h"

namespace treemap {

void presentImage(HDC dc, const std::uint32_t* pixels, int width, int height,
                  const RECT& destination) {
    if (pixels == nullptr || width <= 0 || height <= 0) {
        return;
    }
    // A 32-bit top-down DIB is the picture's own layout, so the copy needs no conversion.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    const int previous = SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, destination.left, destination.top, destination.right - destination.left,
                  destination.bottom - destination.top, 0, 0, width, height, pixels, &info,
                  DIB_RGB_COLORS, SRCCOPY);
    if (previous != 0) {
        SetStretchBltMode(dc, previous);
    }
}

}  // namespace treemap
