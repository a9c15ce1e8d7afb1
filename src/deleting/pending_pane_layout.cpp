#include "deleting/pending_pane_layout.h"

#include "deleting/pending_deletes.h"
#include "ui/scaling.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace deleting {

namespace {

int channel(std::uint32_t colour, int shift) {
    return static_cast<int>((colour >> shift) & 0xFF);
}

}  // namespace

PaneMetrics PaneMetrics::at(int dpi) {
    const int effective = ui::effectiveDpi(static_cast<unsigned>(dpi < 0 ? 0 : dpi));
    const auto s = [effective](int length) { return ui::scaleLength(length, effective); };
    PaneMetrics m;
    m.header = s(30);
    m.footer = s(42);
    m.margin = s(10);
    m.row = s(34);
    m.disc = s(16);
    m.buttonWidth = s(74);
    m.buttonHeight = s(22);
    m.sizeWidth = s(68);
    m.sizeGap = s(8);
    m.nameGap = s(8);
    m.minimumName = s(10);
    m.footerTop = s(8);
    m.footerBottom = s(10);
    m.footerGap = s(8);
    m.wheelStep = s(60);
    return m;
}

RowBoxes rowBoxes(const PaneMetrics& m, int width, int top) {
    RowBoxes boxes;
    boxes.row = {0, top, width, top + m.row};
    const int discTop = top + (m.row - m.disc) / 2;
    boxes.disc = {m.margin, discTop, m.margin + m.disc, discTop + m.disc};
    const int buttonTop = top + (m.row - m.buttonHeight) / 2;
    boxes.button = {width - m.margin - m.buttonWidth, buttonTop, width - m.margin,
                    buttonTop + m.buttonHeight};
    const int sizeRight = boxes.button.left - m.sizeGap;
    boxes.size = {sizeRight - m.sizeWidth, top, sizeRight, top + m.row};
    const int nameLeft = m.margin + m.disc + m.nameGap;
    boxes.name = {nameLeft, top, std::max(boxes.size.left, nameLeft + m.minimumName), top + m.row};
    return boxes;
}

FooterButtons footerButtons(const PaneMetrics& m, int width, int height) {
    const int top = height - m.footer + m.footerTop;
    const int bottom = height - m.footerBottom;
    const int half = (width - 2 * m.margin - m.footerGap) / 2;
    FooterButtons buttons;
    buttons.undeleteAll = {m.margin, top, m.margin + half, bottom};
    const int second = m.margin + half + m.footerGap;
    buttons.deleteNow = {second, top, second + half, bottom};
    return buttons;
}

PaintedRows paintedRows(const PaneMetrics& m, int height, int offset, int count) {
    if (m.row <= 0) {
        return {};
    }
    PaintedRows rows;
    rows.first = std::max(0, offset / m.row);
    rows.last = std::min(count, (height - m.footer + offset - m.header) / m.row + 2) - 1;
    return rows;
}

int lineAt(const PaneMetrics& m, int height, int offset, int count, int y) {
    if (m.row <= 0 || y < m.header || y >= height - m.footer) {
        return -1;
    }
    const int line = (y - m.header + offset) / m.row;
    return line < count ? line : -1;
}

int pageHeight(const PaneMetrics& m, int height) {
    return std::max(0, height - m.header - m.footer);
}

int clampOffset(const PaneMetrics& m, int offset, int count, int height) {
    const int content = count * m.row;
    return std::clamp(offset, 0, std::max(0, content - pageHeight(m, height)));
}

double countdownFraction(std::int64_t remaining) {
    if (remaining >= kCountdownMilliseconds) {
        return 1.0;
    }
    if (remaining <= 0) {
        return 0.0;
    }
    return static_cast<double>(remaining) / static_cast<double>(kCountdownMilliseconds);
}

std::uint32_t countdownColour(double fraction, std::uint32_t accent) {
    // Rounded to a millionth, so that 30% left, which is not exact in binary, is fully red.
    const double t = std::round(std::clamp((0.7 - fraction) / 0.4, 0.0, 1.0) * 1e6) / 1e6;
    std::uint32_t colour = 0;
    for (const int shift : {0, 8, 16}) {
        const int from = channel(accent, shift);
        const int to = channel(kWarningRed, shift);
        const auto mixed = static_cast<int>(from + (to - from) * t);
        colour |= static_cast<std::uint32_t>(mixed) << shift;
    }
    return colour;
}

std::vector<std::uint32_t> countdownPixels(int size, double fraction, std::uint32_t background,
                                           std::uint32_t filled, std::uint32_t empty) {
    if (size <= 0) {
        return {};
    }
    const double centre = size / 2.0;
    const double radius = centre - 0.5;
    const double sweep = fraction * 2.0 * std::numbers::pi;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size) * size);
    for (int j = 0; j < size; ++j) {
        for (int i = 0; i < size; ++i) {
            int inside = 0;
            int inSector = 0;
            for (int l = 0; l < 3; ++l) {
                for (int k = 0; k < 3; ++k) {
                    const double x = i + (k + 0.5) / 3.0 - centre;
                    const double y = j + (l + 0.5) / 3.0 - centre;
                    if (std::hypot(x, y) > radius) {
                        continue;
                    }
                    ++inside;
                    // Clockwise from 12 o'clock, with y growing downwards.
                    double angle = std::atan2(x, -y);
                    if (angle < 0) {
                        angle += 2.0 * std::numbers::pi;
                    }
                    inSector += angle <= sweep ? 1 : 0;
                }
            }
            const double f = inSector / 9.0;
            const double e = inside / 9.0 - f;
            std::uint32_t word = 0;
            // GDI words hold red in the low byte; the DIB wants it in the third.
            const int dibShift[] = {16, 8, 0};
            for (int c = 0; c < 3; ++c) {
                const int shift = 8 * c;
                const double value =
                    f * channel(filled, shift) +
                    (1 - f) * (e * channel(empty, shift) + (1 - e) * channel(background, shift));
                word |= static_cast<std::uint32_t>(static_cast<int>(value)) << dibShift[c];
            }
            pixels[static_cast<std::size_t>(j) * size + i] = word;
        }
    }
    return pixels;
}

}  // namespace deleting
