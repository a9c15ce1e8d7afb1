#pragma once

// The squarified, nested treemap layout: one node of a NodeStore and a pixel area become a flat
// list of rectangles, each with the coefficients of its cushion. Folders that are subdivided are
// listed as containers before their content, and the content fills the container exactly.

#include "scan/node_store.h"

#include <cstdint>
#include <string>
#include <vector>

namespace treemap {

// Node value of the entry that stands for all items of a folder too small for a pixel each.
inline constexpr std::int32_t SmallItemsId = INT32_MIN;
inline constexpr std::int32_t FreeSpaceId = -2;
inline constexpr std::int32_t OtherSpaceId = -3;

inline constexpr double kTopRidgeHeight = 0.38;
inline constexpr double kRidgeFactor = 0.91;
// A node at this depth is drawn whole, however much it holds.
inline constexpr int kMaxDepth = 64;
inline constexpr double kMinSubdividedArea = 9.0;

struct Rect {
    double x = 0;
    double y = 0;
    double w = 0;
    double h = 0;

    double area() const { return w * h; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// Drive space shown beside the root's content at the top level: free space, or the part of the
// drive the scan did not account for.
struct SpaceBlock {
    std::int32_t id = FreeSpaceId;  // FreeSpaceId or OtherSpaceId, never a NodeId
    std::u16string label;
    std::int64_t size = 0;     // bytes, whatever the measure
    std::uint32_t colour = 0;  // 0xAARRGGBB
};

struct TreemapOptions {
    std::int32_t measure = 0;     // a scan::Measure
    bool useLogicalSize = false;  // measure 0 sizes by `size` instead of `allocated`
    std::vector<SpaceBlock> spaceBlocks;
};

// Height over pixel (x, y) is ax·x² + ay·y² + bx·x + by·y.
struct CushionSurface {
    double ax = 0;
    double ay = 0;
    double bx = 0;
    double by = 0;
};

struct TreemapItem {
    Rect rect;
    // The NodeId shown, a SpaceBlock id, or for a small-items rectangle the first merged node.
    std::int32_t node = 0;
    // False for a folder container whose content follows it in the list.
    bool drawn = true;
    // For a small-items rectangle, how many items were merged into it; otherwise 0.
    std::uint32_t hiddenCount = 0;
    CushionSurface surface;
};

// Lays out `root` over (0, 0, width, height). Items come in depth-first pre-order: a container
// before its content, content in squarify order; later drawn items lie on top of earlier ones.
// Reads only rows below the store's publishedCount and never writes, so it may run while the scan
// appends; a build then mixes values of slightly different moments. A root at or above
// publishedCount gives an empty list; an area under 9 square pixels gives the root alone, drawn.
std::vector<TreemapItem> layoutTreemap(const scan::NodeStore& store, scan::NodeId root,
                                       double width, double height, const TreemapOptions& options);
// The same into `items`, whose earlier content is dropped and whose memory is reused.
void layoutTreemapInto(std::vector<TreemapItem>& items, const scan::NodeStore& store,
                       scan::NodeId root, double width, double height,
                       const TreemapOptions& options);

struct LayoutEntry {
    std::int32_t id = 0;
    double value = 0;
};

struct PlacedEntry {
    std::int32_t id = 0;
    Rect rect;
};

// Places the entries in `area` in rows as close to square as possible, keeping their order:
// a row is closed as soon as adding the next entry makes its worst side ratio grow. Rows are
// columns at the left while the free part is at least as wide as it is high, strips along the
// top otherwise. Entries of value 0 or less get no rectangle; an empty area gives none at all.
// Each rectangle's area is proportional to its value, and together they fill `area`.
std::vector<PlacedEntry> squarify(const std::vector<LayoutEntry>& entries, const Rect& area);
// The same into `placed`, whose earlier content is dropped and whose memory is reused.
void squarifyInto(std::vector<PlacedEntry>& placed, const std::vector<LayoutEntry>& entries,
                  const Rect& area);

// Adds one ridge of `height` spanning `rect` to `surface`. A rectangle without area adds nothing.
void addRidge(CushionSurface& surface, const Rect& rect, double height);

}  // namespace treemap
