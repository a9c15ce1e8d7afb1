#include "treemap/kind_colours.h"

#include <gtest/gtest.h>

namespace treemap {
namespace {

constexpr std::uint32_t rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return 0xFF000000u | r << 16 | g << 8 | b;
}

TEST(KindColours, ConsistentColoursComeFromTheGoldenRatioTable) {
    const KindColours colours;
    ASSERT_EQ(colours.size(), scan::kindCount());
    EXPECT_TRUE(colours.consistent());
    struct Case {
        int kind;
        std::uint32_t colour;
    };
    const Case cases[] = {
        {0, rgb(183, 82, 82)},       {1, kFolderColour},
        {2, kSymbolicLinkColour},    {5, rgb(229, 150, 57)},
        {-1, kUnknownKindColour},    {static_cast<int>(scan::kindCount()), kUnknownKindColour},
        {70000, kUnknownKindColour},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        EXPECT_EQ(colours.colourOf(c.kind), c.colour);
    }
    EXPECT_NE(colours.colourOf(3), colours.colourOf(4)) << "neighbouring kinds differ";
}

TEST(KindColours, RankedKindsTakeTheColoursFromKindFourOnAndWrapAround) {
    KindColours colours(10);
    // Ranks 0..6 for kinds 9, 8, ..., 3; six colours (kinds 4 to 9) are handed out by rank.
    std::vector<scan::KindTotal> totals;
    for (std::uint64_t kind = 3; kind <= 9; ++kind) {
        totals.push_back({kind, kind * 100, 1});
    }
    colours.rankKinds(totals);
    EXPECT_EQ(colours.colourOf(9), tableColour(9)) << "ranks apply only when not consistent";

    colours.setConsistent(false);
    EXPECT_EQ(colours.colourOf(9), tableColour(4)) << "rank 0";
    EXPECT_EQ(colours.colourOf(8), tableColour(5)) << "rank 1";
    EXPECT_EQ(colours.colourOf(3), tableColour(4)) << "rank 6 = N - 4 wraps around";
    EXPECT_EQ(colours.colourOf(1), kFolderColour) << "an unranked kind keeps its own colour";
    EXPECT_EQ(colours.colourOf(10), kUnknownKindColour);

    colours.rankKinds({{1, 5, 1}});
    EXPECT_EQ(colours.colourOf(1), tableColour(4)) << "a new ranking replaces the old one";
    EXPECT_EQ(colours.colourOf(9), tableColour(9));

    KindColours tiny(4);
    tiny.setConsistent(false);
    tiny.rankKinds({{3, 5, 1}});
    EXPECT_EQ(tiny.colourOf(3), tableColour(3)) << "no colour is left to hand out by rank";
}

}  // namespace
}  // namespace treemap
