#pragma once

// A rectangle of whole pixels for the layouts that are worked out apart from their windows, so
// that they are tested on any host. Half-open on both axes, as the platform's rectangles are.

namespace ui {

struct Box {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool empty() const { return left >= right || top >= bottom; }
    bool contains(int x, int y) const { return left <= x && x < right && top <= y && y < bottom; }
    Box movedUp(int by) const { return {left, top - by, right, bottom - by}; }
    // Grown by `by` on every side (shrunk for a negative `by`).
    Box inflated(int by) const { return {left - by, top - by, right + by, bottom + by}; }
    friend bool operator==(const Box&, const Box&) = default;
};

}  // namespace ui
