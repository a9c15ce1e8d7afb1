#include "deleting/pending_deletes.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace deleting {

bool PendingDeletes::addPending(std::int32_t node, const std::u16string& path,
                                const std::u16string& name, std::int64_t value) {
    if (scanner_ == nullptr || node <= 0 || path.empty() ||
        static_cast<std::uint64_t>(node) >= scanner_->store().publishedCount()) {
        return false;
    }
    const scan::NodeStore& store = scanner_->store();
    const auto row = static_cast<scan::NodeId>(node);
    for (const PendingItem& item : items_) {
        const auto listed = static_cast<scan::NodeId>(item.node);
        if (scan::isSameOrInside(store, row, listed) || scan::isSameOrInside(store, listed, row)) {
            return false;
        }
    }
    const auto bytes = static_cast<std::int64_t>(store.allocated.get(row));
    scan::RemovalRecord removal = scanner_->removeNode(row);
    // A record that holds nothing could never be given back: such a node is not queued at all.
    if (!removal.valid) {
        return false;
    }
    items_.insert(items_.begin(),
                  PendingItem{node, path, name, value, kCountdownMilliseconds, removal, bytes});
    notifyChanged();
    return true;
}

bool PendingDeletes::tick() {
    if (items_.empty() || paused_ || isBusy()) {
        return false;
    }
    for (PendingItem& item : items_) {
        item.remaining -= kTickMilliseconds;
    }
    // Those that ran out leave the list in its order, before any of them is sent.
    const auto running = std::stable_partition(
        items_.begin(), items_.end(), [](const PendingItem& item) { return item.remaining > 0; });
    const std::vector<PendingItem> due(std::make_move_iterator(running),
                                       std::make_move_iterator(items_.end()));
    items_.erase(running, items_.end());
    if (!due.empty()) {
        for (const PendingItem& item : due) {
            perform(item);
        }
        notifyChanged();
    }
    return true;
}

void PendingDeletes::deleteAllNow() {
    if (items_.empty() || isBusy()) {
        return;
    }
    const std::vector<PendingItem> all = std::exchange(items_, {});
    for (const PendingItem& item : all) {
        perform(item);
    }
    notifyChanged();
}

void PendingDeletes::undeleteAll() {
    if (items_.empty() || isBusy()) {
        return;
    }
    if (scanner_ != nullptr) {
        for (const PendingItem& item : items_) {
            scanner_->restoreNode(item.removal);
        }
    }
    items_.clear();
    notifyChanged();
}

void PendingDeletes::undelete(std::size_t position) {
    if (position >= items_.size() || isBusy()) {
        return;
    }
    if (scanner_ != nullptr) {
        scanner_->restoreNode(items_[position].removal);
    }
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(position));
    notifyChanged();
}

void PendingDeletes::perform(const PendingItem& item) {
    std::u16string reason;
    if (recycle && recycle(item.path, item.bytes, reason)) {
        return;
    }
    if (scanner_ != nullptr) {
        scanner_->restoreNode(item.removal);
    }
    if (failed) {
        failed(item.path, reason);
    }
}

void PendingDeletes::changeTogether(const std::function<void()>& changes) {
    const bool outermost = !holdingNotices_;
    holdingNotices_ = true;
    changes();
    if (outermost) {
        holdingNotices_ = false;
        if (std::exchange(changeHeldBack_, false)) {
            notifyChanged();
        }
    }
}

void PendingDeletes::notifyChanged() {
    if (holdingNotices_) {
        changeHeldBack_ = true;
    } else if (changed) {
        changed();
    }
}

std::vector<std::int32_t> deletionOrder(const scan::Scanner& scanner,
                                        const std::vector<std::int32_t>& selection) {
    const scan::NodeStore& store = scanner.store();
    std::vector<std::pair<std::uint32_t, std::int32_t>> ordered;
    for (const std::int32_t node : selection) {
        if (node <= 0 || static_cast<std::uint64_t>(node) >= store.publishedCount() ||
            !scanner.isAttached(static_cast<scan::NodeId>(node))) {
            continue;
        }
        ordered.emplace_back(scan::depthOf(store, static_cast<scan::NodeId>(node)), node);
    }
    std::stable_sort(ordered.begin(), ordered.end());
    std::vector<std::int32_t> nodes;
    for (const auto& [depth, node] : ordered) {
        if (nodes.empty() || nodes.back() != node) {
            nodes.push_back(node);
        }
    }
    return nodes;
}

}  // namespace deleting
