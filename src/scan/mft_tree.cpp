#include "scan/mft_tree.h"

#include "scan/file_kinds.h"
#include "scan/measures.h"
#include "scan/node_store.h"
#include "scan/scan_counters.h"
#include "scan/scan_options.h"
#include "scan/volumes.h"

#include <utility>

namespace scan {

namespace {

bool isChild(const RecordTable& table, std::uint32_t record) {
    return table.has(record, RecordNamed) && record != kRootRecord;
}

}  // namespace

ChildIndex::ChildIndex(const RecordTable& table)
    : start_(std::uint64_t{table.count()} + 1), order_() {
    const std::uint32_t count = table.count();
    for (std::uint32_t j = 0; j < count; ++j) {
        if (isChild(table, j)) {
            ++start_[table.parentRecord[j] + 1];
        }
    }
    for (std::uint32_t p = 0; p < count; ++p) {
        start_[p + 1] += start_[p];
    }
    order_.resize(start_[count]);
    std::vector<std::uint32_t> next(start_.begin(), start_.end() - 1);
    for (std::uint32_t j = 0; j < count; ++j) {
        if (isChild(table, j)) {
            order_[next[table.parentRecord[j]]++] = j;
        }
    }
}

bool findStartRecord(const RecordTable& table, const ChildIndex& children,
                     const std::vector<std::u16string>& pieces, std::uint32_t& record) {
    if (table.count() <= kRootRecord) {
        return false;
    }
    std::uint32_t current = kRootRecord;
    for (const std::u16string& piece : pieces) {
        std::uint32_t exact = UINT32_MAX;
        std::uint32_t folded = UINT32_MAX;
        for (const std::uint32_t child : children.childrenOf(current)) {
            if (!table.has(child, RecordDirectory)) {
                continue;
            }
            const std::u16string_view name = table.nameOf(child);
            if (name == piece) {
                exact = child;
                break;
            }
            if (folded == UINT32_MAX && equalIgnoringCase(name, piece)) {
                folded = child;
            }
        }
        current = exact != UINT32_MAX ? exact : folded;
        if (current == UINT32_MAX) {
            return false;
        }
    }
    record = current;
    return true;
}

void buildTree(const RecordTable& table, const ChildIndex& children, std::uint32_t startRecord,
               NodeStore& store, ScanCounters& counters) {
    std::vector<std::pair<std::uint32_t, NodeId>> queue{{startRecord, 0}};
    for (std::size_t head = 0; head < queue.size(); ++head) {
        const auto [record, row] = queue[head];
        const std::span<const std::uint32_t> list = children.childrenOf(record);
        if (list.empty()) {
            continue;
        }
        const auto first = static_cast<NodeId>(store.appendRows(list.size()));
        store.firstChild.set(row, first);
        store.childCount.set(row, static_cast<std::uint32_t>(list.size()));
        for (std::size_t k = 0; k < list.size(); ++k) {
            const std::uint32_t child = list[k];
            const auto r = static_cast<NodeId>(first + k);
            const std::u16string_view name = table.nameOf(child);
            const bool directory = table.has(child, RecordDirectory);
            store.setName(r, name);
            store.parent.set(r, row);
            store.kind.set(r, directory ? KindFolder : classify(name));
            store.flags.set(r, directory ? FlagFolder : 0);
            store.allocated.set(r, table.allocated[child]);
            store.size.set(r, directory ? 0 : table.size[child]);
            store.fileCount.set(r, directory ? 0 : 1);
            store.created.set(r, table.created[child]);
            if (directory) {
                queue.emplace_back(child, r);
                counters.folders.add(1);
            } else {
                counters.files.add(1);
            }
        }
        store.publish();
    }
}

void addTotals(NodeStore& store, const ScanOptions& options, KindTotals& kindTotals,
               ScanCounters& counters) {
    const std::uint64_t rows = store.rowCount();
    for (std::uint64_t k = 1; k < rows; ++k) {
        const std::uint32_t created = store.created.get(k);
        const std::uint64_t allocated = store.allocated.get(k);
        AddedValues added;
        if (created != 0) {
            counters.datedItems.add(1);
            added = addedValuesOf(options, created, allocated);
            setAddedValues(store, static_cast<NodeId>(k), added);
        }
        if ((store.flags.get(k) & (FlagFolder | FlagDuplicate)) == 0) {
            kindTotals.add(store.kind.get(k), 1, allocated, store.size.get(k), added.month,
                           added.halfYear, added.sinceScan);
        }
    }
    for (std::uint64_t j = rows; j-- > 1;) {
        const NodeId p = store.parent.get(j);
        store.size.add(p, store.size.get(j));
        store.allocated.add(p, store.allocated.get(j));
        store.fileCount.add(p, store.fileCount.get(j));
        store.addedMonth.add(p, store.addedMonth.get(j));
        store.addedHalfYear.add(p, store.addedHalfYear.get(j));
        store.addedSinceScan.add(p, store.addedSinceScan.get(j));
    }
    store.publish();
}

}  // namespace scan
