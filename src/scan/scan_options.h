#pragma once

#include <cstdint>

namespace scan {

// What a Scanner is asked to do; copied when the Scanner is made.
struct ScanOptions {
    // 0 = automatic (the master file table only for a whole NTFS volume), 1 = folder walk only,
    // 2 = try the master file table for any root on NTFS and say why when it cannot be used.
    std::uint32_t method = 0;
    // Listing threads of the walk; 0 or less chooses from the number of processors.
    std::int32_t threads = 0;
    bool detectHardLinks = true;
    bool compressedSizes = true;
    // Files created at or after these times (seconds since 1970) count as added.
    std::uint32_t monthCutoff = 0;
    std::uint32_t halfYearCutoff = 0;
    bool hasPreviousScan = false;
    std::uint32_t previousScan = 0;
    std::uint64_t listingBufferBytes = 262'144;
};

// The three added columns of a new row from its creation time and bytes on disk. The added
// measures always count allocated bytes; a row of unknown age (created 0) is never added.
struct AddedValues {
    std::uint64_t month = 0;
    std::uint64_t halfYear = 0;
    std::uint64_t sinceScan = 0;
};

inline AddedValues addedValuesOf(const ScanOptions& options, std::uint32_t created,
                                 std::uint64_t allocated) {
    AddedValues added;
    if (created == 0) {
        return added;
    }
    if (created >= options.monthCutoff) {
        added.month = allocated;
    }
    if (created >= options.halfYearCutoff) {
        added.halfYear = allocated;
    }
    if (options.hasPreviousScan && created >= options.previousScan) {
        added.sinceScan = allocated;
    }
    return added;
}

}  // namespace scan
