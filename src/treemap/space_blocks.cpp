#include "treemap/space_blocks.h"

#include <algorithm>
#include <limits>

namespace treemap {

std::vector<SpaceBlock> spaceBlocksFor(const DriveSpace& space,
                                       const SpaceBlockSwitches& switches) {
    std::vector<SpaceBlock> blocks;
    if (space.volumeTotal <= 0) {
        return blocks;
    }
    if (switches.showFreeSpace) {
        blocks.push_back({FreeSpaceId, u"Free space", space.volumeFree,
                          switches.darkAppearance ? kFreeSpaceDarkColour : kFreeSpaceLightColour});
    }
    if (switches.showOtherSpace) {
        constexpr auto kLargest =
            static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
        const auto root = static_cast<std::int64_t>(std::min(space.rootAllocated, kLargest));
        const std::int64_t used = space.volumeTotal - space.volumeFree;
        const std::int64_t other = used > root ? used - root : 0;
        if (other > 0) {
            blocks.push_back({OtherSpaceId,
                              space.scannedVolumeRoot ? u"Not reached by this scan"
                                                      : u"Other space on this drive",
                              other, kOtherSpaceColour});
        }
    }
    return blocks;
}

}  // namespace treemap
