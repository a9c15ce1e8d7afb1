#include "treemap/treemap_layout.h"

#include "scan/measures.h"
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

constexpr scan::FileKind kText = 10;
constexpr scan::FileKind kPicture = 20;

std::vector<TreemapItem> layout(const scan::NodeStore& store, double w, double h,
                                const TreemapOptions& options = {}) {
    return layoutTreemap(store, 0, w, h, options);
}

// The items laid out directly inside `container`, in list order. A small-items rectangle counts:
// its node is one of the merged children.
std::vector<TreemapItem> contentOf(const scan::NodeStore& store,
                                   const std::vector<TreemapItem>& items, scan::NodeId container) {
    std::vector<TreemapItem> content;
    for (std::size_t i = 1; i < items.size(); ++i) {
        if (items[i].node >= 0 &&
            store.parent.get(static_cast<scan::NodeId>(items[i].node)) == container) {
            content.push_back(items[i]);
        }
    }
    return content;
}

TEST(TreemapLayout, SmallAreasAndChildlessRootsAreOneDrawnItemOverTheWholeArea) {
    TreeBuilder empty;
    const auto childless = empty.finish();
    TreeBuilder full;
    full.addChildren(0, {file(5), file(4), file(3)});
    const auto withChildren = full.finish();

    struct Case {
        const char* name;
        const scan::NodeStore& store;
        double w, h;
        bool subdivided;
    };
    const Case cases[] = {
        {"empty folder", *childless, 640, 480, false},
        {"2 x 4", *withChildren, 2, 4, false},
        {"0.5 x 100", *withChildren, 0.5, 100, false},
        {"3 x 3", *withChildren, 3, 3, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto items = layout(c.store, c.w, c.h);
        ASSERT_FALSE(items.empty());
        EXPECT_EQ(items[0].node, 0);
        EXPECT_EQ(items[0].rect, (Rect{0, 0, c.w, c.h}));
        EXPECT_EQ(items[0].surface.ax, 0) << "the root carries no ridge";
        if (c.subdivided) {
            EXPECT_FALSE(items[0].drawn);
            EXPECT_EQ(items.size(), 4u);
        } else {
            EXPECT_TRUE(items[0].drawn);
            EXPECT_EQ(items.size(), 1u);
        }
    }
}

TEST(TreemapLayout, ChildrenWithoutValueUnderTheMeasureAreLeftOut) {
    TreeBuilder tree;
    const scan::NodeId first = tree.addChildren(0, {file(100), file(200), file(300)});
    tree.store().addedMonth.set(first + 2, 300);
    const auto store = tree.finish();

    TreemapOptions month;
    month.measure = scan::MeasureAddedMonth;
    const auto items = layout(*store, 100, 100, month);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_FALSE(items[0].drawn);
    EXPECT_EQ(items[1].node, static_cast<std::int32_t>(first + 2));
    EXPECT_EQ(items[1].rect, (Rect{0, 0, 100, 100}));

    TreemapOptions halfYear;
    halfYear.measure = scan::MeasureAddedHalfYear;
    const auto nothing = layout(*store, 100, 100, halfYear);
    ASSERT_EQ(nothing.size(), 1u) << "a folder with nothing to show is drawn whole";
    EXPECT_TRUE(nothing[0].drawn);
}

TEST(TreemapLayout, FilesOfOneKindStayTogetherAndGroupsGoByTotal) {
    TreeBuilder tree;
    // Row order F, B, C, A: the layout must reorder by group total, then by value.
    const scan::NodeId f =
        tree.addChildren(0, {folder(), file(30, kText), file(45, kPicture), file(50, kText)});
    tree.addChildren(f, {file(40)});
    const auto store = tree.finish();
    const scan::NodeId b = f + 1, c = f + 2, a = f + 3;

    const auto content = contentOf(*store, layout(*store, 400, 300), 0);
    std::vector<std::int32_t> order;
    for (const TreemapItem& item : content) {
        order.push_back(item.node);
    }
    const std::vector<std::int32_t> expected = {
        static_cast<std::int32_t>(a), static_cast<std::int32_t>(b), static_cast<std::int32_t>(c),
        static_cast<std::int32_t>(f)};
    EXPECT_EQ(order, expected) << "text 80, picture 45, folder 40";
}

TEST(TreemapLayout, ItemsUnderOnePixelMergeIntoOneSmallItemsRectangleAfterTheRest) {
    TreeBuilder tree;
    std::vector<testing::ChildRow> children(1000, file(1));
    children.insert(children.begin() + 500, file(10'000));
    const scan::NodeId first = tree.addChildren(0, children);
    const auto store = tree.finish();

    const auto items = layout(*store, 100, 100);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_FALSE(items[0].drawn);
    EXPECT_EQ(items[1].node, static_cast<std::int32_t>(first + 500));
    EXPECT_EQ(items[1].hiddenCount, 0u);
    EXPECT_EQ(items[2].node, static_cast<std::int32_t>(first)) << "the first merged child";
    EXPECT_EQ(items[2].hiddenCount, 1000u);
    EXPECT_NEAR(items[2].rect.area(), 10'000.0 * 1000 / 11'000, 1e-6);
}

TEST(TreemapLayout, SmallItemsUnderOnePixelInTotalAreNotDrawn) {
    TreeBuilder tree;
    const scan::NodeId first = tree.addChildren(0, {file(1), file(1'000'000'000), file(1)});
    const auto store = tree.finish();

    const auto items = layout(*store, 100, 100);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[1].node, static_cast<std::int32_t>(first + 1));
    EXPECT_EQ(items[1].rect, (Rect{0, 0, 100, 100}));
}

TEST(TreemapLayout, NestingStopsAtDepth64AndEveryLevelAddsItsRidge) {
    TreeBuilder tree;
    scan::NodeId parent = 0;
    for (int level = 1; level <= 70; ++level) {
        parent = tree.addChildren(parent, {folder()});
    }
    tree.addChildren(parent, {file(7)});
    const auto store = tree.finish();

    const auto items = layout(*store, 200, 100);
    ASSERT_EQ(items.size(), 65u);
    for (int depth = 0; depth < 64; ++depth) {
        EXPECT_FALSE(items[depth].drawn) << depth;
        EXPECT_EQ(items[depth].node, depth);
    }
    const TreemapItem& deepest = items[64];
    EXPECT_TRUE(deepest.drawn);
    EXPECT_EQ(deepest.node, 64);
    EXPECT_EQ(deepest.rect, (Rect{0, 0, 200, 100}));
    double heights = 0;
    for (int depth = 1; depth <= 64; ++depth) {
        heights += kTopRidgeHeight * std::pow(kRidgeFactor, depth);
    }
    EXPECT_NEAR(deepest.surface.ax, -4 * heights / 200, 1e-12);
    EXPECT_NEAR(deepest.surface.ay, -4 * heights / 100, 1e-12);
}

TEST(TreemapLayout, ARidgePeaksInTheMiddleOfItsRectangle) {
    const Rect rect{10, 20, 40, 10};
    CushionSurface surface;
    addRidge(surface, rect, 0.5);
    EXPECT_DOUBLE_EQ(-surface.bx / (2 * surface.ax), 30);
    EXPECT_DOUBLE_EQ(-surface.by / (2 * surface.ay), 25);
    auto height = [&](double x, double y) {
        return surface.ax * x * x + surface.ay * y * y + surface.bx * x + surface.by * y;
    };
    EXPECT_NEAR(height(30, 25) - height(10, 25), 0.5 * 40, 1e-9);
    EXPECT_NEAR(height(30, 25) - height(30, 20), 0.5 * 10, 1e-9);

    const CushionSurface before = surface;
    addRidge(surface, Rect{0, 0, 0, 10}, 0.5);
    addRidge(surface, Rect{0, 0, 10, -1}, 0.5);
    EXPECT_EQ(surface.ax, before.ax);
    EXPECT_EQ(surface.by, before.by);
}

TEST(Squarify, WideAreasStartWithAColumnAndTallOnesWithAStrip) {
    struct Case {
        const char* name;
        Rect area;
        Rect first;
    };
    const Case cases[] = {
        {"wide", {0, 0, 300, 100}, {0, 0, 200, 100}},
        {"tall", {0, 0, 100, 300}, {0, 0, 100, 200}},
        {"square", {5, 5, 90, 90}, {5, 5, 60, 90}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto placed = squarify({{7, 2}, {8, 1}}, c.area);
        ASSERT_EQ(placed.size(), 2u);
        EXPECT_EQ(placed[0].id, 7);
        EXPECT_NEAR(placed[0].rect.x, c.first.x, 1e-9);
        EXPECT_NEAR(placed[0].rect.y, c.first.y, 1e-9);
        EXPECT_NEAR(placed[0].rect.w, c.first.w, 1e-9);
        EXPECT_NEAR(placed[0].rect.h, c.first.h, 1e-9);
    }
}

TEST(Squarify, ARowGrowsWhileItsWorstRatioDoesNotGetWorseAndKeepsEntryOrder) {
    // 200 x 100, four equal entries: one alone in the first column has ratio 2, two have ratio 2
    // as well (an equal ratio still joins), a third would make it 4.5.
    const auto placed =
        squarify({{1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 0}, {6, -3}}, {0, 0, 200, 100});
    ASSERT_EQ(placed.size(), 4u) << "entries without value get no rectangle";
    const Rect expected[] = {
        {0, 0, 100, 50}, {0, 50, 100, 50}, {100, 0, 100, 50}, {100, 50, 100, 50}};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(placed[i].id, i + 1);
        EXPECT_NEAR(placed[i].rect.x, expected[i].x, 1e-9);
        EXPECT_NEAR(placed[i].rect.y, expected[i].y, 1e-9);
        EXPECT_NEAR(placed[i].rect.w, expected[i].w, 1e-9);
        EXPECT_NEAR(placed[i].rect.h, expected[i].h, 1e-9);
    }

    EXPECT_TRUE(squarify({{1, 4}}, {0, 0, 0, 10}).empty());
    EXPECT_TRUE(squarify({{1, 0}}, {0, 0, 10, 10}).empty());
}

TEST(TreemapLayout, SpaceBlocksJoinTheTopLevelAsGroupsOfTheirOwn) {
    TreeBuilder tree;
    // Row 1 is a folder: its group must not be confused with the free-space block's.
    const scan::NodeId f = tree.addChildren(0, {folder(), file(30, kText)});
    tree.addChildren(f, {file(10)});
    const auto store = tree.finish();

    TreemapOptions options;
    options.spaceBlocks = {{FreeSpaceId, u"Free space", 50, 0xFF2E2E32},
                           {OtherSpaceId, u"Other space on this drive", 0, 0xFF4A4A52}};
    const auto items = layout(*store, 300, 200, options);
    std::vector<std::int32_t> top;
    for (const TreemapItem& item : items) {
        if (item.node < 0 ||
            (item.node > 0 && store->parent.get(static_cast<scan::NodeId>(item.node)) == 0)) {
            top.push_back(item.node);
        }
    }
    const std::vector<std::int32_t> expected = {FreeSpaceId, static_cast<std::int32_t>(f + 1),
                                                static_cast<std::int32_t>(f)};
    EXPECT_EQ(top, expected) << "free 50, text 30, folder 10; the empty block is left out";
    const auto block = std::find_if(items.begin(), items.end(),
                                    [](const TreemapItem& i) { return i.node == FreeSpaceId; });
    EXPECT_NEAR(block->rect.area(), 300.0 * 200 * 50 / 90, 1e-6);
    EXPECT_LT(block->surface.ax, 0) << "a block is a cushion like a file";
}

// Random trees: the content of every container fills it exactly, without overlap, and each
// rectangle's area is proportional to its value.
TEST(TreemapLayout, ContentTilesItsContainerInProportionToTheValues) {
    std::mt19937 random(20240611);
    int containers = 0;
    int smallItems = 0;
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        TreeBuilder tree;
        std::vector<scan::NodeId> folders = {0};
        for (std::size_t f = 0; f < folders.size() && folders.size() < 40; ++f) {
            std::vector<testing::ChildRow> children;
            const int count = 1 + static_cast<int>(random() % 30);
            for (int i = 0; i < count; ++i) {
                if (random() % 5 == 0) {
                    children.push_back(folder());
                } else {
                    // Mostly large values, some tiny ones that end up merged.
                    const std::uint64_t value =
                        random() % 3 == 0 ? 1 + random() % 200 : 1000 + random() % 1'000'000;
                    children.push_back(file(value, static_cast<scan::FileKind>(4 + random() % 6)));
                }
            }
            const scan::NodeId first = tree.addChildren(folders[f], children);
            for (std::size_t i = 0; i < children.size(); ++i) {
                if (children[i].folder) {
                    folders.push_back(first + static_cast<scan::NodeId>(i));
                }
            }
        }
        const auto store = tree.finish();
        const double width = 200 + random() % 1800;
        const double height = 100 + random() % 1000;
        const auto items = layout(*store, width, height);

        for (const TreemapItem& container : items) {
            if (container.drawn) {
                continue;
            }
            ++containers;
            const auto node = static_cast<scan::NodeId>(container.node);
            const auto content = contentOf(*store, items, node);
            ASSERT_FALSE(content.empty());

            double area = 0;
            double shown = 0;
            double perUnit = 0;
            double smallArea = 0;
            for (const TreemapItem& item : content) {
                area += item.rect.area();
                const Rect& r = item.rect;
                const Rect& c = container.rect;
                EXPECT_GE(r.x, c.x - 1e-6);
                EXPECT_GE(r.y, c.y - 1e-6);
                EXPECT_LE(r.x + r.w, c.x + c.w + 1e-6);
                EXPECT_LE(r.y + r.h, c.y + c.h + 1e-6);
                if (item.hiddenCount > 0) {
                    ++smallItems;
                    smallArea = item.rect.area();
                    continue;
                }
                const double value =
                    static_cast<double>(store->allocated.get(static_cast<scan::NodeId>(item.node)));
                shown += value;
                if (perUnit == 0) {
                    perUnit = item.rect.area() / value;
                }
                EXPECT_NEAR(item.rect.area() / value, perUnit, perUnit * 1e-9);
            }
            EXPECT_NEAR(area, container.rect.area(), container.rect.area() * 1e-9);
            if (smallArea > 0) {
                const double merged = static_cast<double>(store->allocated.get(node)) - shown;
                EXPECT_NEAR(smallArea / merged, perUnit, perUnit * 1e-9);
            }
            for (std::size_t i = 0; i < content.size(); ++i) {
                for (std::size_t j = i + 1; j < content.size(); ++j) {
                    const Rect& p = content[i].rect;
                    const Rect& q = content[j].rect;
                    const double overlapW = std::min(p.x + p.w, q.x + q.w) - std::max(p.x, q.x);
                    const double overlapH = std::min(p.y + p.h, q.y + q.h) - std::max(p.y, q.y);
                    EXPECT_FALSE(overlapW > 1e-6 && overlapH > 1e-6) << i << " overlaps " << j;
                }
            }
        }
    }
    EXPECT_GT(containers, 100) << "the trees are deep enough to nest";
    EXPECT_GT(smallItems, 10) << "and hold enough tiny files to merge some";
}

}  // namespace
}  // namespace treemap
