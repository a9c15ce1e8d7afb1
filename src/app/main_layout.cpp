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
// Enough of the status line for "Scan complete" and the first count at the smallest window.
constexpr int kStatusMinWidth = 160;

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

int pendingWidth(const LayoutRequest& request) {
    return std::min(scaledLength(kPendingWidth, request.dpi), request.clientWidth / 3);
}

// The content's width once the pending pane has taken its share.
int contentWidth(const LayoutRequest& request) {
    if (!request.pendingShown) {
        return request.clientWidth;
    }
    return request.clientWidth - pendingWidth(request);
}

}  // namespace

int scaledLength(int length, int dpi) {
    return ui::scaleLength(length, ui::effectiveDpi(static_cast<unsigned>(dpi)));
}

ChromeMetrics ChromeMetrics::at(int dpi) {
    return {scaledLength(kToolbarHeight, dpi), scaledLength(kGap, dpi), scaledLength(kMargin, dpi),
            scaledLength(kButtonHeight, dpi)};
}

StatusArea statusAreaOf(const PaneRect& measureBox, const std::vector<PaneRect>& shown,
                        int clientWidth, int dpi) {
    int right = clientWidth - scaledLength(kMargin, dpi);
    for (const PaneRect& button : shown) {
        right = std::min(right, button.x - scaledLength(kStatusBeforeZoomOut, dpi));
    }
    return {measureBox.right() + scaledLength(kStatusAfterMeasure, dpi), 0, right,
            scaledLength(kToolbarHeight, dpi) - 1};
}

ClientSize minimumClientSize(int dpi) {
    const auto s = [dpi](int length) { return scaledLength(length, dpi); };
    // The band: "Open…" and the measure box, the status line, then the three buttons on the
    // right with their spacing, all within the margins.
    const int band = s(kMargin) + s(kMeasureOffset) + s(kMeasureWidth) + s(kStatusAfterMeasure) +
                     s(kStatusMinWidth) + s(kStatusBeforeZoomOut) + s(kZoomOutWidth) +
                     s(kButtonSpacing) + s(kStopWidth) + s(kButtonSpacing) + s(kRefreshWidth) +
                     s(kMargin);
    // The treemap's minimums count its splitter, as the clamps in layout() do.
    const int sideBySide = s(kKindsMin) + s(kGap) + s(kListMinWidth) + s(kTreemapMinWidth);
    const int stacked = s(kListMinHeight) + s(kTreemapMinHeight);
    return {std::max(band, sideBySide), s(kToolbarHeight) + stacked};
}

int MainLayout::placedKindsWidth(const LayoutRequest& request) const {
    return clampSize(kindsWidth_, scaledLength(kKindsMin, request.dpi),
                     contentWidth(request) - scaledLength(kKindsRoomLeft, request.dpi));
}

int MainLayout::placedListSize(const LayoutRequest& request) const {
    const int dpi = request.dpi;
    if (request.splitHorizontally) {
        const int height = request.clientHeight - scaledLength(kToolbarHeight, dpi);
        return clampSize(listSize_, scaledLength(kListMinHeight, dpi),
                         height - scaledLength(kTreemapMinHeight, dpi));
    }
    const int x0 = request.showKinds ? placedKindsWidth(request) + scaledLength(kGap, dpi) : 0;
    return clampSize(listSize_, scaledLength(kListMinWidth, dpi),
                     contentWidth(request) - x0 - scaledLength(kTreemapMinWidth, dpi));
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
    result.status =
        statusAreaOf(result.toolbar.measureBox,
                     {result.toolbar.zoomOut, result.toolbar.stop, result.toolbar.refresh},
                     request.clientWidth, dpi);

    const int top = m.toolbarHeight;
    const int width = contentWidth(request);
    const int height = request.clientHeight - top;
    if (request.welcomeShown) {
        result.welcome = shownAt(0, top, request.clientWidth, height);
        return result;
    }

    if (request.pendingShown) {
        result.pending = shownAt(width, top, request.clientWidth - width, height);
    }

    int x0 = 0;
    if (request.showKinds) {
        placedKindsWidth_ = placedKindsWidth(request);
        result.kinds = shownAt(0, top, placedKindsWidth_, height);
        x0 = placedKindsWidth_ + m.gap;
    }

    const int rest = width - x0;
    placedListSize_ = placedListSize(request);
    if (request.splitHorizontally) {
        result.list = shownAt(x0, top, rest, placedListSize_);
        result.treemap =
            shownAt(x0, top + placedListSize_ + m.gap, rest, height - placedListSize_ - m.gap);
    } else {
        result.list = shownAt(x0, top, placedListSize_, height);
        const int x1 = x0 + placedListSize_ + m.gap;
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
        if (x >= placedKindsWidth_ && x < placedKindsWidth_ + gap) {
            return Splitter::Kinds;
        }
        x0 = placedKindsWidth_ + gap;
    }
    if (last_.splitHorizontally) {
        const int top = metrics_.toolbarHeight + placedListSize_;
        if (x >= x0 && y >= top && y < top + gap) {
            return Splitter::List;
        }
    } else if (x >= x0 + placedListSize_ && x < x0 + placedListSize_ + gap) {
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
    dragStartValue_ = splitter == Splitter::List ? placedListSize_ : placedKindsWidth_;
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
    if (dragSplitter_ == Splitter::List) {
        listSize_ = placedListSize(last_);
    } else if (dragSplitter_ == Splitter::Kinds) {
        kindsWidth_ = placedKindsWidth(last_);
    }
    dragSplitter_ = Splitter::None;
    return was;
}

}  // namespace app
