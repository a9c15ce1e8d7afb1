#include "scan/mft_reader.h"

#include "scan/mft_extents.h"
#include "scan/mft_record_table.h"
#include "scan/mft_tree.h"
#include "scan/scan_counters.h"
#include "scan/volume_source.h"

#include <algorithm>
#include <limits>

namespace scan {

namespace {

// The number of records to read: the table's bytes that hold data, in whole records, no more
// than 32-bit record numbers can name.
std::uint32_t recordCountOf(const VolumeGeometry& geometry, const MftLayout& layout) {
    std::uint64_t valid = geometry.mftValidDataLength;
    if (valid == 0) {
        valid = layout.hasInitializedSize ? layout.initializedSize : layout.length;
    }
    const std::uint64_t records = std::min(layout.length, valid) / geometry.recordSize;
    return static_cast<std::uint32_t>(
        std::min<std::uint64_t>(records, std::numeric_limits<std::uint32_t>::max()));
}

struct RecordsRead {
    bool stopped = false;          // a stop ended the reading early
    std::uint64_t batches = 0;     // batches asked of the volume
    std::uint64_t unreadable = 0;  // records of batches the volume could not give
};

// Reads the table batch by batch into the record table.
RecordsRead readRecords(const FileTableJob& job, const MftLayout& layout, RecordTable& table,
                        std::uint64_t batch) {
    const VolumeGeometry& g = job.geometry;
    const std::uint32_t count = table.count();
    std::vector<std::uint8_t> buffer(batch * g.recordSize);
    RecordsRead read;
    for (std::uint64_t u = 0; u < count; u += batch) {
        if (job.stopRequested && job.stopRequested()) {
            read.stopped = true;
            return read;
        }
        const std::uint64_t w = std::min<std::uint64_t>(batch, count - u);
        ++read.batches;
        if (!readTableBytes(*job.source, g, layout.extents, u * g.recordSize, buffer.data(),
                            w * g.recordSize)) {
            read.unreadable += w;
            continue;
        }
        for (std::uint64_t j = 0; j < w; ++j) {
            const std::span<std::uint8_t> record(buffer.data() + j * g.recordSize, g.recordSize);
            if (applyFixUp(record)) {
                table.parseRecord(static_cast<std::uint32_t>(u + j), record, g.bytesPerCluster,
                                  g.totalClusters);
            }
        }
    }
    return read;
}

}  // namespace

FileTableOutcome readMasterFileTable(const FileTableJob& job) {
    FileTableOutcome outcome;
    const VolumeGeometry& g = job.geometry;
    if (!isUsableGeometry(g)) {
        outcome.refusal = kRefusalGeometry;
        return outcome;
    }
    std::vector<std::uint8_t> first(g.recordSize);
    if (!job.source->read(g.mftStartCluster * g.bytesPerCluster, first.data(), first.size()) ||
        !applyFixUp(first)) {
        outcome.refusal = kRefusalFirstRecord;
        return outcome;
    }
    MftLayout layout;
    if (!findTableLayout(*job.source, g, first, layout)) {
        outcome.refusal = kRefusalExtents;
        return outcome;
    }

    const std::uint32_t count = recordCountOf(g, layout);
    const std::uint64_t batch = std::max<std::uint64_t>(job.batchBytes / g.recordSize, 1);
    RecordTable table(count);
    const RecordsRead read = readRecords(job, layout, table, batch);
    outcome.stopped = read.stopped;
    outcome.batches = read.batches;
    table.resolveExtensions();

    const ChildIndex children(table);
    std::uint32_t start = kRootRecord;
    if (!job.startPieces.empty() && !findStartRecord(table, children, job.startPieces, start)) {
        outcome.refusal = kRefusalFolderNotFound;
        outcome.stopped = false;
        return outcome;
    }
    if (start < count) {
        buildTree(table, children, start, *job.store, *job.counters);
    }
    addTotals(*job.store, *job.options, *job.kindTotals, *job.counters);
    job.counters->reads.add(outcome.batches);
    job.counters->unreadable.add(read.unreadable);
    outcome.filled = true;
    return outcome;
}

}  // namespace scan
