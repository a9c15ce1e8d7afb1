#pragma once

// The zoom stack's entries and the short animation shown while the picture of a zoom step is
// built: the previous picture, enlarged or shrunk about the zoomed rectangle, eased in and out.
// Times are milliseconds of a steady clock, passed in by the caller.

#include "scan/node_store.h"
#include "treemap/treemap_layout.h"
#include "treemap/view_geometry.h"

#include <cstdint>
#include <vector>

namespace treemap {

// One step of the zoom stack: the folder zoomed into, and where it was on the screen then.
struct ZoomEntry {
    scan::NodeId node = 0;
    Rect rect;  // client coordinates; all zero for the base entry
};

enum class ZoomDirection { In, Out };

inline constexpr std::uint64_t kAnimationMilliseconds = 320;
inline constexpr double kSmallestZoomFactor = 1.45;

struct ZoomAnimation {
    std::vector<std::uint32_t> pixels;  // the picture shown before the step
    int width = 0;
    int height = 0;
    Rect target;  // client coordinates
    ZoomDirection direction = ZoomDirection::In;
    std::uint64_t start = 0;
};

// Slow at both ends: 2p² up to the middle, 1 − (2 − 2p)²/2 after it.
double easedProgress(double progress);

// How far the snapshot is enlarged at the end of a zoom in (and the start of a zoom out): enough
// for the target to fill the client, and never less than kSmallestZoomFactor.
double zoomFactor(const Rect& target, ClientSize client);

struct AnimationFrame {
    PixelRect destination;  // where the whole snapshot is stretched to
    bool finished = false;  // the last frame: the animation ends with it
};

// The frame at `now`. Progress runs from 0 at `start` to 1 after kAnimationMilliseconds and then
// stays at 1, so the last frame is exactly the end position, however late it is drawn.
AnimationFrame animationFrame(const ZoomAnimation& animation, ClientSize client, std::uint64_t now);

}  // namespace treemap
