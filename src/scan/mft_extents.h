#pragma once

// Where the master file table itself lies on the volume: the extents of its unnamed data stream,
// found in its first record and, for a table fragmented enough to need one, through that record's
// attribute list in further records.

#include "scan/mft_record.h"
#include "scan/volume_geometry.h"

#include <cstdint>
#include <span>
#include <vector>

namespace scan {

class VolumeSource;

struct MftExtent {
    std::uint64_t firstCluster = 0;
    std::uint64_t clusterCount = 0;
};

struct MftLayout {
    // In the order of the table's bytes, each inside the volume.
    std::vector<MftExtent> extents;
    // Bytes the extents cover.
    std::uint64_t length = 0;
    // The initialised size of the stream, when its first piece carried one.
    std::uint64_t initializedSize = 0;
    bool hasInitializedSize = false;
};

// Reads bytes [position, position + length) of the table by following the extents; false when a
// read fails or the extents end first.
bool readTableBytes(VolumeSource& source, const VolumeGeometry& geometry,
                    const std::vector<MftExtent>& extents, std::uint64_t position,
                    std::uint8_t* buffer, std::size_t length);

// Finds the table's extents from its first record (fixed up). The pieces of the stream are put in
// order of their first virtual cluster and used up to the first gap, malformed run, sparse run or
// run outside the volume, so damage shortens the table but never misplaces a record. Answers
// false when no extent was found.
bool findTableLayout(VolumeSource& source, const VolumeGeometry& geometry, Bytes firstRecord,
                     MftLayout& layout);

}  // namespace scan
