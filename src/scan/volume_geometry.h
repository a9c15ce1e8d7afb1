#pragma once

// The few facts about an NTFS volume that reading its master file table needs.

#include <cstddef>
#include <cstdint>
#include <span>

namespace scan {

struct VolumeGeometry {
    std::uint32_t bytesPerSector = 0;
    std::uint32_t bytesPerCluster = 0;
    std::uint32_t recordSize = 0;
    std::uint64_t mftStartCluster = 0;
    // Bytes of the table that hold records; 0 when only the table's own first record can tell
    // (a boot sector carries no such field), and the reader takes it from there.
    std::uint64_t mftValidDataLength = 0;
    std::uint64_t totalClusters = 0;
};

// Whether the sizes are ones a real volume can have: sectors of 256 to 4,096 bytes, clusters a
// power of two from one sector to 2 MiB, records a power of two from 256 bytes to 64 KiB, the table
// starting inside the volume and a volume size that fits 64 bits. Anything else is damage, and
// trusting it would size buffers and tables from garbage.
bool isUsableGeometry(const VolumeGeometry& geometry);

// Reads the geometry from the first sector of an NTFS volume: bytes per sector at 0x0B, sectors
// per cluster at 0x0D (above 0x80 meaning 2^(256 - value)), total sectors at 0x28, the table's
// first cluster at 0x30 and clusters per record at 0x40 (negative n meaning 2^-n bytes). False
// when the sector is not an NTFS boot sector or the geometry is not usable.
bool geometryFromBootSector(std::span<const std::uint8_t> sector, VolumeGeometry& geometry);

}  // namespace scan
