#pragma once

// What the file kinds pane decides without a window: its rows taken from a scan's per-kind
// totals, their three orders, where its columns fall, which caption a header click lands on, and
// how far the rows scroll. The pane's window paints these and forwards its input here.

#include "scan/file_kinds.h"
#include "scan/measures.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace panes {

struct KindRow {
    scan::FileKind kind = 0;
    std::int64_t total = 0;  // bytes under the measure
    std::int64_t files = 0;
};

enum KindColumn : std::int32_t {
    KindColumnName = 0,
    KindColumnSize = 1,
    KindColumnFiles = 2,
};

// The pane's lengths at one DPI; every one is given at 96 DPI and scaled once here.
struct KindPaneMetrics {
    int headerHeight = 0;
    int rowHeight = 0;
    int colourWidth = 0;
    int sizeWidth = 0;
    int filesWidth = 0;
    int minKindWidth = 0;
    int square = 0;      // the colour square's side
    int squareLeft = 0;  // its left edge in the colour column
    int padding = 0;     // text stays this far from a cell's right edge, and captions from both
    int kindIndent = 0;  // the kind's name starts this far into its column

    static KindPaneMetrics at(int dpi, bool smallFont);
};

// The columns' left edges for a client width, and the right edge of the last. The Kind column
// takes what the two number columns leave, but never less than its minimum, so in a narrow pane
// the numbers run past the right edge.
struct KindColumns {
    int kindLeft = 0;  // the colour column is [0, kindLeft)
    int sizeLeft = 0;
    int filesLeft = 0;
    int filesRight = 0;

    static KindColumns forWidth(int width, const KindPaneMetrics& metrics);
    // The caption under x; none in the colour column and right of Files.
    std::optional<KindColumn> columnAt(int x) const;
};

// What SetScrollInfo is given: the range 0 to maximum, the page and the position.
struct ScrollRange {
    int maximum = 0;
    int page = 0;
    int position = 0;
};

enum class ScrollAction { LineUp, LineDown, PageUp, PageDown, Track, None };

class KindTable {
  public:
    // Replaces the rows with one per element of `totals` and sorts them in the current order.
    void setRows(const std::vector<scan::KindTotal>& totals);
    const std::vector<KindRow>& rows() const { return rows_; }

    KindColumn sortColumn() const { return sortColumn_; }
    bool ascending() const { return ascending_; }
    // A click on a caption: the sort column's caption turns its order round; another caption
    // becomes the sort column, names from A, numbers from the largest.
    void clickHeader(KindColumn column);
    // "Kind", "Size" or "Files", with the sort column's arrow.
    std::u16string caption(KindColumn column) const;

    // The client height and the metrics the rows scroll in; clamps the position to them.
    void setGeometry(int clientHeight, const KindPaneMetrics& metrics);
    const KindPaneMetrics& metrics() const { return metrics_; }
    // The scroll bar for the rows and the geometry, once the position has been clamped.
    ScrollRange scrollRange();
    // A scroll bar request; Track goes to `trackPosition`. The position is clamped afterwards.
    void scroll(ScrollAction action, int trackPosition = 0);
    // A wheel turn of `delta` (120 a notch) that scrolls `lines` rows a notch, or a page a notch
    // for kWheelPageScroll.
    void wheel(int delta, std::uint32_t lines);
    int scrollPos() const { return scrollPos_; }
    // A key press (virtual-key code) while the pane has the keyboard: Up, Down and the page keys
    // scroll by a row and a page, Home and End to either end; Left and Right make the caption
    // beside the sort column the sort column, and Space turns the order round, as header clicks
    // do. True when anything changed.
    bool key(int virtualKey);

    // The first row painted and the top of its cell in client pixels; `index` may be past the
    // last row when everything is scrolled away.
    struct FirstRow {
        std::size_t index = 0;
        int top = 0;
    };
    FirstRow firstRow() const;

  private:
    void sort();
    int page() const;
    int largestPosition() const;
    void clamp();

    std::vector<KindRow> rows_;
    KindColumn sortColumn_ = KindColumnSize;
    bool ascending_ = false;
    int scrollPos_ = 0;
    int clientHeight_ = 0;
    KindPaneMetrics metrics_ = KindPaneMetrics::at(96, false);
};

}  // namespace panes
