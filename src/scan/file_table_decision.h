#pragma once

// Whether a scan may read the master file table, from facts gathered beforehand, so that the rule
// is one pure function.

#include "scan/volumes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace scan {

struct FileTableFacts {
    // ScanOptions::method: 0 automatic, 1 folder walk only, 2 the file table for any folder.
    std::uint32_t method = 0;
    bool volumeKnown = false;
    VolumeInfo volume;
    bool ntfs = false;
    bool elevated = false;
    bool wholeVolume = false;
};

struct FileTableDecision {
    bool open = false;
    // Why the table is not read, when the reason is worth telling the user; empty for a silent
    // decline.
    std::u16string refusal;
};

FileTableDecision decideFileTable(const FileTableFacts& facts);

// The folders from the volume root down to `path`, which lies on that volume: the part of the
// path from the root's last separator on, split at `separator`, empty pieces skipped.
std::vector<std::u16string> piecesBelowRoot(const std::u16string& volumeRoot,
                                            const std::u16string& path, char16_t separator);

}  // namespace scan
