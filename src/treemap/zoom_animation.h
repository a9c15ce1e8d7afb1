#pragma once

// The zoom stack's entries and the short animation shown while the picture of a zoom step is
// built: the previous picture, enlarged toward the zoomed rectangle or shrunk into it, eased in
// and out.
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

// Where the snapshot (the picture as it filled the client) is drawn in one frame: client point
// (x, y) of the snapshot lands on (left + scaleX·x, top + scaleY·y).
struct SnapshotPlacement {
    double left = 0;
    double top = 0;
    double scaleX = 1;
    double scaleY = 1;
};

struct AnimationFrame {
    SnapshotPlacement placement;
    PixelRect destination;  // the placement of the whole client, each edge rounded
    bool finished = false;  // the last frame: the animation ends with it
};

// The frame at `now`. Every animation starts from the snapshot exactly where it was (no jump) and
// moves continuously to its end: zooming in, the target rectangle fills the client, which is
// where the new picture shows the folder; zooming out, the client shrinks into the target, which
// is where the folder lies in the new picture. Progress runs from 0 at `start` to 1 after
// kAnimationMilliseconds and then stays at 1, so the last frame is exactly the end position,
// however late it is drawn. A target side under 1 pixel counts as 1.
AnimationFrame animationFrame(const ZoomAnimation& animation, ClientSize client, std::uint64_t now);

}  // namespace treemap
