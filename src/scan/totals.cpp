// Keeping every total right when a node leaves the tree (sent to the Recycle Bin), comes back, or
// when a folder is emptied before it is scanned again.

#include "scan/file_id_set.h"
#include "scan/scanner.h"

#include <vector>

namespace scan {

namespace {

std::uint64_t signedAmount(std::uint64_t amount, int sign) {
    return sign < 0 ? ~amount + 1 : amount;
}

// Adds `sign` × the amounts to `node` and every ancestor up to row 0. Unsigned columns wrap, so
// adding the two's complement subtracts exactly.
void addAlongChain(NodeStore& store, NodeId node, int sign, std::uint64_t size,
                   std::uint64_t allocated, std::uint64_t files, std::uint64_t month,
                   std::uint64_t halfYear, std::uint64_t sinceScan) {
    for (NodeId at = node;; at = store.parent.get(at)) {
        store.size.add(at, signedAmount(size, sign));
        store.allocated.add(at, signedAmount(allocated, sign));
        store.fileCount.add(at, static_cast<std::uint32_t>(signedAmount(files, sign)));
        store.addedMonth.add(at, signedAmount(month, sign));
        store.addedHalfYear.add(at, signedAmount(halfYear, sign));
        store.addedSinceScan.add(at, signedAmount(sinceScan, sign));
        if (at == 0) {
            break;
        }
    }
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

void Scanner::applyOwnValues(const RemovalRecord& record, int sign) {
    addAlongChain(*store_, record.node, sign, static_cast<std::uint64_t>(record.size),
                  static_cast<std::uint64_t>(record.allocated),
                  static_cast<std::uint64_t>(static_cast<std::int64_t>(record.fileCount)),
                  static_cast<std::uint64_t>(record.addedMonth),
                  static_cast<std::uint64_t>(record.addedHalfYear),
                  static_cast<std::uint64_t>(record.addedSinceScan));
    if (record.isFolder) {
        counters_.folders.set(counters_.folders.get() + signedAmount(1, sign));
    } else {
        kindTotals_.add(record.kind, sign, static_cast<std::uint64_t>(record.allocated),
                        static_cast<std::uint64_t>(record.size),
                        static_cast<std::uint64_t>(record.addedMonth),
                        static_cast<std::uint64_t>(record.addedHalfYear),
                        static_cast<std::uint64_t>(record.addedSinceScan));
        counters_.files.set(counters_.files.get() + signedAmount(1, sign));
    }
}

void Scanner::applyChildren(NodeId folder, int sign) {
    NodeStore& store = *store_;
    const ChildRange children = publishedChildren(store, folder, store.publishedCount());
    std::uint64_t size = 0, allocated = 0, files = 0, month = 0, halfYear = 0, sinceScan = 0;
    for (NodeId child = children.begin; child < children.end; ++child) {
        size += store.size.get(child);
        allocated += store.allocated.get(child);
        files += store.fileCount.get(child);
        month += store.addedMonth.get(child);
        halfYear += store.addedHalfYear.get(child);
        sinceScan += store.addedSinceScan.get(child);
    }
    addAlongChain(store, folder, sign, size, allocated, files, month, halfYear, sinceScan);
    counters_.files.set(counters_.files.get() + signedAmount(files, sign));

    std::uint64_t folders = 0;
    forEachLiveDescendant(store, folder, [&](NodeId row) {
        if (store.hasFlag(row, FlagFolder)) {
            ++folders;
            return;
        }
        kindTotals_.add(store.kind.get(row), sign, store.allocated.get(row), store.size.get(row),
                        store.addedMonth.get(row), store.addedHalfYear.get(row),
                        store.addedSinceScan.get(row));
    });
    counters_.folders.set(counters_.folders.get() + signedAmount(folders, sign));
}

void Scanner::emptyFolder(NodeId folder) {
    NodeStore& store = *store_;
    applyChildren(folder, -1);
    if (options_.detectHardLinks && !fileIds_->empty()) {
        // Files found again by the refresh must count again, so their identifiers are forgotten.
        fileIds_->retainIf([&store, folder](std::int32_t row) {
            for (auto at = static_cast<NodeId>(row); at != 0; at = store.parent.get(at)) {
                if (at == folder) {
                    return false;
                }
            }
            return folder != 0;
        });
    }
    store.firstChild.set(folder, 0);
    store.childCount.set(folder, 0);
    store.publish();
}

RemovalRecord Scanner::removeNode(NodeId node) {
    NodeStore& store = *store_;
    RemovalRecord record;
    if (node >= store.publishedCount() || store.hasFlag(node, FlagRemoved)) {
        return record;
    }
    record.node = node;
    record.firstChild = store.firstChild.get(node);
    record.childCount = store.childCount.get(node);
    record.subtreeNodes = liveNodeCount(node);
    emptyFolder(node);
    record.size = static_cast<std::int64_t>(store.size.get(node));
    record.allocated = static_cast<std::int64_t>(store.allocated.get(node));
    record.addedMonth = static_cast<std::int64_t>(store.addedMonth.get(node));
    record.addedHalfYear = static_cast<std::int64_t>(store.addedHalfYear.get(node));
    record.addedSinceScan = static_cast<std::int64_t>(store.addedSinceScan.get(node));
    record.fileCount = static_cast<std::int32_t>(store.fileCount.get(node));
    record.kind = store.kind.get(node);
    record.isFolder = store.hasFlag(node, FlagFolder);
    applyOwnValues(record, -1);
    store.flags.set(node, static_cast<std::uint8_t>(store.flags.get(node) | FlagRemoved));
    removedRows_.add(record.subtreeNodes);
    store.publish();
    record.valid = true;
    return record;
}

void Scanner::restoreNode(const RemovalRecord& record) {
    NodeStore& store = *store_;
    if (!record.valid || record.node >= store.publishedCount()) {
        return;
    }
    applyOwnValues(record, +1);
    store.flags.set(record.node,
                    static_cast<std::uint8_t>(store.flags.get(record.node) & ~FlagRemoved));
    removedRows_.subtract(record.subtreeNodes);
    store.firstChild.set(record.node, record.firstChild);
    store.childCount.set(record.node, record.childCount);
    store.publish();
    applyChildren(record.node, +1);
    store.publish();
}

}  // namespace scan
