#pragma once

// Where everything of the pending deletes pane goes at a DPI, which rows a paint covers, how far
// the list may scroll, and the countdown disc's colour and pixels. Plain arithmetic, so the pane's
// window only paints these and hit-tests against them. Portable.

#include "ui/box.h"

#include <cstdint>
#include <vector>

namespace deleting {

using Box = ui::Box;

// The pane's lengths at one DPI (given at 96 DPI in the source).
struct PaneMetrics {
    int header = 0;
    int footer = 0;
    int margin = 0;
    int row = 0;
    int disc = 0;
    int buttonWidth = 0;
    int buttonHeight = 0;
    int sizeWidth = 0;
    int sizeGap = 0;
    int nameGap = 0;
    int minimumName = 0;
    int footerTop = 0;
    int footerBottom = 0;
    int footerGap = 0;
    int wheelStep = 0;

    static PaneMetrics at(int dpi);
};

// The parts of one row whose top is `top` in a pane `width` wide.
struct RowBoxes {
    Box row;
    Box disc;
    Box name;
    Box size;
    Box button;
};
RowBoxes rowBoxes(const PaneMetrics& m, int width, int top);

struct FooterButtons {
    Box undeleteAll;
    Box deleteNow;
};
FooterButtons footerButtons(const PaneMetrics& m, int width, int height);

// The rows a paint of a client `height` high covers at scroll `offset`: [first, last], empty when
// last < first.
struct PaintedRows {
    int first = 0;
    int last = -1;
};
PaintedRows paintedRows(const PaneMetrics& m, int height, int offset, int count);

// The line of the list at client height `y` in a pane `height` high scrolled by `offset`; -1
// over the header or the footer, or below the last of `count` lines.
int lineAt(const PaneMetrics& m, int height, int offset, int count, int y);

// The list's page (the height between header and footer), and an offset clamped so the list
// never scrolls past its end.
int pageHeight(const PaneMetrics& m, int height);
int clampOffset(const PaneMetrics& m, int offset, int count, int height);

// The share of the countdown left, 1 at the start and 0 at the end.
double countdownFraction(std::int64_t remaining);
// The disc's filled colour (GDI colour words): the accent while more than 70% is left, then
// fading to the warning red, fully red at 30%.
std::uint32_t countdownColour(double fraction, std::uint32_t accent);

// The anti-aliased disc, size × size, top-down, one 0x00RRGGBB word per pixel as a 32-bit DIB
// takes it. The filled sector runs clockwise from 12 o'clock over `fraction` of the circle; the
// rest of the circle is `empty`, outside it `background` (all GDI colour words).
std::vector<std::uint32_t> countdownPixels(int size, double fraction, std::uint32_t background,
                                           std::uint32_t filled, std::uint32_t empty);

// The fixed colours of the pane, as GDI colour words.
inline constexpr std::uint32_t kWarningRed = 0x3745D0;    // RGB(208, 69, 55)
inline constexpr std::uint32_t kWarningHover = 0x2B39C0;  // RGB(192, 57, 43)
inline constexpr std::uint32_t kWhite = 0xFFFFFF;

}  // namespace deleting
