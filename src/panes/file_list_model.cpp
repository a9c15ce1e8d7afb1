#include "panes/file_list_model.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace panes {

namespace {

// Virtual-key codes, the same numbers on every platform that sends them.
constexpr int kKeyReturn = 0x0D;
constexpr int kKeyPageUp = 0x21;
constexpr int kKeyPageDown = 0x22;
constexpr int kKeyEnd = 0x23;
constexpr int kKeyHome = 0x24;
constexpr int kKeyLeft = 0x25;
constexpr int kKeyUp = 0x26;
constexpr int kKeyRight = 0x27;
constexpr int kKeyDown = 0x28;

// The largest scroll bar range shown pixel for pixel; above it the bar counts in larger units.
constexpr std::int64_t kWholeBarPixels = std::int64_t{1} << 30;

}  // namespace

ScrollBarRange scrollBarRange(std::int64_t content, std::int64_t page, std::int64_t position) {
    ScrollBarRange bar;
    content = std::max<std::int64_t>(content, 0);
    page = std::max<std::int64_t>(page, 0);
    bar.unit = content <= kWholeBarPixels ? 1 : (content + kWholeBarPixels - 1) / kWholeBarPixels;
    bar.maximum = static_cast<int>(std::max<std::int64_t>(0, content - 1) / bar.unit);
    bar.page = static_cast<int>(std::min<std::int64_t>(page / bar.unit, kWholeBarPixels));
    bar.position = static_cast<int>(std::max<std::int64_t>(position, 0) / bar.unit);
    return bar;
}

void FileListModel::attach(const scan::NodeStore* store) {
    store_ = store;
    rows_.clear();
    expanded_.clear();
    childCache_.clear();
    selection_.clear();
    focus_ = -1;
    anchor_ = -1;
    scrollY_ = 0;
    scrollX_ = 0;
    contentWidth_ = 0;
    rootExpandedOnce_ = false;
    ++rowsVersion_;
}

void FileListModel::resetView() {
    expanded_.clear();
    childCache_.clear();
    selection_.clear();
    rootExpandedOnce_ = false;
    focus_ = -1;
    anchor_ = -1;
    scrollY_ = 0;
}

void FileListModel::collapseAll() {
    expanded_.clear();
    rootExpandedOnce_ = false;
    scrollY_ = 0;
    refresh();
}

void FileListModel::toggleExpanded(scan::NodeId node) {
    if (!expanded_.erase(node)) {
        expanded_.insert(node);
    }
    refresh();
}

void FileListModel::setMeasure(scan::Measure measure) {
    measure_ = measure;
    childCache_.clear();
}

std::int64_t FileListModel::valueOf(scan::NodeId node) const {
    return static_cast<std::int64_t>(scan::measureColumn(*store_, measure_, true).get(node));
}

bool FileListModel::isRemoved(scan::NodeId node) const {
    return store_->hasFlag(node, scan::FlagRemoved);
}

bool FileListModel::removedOrInsideRemoved(scan::NodeId node) const {
    return scan::anyOnPathToRoot(*store_, node, [this](scan::NodeId at) { return isRemoved(at); });
}

bool FileListModel::expandable(scan::NodeId node, std::uint64_t published) const {
    if (node != 0 && !store_->hasFlag(node, scan::FlagFolder)) {
        return false;
    }
    const scan::ChildRange range = scan::publishedChildren(*store_, node, published);
    return range.begin < range.end;
}

const std::vector<scan::NodeId>& FileListModel::sortedChildren(scan::NodeId folder) {
    const auto found = childCache_.find(folder);
    if (found != childCache_.end()) {
        return found->second.order;
    }
    const scan::ChildRange range =
        scan::publishedChildren(*store_, folder, store_->publishedCount());
    std::vector<std::pair<std::int64_t, scan::NodeId>> keyed;
    keyed.reserve(range.end > range.begin ? range.end - range.begin : 0);
    const scan::Column<std::uint64_t>& column = scan::measureColumn(*store_, measure_, true);
    for (scan::NodeId child = range.begin; child < range.end; ++child) {
        keyed.emplace_back(static_cast<std::int64_t>(column.get(child)), child);
    }
    // Sorted on the values copied out once, so no comparison reads the store twice.
    std::sort(keyed.begin(), keyed.end(),
              [](const auto& a, const auto& b) { return a.first > b.first; });
    SortedChildren sorted{range.begin, range.end, {}};
    sorted.order.reserve(keyed.size());
    for (const auto& [value, child] : keyed) {
        sorted.order.push_back(child);
    }
    ++sortsDone_;
    return childCache_.insert_or_assign(folder, std::move(sorted)).first->second.order;
}

// A new generation means the scan has moved on: a folder whose listing grew, or whose children's
// values no longer fall in their cached order, is sorted again when next shown. A list still in
// order stays, so a tick of a long scan does not sort every open folder again.
void FileListModel::revalidateCache() {
    if (measure_ != cacheMeasure_) {
        childCache_.clear();
    } else {
        const std::uint64_t published = store_ != nullptr ? store_->publishedCount() : 0;
        for (auto entry = childCache_.begin(); entry != childCache_.end();) {
            const SortedChildren& sorted = entry->second;
            bool keep = store_ != nullptr;
            if (keep) {
                const scan::ChildRange range =
                    scan::publishedChildren(*store_, entry->first, published);
                keep = range.begin == sorted.begin && range.end == sorted.end;
            }
            if (keep) {
                const scan::Column<std::uint64_t>& column =
                    scan::measureColumn(*store_, measure_, true);
                std::int64_t previous = std::numeric_limits<std::int64_t>::max();
                for (const scan::NodeId child : sorted.order) {
                    const auto value = static_cast<std::int64_t>(column.get(child));
                    if (value > previous) {
                        keep = false;
                        break;
                    }
                    previous = value;
                }
            }
            entry = keep ? std::next(entry) : childCache_.erase(entry);
        }
    }
    cacheGeneration_ = generation_;
    cacheMeasure_ = measure_;
}

void FileListModel::appendChildren(scan::NodeId folder, std::int32_t depth,
                                   std::uint64_t published) {
    // Depth first without recursion: a deep chain of open folders must not exhaust the stack.
    struct Level {
        const std::vector<scan::NodeId>* children;
        std::size_t next;
        std::int32_t depth;
    };
    std::vector<Level> stack{{&sortedChildren(folder), 0, depth}};
    while (!stack.empty()) {
        Level& level = stack.back();
        if (level.next >= level.children->size()) {
            stack.pop_back();
            continue;
        }
        const scan::NodeId child = (*level.children)[level.next++];
        if (child >= published || isRemoved(child)) {
            continue;
        }
        const bool canExpand = expandable(child, published);
        const std::int32_t childDepth = level.depth;
        rows_.push_back({child, childDepth, canExpand});
        if (canExpand && expanded_.contains(child)) {
            stack.push_back({&sortedChildren(child), 0, childDepth + 1});
        }
    }
}

void FileListModel::buildRows() {
    rows_.clear();
    ++rowsVersion_;
    const std::uint64_t published = store_ != nullptr ? store_->publishedCount() : 0;
    if (published == 0) {
        return;
    }
    const bool rootExpandable = expandable(0, published);
    rows_.push_back({0, 0, rootExpandable});
    if (!rootExpandedOnce_ && rootExpandable) {
        expanded_.insert(0);
        rootExpandedOnce_ = true;
    }
    if (rootExpandable && expanded_.contains(0)) {
        appendChildren(0, 1, published);
    }
    std::erase_if(expanded_,
                  [&](scan::NodeId node) { return node >= published || isRemoved(node); });
    // A deleted item, or one inside a deleted folder, shows in no row and must not stay
    // selected: the next Delete would queue it again.
    std::erase_if(selection_, [&](scan::NodeId node) {
        return node >= published || removedOrInsideRemoved(node);
    });
    if (anchor_ >= 0 && !selection_.contains(static_cast<scan::NodeId>(anchor_))) {
        anchor_ = -1;
    }
    // The focus follows the selection's rule: an item inside a deleted folder is gone from the
    // views, and a command on it would act on rows that are out of every total already.
    if (focus_ >= 0 && (static_cast<std::uint64_t>(focus_) >= published ||
                        removedOrInsideRemoved(static_cast<scan::NodeId>(focus_)))) {
        focus_ = -1;
    }
}

void FileListModel::refresh() {
    if (generation_ != cacheGeneration_ || measure_ != cacheMeasure_) {
        revalidateCache();
    }
    const std::int64_t rowHeight = metrics_.rowHeight;
    const std::int64_t view = viewHeight();
    std::int64_t keptNode = -1;
    std::int64_t keptOffset = 0;
    if (!selection_.empty()) {
        for (std::size_t i = 0; i < rows_.size(); ++i) {
            if (selection_.contains(rows_[i].node)) {
                const std::int64_t top = rowHeight * static_cast<std::int64_t>(i);
                if (top + rowHeight > scrollY_ && top < scrollY_ + view) {
                    keptNode = rows_[i].node;
                    keptOffset = top - scrollY_;
                }
                break;
            }
        }
    }
    buildRows();
    if (keptNode >= 0 && selection_.contains(static_cast<scan::NodeId>(keptNode)) && view > 0) {
        const std::int64_t index = rowOf(keptNode);
        if (index >= 0) {
            const std::int64_t top = rowHeight * index;
            if (top < scrollY_ || top + rowHeight > scrollY_ + view) {
                scrollY_ = top - keptOffset;
            }
        }
    }
    clampScroll();
}

std::int64_t FileListModel::contentHeight() const {
    return std::int64_t{metrics_.rowHeight} * static_cast<std::int64_t>(rows_.size());
}

void FileListModel::clampScroll() {
    const std::int64_t limit = std::max<std::int64_t>(0, contentHeight() - viewHeight());
    scrollY_ = std::clamp<std::int64_t>(scrollY_, 0, limit);
    const int widthLimit = std::max(0, contentWidth_ - viewWidth());
    scrollX_ = std::clamp(scrollX_, 0, widthLimit);
}

void FileListModel::setScrollY(std::int64_t y) {
    scrollY_ = y;
    clampScroll();
}

void FileListModel::setScrollX(int x) {
    scrollX_ = x;
    clampScroll();
}

bool FileListModel::setContentWidth(int width) {
    if (width == contentWidth_) {
        return false;
    }
    contentWidth_ = width;
    clampScroll();
    return true;
}

void FileListModel::setClientSize(int width, int height) {
    clientWidth_ = width;
    clientHeight_ = height;
    clampScroll();
}

int FileListModel::viewHeight() const {
    return std::max(0, clientHeight_ - metrics_.headerHeight);
}

int FileListModel::viewWidth() const {
    return std::max(0, clientWidth_ - metrics_.valueColumn);
}

int FileListModel::page() const {
    return std::max(1, viewHeight() / std::max(1, metrics_.rowHeight));
}

std::int64_t FileListModel::rowAt(int y) const {
    return hitRow(y);
}

std::int64_t FileListModel::hitRow(int y) const {
    if (y < metrics_.headerHeight || metrics_.rowHeight <= 0) {
        return -1;
    }
    const std::int64_t index = (y + scrollY_ - metrics_.headerHeight) / metrics_.rowHeight;
    return index < static_cast<std::int64_t>(rows_.size()) ? index : -1;
}

std::int64_t FileListModel::rowOf(std::int64_t node) const {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].node == node) {
            return static_cast<std::int64_t>(i);
        }
    }
    return -1;
}

std::int64_t FileListModel::firstVisibleRow() const {
    return metrics_.rowHeight > 0 ? scrollY_ / metrics_.rowHeight : 0;
}

int FileListModel::firstVisibleTop() const {
    return metrics_.headerHeight -
           static_cast<int>(metrics_.rowHeight > 0 ? scrollY_ % metrics_.rowHeight : 0);
}

bool FileListModel::selectRow(std::int64_t index, bool centre) {
    if (index < 0 || index >= static_cast<std::int64_t>(rows_.size())) {
        return false;
    }
    const scan::NodeId node = rows_[static_cast<std::size_t>(index)].node;
    selection_ = {node};
    focus_ = static_cast<std::int32_t>(node);
    anchor_ = focus_;
    const std::int64_t view = viewHeight();
    if (centre && view > 0) {
        const std::int64_t rowHeight = metrics_.rowHeight;
        scrollY_ = rowHeight / 2 + index * rowHeight - view / 2;
        clampScroll();
    }
    return true;
}

bool FileListModel::reveal(std::int64_t node) {
    if (store_ == nullptr || node < 0 ||
        static_cast<std::uint64_t>(node) >= store_->publishedCount()) {
        return false;
    }
    auto at = static_cast<scan::NodeId>(node);
    while (at != 0) {
        at = store_->parent.get(at);
        expanded_.insert(at);
    }
    rootExpandedOnce_ = true;
    refresh();
    return selectRow(rowOf(node), true);
}

bool FileListModel::clearSelection() {
    const bool hadAny = !selection_.empty() || focus_ >= 0;
    selection_.clear();
    focus_ = -1;
    anchor_ = -1;
    return hadAny;
}

bool FileListModel::ctrlClick(scan::NodeId node) {
    if (selection_.erase(node) != 0) {
        if (focus_ == static_cast<std::int32_t>(node)) {
            focus_ = selection_.empty() ? -1 : static_cast<std::int32_t>(*selection_.begin());
        }
    } else {
        selection_.insert(node);
        focus_ = static_cast<std::int32_t>(node);
    }
    anchor_ = static_cast<std::int32_t>(node);
    return focus_ >= 0;
}

bool FileListModel::shiftClick(std::int64_t row) {
    const scan::NodeId clicked = rows_[static_cast<std::size_t>(row)].node;
    const std::int64_t anchorRow = anchor_ >= 0 ? rowOf(anchor_) : -1;
    const auto anchorNode = static_cast<scan::NodeId>(anchor_);
    if (anchorRow < 0 || clicked == 0 || anchorNode == 0 ||
        store_->parent.get(clicked) != store_->parent.get(anchorNode)) {
        return selectRow(row, false);
    }
    const scan::NodeId parent = store_->parent.get(clicked);
    selection_.clear();
    for (std::int64_t i = std::min(anchorRow, row); i <= std::max(anchorRow, row); ++i) {
        const scan::NodeId node = rows_[static_cast<std::size_t>(i)].node;
        if (node != 0 && store_->parent.get(node) == parent) {
            selection_.insert(node);
        }
    }
    focus_ = static_cast<std::int32_t>(clicked);
    return true;
}

bool FileListModel::click(int x, int y, bool control, bool shift) {
    const std::int64_t index = hitRow(y);
    if (index < 0) {
        return false;
    }
    const ListRow& row = rows_[static_cast<std::size_t>(index)];
    const int expanderLeft = metrics_.margin + metrics_.indent * row.depth - scrollX_;
    if (row.expandable && x >= expanderLeft && x < expanderLeft + metrics_.expander) {
        toggleExpanded(row.node);
        return false;
    }
    if (control) {
        return ctrlClick(row.node);
    }
    if (shift) {
        return shiftClick(index);
    }
    return selectRow(index, false);
}

bool FileListModel::rightClick(int y, bool& hit) {
    const std::int64_t index = hitRow(y);
    hit = index >= 0;
    if (!hit || selection_.contains(rows_[static_cast<std::size_t>(index)].node)) {
        return false;
    }
    return selectRow(index, false);
}

void FileListModel::doubleClick(int y) {
    const std::int64_t index = hitRow(y);
    if (index >= 0 && rows_[static_cast<std::size_t>(index)].expandable) {
        toggleExpanded(rows_[static_cast<std::size_t>(index)].node);
    }
}

bool FileListModel::key(int virtualKey) {
    const auto count = static_cast<std::int64_t>(rows_.size());
    const std::int64_t i = focus_ >= 0 ? rowOf(focus_) : -1;
    switch (virtualKey) {
        case kKeyPageUp:
            return selectRow(std::max<std::int64_t>(0, i - page()), true);
        case kKeyPageDown:
            return selectRow(std::min<std::int64_t>(count - 1, i + page()), true);
        case kKeyHome:
            return selectRow(0, true);
        case kKeyEnd:
            return selectRow(count - 1, true);
        case kKeyUp:
            return i > 0 && selectRow(i - 1, true);
        case kKeyDown:
            return selectRow(i + 1, true);
        case kKeyLeft: {
            if (i < 0) {
                return false;
            }
            const ListRow row = rows_[static_cast<std::size_t>(i)];
            if (row.expandable && expanded_.contains(row.node)) {
                toggleExpanded(row.node);
                return false;
            }
            return row.node != 0 && reveal(store_->parent.get(row.node));
        }
        case kKeyRight: {
            if (i < 0) {
                return false;
            }
            // The tree-view convention: Right opens a closed folder, and on an open one moves
            // to its first child, which is the next row.
            const ListRow row = rows_[static_cast<std::size_t>(i)];
            if (!row.expandable) {
                return false;
            }
            if (!expanded_.contains(row.node)) {
                toggleExpanded(row.node);
                return false;
            }
            return selectRow(i + 1, true);
        }
        case kKeyReturn:
            // What a double click on the focus row does.
            if (i >= 0 && rows_[static_cast<std::size_t>(i)].expandable) {
                toggleExpanded(rows_[static_cast<std::size_t>(i)].node);
            }
            return false;
        default:
            return false;
    }
}

void FileListModel::wheel(int delta, std::uint32_t lines) {
    setScrollY(scrollY_ + wheelScrollPixels(delta, lines, metrics_.rowHeight, viewHeight()));
}

}  // namespace panes
