#include "treemap/space_blocks.h"

#include <gtest/gtest.h>

namespace treemap {
namespace {

TEST(SpaceBlocks, FollowTheSwitchesAndTheVolumeFigures) {
    constexpr std::int64_t kGB = 1'000'000'000;
    struct Case {
        const char* name;
        DriveSpace space;
        SpaceBlockSwitches switches;
        std::vector<SpaceBlock> expected;
    };
    const Case cases[] = {
        {"switched off", {100 * kGB, 40 * kGB, 50 * kGB, true}, {false, false, true}, {}},
        {"no volume figures", {0, 40 * kGB, 50 * kGB, true}, {true, true, true}, {}},
        {"free space, dark",
         {100 * kGB, 40 * kGB, 50 * kGB, true},
         {true, false, true},
         {{FreeSpaceId, u"Free space", 40 * kGB, 0xFF2E2E32}}},
        {"free space, light",
         {100 * kGB, 40 * kGB, 50 * kGB, false},
         {true, false, false},
         {{FreeSpaceId, u"Free space", 40 * kGB, 0xFFD8D8DE}}},
        {"both, whole drive",
         {100 * kGB, 40 * kGB, 50 * kGB, true},
         {true, true, false},
         {{FreeSpaceId, u"Free space", 40 * kGB, 0xFFD8D8DE},
          {OtherSpaceId, u"Not reached by this scan", 10 * kGB, 0xFF4A4A52}}},
        {"other space, a folder",
         {100 * kGB, 40 * kGB, 50 * kGB, false},
         {false, true, false},
         {{OtherSpaceId, u"Other space on this drive", 10 * kGB, 0xFF4A4A52}}},
        {"the root holds all the used space",
         {100 * kGB, 40 * kGB, 60 * kGB, true},
         {false, true, false},
         {}},
        {"the root holds more than the volume",
         {100 * kGB, 40 * kGB, ~0ull, true},
         {false, true, false},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto blocks = spaceBlocksFor(c.space, c.switches);
        ASSERT_EQ(blocks.size(), c.expected.size());
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            EXPECT_EQ(blocks[i].id, c.expected[i].id);
            EXPECT_TRUE(blocks[i].label == c.expected[i].label);
            EXPECT_EQ(blocks[i].size, c.expected[i].size);
            EXPECT_EQ(blocks[i].colour, c.expected[i].colour);
        }
    }
}

}  // namespace
}  // namespace treemap
