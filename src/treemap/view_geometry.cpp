#include "treemap/view_geometry.h"

#include <cmath>
#include <limits>

namespace treemap {

Rect toClient(const Rect& rect, int pictureWidth, int pictureHeight, ClientSize client) {
    const double sx = static_cast<double>(client.width) / pictureWidth;
    const double sy = static_cast<double>(client.height) / pictureHeight;
    return {rect.x * sx, rect.y * sy, rect.w * sx, rect.h * sy};
}

PixelRect rounded(const Rect& rect) {
    return {static_cast<int>(std::lround(rect.x)), static_cast<int>(std::lround(rect.y)),
            static_cast<int>(std::lround(rect.x + rect.w)),
            static_cast<int>(std::lround(rect.y + rect.h))};
}

std::optional<std::int32_t> itemIndexAt(const TreemapImage& picture, ClientSize client, int x,
                                        int y) {
    if (picture.width == 0 || client.width <= 0 || client.height < 1) {
        return std::nullopt;
    }
    const std::int64_t px = std::int64_t{picture.width} * x / client.width;
    const std::int64_t py = std::int64_t{picture.height} * y / client.height;
    if (px < 0 || py < 0 || px >= picture.width || py >= picture.height) {
        return -1;
    }
    const auto at = static_cast<std::size_t>(py * picture.width + px);
    return at < picture.itemAt.size() ? picture.itemAt[at] : -1;
}

std::optional<PixelRect> hoverFrame(const TreemapImage& picture, ClientSize client,
                                    std::int32_t index) {
    if (index < 0 || static_cast<std::size_t>(index) >= picture.items.size() ||
        picture.width <= 0 || picture.height <= 0) {
        return std::nullopt;
    }
    const Rect on = toClient(picture.items[static_cast<std::size_t>(index)].rect, picture.width,
                             picture.height, client);
    const PixelRect frame = rounded(on).inflated(-1);
    if (frame.empty()) {
        return std::nullopt;
    }
    return frame;
}

std::optional<SelectionFrame> selectionFrame(const TreemapImage& picture, ClientSize client,
                                             std::int32_t node) {
    if (node < 0 || picture.width <= 0 || picture.height <= 0) {
        return std::nullopt;
    }
    const Rect* found = picture.nodeRects.find(static_cast<scan::NodeId>(node));
    if (found == nullptr) {
        return std::nullopt;
    }
    SelectionFrame frame;
    frame.outer = rounded(toClient(*found, picture.width, picture.height, client));
    if (frame.outer.width() < kSmallSelection || frame.outer.height() < kSmallSelection) {
        frame.outer = frame.outer.inflated(2);
    }
    const PixelRect inner = frame.outer.inflated(-2);
    if (!inner.empty()) {
        frame.inner = inner;
    }
    return frame;
}

namespace {

// A rectangle seen along a direction: `near` and `far` are its edges along it (in the order the
// direction meets them), `low` and `high` its edges across.
struct Along {
    double near;
    double far;
    double low;
    double high;
};

Along along(const Rect& rect, Direction direction) {
    switch (direction) {
        case Direction::Right:
            return {rect.x, rect.x + rect.w, rect.y, rect.y + rect.h};
        case Direction::Left:
            return {-(rect.x + rect.w), -rect.x, rect.y, rect.y + rect.h};
        case Direction::Down:
            return {rect.y, rect.y + rect.h, rect.x, rect.x + rect.w};
        case Direction::Up:
            return {-(rect.y + rect.h), -rect.y, rect.x, rect.x + rect.w};
    }
    return {};
}

}  // namespace

std::int32_t itemBeside(const TreemapImage& picture, const Rect& from, Direction direction) {
    // Neighbours share an edge up to the rounding of the layout's arithmetic.
    constexpr double kSlack = 0.01;
    const Along origin = along(from, direction);
    const double middle = (origin.low + origin.high) / 2;
    std::int32_t best = -1;
    double bestGap = std::numeric_limits<double>::infinity();
    double bestOffset = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < picture.items.size(); ++i) {
        const TreemapItem& item = picture.items[i];
        if (!item.drawn || item.node < 0 || item.rect.area() <= 0) {
            continue;
        }
        const Along candidate = along(item.rect, direction);
        const bool past = candidate.near >= origin.far - kSlack;
        const bool across =
            candidate.low < origin.high - kSlack && candidate.high > origin.low + kSlack;
        if (!past || !across) {
            continue;
        }
        const double gap = candidate.near - origin.far;
        const double offset = std::abs((candidate.low + candidate.high) / 2 - middle);
        if (gap < bestGap - kSlack || (gap <= bestGap + kSlack && offset < bestOffset)) {
            best = static_cast<std::int32_t>(i);
            bestGap = gap;
            bestOffset = offset;
        }
    }
    return best;
}

}  // namespace treemap
