#include "treemap/treemap_render.h"

#include "test_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace treemap {
namespace {

using testing::file;
using testing::folder;
using testing::TreeBuilder;

// Worked out here from the light vector rather than taken from the code under test.
double flatIntensity() {
    return std::min(1.0, (0.2 + 0.8 * 10 / std::sqrt(112.5)) * 1.04);
}

std::uint32_t shaded(std::uint32_t colour, double intensity) {
    auto channel = [&](int shift) {
        return static_cast<std::uint32_t>(intensity * ((colour >> shift) & 0xFF));
    };
    return channel(16) << 16 | channel(8) << 8 | channel(0);
}

scan::FileKind kindOf(std::u16string_view name) {
    scan::ensureKindTable();
    return scan::classify(name);
}

TEST(TreemapRender, AChildlessRootIsOneFlatCushionOfTheKindOther) {
    TreeBuilder tree;
    const auto store = tree.finish();
    const KindColours colours;
    const TreemapImage image = renderTreemap(*store, 0, 30, 20, colours, {});
    ASSERT_EQ(image.width, 30);
    ASSERT_EQ(image.height, 20);
    ASSERT_EQ(image.items.size(), 1u);
    const std::uint32_t expected = shaded(colours.colourOf(scan::otherKind()), flatIntensity());
    EXPECT_NEAR(cushionIntensity(0, 0), flatIntensity(), 1e-15);
    EXPECT_LT(flatIntensity(), 1.0);
    for (std::size_t i = 0; i < image.pixels.size(); ++i) {
        ASSERT_EQ(image.pixels[i], expected) << i;
        ASSERT_EQ(image.itemAt[i], 0) << i;
    }
    ASSERT_NE(image.nodeRects.find(0), nullptr);
    EXPECT_EQ(*image.nodeRects.find(0), (Rect{0, 0, 30, 20}));
}

TEST(TreemapRender, NothingToDrawGivesAnEmptyImage) {
    TreeBuilder tree;
    tree.addChildren(0, {file(5)});
    const auto store = tree.finish();
    struct Case {
        const char* name;
        scan::NodeId root;
        int w, h;
    };
    const Case cases[] = {
        {"no width", 0, 0, 10}, {"negative height", 0, 10, -1}, {"unpublished root", 2, 10, 10}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TreemapImage image = renderTreemap(*store, c.root, c.w, c.h, KindColours(8), {});
        EXPECT_EQ(image.width, 0);
        EXPECT_TRUE(image.items.empty());
        EXPECT_TRUE(image.pixels.empty());
        EXPECT_TRUE(image.itemAt.empty());
        EXPECT_EQ(image.root, c.root);
    }
}

TEST(TreemapRender, ItemsOutsideTheImagePaintNothingAndEdgesAreClipped) {
    TreemapImage image;
    image.width = 10;
    image.height = 8;
    image.pixels.assign(80, kBackground);
    image.itemAt.assign(80, -1);
    const Rect outside[] = {
        {-20, 0, 10, 8},   // left of the image
        {10.5, 0, 5, 8},   // rounds to the right edge
        {0, 8, 10, 3},     // below
        {3.6, 0, 0.3, 8},  // rounds to no width
    };
    for (const Rect& rect : outside) {
        paintCushion(image, TreemapItem{rect, 1, true, 0, {}}, 0xFFFFFFFF, 7);
    }
    for (std::size_t i = 0; i < 80; ++i) {
        ASSERT_EQ(image.pixels[i], kBackground) << i;
        ASSERT_EQ(image.itemAt[i], -1) << i;
    }

    paintCushion(image, TreemapItem{{-5, 5.5, 7.5, 10}, 1, true, 0, {}}, 0xFF000000 | 200, 3);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 10; ++x) {
            const bool inside = x < 3 && y >= 6;  // [0, round(2.5) = 3) x [round(5.5) = 6, 8)
            EXPECT_EQ(image.itemAt[y * 10 + x], inside ? 3 : -1) << x << "," << y;
            EXPECT_EQ(image.pixels[y * 10 + x],
                      inside ? shaded(200, flatIntensity()) : kBackground);
        }
    }
}

TEST(TreemapRender, AFolderDrawnWholeTakesTheColourOfItsLargestFile) {
    TreeBuilder tree;
    const scan::FileKind zip = kindOf(u"a.zip");
    const scan::FileKind text = kindOf(u"a.txt");
    const scan::NodeId sub = tree.addChildren(0, {file(300, text), folder()});
    tree.addChildren(sub + 1, {file(100, text), file(500, zip)});
    const auto store = tree.finish();
    const KindColours colours;

    EXPECT_EQ(dominantKind(*store, 0, scan::MeasureCurrentSize), zip);
    EXPECT_EQ(dominantKind(*store, sub, scan::MeasureCurrentSize), text);
    EXPECT_EQ(dominantKind(*store, 0, scan::MeasureAddedMonth), scan::KindFolder)
        << "nothing was added: stop at the folder";

    const TreemapImage image = renderTreemap(*store, 0, 2, 4, colours, {});
    ASSERT_EQ(image.items.size(), 1u);
    EXPECT_EQ(image.pixels[0], shaded(colours.colourOf(zip), flatIntensity()));
}

TEST(TreemapRender, TheDominantKindLooksAtTheFirst256ChildrenAndEightLevels) {
    TreeBuilder tree;
    std::vector<testing::ChildRow> wide(300, file(10, 5));
    wide[100] = file(20, 6);
    wide[101] = file(20, 7);
    wide[299] = file(1000, 8);
    const scan::NodeId first = tree.addChildren(0, {folder(), folder()});
    tree.addChildren(first, wide);
    scan::NodeId deep = first + 1;
    for (int level = 0; level < 9; ++level) {
        deep = tree.addChildren(deep, {folder()});
    }
    tree.addChildren(deep, {file(1, 9)});
    const auto store = tree.finish();

    EXPECT_EQ(dominantKind(*store, first, 0), 6) << "the first of two equals, 299 is not looked at";
    EXPECT_EQ(dominantKind(*store, first + 1, 0), scan::KindFolder) << "8 levels down is a folder";
}

// Random trees, all files large enough to be drawn: every pixel belongs to a drawn item whose
// rounded rectangle holds it, and ridges make the middle of a file brighter than its corners.
TEST(TreemapRender, EveryPixelBelongsToTheDrawnItemAroundIt) {
    std::mt19937 random(7);
    TreeBuilder tree;
    std::vector<scan::NodeId> folders = {0};
    for (std::size_t f = 0; f < folders.size() && folders.size() < 30; ++f) {
        std::vector<testing::ChildRow> children;
        for (int i = 0; i < 12; ++i) {
            children.push_back(i % 4 == 0 ? folder() : file(1000 + random() % 100'000, 4 + i % 5));
        }
        const scan::NodeId first = tree.addChildren(folders[f], children);
        for (scan::NodeId i = 0; i < 12; i += 4) {
            folders.push_back(first + i);
        }
    }
    const auto store = tree.finish();
    const TreemapImage image = renderTreemap(*store, 0, 800, 600, KindColours(), {});

    for (int y = 0; y < 600; ++y) {
        for (int x = 0; x < 800; ++x) {
            const std::int32_t owner = image.itemAt[y * 800 + x];
            ASSERT_GE(owner, 0) << x << "," << y;
            const TreemapItem& item = image.items[owner];
            ASSERT_TRUE(item.drawn);
            ASSERT_GE(x, std::lround(item.rect.x));
            ASSERT_LT(x, std::lround(item.rect.x + item.rect.w));
            ASSERT_GE(y, std::lround(item.rect.y));
            ASSERT_LT(y, std::lround(item.rect.y + item.rect.h));
        }
    }
}

// One level of files: each cushion is its own ridge alone, brightest a little up and left of its
// middle and darkest in its bottom right corner, so neighbours are set apart by shading alone.
TEST(TreemapRender, ARidgeLightsTheMiddleAndDarkensTheFarCorner) {
    TreeBuilder tree;
    tree.addChildren(0, {file(500, 5), file(300, 5), file(200, 5), file(100, 5)});
    const auto store = tree.finish();
    const TreemapImage image = renderTreemap(*store, 0, 400, 300, KindColours(), {});
    ASSERT_EQ(image.items.size(), 5u);
    auto green = [&](int x, int y) { return image.pixels[y * 400 + x] >> 8 & 0xFF; };
    for (std::size_t i = 1; i < image.items.size(); ++i) {
        SCOPED_TRACE(i);
        const Rect& r = image.items[i].rect;
        const int left = static_cast<int>(std::lround(r.x));
        const int top = static_cast<int>(std::lround(r.y));
        const int right = static_cast<int>(std::lround(r.x + r.w)) - 1;
        const int bottom = static_cast<int>(std::lround(r.y + r.h)) - 1;
        const int cx = (left + right) / 2;
        const int cy = (top + bottom) / 2;
        EXPECT_GT(green(cx, cy), green(right, bottom) + 40);
        EXPECT_GT(green(cx, cy), green(left, top));
        EXPECT_GT(green(left, top), green(right, bottom));
    }
}

TEST(TreemapRender, BlocksAndNodesCanBeFoundByIdAfterwards) {
    TreeBuilder tree;
    std::vector<testing::ChildRow> children(500, file(1));
    children.push_back(file(5000, 5));
    const scan::NodeId first = tree.addChildren(0, children);
    const auto store = tree.finish();
    TreemapOptions options;
    options.spaceBlocks = {{FreeSpaceId, u"Free space", 4000, 0xFF102030}};
    const TreemapImage image = renderTreemap(*store, 0, 60, 60, KindColours(), options);

    ASSERT_EQ(image.blockInfo.size(), 1u);
    EXPECT_TRUE(image.blockInfo.at(FreeSpaceId).label == u"Free space");
    EXPECT_EQ(image.blockInfo.at(FreeSpaceId).size, 4000);
    ASSERT_NE(image.nodeRects.find(0), nullptr);
    EXPECT_EQ(*image.nodeRects.find(0), (Rect{0, 0, 60, 60}));
    const scan::NodeId large = first + 500;
    ASSERT_NE(image.nodeRects.find(large), nullptr);
    EXPECT_EQ(image.nodeRects.find(first), nullptr) << "a small-items rectangle is no node's own";
    EXPECT_EQ(image.nodeRects.find(static_cast<scan::NodeId>(FreeSpaceId)), nullptr);

    bool sawSmall = false;
    for (std::size_t i = 0; i < image.pixels.size(); ++i) {
        const TreemapItem& item = image.items[image.itemAt[i]];
        sawSmall = sawSmall || item.hiddenCount == 500;
    }
    const auto block = std::find_if(image.items.begin(), image.items.end(),
                                    [](const TreemapItem& i) { return i.node == FreeSpaceId; });
    ASSERT_NE(block, image.items.end());
    const int x = static_cast<int>(block->rect.x + block->rect.w / 2);
    const int y = static_cast<int>(block->rect.y + block->rect.h / 2);
    const CushionSurface& s = block->surface;
    const double intensity =
        cushionIntensity(-(2 * s.ax * (x + 0.5) + s.bx), -(2 * s.ay * (y + 0.5) + s.by));
    EXPECT_EQ(image.pixels[y * 60 + x], shaded(0x102030, intensity)) << "the block's own colour";
    EXPECT_TRUE(sawSmall);
}

TEST(NodeRects, KeepEachNodesLargestRectangleAndOnlyNodes) {
    const auto item = [](Rect rect, std::int32_t node, std::uint32_t hidden = 0) {
        TreemapItem made;
        made.rect = rect;
        made.node = node;
        made.hiddenCount = hidden;
        return made;
    };
    const std::vector<TreemapItem> items = {
        item({0, 0, 10, 10}, 7), item({0, 0, 40, 40}, 7),  item({5, 5, 2, 2}, 7),
        item({0, 0, 90, 90}, 3), item({1, 1, 5, 5}, 9, 4), item({2, 2, 8, 8}, -1),
    };
    NodeRects rects;
    rects.assign(items);
    EXPECT_EQ(rects.size(), 2u);
    ASSERT_NE(rects.find(7), nullptr);
    EXPECT_EQ(*rects.find(7), (Rect{0, 0, 40, 40}));
    ASSERT_NE(rects.find(3), nullptr);
    EXPECT_EQ(*rects.find(3), (Rect{0, 0, 90, 90}));
    EXPECT_EQ(rects.find(9), nullptr) << "a small-items rectangle";
    EXPECT_EQ(rects.find(5), nullptr);
}

}  // namespace
}  // namespace treemap
