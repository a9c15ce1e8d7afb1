#include "treemap/treemap_layout.h"

#include "scan/file_kinds.h"
#include "scan/measures.h"

#include <algorithm>
#include <limits>

namespace treemap {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// Group keys live in 64 bits so the three kinds of group never meet: space blocks keep their
// small negative ids, folders sit below -2^32 and files use their kind, which is never negative.
std::int64_t spaceBlockGroup(std::int32_t id) {
    return id;
}
std::int64_t folderGroup(scan::NodeId node) {
    return -(std::int64_t{1} << 32) - static_cast<std::int64_t>(node);
}
std::int64_t kindGroup(scan::FileKind kind) {
    return kind;
}

struct GroupedEntry {
    std::int32_t id = 0;
    double value = 0;
    std::int64_t group = 0;
    double groupTotal = 0;
};

// The worst side ratio of a row of thickness t holding these values. The ratio of one member,
// max(l/t, t/l) with l proportional to its value, only grows away from l = t, so the largest
// and the smallest member between them hold the worst.
double worstRatio(double rowSum, double smallest, double largest, double scale, double side) {
    const double thickness = rowSum * scale / side;
    if (!(thickness > 0)) {
        return kInfinity;
    }
    double worst = 0;
    for (const double value : {smallest, largest}) {
        const double length = scale * value / thickness;
        if (!(length > 0)) {
            return kInfinity;
        }
        worst = std::max(worst, std::max(length / thickness, thickness / length));
    }
    return worst;
}

class Layouter {
  public:
    Layouter(const scan::NodeStore& store, const TreemapOptions& options)
        : store_(store),
          options_(options),
          published_(store.publishedCount()),
          values_(scan::measureColumn(store, static_cast<scan::Measure>(options.measure),
                                      !options.useLogicalSize)) {}

    void run(std::vector<TreemapItem>& items, scan::NodeId root, const Rect& area) {
        items.clear();
        items_.swap(items);
        if (root >= published_) {
            items_.swap(items);
            return;
        }
        // A drawing of hundreds of thousands of items would otherwise be copied a dozen times as
        // the list doubles. Rows after the root bound the count from above, and so, loosely, does
        // the area: most items cover several pixels.
        const double rows = static_cast<double>(published_ - root) + 8;
        items_.reserve(static_cast<std::size_t>(std::min(rows, area.area() / 4 + 64)));
        layoutNode(root, area, 0, CushionSurface{}, kTopRidgeHeight);
        items_.swap(items);
    }

  private:
    bool isFolder(scan::NodeId node) const { return store_.hasFlag(node, scan::FlagFolder); }

    // As scan::measureValue reads it: the unsigned column taken as a signed 64-bit integer.
    double valueOf(scan::NodeId node) const {
        return static_cast<double>(static_cast<std::int64_t>(values_.get(node)));
    }

    void append(const Rect& rect, std::int32_t node, bool drawn, std::uint32_t hidden,
                const CushionSurface& surface) {
        items_.push_back(TreemapItem{rect, node, drawn, hidden, surface});
    }

    void appendWithRidge(const Rect& rect, std::int32_t node, std::uint32_t hidden,
                         CushionSurface surface, double ridge) {
        addRidge(surface, rect, ridge);
        append(rect, node, true, hidden, surface);
    }

    void layoutNode(scan::NodeId node, const Rect& rect, int depth, CushionSurface surface,
                    double ridge) {
        if (depth > 0) {
            addRidge(surface, rect, ridge);
        }
        const double nextRidge = ridge * kRidgeFactor;
        const scan::ChildRange children = scan::publishedChildren(store_, node, published_);
        const bool tooSmall = rect.w < 1 || rect.h < 1 || rect.area() < kMinSubdividedArea;
        const auto id = static_cast<std::int32_t>(node);
        if (children.begin == children.end || depth >= kMaxDepth || tooSmall) {
            append(rect, id, true, 0, surface);
            return;
        }

        Small small;
        Scratch& scratch = scratch_[static_cast<std::size_t>(depth)];
        visibleEntries(scratch.list, children, depth, rect.area(), small);
        if (scratch.list.empty()) {
            append(rect, id, true, 0, surface);
            return;
        }

        append(rect, id, false, 0, surface);
        squarifyInto(scratch.placed, scratch.list, rect);
        for (const PlacedEntry& placed : scratch.placed) {
            if (placed.id == SmallItemsId) {
                appendWithRidge(placed.rect, small.representative, small.count, surface, nextRidge);
            } else if (placed.id >= 0 && isFolder(static_cast<scan::NodeId>(placed.id))) {
                layoutNode(static_cast<scan::NodeId>(placed.id), placed.rect, depth + 1, surface,
                           nextRidge);
            } else {
                appendWithRidge(placed.rect, placed.id, 0, surface, nextRidge);
            }
        }
    }

    struct Small {
        std::uint32_t count = 0;
        double total = 0;
        std::int32_t representative = -1;
    };

    // The entries of one folder that get a rectangle, in layout order, with the small-items entry
    // last when it covers a pixel; `small` tells what was merged. Space blocks come first (top
    // level only), then the children in row order; nothing of value 0. An entry under one square
    // pixel is only counted, never stored, so memory follows what can be seen, not the width of
    // the folder: the first pass sums the values, the second keeps what is large enough. While a
    // scan runs a value may change between the passes; the second reading is the one used.
    void visibleEntries(std::vector<LayoutEntry>& list, scan::ChildRange children, int depth,
                        double area, Small& small) {
        const bool blocks = depth == 0;
        double total = 0;
        forEachEntry(children, blocks, [&](std::int32_t, double value) { total += value; });
        const double scale = area / std::max(1.0, total);

        std::vector<GroupedEntry>& entries = grouped_;
        entries.clear();
        forEachEntry(children, blocks, [&](std::int32_t id, double value) {
            if (value * scale >= 1) {
                entries.push_back({id, value, groupOf(id), 0});
                return;
            }
            ++small.count;
            small.total += value;
            // The first small node, or the last small space block when no node is small.
            if (small.representative < 0) {
                small.representative = id;
            }
        });
        orderByGroup(entries);

        list.clear();
        list.reserve(entries.size() + 1);
        for (const GroupedEntry& entry : entries) {
            list.push_back({entry.id, entry.value});
        }
        if (small.count > 0 && small.total * scale >= 1) {
            list.push_back({SmallItemsId, small.total});
        }
    }

    // Calls visit(id, value) for each entry of value greater than 0: the space blocks when
    // `blocks` is set, then the children in row order.
    template <class Visit>
    void forEachEntry(scan::ChildRange children, bool blocks, Visit visit) const {
        if (blocks) {
            for (const SpaceBlock& block : options_.spaceBlocks) {
                if (block.size > 0) {
                    visit(block.id, static_cast<double>(block.size));
                }
            }
        }
        for (scan::NodeId child = children.begin; child < children.end; ++child) {
            const double value = valueOf(child);
            if (value > 0) {
                visit(static_cast<std::int32_t>(child), value);
            }
        }
    }

    std::int64_t groupOf(std::int32_t id) const {
        if (id < 0) {
            return spaceBlockGroup(id);
        }
        const auto node = static_cast<scan::NodeId>(id);
        return isFolder(node) ? folderGroup(node) : kindGroup(store_.kind.get(node));
    }

    // Groups by descending total, members by descending value. Ties are broken by group key and
    // by id, so one tree always gives the same picture.
    static void orderByGroup(std::vector<GroupedEntry>& entries) {
        std::sort(entries.begin(), entries.end(),
                  [](const GroupedEntry& a, const GroupedEntry& b) { return a.group < b.group; });
        for (std::size_t begin = 0; begin < entries.size();) {
            std::size_t end = begin;
            double total = 0;
            while (end < entries.size() && entries[end].group == entries[begin].group) {
                total += entries[end++].value;
            }
            for (std::size_t i = begin; i < end; ++i) {
                entries[i].groupTotal = total;
            }
            begin = end;
        }
        std::sort(entries.begin(), entries.end(), [](const GroupedEntry& a, const GroupedEntry& b) {
            if (a.groupTotal != b.groupTotal) {
                return a.groupTotal > b.groupTotal;
            }
            if (a.group != b.group) {
                return a.group < b.group;
            }
            if (a.value != b.value) {
                return a.value > b.value;
            }
            return a.id < b.id;
        });
    }

    const scan::NodeStore& store_;
    const TreemapOptions& options_;
    const std::uint64_t published_;
    const scan::Column<std::uint64_t>& values_;
    std::vector<TreemapItem> items_;
    // One folder's entries and rectangles per depth, kept while its subfolders are laid out and
    // reused by the next folder at that depth: a picture of many folders would otherwise
    // allocate and free three lists for each of them.
    struct Scratch {
        std::vector<LayoutEntry> list;
        std::vector<PlacedEntry> placed;
    };
    std::vector<Scratch> scratch_ = std::vector<Scratch>(kMaxDepth);
    // The entries of the folder being read, before they are ordered; free again once its list is
    // made.
    std::vector<GroupedEntry> grouped_;
};

}  // namespace

void addRidge(CushionSurface& surface, const Rect& rect, double height) {
    if (!(rect.w > 0 && rect.h > 0)) {
        return;
    }
    const double k = 4 * height;
    surface.bx += k * (2 * rect.x + rect.w) / rect.w;
    surface.ax -= k / rect.w;
    surface.by += k * (2 * rect.y + rect.h) / rect.h;
    surface.ay -= k / rect.h;
}

std::vector<PlacedEntry> squarify(const std::vector<LayoutEntry>& entries, const Rect& area) {
    std::vector<PlacedEntry> placed;
    squarifyInto(placed, entries, area);
    return placed;
}

void squarifyInto(std::vector<PlacedEntry>& placed, const std::vector<LayoutEntry>& entries,
                  const Rect& area) {
    placed.clear();
    double remaining = 0;
    for (const LayoutEntry& entry : entries) {
        if (entry.value > 0) {
            remaining += entry.value;
        }
    }
    if (remaining <= 0 || area.w <= 0 || area.h <= 0) {
        return;
    }
    placed.reserve(entries.size());
    Rect free = area;
    std::size_t next = 0;
    auto skipEmpty = [&] {
        while (next < entries.size() && !(entries[next].value > 0)) {
            ++next;
        }
    };
    skipEmpty();
    while (remaining > 0 && free.w > 0 && free.h > 0 && next < entries.size()) {
        const double scale = free.w * free.h / remaining;
        const double side = std::min(free.w, free.h);

        // Grow the row while its worst ratio does not get worse.
        const std::size_t rowBegin = next;
        double rowSum = 0;
        double smallest = kInfinity;
        double largest = 0;
        double worst = kInfinity;
        while (next < entries.size()) {
            const double value = entries[next].value;
            const double triedSmallest = std::min(smallest, value);
            const double triedLargest = std::max(largest, value);
            const double tried =
                worstRatio(rowSum + value, triedSmallest, triedLargest, scale, side);
            if (tried > worst) {
                break;
            }
            worst = tried;
            rowSum += value;
            smallest = triedSmallest;
            largest = triedLargest;
            ++next;
            skipEmpty();
        }

        const double thickness = rowSum * scale / side;
        const double divisor = std::max(1e-9, thickness);
        const bool column = free.w >= free.h;
        double offset = 0;
        for (std::size_t i = rowBegin; i < next; ++i) {
            if (!(entries[i].value > 0)) {
                continue;
            }
            const double length = scale * entries[i].value / divisor;
            const Rect rect = column ? Rect{free.x, free.y + offset, thickness, length}
                                     : Rect{free.x + offset, free.y, length, thickness};
            placed.push_back({entries[i].id, rect});
            offset += length;
        }
        if (column) {
            free.x += thickness;
            free.w -= thickness;
        } else {
            free.y += thickness;
            free.h -= thickness;
        }
        remaining -= rowSum;
    }
}

std::vector<TreemapItem> layoutTreemap(const scan::NodeStore& store, scan::NodeId root,
                                       double width, double height, const TreemapOptions& options) {
    std::vector<TreemapItem> items;
    layoutTreemapInto(items, store, root, width, height, options);
    return items;
}

void layoutTreemapInto(std::vector<TreemapItem>& items, const scan::NodeStore& store,
                       scan::NodeId root, double width, double height,
                       const TreemapOptions& options) {
    Layouter(store, options).run(items, root, Rect{0, 0, width, height});
}

}  // namespace treemap
