#pragma once

// Everything the file list decides, without its window: which rows are shown (the folder tree,
// each folder's children sorted by the current measure, largest first), which folders are
// expanded, the selection with its focus and anchor, the keyboard and mouse rules and the scroll
// offsets. The pane's window owns one, forwards its input here, and paints the rows it is given.
//
// The model reads a node store that a scan may still be filling: it loads publishedCount at each
// step and never touches a row at or above it. User-interface thread only.

#include "panes/wheel_scroll.h"
#include "scan/measures.h"
#include "scan/node_store.h"

#include <cstdint>
#include <set>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace panes {

struct ListRow {
    scan::NodeId node = 0;
    std::int32_t depth = 0;  // 0 for the root row
    bool expandable = false;
};

// Lengths in the pane's pixels, already scaled to its DPI.
struct ListMetrics {
    int headerHeight = 24;
    int rowHeight = 18;
    int indent = 13;
    int margin = 4;
    int expander = 12;
    int valueColumn = 118;
};

// A scroll bar can only count to 2^31 - 1, while a list of millions of rows can be taller than
// that in pixels. Offsets stay 64-bit pixels; the bar shows them divided by `unit`.
struct ScrollBarRange {
    std::int64_t unit = 1;  // pixels per scroll bar step, at least 1
    int maximum = 0;
    int page = 0;
    int position = 0;
};

// The bar for `content` pixels of which `page` are shown from `position` on. Content up to 2^30
// pixels is shown 1:1.
ScrollBarRange scrollBarRange(std::int64_t content, std::int64_t page, std::int64_t position);

class FileListModel {
  public:
    // Shows another store (not owned), or none: rows, expansion, cache, selection and scrolling
    // start afresh.
    void attach(const scan::NodeStore* store);
    const scan::NodeStore* store() const { return store_; }
    // Before a folder is scanned again: expansion, cache and selection go and the list returns
    // to the top; the store stays.
    void resetView();
    // Every folder collapses, the list returns to the top and the root opens again by itself.
    void collapseAll();
    void toggleExpanded(scan::NodeId node);
    // Opens every folder above `node` and selects its row, centred. False (nothing selected)
    // without a store, for a negative node or one not yet published.
    bool reveal(std::int64_t node);
    // Chooses nothing: the selection, the focus and the anchor go. True when anything was chosen.
    bool clearSelection();
    // Selects exactly the row at `index`; with `centre`, scrolls it to the middle. False for an
    // index out of range.
    bool selectRow(std::int64_t index, bool centre);
    // Rebuilds the rows after a change of generation, expansion or measure, keeping a selected
    // row that was on screen at the same height when rows appear above it.
    void refresh();

    // The data generation; a new one re-sorts the children whose order the scan has changed.
    void setGeneration(std::int32_t generation) { generation_ = generation; }
    std::int32_t generation() const { return generation_; }
    // The measure the children are sorted by; a new one drops every sorted list.
    void setMeasure(scan::Measure measure);
    scan::Measure measure() const { return measure_; }
    // The store's value of `node` under the current measure (what the children are sorted by).
    std::int64_t valueOf(scan::NodeId node) const;

    void setMetrics(const ListMetrics& metrics) { metrics_ = metrics; }
    const ListMetrics& metrics() const { return metrics_; }
    // The client size of the pane; the rows take all but the header.
    void setClientSize(int width, int height);
    int clientWidth() const { return clientWidth_; }
    int viewHeight() const;
    int viewWidth() const;
    // Rows that fit the view, at least 1.
    int page() const;

    // Input. Each answers true when the selection or focus changed, so the pane tells its owner.
    // The pane repaints and updates its scroll bars after every call.
    //   A left press at client (x, y) with the modifier keys held.
    bool click(int x, int y, bool control, bool shift);
    //   A right press: selects an unselected row alone. `hit` tells whether a row was there.
    bool rightClick(int y, bool& hit);
    //   A double click: opens or closes a folder row.
    void doubleClick(int y);
    //   A key press (virtual-key code): the arrows, Home, End and the page keys move the focus;
    //   Left and Right close and open folders and step to the parent and the first child; Enter
    //   opens or closes the focus row as a double click does.
    bool key(int virtualKey);
    //   A turn of the wheel (see wheelScrollPixels).
    void wheel(int delta, std::uint32_t lines);

    // Scrolling, clamped to the content.
    std::int64_t scrollY() const { return scrollY_; }
    void setScrollY(std::int64_t y);
    int scrollX() const { return scrollX_; }
    void setScrollX(int x);
    std::int64_t contentHeight() const;
    int contentWidth() const { return contentWidth_; }
    // Answers true when the width changed, so the pane updates its horizontal bar.
    bool setContentWidth(int width);

    // The row index under client y, or -1.
    std::int64_t rowAt(int y) const;
    // The index of the row showing `node`, or -1.
    std::int64_t rowOf(std::int64_t node) const;
    // The first row to draw and its top edge in client pixels.
    std::int64_t firstVisibleRow() const;
    int firstVisibleTop() const;

    const std::vector<ListRow>& rows() const { return rows_; }
    // Bumped on every rebuild, so the pane knows when to measure the rows' widths again.
    std::uint64_t rowsVersion() const { return rowsVersion_; }
    bool isExpanded(scan::NodeId node) const { return expanded_.contains(node); }
    bool isSelected(scan::NodeId node) const { return selection_.contains(node); }
    const std::set<scan::NodeId>& selection() const { return selection_; }
    std::int32_t focus() const { return focus_; }
    std::int32_t anchor() const { return anchor_; }
    // The sorted children of `folder` (removed ones included), from the cache or sorted now.
    const std::vector<scan::NodeId>& sortedChildren(scan::NodeId folder);
    // How many child lists were sorted since the model was made; tests see the cache work.
    std::uint64_t sortsDone() const { return sortsDone_; }

  private:
    struct SortedChildren {
        scan::NodeId begin = 0;
        scan::NodeId end = 0;
        std::vector<scan::NodeId> order;
    };

    bool expandable(scan::NodeId node, std::uint64_t published) const;
    bool removedOrInsideRemoved(scan::NodeId node) const;
    bool isRemoved(scan::NodeId node) const;
    void revalidateCache();
    void buildRows();
    void appendChildren(scan::NodeId folder, std::int32_t depth, std::uint64_t published);
    void clampScroll();
    bool ctrlClick(scan::NodeId node);
    bool shiftClick(std::int64_t row);
    std::int64_t hitRow(int y) const;

    const scan::NodeStore* store_ = nullptr;
    scan::Measure measure_ = scan::MeasureCurrentSize;
    std::vector<ListRow> rows_;
    std::unordered_set<scan::NodeId> expanded_;
    std::unordered_map<scan::NodeId, SortedChildren> childCache_;
    std::int32_t cacheGeneration_ = -1;
    scan::Measure cacheMeasure_ = scan::MeasureCurrentSize;
    std::int32_t generation_ = 0;
    bool rootExpandedOnce_ = false;
    std::int64_t scrollY_ = 0;
    int scrollX_ = 0;
    int contentWidth_ = 0;
    std::int32_t focus_ = -1;
    std::int32_t anchor_ = -1;
    std::set<scan::NodeId> selection_;
    ListMetrics metrics_;
    int clientWidth_ = 0;
    int clientHeight_ = 0;
    std::uint64_t rowsVersion_ = 0;
    std::uint64_t sortsDone_ = 0;
};

}  // namespace panes
