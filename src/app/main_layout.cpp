#include "app/main_layout.h"

#include "ui/scaling.h"

#include <algorithm>
#include <cstdint>

namespace app {

namespace {

// Lengths at 96 DPI.
constexpr int kToolbarHeight = 42;
constexpr int kGap = 6;
constexpr int kMargin = 10;
constexpr int kButtonHeight = 26;
constexpr int kOpenWidth = 74;
constexpr int kMeasureOffset = 84;
constexpr int kMeasureWidth = 210;
constexpr int kMeasureHeight = 240;
constexpr int kRefreshWidth = 82;
constexpr int kStopWidth = 68;
constexpr int kZoomOutWidth = 92;
constexpr int kButtonSpacing = 8;
constexpr int kStatusAfterMeasure = 14;
constexpr int kStatusBeforeZoomOut = 10;
constexpr int kPendingWidth = 320;
constexpr int kKindsMin = 140;
constexpr int kKindsRoomLeft = 400;
constexpr int kListMinWidth = 200;
constexpr int kTreemapMinWidth = 200;
constexpr int kListMinHeight = 120;
constexpr int kTreemapMinHeight = 140;

PanePlace shownAt(int x, int y, int width, int height) {
    return {true, {x, y, std::max(0, width), std::max(0, height)}};
}

// The maximum first, the minimum last, so the minimum wins when the two cross.
int clampSize(int value, int smallest, int largest) {
    return std::max(smallest, std::min(value, largest));
}

Toolbar placeToolbar(int width, int dpi, const ChromeMetrics& m) {
    const int y = (m.toolbarHeight - m.buttonHeight) / 2;
    const int spacing = scaledLength(kButtonSpacing, dpi);
    Toolbar bar;
    bar.open = {m.margin, y, scaledLength(kOpenWidth, dpi), m.buttonHeight};
    bar.measureBox = {m.margin + scaledLength(kMeasureOffset, dpi), y,
                      scaledLength(kMeasureWidth, dpi), scaledLength(kMeasureHeight, dpi)};
    const int refreshWidth = scaledLength(kRefreshWidth, dpi);
    bar.refresh = {width - m.margin - refreshWidth, y, refreshWidth, m.buttonHeight};
    const int stopWidth = scaledLength(kStopWidth, dpi);
    bar.stop = {bar.refresh.x - spacing - stopWidth, y, stopWidth, m.buttonHeight};
    const int zoomOutWidth = scaledLength(kZoomOutWidth, dpi);
    bar.zoomOut = {bar.stop.x - spacing - zoomOutWidth, y, zoomOutWidth, m.buttonHeight};
    return bar;
}

}  // namespace

int scaledLength(int length, int dpi) {
    return ui::scaleLength(length, ui::effectiveDpi(static_cast<unsigned>(dpi)));
}

ChromeMetrics ChromeMetrics::at(int dpi) {
    return {scaledLength(kToolbarHeight, dpi), scaledLength(kGap, dpi), scaledLength(kMargin, dpi),
            scaledLength(kButtonHeight, dpi)};
}

MainLayoutResult MainLayout::layout(const LayoutRequest& request) {
    const int dpi = request.dpi;
    const ChromeMetrics m = ChromeMetrics::at(dpi);
    last_ = request;
    metrics_ = m;
    laidOut_ = true;

    MainLayoutResult result;
    result.metrics = m;
    result.toolbar = placeToolbar(request.clientWidth, dpi, m);
    result.status = {result.toolbar.measureBox.right() + scaledLength(kStatusAfterMeasure, dpi), 0,
                     result.toolbar.zoomOut.x - scaledLength(kStatusBeforeZoomOut, dpi),
                     m.toolbarHeight - 1};

    const int top = m.toolbarHeight;
    int width = request.clientWidth;
    const int height = request.clientHeight - top;
    if (request.welcomeShown) {
        result.welcome = shownAt(0, top, width, height);
        return result;
    }

    if (request.pendingShown) {
        const int pending = std::min(scaledLength(kPendingWidth, dpi), width / 3);
        result.pending = shownAt(width - pending, top, pending, height);
        width -= pending;
    }

    int x0 = 0;
    if (request.showKinds) {
        kindsWidth_ = clampSize(kindsWidth_, scaledLength(kKindsMin, dpi),
                                width - scaledLength(kKindsRoomLeft, dpi));
        result.kinds = shownAt(0, top, kindsWidth_, height);
        x0 = kindsWidth_ + m.gap;
    }

    const int rest = width - x0;
    if (request.splitHorizontally) {
        listSize_ = clampSize(listSize_, scaledLength(kListMinHeight, dpi),
                              height - scaledLength(kTreemapMinHeight, dpi));
        result.list = shownAt(x0, top, rest, listSize_);
        result.treemap = shownAt(x0, top + listSize_ + m.gap, rest, height - listSize_ - m.gap);
    } else {
        listSize_ = clampSize(listSize_, scaledLength(kListMinWidth, dpi),
                              rest - scaledLength(kTreemapMinWidth, dpi));
        result.list = shownAt(x0, top, listSize_, height);
        const int x1 = x0 + listSize_ + m.gap;
        result.treemap = shownAt(x1, top, width - x1, height);
    }
    return result;
}

Splitter MainLayout::hitSplitter(int x, int y) const {
    if (!laidOut_ || last_.welcomeShown || y < metrics_.toolbarHeight) {
        return Splitter::None;
    }
    const int gap = metrics_.gap;
    int x0 = 0;
    if (last_.showKinds) {
        if (x >= kindsWidth_ && x < kindsWidth_ + gap) {
            return Splitter::Kinds;
        }
        x0 = kindsWidth_ + gap;
    }
    if (last_.splitHorizontally) {
        const int top = metrics_.toolbarHeight + listSize_;
        if (x >= x0 && y >= top && y < top + gap) {
            return Splitter::List;
        }
    } else if (x >= x0 + listSize_ && x < x0 + listSize_ + gap) {
        return Splitter::List;
    }
    return Splitter::None;
}

SplitterCursor MainLayout::cursorAt(int x, int y) const {
    switch (hitSplitter(x, y)) {
        case Splitter::None:
            return SplitterCursor::None;
        case Splitter::List:
            if (last_.splitHorizontally) {
                return SplitterCursor::SizeNorthSouth;
            }
            break;
        case Splitter::Kinds:
            break;
    }
    return SplitterCursor::SizeWestEast;
}

int MainLayout::dragCoordinate(int x, int y) const {
    return dragSplitter_ == Splitter::List && last_.splitHorizontally ? y : x;
}

bool MainLayout::beginDrag(int x, int y) {
    const Splitter splitter = hitSplitter(x, y);
    if (splitter == Splitter::None) {
        return false;
    }
    dragSplitter_ = splitter;
    dragStartCoordinate_ = dragCoordinate(x, y);
    dragStartValue_ = splitter == Splitter::List ? listSize_ : kindsWidth_;
    return true;
}

bool MainLayout::dragTo(int x, int y) {
    if (!dragging()) {
        return false;
    }
    const int value = dragStartValue_ + dragCoordinate(x, y) - dragStartCoordinate_;
    int& size = dragSplitter_ == Splitter::List ? listSize_ : kindsWidth_;
    if (size == value) {
        return false;
    }
    size = value;
    return true;
}

bool MainLayout::endDrag() {
    const bool was = dragging();
    dragSplitter_ = Splitter::None;
    return was;
}

}  // namespace app
