#include "treemap/treemap_render.h"

#include <algorithm>
#include <cmath>

namespace treemap {

namespace {

constexpr int kDominantDepth = 8;
constexpr scan::NodeId kDominantBreadth = 256;

double lightIntensity(double cosine) {
    return std::min(1.0, (kAmbient + kDiffuse * std::max(0.0, cosine)) * kGain);
}

std::uint32_t shade(std::uint32_t channel, double intensity) {
    return static_cast<std::uint32_t>(std::min(255.0, intensity * static_cast<double>(channel)));
}

// Rounds half away from zero and cuts to [0, limit] before converting, so a rectangle far
// outside the image cannot overflow the conversion.
int pixelBound(double coordinate, int limit) {
    return static_cast<int>(std::clamp(std::round(coordinate), 0.0, static_cast<double>(limit)));
}

std::uint32_t itemColour(const scan::NodeStore& store, const TreemapImage& image,
                         const TreemapItem& item, const KindColours& colours,
                         scan::Measure measure) {
    const auto block = image.blockInfo.find(item.node);
    if (block != image.blockInfo.end()) {
        return block->second.colour;
    }
    if (item.node < 0) {
        return kUnknownKindColour;
    }
    const auto node = static_cast<scan::NodeId>(item.node);
    scan::FileKind kind = store.kind.get(node);
    if (kind == scan::KindFolder) {
        kind = dominantKind(store, node, measure);
        if (kind == scan::KindFolder) {
            kind = scan::otherKind();
        }
    }
    return colours.colourOf(kind);
}

}  // namespace

void NodeRects::assign(const std::vector<TreemapItem>& items) {
    entries_.clear();
    entries_.reserve(items.size());
    for (const TreemapItem& item : items) {
        if (item.hiddenCount == 0 && item.node >= 0) {
            entries_.push_back({static_cast<scan::NodeId>(item.node), item.rect});
        }
    }
    // A node drawn twice (a folder's container and its own cushion) keeps its largest rectangle:
    // sorted largest first within a node, the first of each node stays.
    std::sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
        return a.node != b.node ? a.node < b.node : a.rect.area() > b.rect.area();
    });
    entries_.erase(std::unique(entries_.begin(), entries_.end(),
                               [](const Entry& a, const Entry& b) { return a.node == b.node; }),
                   entries_.end());
}

const Rect* NodeRects::find(scan::NodeId node) const {
    const auto found = std::lower_bound(
        entries_.begin(), entries_.end(), node,
        [](const Entry& entry, scan::NodeId wanted) { return entry.node < wanted; });
    return found != entries_.end() && found->node == node ? &found->rect : nullptr;
}

scan::FileKind dominantKind(const scan::NodeStore& store, scan::NodeId node,
                            scan::Measure measure) {
    const std::uint64_t published = store.publishedCount();
    for (int level = 0; level < kDominantDepth && store.hasFlag(node, scan::FlagFolder); ++level) {
        const scan::ChildRange children = scan::publishedChildren(store, node, published);
        const scan::NodeId end = std::min(children.end, children.begin + kDominantBreadth);
        std::int64_t largest = 0;
        scan::NodeId choice = 0;
        for (scan::NodeId child = children.begin; child < end; ++child) {
            const std::int64_t value = scan::measureValue(store, child, measure, true);
            if (value > largest) {
                largest = value;
                choice = child;
            }
        }
        if (largest <= 0) {
            break;
        }
        node = choice;
    }
    return store.kind.get(node);
}

double cushionIntensity(double nx, double ny) {
    return lightIntensity((nx * kLightX + ny * kLightY + kLightZ) /
                          std::sqrt(nx * nx + ny * ny + 1));
}

void paintCushion(TreemapImage& image, const TreemapItem& item, std::uint32_t colour,
                  std::int32_t index) {
    const Rect& r = item.rect;
    const int left = pixelBound(r.x, image.width);
    const int right = pixelBound(r.x + r.w, image.width);
    const int top = pixelBound(r.y, image.height);
    const int bottom = pixelBound(r.y + r.h, image.height);
    if (left >= right || top >= bottom) {
        return;
    }
    const std::uint32_t red = colour >> 16 & 0xFF;
    const std::uint32_t green = colour >> 8 & 0xFF;
    const std::uint32_t blue = colour & 0xFF;
    const CushionSurface& s = item.surface;
    const auto stride = static_cast<std::size_t>(image.width);
    for (int py = top; py < bottom; ++py) {
        // Everything that depends on the row alone is worked out once per row.
        const double ny = -(2 * s.ay * (py + 0.5) + s.by);
        const double rowLight = ny * kLightY;
        const double rowLength = ny * ny;
        std::uint32_t* pixel = image.pixels.data() + static_cast<std::size_t>(py) * stride;
        std::int32_t* owner = image.itemAt.data() + static_cast<std::size_t>(py) * stride;
        for (int px = left; px < right; ++px) {
            const double nx = -(2 * s.ax * (px + 0.5) + s.bx);
            const double cosine =
                (nx * kLightX + rowLight + kLightZ) / std::sqrt(nx * nx + rowLength + 1);
            const double intensity = lightIntensity(cosine);
            pixel[px] =
                shade(red, intensity) << 16 | shade(green, intensity) << 8 | shade(blue, intensity);
            owner[px] = index;
        }
    }
}

TreemapImage renderTreemap(const scan::NodeStore& store, scan::NodeId root, int width, int height,
                           const KindColours& colours, const TreemapOptions& options) {
    TreemapImage image;
    renderTreemapInto(image, store, root, width, height, colours, options);
    return image;
}

void renderTreemapInto(TreemapImage& image, const scan::NodeStore& store, scan::NodeId root,
                       int width, int height, const KindColours& colours,
                       const TreemapOptions& options) {
    image.root = root;
    image.width = 0;
    image.height = 0;
    image.blockInfo.clear();
    if (width <= 0 || height <= 0 || root >= store.publishedCount()) {
        image.items.clear();
        image.pixels.clear();
        image.itemAt.clear();
        image.nodeRects.clear();
        return;
    }
    layoutTreemapInto(image.items, store, root, width, height, options);
    for (const SpaceBlock& block : options.spaceBlocks) {
        image.blockInfo[block.id] = BlockInfo{block.label, block.size, block.colour};
    }
    image.width = width;
    image.height = height;
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    image.pixels.assign(count, kBackground);
    image.itemAt.assign(count, -1);

    const auto measure = static_cast<scan::Measure>(options.measure);
    for (std::size_t index = 0; index < image.items.size(); ++index) {
        const TreemapItem& item = image.items[index];
        if (item.drawn) {
            paintCushion(image, item, itemColour(store, image, item, colours, measure),
                         static_cast<std::int32_t>(index));
        }
    }
    image.nodeRects.assign(image.items);
}

}  // namespace treemap
