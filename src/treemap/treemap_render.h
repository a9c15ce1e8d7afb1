#pragma once

// Turns a treemap layout into a finished picture: every drawn rectangle a shaded cushion in the
// colour of its file kind, plus, for every pixel, the item painted there.

#include "scan/file_kinds.h"
#include "scan/measures.h"
#include "scan/node_store.h"
#include "treemap/kind_colours.h"
#include "treemap/treemap_layout.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace treemap {

// Pixels no item covers, as 0x00RRGGBB.
inline constexpr std::uint32_t kBackground = 0x1C1C1E;

// The light comes from the top left and a little from the front: (-2.5, -2.5, 10) normalised.
inline constexpr double kLightNorm = 10.606601717798213;
inline constexpr double kLightX = -2.5 / kLightNorm;
inline constexpr double kLightY = -2.5 / kLightNorm;
inline constexpr double kLightZ = 10 / kLightNorm;
inline constexpr double kAmbient = 0.2;
inline constexpr double kDiffuse = 0.8;
inline constexpr double kGain = 1.04;

struct BlockInfo {
    std::u16string label;
    std::int64_t size = 0;
    std::uint32_t colour = 0;
};

// Each node's largest rectangle in a picture, looked up by node. One sorted array rather than a
// hash table: a picture of a few hundred thousand items then costs one allocation to build and
// one to free, not one per item.
class NodeRects {
  public:
    // Takes the rectangles of `items` that show a node (small-items rectangles and space blocks
    // aside), keeping the largest of each node.
    void assign(const std::vector<TreemapItem>& items);
    // The node's rectangle, or null when the picture has none for it.
    const Rect* find(scan::NodeId node) const;
    std::size_t size() const { return entries_.size(); }
    void clear() { entries_.clear(); }

  private:
    struct Entry {
        scan::NodeId node;
        Rect rect;
    };
    std::vector<Entry> entries_;
};

// One finished picture. Empty (no items, no buffers, width and height 0) when nothing could be
// laid out. `pixels` is a top-down 32-bit bitmap of 0x00RRGGBB values, row after row.
struct TreemapImage {
    int width = 0;
    int height = 0;
    std::vector<TreemapItem> items;
    // Per pixel, the index into `items` of the drawn item painted there; -1 for background.
    std::vector<std::int32_t> itemAt;
    std::vector<std::uint32_t> pixels;
    scan::NodeId root = 0;
    // For each node with an item (small-items rectangles aside), its largest rectangle.
    NodeRects nodeRects;
    std::unordered_map<std::int32_t, BlockInfo> blockInfo;
};

// The kind that gives a folder its colour when it is drawn whole: follows the largest of the
// first 256 published children (allocated bytes for measure 0) down at most 8 levels, stopping
// at a file or at a folder whose children hold nothing. Answers scan::KindFolder when it stops at
// a folder. `node` must be below the store's publishedCount.
scan::FileKind dominantKind(const scan::NodeStore& store, scan::NodeId node, scan::Measure measure);

// The brightness of a cushion whose surface normal is (nx, ny, 1), capped at 1.
double cushionIntensity(double nx, double ny);

// Paints `item` as a cushion in `colour` (0xAARRGGBB, alpha ignored) over the image's buffers,
// which must already have their full size, and marks its pixels with `index`. Bounds are rounded
// half away from zero and cut to the image; an item outside the image paints nothing.
void paintCushion(TreemapImage& image, const TreemapItem& item, std::uint32_t colour,
                  std::int32_t index);

// Lays out `root` over width × height pixels and shades it, with `colours` for the kinds. An image
// with a non-positive side, or a root at or above the store's publishedCount, comes back empty.
// Reads the store without a lock, so it may run while a scan appends.
TreemapImage renderTreemap(const scan::NodeStore& store, scan::NodeId root, int width, int height,
                           const KindColours& colours, const TreemapOptions& options);
// The same into `image`, whose earlier picture is dropped and whose buffers are reused: a build
// that follows a scan then writes into memory it already has rather than into fresh pages.
void renderTreemapInto(TreemapImage& image, const scan::NodeStore& store, scan::NodeId root,
                       int width, int height, const KindColours& colours,
                       const TreemapOptions& options);

}  // namespace treemap
