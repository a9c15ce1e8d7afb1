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

double zoomFactor(const Rect& target, ClientSize client) {
    return std::max({kSmallestZoomFactor, client.width / std::max(1.0, target.w),
                     client.height / std::max(1.0, target.h)});
}

AnimationFrame animationFrame(const ZoomAnimation& animation, ClientSize client,
                              std::uint64_t now) {
    const std::uint64_t elapsed = now > animation.start ? now - animation.start : 0;
    const double progress =
        std::min(1.0, static_cast<double>(elapsed) / static_cast<double>(kAnimationMilliseconds));
    const double e = easedProgress(progress);
    const double u = zoomFactor(animation.target, client);
    const double w = client.width;
    const double h = client.height;
    const double cx = animation.target.x + animation.target.w / 2;
    const double cy = animation.target.y + animation.target.h / 2;

    double scale = 0;
    double centreX = 0;
    double centreY = 0;
    if (animation.direction == ZoomDirection::In) {
        scale = 1 + (u - 1) * e;
        centreX = cx + (w / 2 - cx) * e;
        centreY = cy + (h / 2 - cy) * e;
    } else {
        scale = u + (1 - u) * e;
        centreX = w / 2 + (cx - w / 2) * e;
        centreY = h / 2 + (cy - h / 2) * e;
    }
    AnimationFrame frame;
    frame.destination.left = static_cast<int>(std::lround(centreX - w * scale / 2));
    frame.destination.top = static_cast<int>(std::lround(centreY - h * scale / 2));
    frame.destination.right = frame.destination.left + static_cast<int>(std::lround(w * scale));
    frame.destination.bottom = frame.destination.top + static_cast<int>(std::lround(h * scale));
    frame.finished = progress >= 1;
    return frame;
}

}  // namespace treemap
