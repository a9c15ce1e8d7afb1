#include "scan/volume_geometry.h"

#include "scan/mft_record.h"

#include <bit>

namespace scan {

bool isUsableGeometry(const VolumeGeometry& g) {
    const auto powerOfTwoIn = [](std::uint64_t value, std::uint64_t low, std::uint64_t high) {
        return std::has_single_bit(value) && value >= low && value <= high;
    };
    return powerOfTwoIn(g.bytesPerSector, 256, 4096) &&
           powerOfTwoIn(g.bytesPerCluster, g.bytesPerSector, 2u << 20) &&
           powerOfTwoIn(g.recordSize, 256, 64u << 10) && g.totalClusters > 0 &&
           g.totalClusters <= UINT64_MAX / g.bytesPerCluster && g.mftStartCluster < g.totalClusters;
}

bool geometryFromBootSector(std::span<const std::uint8_t> sector, VolumeGeometry& geometry) {
    static constexpr std::uint8_t kOemName[8] = {'N', 'T', 'F', 'S', ' ', ' ', ' ', ' '};
    if (sector.size() < 512) {
        return false;
    }
    for (std::size_t i = 0; i < 8; ++i) {
        if (sector[3 + i] != kOemName[i]) {
            return false;
        }
    }
    VolumeGeometry g;
    g.bytesPerSector = read16(sector, 0x0B);
    const std::uint8_t sectorsPerCluster = sector[0x0D];
    if (sectorsPerCluster > 0x80) {
        const unsigned shift = 256u - sectorsPerCluster;
        if (shift > 12) {
            return false;
        }
        g.bytesPerCluster = g.bytesPerSector << shift;
    } else {
        g.bytesPerCluster = g.bytesPerSector * sectorsPerCluster;
    }
    if (g.bytesPerCluster == 0) {
        return false;
    }
    const std::uint64_t totalSectors = read64(sector, 0x28);
    // A cluster of 0 bytes was refused above, so the sector size is not 0 either.
    g.totalClusters = totalSectors / (g.bytesPerCluster / g.bytesPerSector);
    g.mftStartCluster = read64(sector, 0x30);
    const auto clustersPerRecord = static_cast<std::int8_t>(sector[0x40]);
    if (clustersPerRecord < 0) {
        if (clustersPerRecord < -31) {
            return false;
        }
        g.recordSize = 1u << -clustersPerRecord;
    } else if (clustersPerRecord == 0 || clustersPerRecord > 16) {
        return false;
    } else {
        g.recordSize = g.bytesPerCluster * static_cast<std::uint32_t>(clustersPerRecord);
    }
    if (!isUsableGeometry(g)) {
        return false;
    }
    geometry = g;
    return true;
}

}  // namespace scan
