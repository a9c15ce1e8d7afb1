#pragma once

// The summary printed when a scan ends: the largest items under the root and the file kinds.

#include "scan/measures.h"
#include "scan/node_store.h"

#include <cstddef>
#include <string>
#include <vector>

namespace cli {

struct LargestItem {
    scan::NodeId row = 0;
    std::int64_t value = 0;
    std::u16string relativePath;
};

// The `count` live items below the root (files and folders) with the largest values under the
// measure, largest first, ties in row order. Items of value 0 are left out. Memory grows with
// `count`, not with the store.
std::vector<LargestItem> largestItems(const scan::NodeStore& store, scan::Measure measure,
                                      bool logical, std::size_t count, char16_t separator);

// A heading naming the measure, then one line per item: size, kind, path (with control
// characters escaped, since it goes to a terminal).
std::u16string largestItemsText(const scan::NodeStore& store, const std::vector<LargestItem>& items,
                                scan::Measure measure, bool logical);

// A heading, then one line per kind with files: kind, total, files; largest total first, ties
// in kind order.
std::u16string kindsText(const scan::KindTotals& totals, scan::Measure measure, bool logical);

}  // namespace cli
