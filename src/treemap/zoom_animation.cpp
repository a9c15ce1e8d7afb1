#include "treemap/zoom_animation.h"

#include <algorithm>
#include <cmath>

namespace treemap {

double easedProgress(double progress) {
    if (progress < 0.5) {
        return 2 * progress * progress;
    }
    const double rest = 2 - 2 * progress;
    return 1 - rest * rest / 2;
}

AnimationFrame animationFrame(const ZoomAnimation& animation, ClientSize client,
                              std::uint64_t now) {
    const std::uint64_t elapsed = now > animation.start ? now - animation.start : 0;
    const double progress =
        std::min(1.0, static_cast<double>(elapsed) / static_cast<double>(kAnimationMilliseconds));
    const double e = easedProgress(progress);
    const double w = client.width;
    const double h = client.height;
    const Rect& r = animation.target;
    const double targetW = std::max(1.0, r.w);
    const double targetH = std::max(1.0, r.h);
    const double cx = r.x + r.w / 2;
    const double cy = r.y + r.h / 2;

    // One point of the snapshot travels in a straight line while the scale grows or shrinks
    // linearly, both with the eased progress: at e = 0 the placement is the identity, at e = 1 it
    // maps the target onto the client (in) or the client onto the target (out).
    double endScaleX = 0;
    double endScaleY = 0;
    double anchorX = 0;  // the travelling point, in snapshot coordinates
    double anchorY = 0;
    double toX = 0;  // where it ends, in client coordinates
    double toY = 0;
    if (animation.direction == ZoomDirection::In) {
        endScaleX = w / targetW;
        endScaleY = h / targetH;
        anchorX = cx;
        anchorY = cy;
        toX = w / 2;
        toY = h / 2;
    } else {
        endScaleX = w > 0 ? targetW / w : 1;
        endScaleY = h > 0 ? targetH / h : 1;
        anchorX = w / 2;
        anchorY = h / 2;
        toX = cx;
        toY = cy;
    }
    AnimationFrame frame;
    SnapshotPlacement& p = frame.placement;
    p.scaleX = 1 + (endScaleX - 1) * e;
    p.scaleY = 1 + (endScaleY - 1) * e;
    p.left = anchorX + (toX - anchorX) * e - p.scaleX * anchorX;
    p.top = anchorY + (toY - anchorY) * e - p.scaleY * anchorY;
    frame.destination.left = static_cast<int>(std::lround(p.left));
    frame.destination.top = static_cast<int>(std::lround(p.top));
    frame.destination.right = static_cast<int>(std::lround(p.left + p.scaleX * w));
    frame.destination.bottom = static_cast<int>(std::lround(p.top + p.scaleY * h));
    frame.finished = progress >= 1;
    return frame;
}

}  // namespace treemap
