#pragma once

// The drawing kit every custom-drawn window paints with: DPI scaling, cached fonts, a back
// buffer, labels and frames. Windows only; user-interface thread only.

#include "ui/box.h"
#include "ui/font_styles.h"

#include <windows.h>

#include <cstdint>
#include <string_view>

namespace ui {

// The window's DPI, or 96 without a window or when the query answers 0.
int windowDpi(HWND window);
// A length given at 96 DPI, in the window's pixels.
int scaled(HWND window, int length);

// The cached Segoe UI font of `style` at the window's DPI; callers never delete it.
HFONT uiFont(HWND window, FontStyle style);
// The same at a given DPI, for a window that is being moved to another monitor.
HFONT uiFontAt(int dpi, FontStyle style);

// A memory device context with a bitmap, so that a window paints everything off screen and
// copies it with one BitBlt. Recreated only when the painted size changes.
class BackBuffer {
  public:
    BackBuffer() = default;
    ~BackBuffer() { release(); }
    BackBuffer(const BackBuffer&) = delete;
    BackBuffer& operator=(const BackBuffer&) = delete;

    // The memory DC to paint into at width × height, compatible with `target`; its content is
    // whatever was painted last. A non-positive size answers null and keeps the buffer.
    HDC prepare(HDC target, int width, int height);
    // Copies the top-left width × height to (0, 0) of `target`; nothing without a buffer.
    void present(HDC target, int width, int height) const;
    void release();

    int width() const { return width_; }
    int height() const { return height_; }

  private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ replaced_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

// Measures text in one font with the screen DC of a window, which it gives back when it goes.
class TextMeasure {
  public:
    TextMeasure(HWND window, HFONT font);
    ~TextMeasure();
    TextMeasure(const TextMeasure&) = delete;
    TextMeasure& operator=(const TextMeasure&) = delete;

    // The width of `text` on one line; 0 when the window has no DC.
    int width(std::u16string_view text) const;
    // The height of a line of the font.
    int lineHeight() const;

  private:
    HWND window_;
    HDC dc_;
    HGDIOBJ replaced_ = nullptr;
};

inline RECT toRect(const Box& box) {
    return {box.left, box.top, box.right, box.bottom};
}

// Draws `text` with DrawTextW and `format` in `rectangle`, transparently in `colour` and `font`,
// and puts the DC's text colour, background mode and font back. Empty text draws nothing.
void drawLabel(HDC dc, std::u16string_view text, const RECT& rectangle, std::uint32_t colour,
               HFONT font, UINT format);
// Four bands of `thickness` pixels inside the edges of `rectangle`.
void drawFrame(HDC dc, const RECT& rectangle, std::uint32_t colour, int thickness);
// The keyboard focus's mark on a custom-drawn control: a frame 2 pixels thick (at 96 DPI) a
// pixel outside `control`, so that it stands apart from the control's own border and hover.
// The caller leaves 3 pixels around the control for it.
void drawFocusRing(HDC dc, const RECT& control, std::uint32_t colour, int dpi);

}  // namespace ui
