#pragma once

// Reads a volume's master file table in large sequential batches and builds the scan's tree from
// it. This part knows nothing of scanners or platforms: it reads bytes through a VolumeSource and
// writes a node store whose row 0 (the scan root) already exists.

#include "scan/volume_geometry.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace scan {

class KindTotals;
class NodeStore;
class VolumeSource;
struct ScanCounters;
struct ScanOptions;

struct FileTableJob {
    VolumeSource* source = nullptr;
    VolumeGeometry geometry;
    // The folders from the volume root down to the scan root; empty for a whole volume.
    std::vector<std::u16string> startPieces;
    const ScanOptions* options = nullptr;
    NodeStore* store = nullptr;
    KindTotals* kindTotals = nullptr;
    ScanCounters* counters = nullptr;
    // Asked before every batch; true ends the reading, and the tree is built from what was read.
    std::function<bool()> stopRequested;
    // Bytes per read; a whole number of records is read at a time, at least one.
    std::uint64_t batchBytes = 4 * 1024 * 1024;
};

struct FileTableOutcome {
    // The store was filled; otherwise it holds only row 0 and `refusal` may say why.
    bool filled = false;
    std::u16string refusal;
    bool stopped = false;
    // Batches read from the volume; fewer than the table holds when a stop ended the reading.
    std::uint64_t batches = 0;
};

// The texts of the refusals this part can give.
inline constexpr char16_t kRefusalGeometry[] = u"the volume reported an unusable geometry";
inline constexpr char16_t kRefusalFirstRecord[] =
    u"the first master file table record could not be read";
inline constexpr char16_t kRefusalExtents[] =
    u"the master file table's extents could not be decoded";
inline constexpr char16_t kRefusalFolderNotFound[] =
    u"the folder was not found in the master file table";

// Reads the whole table and fills the store below row 0: rows, folder totals, added columns,
// per-kind totals and the counters (files, folders, unreadable, datedItems, reads).
FileTableOutcome readMasterFileTable(const FileTableJob& job);

}  // namespace scan
