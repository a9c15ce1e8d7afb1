#include "scan/mft_extents.h"

#include "scan/volume_source.h"

#include <algorithm>

namespace scan {

namespace {

// An attribute list longer than this is damage: the format keeps it below 256 KiB.
constexpr std::uint64_t kMaxAttributeListBytes = 256 * 1024;
// Records of the table that may hold further pieces of its stream; more would be damage.
constexpr std::size_t kMaxExtensionRecords = 4096;

// One attribute record of the table's unnamed data stream.
struct StreamPiece {
    std::int64_t firstVcn = 0;
    std::vector<DataRun> runs;
};

bool isUnnamedData(const Attribute& attribute) {
    return attribute.type == kAttributeData && attribute.nameLength == 0;
}

// Adds the record's non-resident pieces of the unnamed data stream to `pieces`.
void collectPieces(Bytes record, const RecordHeader& header, std::vector<StreamPiece>& pieces,
                   MftLayout& layout) {
    forEachAttribute(record, header, [&](const Attribute& attribute) {
        StreamPiece piece;
        if (!isUnnamedData(attribute) || !attribute.startingVcn(piece.firstVcn)) {
            return;
        }
        // Runs decoded before a malformed one still place the table's first records.
        decodeRuns(attribute.mappingPairs(), SIZE_MAX, piece.runs);
        if (piece.firstVcn == 0 && attribute.initializedSize(layout.initializedSize)) {
            layout.hasInitializedSize = true;
        }
        pieces.push_back(std::move(piece));
    });
}

// Orders the pieces and lays their runs end to end, stopping at the first inconsistency.
void buildExtents(std::vector<StreamPiece> pieces, const VolumeGeometry& geometry,
                  MftLayout& layout) {
    std::stable_sort(pieces.begin(), pieces.end(), [](const StreamPiece& a, const StreamPiece& b) {
        return a.firstVcn < b.firstVcn;
    });
    layout.extents.clear();
    layout.length = 0;
    // The table cannot be larger than its volume; this also keeps every sum below 2^64.
    const std::uint64_t volumeBytes = geometry.totalClusters * geometry.bytesPerCluster;
    std::uint64_t nextVcn = 0;
    for (const StreamPiece& piece : pieces) {
        if (piece.firstVcn < 0 || static_cast<std::uint64_t>(piece.firstVcn) != nextVcn) {
            break;
        }
        for (const DataRun& run : piece.runs) {
            if (run.sparse || run.firstCluster < 0 || run.clusterCount > geometry.totalClusters ||
                static_cast<std::uint64_t>(run.firstCluster) >
                    geometry.totalClusters - run.clusterCount ||
                run.clusterCount * geometry.bytesPerCluster > volumeBytes - layout.length) {
                return;
            }
            layout.extents.push_back(
                {static_cast<std::uint64_t>(run.firstCluster), run.clusterCount});
            layout.length += run.clusterCount * geometry.bytesPerCluster;
            nextVcn += run.clusterCount;
        }
    }
}

// The value of the first record's attribute list, resident or read from its clusters.
bool readAttributeList(VolumeSource& source, const VolumeGeometry& geometry, Bytes record,
                       const RecordHeader& header, std::vector<std::uint8_t>& list) {
    bool found = false;
    forEachAttribute(record, header, [&](const Attribute& attribute) {
        if (found || attribute.type != kAttributeList) {
            return;
        }
        found = true;
        Bytes value;
        if (attribute.residentValue(value)) {
            list.assign(value.begin(), value.end());
            return;
        }
        std::uint64_t size = 0;
        std::vector<DataRun> runs;
        if (!attribute.dataSize(size) || size > kMaxAttributeListBytes) {
            return;
        }
        decodeRuns(attribute.mappingPairs(), SIZE_MAX, runs);
        list.resize(static_cast<std::size_t>(size));
        std::size_t filled = 0;
        for (const DataRun& run : runs) {
            if (filled == list.size() || run.sparse || run.firstCluster < 0 ||
                static_cast<std::uint64_t>(run.firstCluster) >= geometry.totalClusters ||
                run.clusterCount > geometry.totalClusters) {
                break;
            }
            const std::uint64_t bytes = run.clusterCount * geometry.bytesPerCluster;
            const std::size_t take =
                static_cast<std::size_t>(std::min<std::uint64_t>(bytes, list.size() - filled));
            const std::uint64_t offset =
                static_cast<std::uint64_t>(run.firstCluster) * geometry.bytesPerCluster;
            if (!source.read(offset, list.data() + filled, take)) {
                break;
            }
            filled += take;
        }
        list.resize(filled);
    });
    return found && !list.empty();
}

// Numbers of the records, other than the first, that the attribute list names for pieces of the
// unnamed data stream, each once, in list order.
std::vector<std::uint64_t> extensionRecordsOf(Bytes list) {
    std::vector<std::uint64_t> records;
    std::size_t offset = 0;
    while (fits(offset, 26, list.size()) && records.size() < kMaxExtensionRecords) {
        const std::uint32_t type = read32(list, offset);
        const std::uint16_t length = read16(list, offset + 4);
        if (length < 26 || !fits(offset, length, list.size())) {
            break;
        }
        const std::uint8_t nameLength = list[offset + 6];
        const std::uint64_t record = read64(list, offset + 16) & kRecordNumberMask;
        if (type == kAttributeData && nameLength == 0 && record != 0 &&
            std::find(records.begin(), records.end(), record) == records.end()) {
            records.push_back(record);
        }
        offset += length;
    }
    return records;
}

// Reads one record of the table through the extents known so far and fixes it up.
bool readTableRecord(VolumeSource& source, const VolumeGeometry& geometry, const MftLayout& layout,
                     std::uint64_t number, std::vector<std::uint8_t>& record) {
    record.resize(geometry.recordSize);
    if (number >= layout.length / geometry.recordSize) {
        return false;
    }
    return readTableBytes(source, geometry, layout.extents, number * geometry.recordSize,
                          record.data(), record.size()) &&
           applyFixUp(record);
}

}  // namespace

bool readTableBytes(VolumeSource& source, const VolumeGeometry& geometry,
                    const std::vector<MftExtent>& extents, std::uint64_t position,
                    std::uint8_t* buffer, std::size_t length) {
    std::uint64_t extentStart = 0;
    std::size_t done = 0;
    for (const MftExtent& extent : extents) {
        if (done == length) {
            break;
        }
        const std::uint64_t extentBytes = extent.clusterCount * geometry.bytesPerCluster;
        const std::uint64_t extentEnd = extentStart + extentBytes;
        if (position >= extentStart && position < extentEnd) {
            const std::size_t take = static_cast<std::size_t>(
                std::min<std::uint64_t>(length - done, extentEnd - position));
            const std::uint64_t offset =
                extent.firstCluster * geometry.bytesPerCluster + (position - extentStart);
            if (!source.read(offset, buffer + done, take)) {
                return false;
            }
            done += take;
            position += take;
        }
        extentStart = extentEnd;
    }
    return done == length;
}

bool findTableLayout(VolumeSource& source, const VolumeGeometry& geometry, Bytes firstRecord,
                     MftLayout& layout) {
    RecordHeader header;
    if (!readRecordHeader(firstRecord, header)) {
        return false;
    }
    std::vector<StreamPiece> pieces;
    collectPieces(firstRecord, header, pieces, layout);
    buildExtents(pieces, geometry, layout);

    std::vector<std::uint8_t> list;
    if (readAttributeList(source, geometry, firstRecord, header, list)) {
        std::vector<std::uint64_t> pending = extensionRecordsOf(list);
        std::vector<std::uint8_t> record;
        // A piece may lie in a record that only a later piece maps, so go round until no record
        // is left that the extents known so far can reach.
        bool progress = true;
        while (progress && !pending.empty()) {
            progress = false;
            for (auto it = pending.begin(); it != pending.end();) {
                RecordHeader extension;
                if (!readTableRecord(source, geometry, layout, *it, record)) {
                    ++it;
                    continue;
                }
                // All 64 bits: an extension of the first record carries a sequence number.
                if (readRecordHeader(record, extension) && extension.baseReference != 0 &&
                    (extension.baseReference & kRecordNumberMask) == 0) {
                    collectPieces(record, extension, pieces, layout);
                }
                it = pending.erase(it);
                progress = true;
            }
            buildExtents(pieces, geometry, layout);
        }
    }
    return !layout.extents.empty();
}

}  // namespace scan
