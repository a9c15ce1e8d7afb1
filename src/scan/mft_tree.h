#pragma once

// Turns the record table into rows of the node store: the children of every record by a counting
// sort on the parent, the record a scan starts from, a breadth-first build, and the totals added
// once from the bottom up.

#include "scan/mft_record_table.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace scan {

class KindTotals;
class NodeStore;
struct ScanCounters;
struct ScanOptions;

// The volume's root directory; never its own child.
inline constexpr std::uint32_t kRootRecord = 5;

// The named records under each record, in ascending record order.
class ChildIndex {
  public:
    explicit ChildIndex(const RecordTable& table);
    std::span<const std::uint32_t> childrenOf(std::uint32_t record) const {
        return {order_.data() + start_[record], order_.data() + start_[record + 1]};
    }

  private:
    std::vector<std::uint32_t> start_;
    std::vector<std::uint32_t> order_;
};

// Follows `pieces` (the folders below the volume root, top down) from the root directory. A name
// that matches exactly wins over one that differs only in letter case. False when a piece is not
// a directory there, or the table is too short to hold the root directory.
bool findStartRecord(const RecordTable& table, const ChildIndex& children,
                     const std::vector<std::u16string>& pieces, std::uint32_t& record);

// Appends the subtree of `startRecord` below row 0, folder by folder, publishing after each, and
// counts files and folders.
void buildTree(const RecordTable& table, const ChildIndex& children, std::uint32_t startRecord,
               NodeStore& store, ScanCounters& counters);

// Fills the added columns and the per-kind totals of every row below row 0, then adds every row
// to its parent from the last row up, and publishes.
void addTotals(NodeStore& store, const ScanOptions& options, KindTotals& kindTotals,
               ScanCounters& counters);

}  // namespace scan
