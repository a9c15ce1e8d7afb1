#pragma once

// A deterministic stand-in for a scanned drive, for the treemap benchmarks: folders of varying
// width and depth laid out as a scan commits them (each listing one contiguous range of rows after
// its folder), heavy-tailed file sizes, and file kinds from real extensions.

#include "scan/node_store.h"

#include <cstdint>

namespace bench {

struct StoreShape {
    std::uint64_t files = 0;
    std::uint64_t folders = 0;  // the root included
    int deepest = 0;            // depth of the deepest folder, the root at 0
    std::uint32_t widest = 0;   // most children of one folder
};

struct SyntheticStore {
    scan::NodeStore store;
    StoreShape shape;
};

// The store of exactly `files` files (and as many folders as that takes), made on first use and
// kept for the life of the process, so later benchmarks of one size share it. Row 0 is the root;
// folder totals are filled in and every row is published. Not safe to call from two threads.
const SyntheticStore& syntheticStore(std::uint64_t files);

// The same files with no folders at all: every one a child of the root. Kept like the above.
const SyntheticStore& flatStore(std::uint64_t files);

}  // namespace bench
