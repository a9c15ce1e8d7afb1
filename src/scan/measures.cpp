#include "scan/measures.h"

namespace scan {

std::u16string measureName(Measure measure) {
    switch (measure) {
        case MeasureAddedMonth:
            return u"Added in Last Month";
        case MeasureAddedHalfYear:
            return u"Added in Last 6 Months";
        case MeasureAddedSinceScan:
            return u"Added Since Last Scan";
        default:
            return u"Current Size";
    }
}

const Column<std::uint64_t>& measureColumn(const NodeStore& store, Measure measure,
                                           bool physicalSizes) {
    switch (measure) {
        case MeasureAddedMonth:
            return store.addedMonth;
        case MeasureAddedHalfYear:
            return store.addedHalfYear;
        case MeasureAddedSinceScan:
            return store.addedSinceScan;
        default:
            return physicalSizes ? store.allocated : store.size;
    }
}

std::int64_t measureValue(const NodeStore& store, NodeId node, Measure measure,
                          bool physicalSizes) {
    return static_cast<std::int64_t>(measureColumn(store, measure, physicalSizes).get(node));
}

void setAddedValues(NodeStore& store, NodeId row, const AddedValues& added) {
    if (added.month != 0) {
        store.addedMonth.set(row, added.month);
    }
    if (added.halfYear != 0) {
        store.addedHalfYear.set(row, added.halfYear);
    }
    if (added.sinceScan != 0) {
        store.addedSinceScan.set(row, added.sinceScan);
    }
}

KindTotals::KindTotals(std::size_t kinds)
    : allocated_(kinds),
      size_(kinds),
      addedMonth_(kinds),
      addedHalfYear_(kinds),
      addedSinceScan_(kinds),
      files_(kinds) {}

void KindTotals::add(std::size_t kind, int sign, std::uint64_t allocated, std::uint64_t size,
                     std::uint64_t addedMonth, std::uint64_t addedHalfYear,
                     std::uint64_t addedSinceScan) {
    if (kind >= files_.size()) {
        return;
    }
    // Unsigned arithmetic wraps, so adding the two's complement subtracts exactly.
    auto apply = [sign](std::uint64_t& total, std::uint64_t amount) {
        const std::uint64_t delta = sign < 0 ? ~amount + 1 : amount;
        std::atomic_ref<std::uint64_t>(total).store(total + delta, std::memory_order_relaxed);
    };
    apply(allocated_[kind], allocated);
    apply(size_[kind], size);
    apply(addedMonth_[kind], addedMonth);
    apply(addedHalfYear_[kind], addedHalfYear);
    apply(addedSinceScan_[kind], addedSinceScan);
    apply(files_[kind], 1);
}

std::vector<KindTotal> kindTotals(const KindTotals& totals, Measure measure, bool logical) {
    std::vector<KindTotal> result;
    for (std::size_t kind = 0; kind < totals.size(); ++kind) {
        const std::uint64_t files = totals.files(kind);
        if (files == 0) {
            continue;
        }
        std::uint64_t value = 0;
        switch (measure) {
            case MeasureAddedMonth:
                value = totals.addedMonth(kind);
                break;
            case MeasureAddedHalfYear:
                value = totals.addedHalfYear(kind);
                break;
            case MeasureAddedSinceScan:
                value = totals.addedSinceScan(kind);
                break;
            default:
                value = logical ? totals.logical(kind) : totals.allocated(kind);
                break;
        }
        result.push_back({kind, value, files});
    }
    return result;
}

}  // namespace scan
