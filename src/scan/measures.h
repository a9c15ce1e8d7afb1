#pragma once

// The four measures under which every size is shown, and the per-kind totals a Scanner keeps.

#include "scan/node_store.h"
#include "scan/scan_options.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace scan {

using Measure = std::uint32_t;

inline constexpr Measure MeasureCurrentSize = 0;
inline constexpr Measure MeasureAddedMonth = 1;
inline constexpr Measure MeasureAddedHalfYear = 2;
inline constexpr Measure MeasureAddedSinceScan = 3;

// "Current Size", "Added in Last Month", "Added in Last 6 Months", "Added Since Last Scan";
// any other value is named "Current Size".
std::u16string measureName(Measure measure);

// The column that holds a measure's values: for measure 0 `allocated` when physical sizes are
// shown, else `size`; otherwise the added column. For passes over many nodes.
const Column<std::uint64_t>& measureColumn(const NodeStore& store, Measure measure,
                                           bool physicalSizes);

// A node's value under a measure: for measure 0 its allocated bytes when physical sizes are
// shown, else its logical size; otherwise its added column.
std::int64_t measureValue(const NodeStore& store, NodeId node, Measure measure, bool physicalSizes);

// Writes the added columns of a row just appended. The row is zero already, so only the values
// that are not zero are written: the column of a measure no file reaches (one the scan was told
// not to count) then never touches its pages and costs no memory.
void setAddedValues(NodeStore& store, NodeId row, const AddedValues& added);

// Sums over the non-folder rows of each file kind, indexed by FileKind. One thread writes (the
// scan's committing thread, or the user-interface thread for removals); readers on other threads
// see each element whole, as of some recent moment.
class KindTotals {
  public:
    explicit KindTotals(std::size_t kinds = 0);

    std::size_t size() const { return files_.size(); }
    std::uint64_t allocated(std::size_t kind) const { return load(allocated_[kind]); }
    std::uint64_t logical(std::size_t kind) const { return load(size_[kind]); }
    std::uint64_t addedMonth(std::size_t kind) const { return load(addedMonth_[kind]); }
    std::uint64_t addedHalfYear(std::size_t kind) const { return load(addedHalfYear_[kind]); }
    std::uint64_t addedSinceScan(std::size_t kind) const { return load(addedSinceScan_[kind]); }
    std::uint64_t files(std::size_t kind) const { return load(files_[kind]); }

    // Adds (sign +1) or takes away (sign -1) one row of `kind`; kinds outside the table are
    // ignored. Only the single writer calls this.
    void add(std::size_t kind, int sign, std::uint64_t allocated, std::uint64_t size,
             std::uint64_t addedMonth, std::uint64_t addedHalfYear, std::uint64_t addedSinceScan);

  private:
    static std::uint64_t load(const std::uint64_t& value) {
        return std::atomic_ref<const std::uint64_t>(value).load(std::memory_order_relaxed);
    }

    std::vector<std::uint64_t> allocated_;
    std::vector<std::uint64_t> size_;
    std::vector<std::uint64_t> addedMonth_;
    std::vector<std::uint64_t> addedHalfYear_;
    std::vector<std::uint64_t> addedSinceScan_;
    std::vector<std::uint64_t> files_;
};

struct KindTotal {
    std::uint64_t kind = 0;
    std::uint64_t value = 0;
    std::uint64_t files = 0;
};

// One element per kind that has files, in kind order. Measure 0 reads logical sizes when
// `logical` is true, else allocated bytes.
std::vector<KindTotal> kindTotals(const KindTotals& totals, Measure measure, bool logical);

}  // namespace scan
