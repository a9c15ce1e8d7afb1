// Keeping every total right when a node leaves the tree (sent to the Recycle Bin), comes back, or
// when a folder is emptied before it is scanned again. Each of these costs one pass up the
// ancestors and one walk over the subtree concerned, plus one pass up the ancestors of every
// other name of a hard-linked file that takes over or gives back its sizes.

#include "scan/scanner.h"

#include <vector>

namespace scan {

namespace {

std::uint64_t signedAmount(std::uint64_t amount, int sign) {
    return sign < 0 ? ~amount + 1 : amount;
}

// The summed columns of one row, or of a set of rows.
struct Sums {
    std::uint64_t size = 0;
    std::uint64_t allocated = 0;
    std::uint64_t files = 0;
    std::uint64_t month = 0;
    std::uint64_t halfYear = 0;
    std::uint64_t sinceScan = 0;

    void add(const NodeStore& store, NodeId row) {
        size += store.size.get(row);
        allocated += store.allocated.get(row);
        files += store.fileCount.get(row);
        month += store.addedMonth.get(row);
        halfYear += store.addedHalfYear.get(row);
        sinceScan += store.addedSinceScan.get(row);
    }
};

Sums ownSums(const NodeStore& store, NodeId row) {
    Sums sums;
    sums.add(store, row);
    return sums;
}

// Adds `sign` × the sums to `node` and every ancestor up to row 0. Unsigned columns wrap, so
// adding the two's complement subtracts exactly.
void addAlongChain(NodeStore& store, NodeId node, int sign, const Sums& sums) {
    for (NodeId at = node;; at = store.parent.get(at)) {
        store.size.add(at, signedAmount(sums.size, sign));
        store.allocated.add(at, signedAmount(sums.allocated, sign));
        store.fileCount.add(at, static_cast<std::uint32_t>(signedAmount(sums.files, sign)));
        store.addedMonth.add(at, signedAmount(sums.month, sign));
        store.addedHalfYear.add(at, signedAmount(sums.halfYear, sign));
        store.addedSinceScan.add(at, signedAmount(sums.sinceScan, sign));
        if (at == 0) {
            break;
        }
    }
}

void addSigned(Counter& counter, std::uint64_t amount, int sign) {
    counter.set(counter.get() + signedAmount(amount, sign));
}

void setFlag(NodeStore& store, NodeId row, NodeFlag flag, bool on) {
    const std::uint8_t flags = store.flags.get(row);
    store.flags.set(row, static_cast<std::uint8_t>(on ? flags | flag : flags & ~flag));
}

// Calls `visit` for every row below `folder` that is not removed, skipping removed subtrees.
template <class Visit>
void forEachLiveDescendant(const NodeStore& store, NodeId folder, Visit visit) {
    const std::uint64_t published = store.publishedCount();
    std::vector<NodeId> stack{folder};
    while (!stack.empty()) {
        const NodeId at = stack.back();
        stack.pop_back();
        const ChildRange children = publishedChildren(store, at, published);
        for (NodeId child = children.begin; child < children.end; ++child) {
            if (store.hasFlag(child, FlagRemoved)) {
                continue;
            }
            visit(child);
            if (store.hasFlag(child, FlagFolder)) {
                stack.push_back(child);
            }
        }
    }
}

}  // namespace

std::uint64_t Scanner::liveNodeCount(NodeId node) const {
    const NodeStore& store = *store_;
    if (node >= store.publishedCount() || store.hasFlag(node, FlagRemoved)) {
        return 0;
    }
    std::uint64_t count = 1;
    forEachLiveDescendant(store, node, [&count](NodeId) { ++count; });
    return count;
}

bool Scanner::isAttached(NodeId node) const {
    const NodeStore& store = *store_;
    return node < store.publishedCount() && !store.hasFlag(node, FlagRemoved) &&
           isListedUpToRoot(store, node, store.publishedCount());
}

void Scanner::noteUnreadable(NodeId folder, std::uint64_t count) {
    if (count != 0) {
        unreadableFolders_[folder] += count;
    }
}

void Scanner::applyRows(NodeId top, bool includeTop, int sign, SubtreeRows& rows) {
    NodeStore& store = *store_;
    std::uint64_t files = 0, folders = 0, dated = 0, duplicates = 0, duplicateBytes = 0;
    std::uint64_t unreadable = 0;
    auto visit = [&](NodeId row) {
        ++rows.visited;
        const std::uint8_t flags = store.flags.get(row);
        dated += store.created.get(row) != 0;
        if ((flags & FlagFolder) != 0) {
            // Only folders the walk descends into count as folders; a mount point or folder link
            // is a row without being one.
            folders += (flags & FlagUnfollowed) == 0;
            if (!unreadableFolders_.empty()) {
                const auto found = unreadableFolders_.find(row);
                if (found != unreadableFolders_.end()) {
                    unreadable += found->second;
                    rows.unreadable.push_back(row);
                }
            }
            return;
        }
        if ((flags & FlagDuplicate) != 0) {
            ++duplicates;
            if (const HardLinks::Listed* listed = hardLinks_.duplicate(row)) {
                duplicateBytes += listed->allocated;
            }
            rows.duplicates.push_back(row);
            return;
        }
        files += store.fileCount.get(row);
        kindTotals_.add(store.kind.get(row), sign, store.allocated.get(row), store.size.get(row),
                        store.addedMonth.get(row), store.addedHalfYear.get(row),
                        store.addedSinceScan.get(row));
        if (hardLinks_.idOf(row) != 0) {
            rows.counted.push_back(row);
        }
    };
    if (includeTop) {
        visit(top);
    }
    forEachLiveDescendant(store, top, visit);
    addSigned(counters_.files, files, sign);
    addSigned(counters_.folders, folders, sign);
    addSigned(counters_.datedItems, dated, sign);
    addSigned(counters_.duplicateLinks, duplicates, sign);
    addSigned(counters_.duplicateBytes, duplicateBytes, sign);
    addSigned(counters_.unreadable, unreadable, sign);
}

void Scanner::promote(NodeId row, const HardLinks::Listed& listed) {
    NodeStore& store = *store_;
    const AddedValues added = addedValuesOf(options_, store.created.get(row), listed.allocated);
    Sums sums;
    sums.size = listed.size;
    sums.allocated = listed.allocated;
    sums.files = 1;
    sums.month = added.month;
    sums.halfYear = added.halfYear;
    sums.sinceScan = added.sinceScan;
    // The row holds zeros as a duplicate, so adding along its chain also sets its own values.
    addAlongChain(store, row, +1, sums);
    setFlag(store, row, FlagDuplicate, false);
    kindTotals_.add(store.kind.get(row), +1, listed.allocated, listed.size, added.month,
                    added.halfYear, added.sinceScan);
    counters_.files.add(1);
    counters_.duplicateLinks.subtract(1);
    counters_.duplicateBytes.subtract(listed.allocated);
}

void Scanner::demote(NodeId row) {
    NodeStore& store = *store_;
    const Sums own = ownSums(store, row);
    addAlongChain(store, row, -1, own);
    setFlag(store, row, FlagDuplicate, true);
    kindTotals_.add(store.kind.get(row), -1, own.allocated, own.size, own.month, own.halfYear,
                    own.sinceScan);
    counters_.files.subtract(own.files);
    counters_.duplicateLinks.add(1);
    counters_.duplicateBytes.add(own.allocated);
    hardLinks_.addDuplicate(row, {own.size, own.allocated});
}

void Scanner::releaseLinks(const SubtreeRows& rows, bool forever) {
    // The duplicates leave first, so that none of them is chosen to take over a file.
    for (const NodeId row : rows.duplicates) {
        hardLinks_.dropDuplicate(row, forever);
    }
    for (const NodeId row : rows.counted) {
        if (const std::optional<HardLinks::Heir> heir = hardLinks_.handOver(hardLinks_.idOf(row))) {
            promote(heir->row, heir->listed);
        }
    }
}

void Scanner::reclaimLinks(const SubtreeRows& rows) {
    // The names that were counted when they left are counted again, so that a removal undone
    // right away gives every row back its own values; a name that carried the file meanwhile
    // becomes a duplicate again.
    for (const NodeId row : rows.counted) {
        const NodeId previous = hardLinks_.reclaim(row);
        if (previous != 0) {
            demote(previous);
        }
    }
    for (const NodeId row : rows.duplicates) {
        if (const std::optional<HardLinks::Listed> listed = hardLinks_.rejoin(row)) {
            promote(row, *listed);
        }
    }
}

void Scanner::emptyFolder(NodeId folder) {
    NodeStore& store = *store_;
    SubtreeRows rows;
    applyRows(folder, false, -1, rows);
    Sums children;
    const ChildRange range = publishedChildren(store, folder, store.publishedCount());
    for (NodeId child = range.begin; child < range.end; ++child) {
        children.add(store, child);
    }
    addAlongChain(store, folder, -1, children);
    store.firstChild.set(folder, 0);
    store.childCount.set(folder, 0);
    releaseLinks(rows, true);
    for (const NodeId row : rows.unreadable) {
        unreadableFolders_.erase(row);
    }
    const auto own = unreadableFolders_.find(folder);
    if (own != unreadableFolders_.end()) {
        counters_.unreadable.subtract(own->second);
        unreadableFolders_.erase(own);
    }
    setFlag(store, folder, FlagUnopened, false);
    store.publish();
}

RemovalRecord Scanner::removeNode(NodeId node) {
    NodeStore& store = *store_;
    RemovalRecord record;
    if (!isAttached(node)) {
        return record;
    }
    // The counters and kinds are read from the rows before their values are taken out.
    SubtreeRows rows;
    applyRows(node, true, -1, rows);
    record.node = node;
    record.firstChild = store.firstChild.get(node);
    record.childCount = store.childCount.get(node);
    record.subtreeNodes = rows.visited;
    Sums children;
    const ChildRange range = publishedChildren(store, node, store.publishedCount());
    for (NodeId child = range.begin; child < range.end; ++child) {
        children.add(store, child);
    }
    addAlongChain(store, node, -1, children);
    const Sums own = ownSums(store, node);
    record.size = static_cast<std::int64_t>(own.size);
    record.allocated = static_cast<std::int64_t>(own.allocated);
    record.addedMonth = static_cast<std::int64_t>(own.month);
    record.addedHalfYear = static_cast<std::int64_t>(own.halfYear);
    record.addedSinceScan = static_cast<std::int64_t>(own.sinceScan);
    record.fileCount = static_cast<std::int32_t>(own.files);
    record.kind = store.kind.get(node);
    record.isFolder = store.hasFlag(node, FlagFolder);
    addAlongChain(store, node, -1, own);
    store.firstChild.set(node, 0);
    store.childCount.set(node, 0);
    setFlag(store, node, FlagRemoved, true);
    releaseLinks(rows, false);
    removedRows_.add(record.subtreeNodes);
    store.publish();
    record.valid = true;
    return record;
}

void Scanner::restoreNode(const RemovalRecord& record) {
    NodeStore& store = *store_;
    if (!record.valid || record.node >= store.publishedCount() ||
        !store.hasFlag(record.node, FlagRemoved) ||
        !isListedUpToRoot(store, record.node, store.publishedCount())) {
        return;
    }
    setFlag(store, record.node, FlagRemoved, false);
    Sums own;
    own.size = static_cast<std::uint64_t>(record.size);
    own.allocated = static_cast<std::uint64_t>(record.allocated);
    own.files = static_cast<std::uint64_t>(static_cast<std::int64_t>(record.fileCount));
    own.month = static_cast<std::uint64_t>(record.addedMonth);
    own.halfYear = static_cast<std::uint64_t>(record.addedHalfYear);
    own.sinceScan = static_cast<std::uint64_t>(record.addedSinceScan);
    addAlongChain(store, record.node, +1, own);
    removedRows_.subtract(record.subtreeNodes);
    store.firstChild.set(record.node, record.firstChild);
    store.childCount.set(record.node, record.childCount);
    Sums children;
    const ChildRange range = publishedChildren(store, record.node, store.publishedCount());
    for (NodeId child = range.begin; child < range.end; ++child) {
        children.add(store, child);
    }
    addAlongChain(store, record.node, +1, children);
    SubtreeRows rows;
    applyRows(record.node, true, +1, rows);
    reclaimLinks(rows);
    store.publish();
}

}  // namespace scan
