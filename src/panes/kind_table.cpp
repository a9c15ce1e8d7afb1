#include "panes/kind_table.h"

#include "panes/wheel_scroll.h"
#include "ui/scaling.h"

#include <algorithm>

namespace panes {

namespace {

// Lengths at 96 DPI.
constexpr int kHeaderHeight = 24;
constexpr int kRowHeight = 18;
constexpr int kSmallRowHeight = 16;
constexpr int kColourWidth = 20;
constexpr int kSizeWidth = 74;
constexpr int kFilesWidth = 68;
constexpr int kMinKindWidth = 60;
constexpr int kSquare = 12;
constexpr int kSquareLeft = 3;
constexpr int kPadding = 5;
constexpr int kKindIndent = 2;

// The key a row is ordered by in a column; names compare as UTF-16 code units, so a name sorts
// before a longer one it begins.
bool before(const KindRow& a, const KindRow& b, KindColumn column) {
    switch (column) {
        case KindColumnName: {
            const std::u16string& left = scan::kindName(a.kind);
            const std::u16string& right = scan::kindName(b.kind);
            if (left != right) {
                return left < right;
            }
            break;
        }
        case KindColumnSize:
            if (a.total != b.total) {
                return a.total < b.total;
            }
            break;
        case KindColumnFiles:
            if (a.files != b.files) {
                return a.files < b.files;
            }
            break;
    }
    // Equal keys in kind order, so the order does not change from one tick to the next.
    return a.kind < b.kind;
}

}  // namespace

KindPaneMetrics KindPaneMetrics::at(int dpi, bool smallFont) {
    const auto s = [dpi](int length) { return ui::scaleLength(length, dpi); };
    return {s(kHeaderHeight), s(smallFont ? kSmallRowHeight : kRowHeight),
            s(kColourWidth),  s(kSizeWidth),
            s(kFilesWidth),   s(kMinKindWidth),
            s(kSquare),       s(kSquareLeft),
            s(kPadding),      s(kKindIndent)};
}

KindColumns KindColumns::forWidth(int width, const KindPaneMetrics& m) {
    const int kind = std::max(m.minKindWidth, width - m.colourWidth - m.sizeWidth - m.filesWidth);
    KindColumns columns;
    columns.kindLeft = m.colourWidth;
    columns.sizeLeft = columns.kindLeft + kind;
    columns.filesLeft = columns.sizeLeft + m.sizeWidth;
    columns.filesRight = columns.filesLeft + m.filesWidth;
    return columns;
}

std::optional<KindColumn> KindColumns::columnAt(int x) const {
    if (x < kindLeft || x >= filesRight) {
        return std::nullopt;
    }
    if (x < sizeLeft) {
        return KindColumnName;
    }
    return x < filesLeft ? KindColumnSize : KindColumnFiles;
}

void KindTable::setRows(const std::vector<scan::KindTotal>& totals) {
    rows_.clear();
    rows_.reserve(totals.size());
    for (const scan::KindTotal& total : totals) {
        rows_.push_back({static_cast<scan::FileKind>(total.kind),
                         static_cast<std::int64_t>(total.value),
                         static_cast<std::int64_t>(total.files)});
    }
    sort();
    clamp();
}

void KindTable::clickHeader(KindColumn column) {
    if (column == sortColumn_) {
        ascending_ = !ascending_;
    } else {
        sortColumn_ = column;
        ascending_ = column == KindColumnName;
    }
    sort();
}

std::u16string KindTable::caption(KindColumn column) const {
    std::u16string text = column == KindColumnName   ? u"Kind"
                          : column == KindColumnSize ? u"Size"
                                                     : u"Files";
    if (column == sortColumn_) {
        text += ascending_ ? u"  \u2191" : u"  \u2193";
    }
    return text;
}

void KindTable::sort() {
    const KindColumn column = sortColumn_;
    std::sort(rows_.begin(), rows_.end(),
              [column](const KindRow& a, const KindRow& b) { return before(a, b, column); });
    if (!ascending_) {
        std::reverse(rows_.begin(), rows_.end());
    }
}

void KindTable::setGeometry(int clientHeight, const KindPaneMetrics& metrics) {
    clientHeight_ = clientHeight;
    metrics_ = metrics;
    clamp();
}

int KindTable::page() const {
    return std::max(0, clientHeight_ - metrics_.headerHeight);
}

int KindTable::largestPosition() const {
    const std::int64_t content =
        static_cast<std::int64_t>(metrics_.rowHeight) * static_cast<std::int64_t>(rows_.size());
    return static_cast<int>(std::clamp<std::int64_t>(content - page(), 0, INT32_MAX));
}

void KindTable::clamp() {
    scrollPos_ = std::clamp(scrollPos_, 0, largestPosition());
}

ScrollRange KindTable::scrollRange() {
    clamp();
    const std::int64_t content =
        static_cast<std::int64_t>(metrics_.rowHeight) * static_cast<std::int64_t>(rows_.size());
    return {static_cast<int>(std::clamp<std::int64_t>(content - 1, 0, INT32_MAX)), page(),
            scrollPos_};
}

void KindTable::scroll(ScrollAction action, int trackPosition) {
    switch (action) {
        case ScrollAction::LineUp:
            scrollPos_ -= metrics_.rowHeight;
            break;
        case ScrollAction::LineDown:
            scrollPos_ += metrics_.rowHeight;
            break;
        case ScrollAction::PageUp:
            scrollPos_ -= page();
            break;
        case ScrollAction::PageDown:
            scrollPos_ += page();
            break;
        case ScrollAction::Track:
            scrollPos_ = trackPosition;
            break;
        case ScrollAction::None:
            return;
    }
    clamp();
}

bool KindTable::key(int virtualKey) {
    constexpr int kSpace = 0x20;
    constexpr int kPageUp = 0x21;
    constexpr int kPageDown = 0x22;
    constexpr int kEnd = 0x23;
    constexpr int kHome = 0x24;
    constexpr int kLeft = 0x25;
    constexpr int kUp = 0x26;
    constexpr int kRight = 0x27;
    constexpr int kDown = 0x28;
    const int before = scrollPos_;
    switch (virtualKey) {
        case kUp:
            scroll(ScrollAction::LineUp);
            break;
        case kDown:
            scroll(ScrollAction::LineDown);
            break;
        case kPageUp:
            scroll(ScrollAction::PageUp);
            break;
        case kPageDown:
            scroll(ScrollAction::PageDown);
            break;
        case kHome:
            scroll(ScrollAction::Track, 0);
            break;
        case kEnd:
            scroll(ScrollAction::Track, largestPosition());
            break;
        case kLeft:
            if (sortColumn_ == KindColumnName) {
                return false;
            }
            clickHeader(static_cast<KindColumn>(sortColumn_ - 1));
            return true;
        case kRight:
            if (sortColumn_ == KindColumnFiles) {
                return false;
            }
            clickHeader(static_cast<KindColumn>(sortColumn_ + 1));
            return true;
        case kSpace:
            clickHeader(sortColumn_);
            return true;
        default:
            return false;
    }
    return scrollPos_ != before;
}

void KindTable::wheel(int delta, std::uint32_t lines) {
    const std::int64_t by = wheelScrollPixels(delta, lines, metrics_.rowHeight, page());
    scrollPos_ = static_cast<int>(
        std::clamp<std::int64_t>(scrollPos_ + by, 0, static_cast<std::int64_t>(largestPosition())));
}

KindTable::FirstRow KindTable::firstRow() const {
    if (metrics_.rowHeight <= 0) {
        return {0, metrics_.headerHeight};
    }
    return {static_cast<std::size_t>(scrollPos_ / metrics_.rowHeight),
            metrics_.headerHeight - scrollPos_ % metrics_.rowHeight};
}

}  // namespace panes
