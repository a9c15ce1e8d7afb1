#pragma once

// The drive space a treemap can show beside the scanned folder: free space and the part of the
// drive the scan did not account for. Plain numbers in, so the rule holds on any host.

#include "treemap/treemap_layout.h"

#include <cstdint>
#include <vector>

namespace treemap {

inline constexpr std::uint32_t kFreeSpaceDarkColour = 0xFF2E2E32;
inline constexpr std::uint32_t kFreeSpaceLightColour = 0xFFD8D8DE;
inline constexpr std::uint32_t kOtherSpaceColour = 0xFF4A4A52;

// What the scan knew of its drive when it started, and how much of it the scan found.
struct DriveSpace {
    std::int64_t volumeTotal = 0;  // 0 when unknown or when there is no scan
    std::int64_t volumeFree = 0;
    std::uint64_t rootAllocated = 0;  // `allocated` of row 0, whatever the measure
    bool scannedVolumeRoot = false;   // the scanned folder is the root folder of its volume
};

struct SpaceBlockSwitches {
    bool showFreeSpace = false;
    bool showOtherSpace = false;
    bool darkAppearance = false;
};

// The blocks for TreemapOptions::spaceBlocks, free space before other space. Empty when the
// volume's total is not positive. The other-space block is left out when the root already
// accounts for all the used space, so a folder holding more than the volume reports never makes
// a negative block.
std::vector<SpaceBlock> spaceBlocksFor(const DriveSpace& space, const SpaceBlockSwitches& switches);

}  // namespace treemap
