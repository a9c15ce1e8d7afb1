#include "treemap/view_geometry.h"
#include "treemap/zoom_animation.h"

#include <gtest/gtest.h>

#include <string>

namespace treemap {
namespace {

TreemapItem drawnItem(const Rect& rect, std::int32_t node) {
    TreemapItem item;
    item.rect = rect;
    item.node = node;
    return item;
}

// A 4 × 2 picture: item 0 on the left half, item 1 on the right, the last pixel uncovered.
TreemapImage fourByTwo() {
    TreemapImage picture;
    picture.width = 4;
    picture.height = 2;
    picture.items = {drawnItem({0, 0, 2, 2}, 5), drawnItem({2, 0, 2, 2}, 6)};
    picture.itemAt = {0, 0, 1, 1, 0, 0, 1, -1};
    picture.pixels.assign(8, kBackground);
    return picture;
}

TEST(ViewGeometry, ClientPointsMapToPicturePixelsByTruncation) {
    const TreemapImage picture = fourByTwo();
    struct Case {
        ClientSize client;
        int x, y;
        std::int32_t item;
    };
    const Case cases[] = {
        {{4, 2}, 0, 0, 0},
        {{4, 2}, 2, 0, 1},
        {{4, 2}, 3, 1, -1},
        {{4, 2}, 4, 0, -1},
        {{4, 2}, 0, 2, -1},
        // Stretched to twice the size while a build for the new size runs.
        {{8, 4}, 3, 3, 0},
        {{8, 4}, 4, 0, 1},
        {{8, 4}, 7, 3, -1},
        {{8, 4}, 8, 0, -1},
        // Shrunk to half: client pixel 1 is picture pixel 2.
        {{2, 1}, 1, 0, 1},
        // Coordinates arrive signed; far enough left is outside.
        {{8, 4}, -2, 0, -1},
        {{4, 2}, 0, -1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.client.width) + " wide, at " + std::to_string(c.x) + "," +
                     std::to_string(c.y));
        const auto item = itemIndexAt(picture, c.client, c.x, c.y);
        ASSERT_TRUE(item);
        EXPECT_EQ(*item, c.item);
    }
    EXPECT_FALSE(itemIndexAt(TreemapImage{}, {4, 2}, 0, 0)) << "no picture";
    EXPECT_FALSE(itemIndexAt(picture, {0, 2}, 0, 0)) << "no client width";
    EXPECT_FALSE(itemIndexAt(picture, {4, 0}, 0, 0)) << "no client height";
}

TEST(ViewGeometry, HoverFrameIsTheRoundedRectangleShrunkByOne) {
    TreemapImage picture;
    picture.width = 10;
    picture.height = 10;
    picture.items = {drawnItem({1.2, 0.4, 3.0, 2.0}, 1), drawnItem({0.5, 0.5, 4.0, 4.0}, 2),
                     drawnItem({2.5, 2.5, 0.4, 0.4}, 3)};
    struct Case {
        const char* name;
        ClientSize client;
        std::int32_t item;
        std::optional<PixelRect> frame;
    };
    const Case cases[] = {
        // (2.4, 0.8)–(8.4, 4.8) rounds to (2, 1)–(8, 5).
        {"stretched twice", {20, 20}, 0, PixelRect{3, 2, 7, 4}},
        // (0.5, 0.5)–(4.5, 4.5) rounds to (1, 1)–(5, 5).
        {"halves round away from zero", {10, 10}, 1, PixelRect{2, 2, 4, 4}},
        {"no halves", {20, 20}, 1, PixelRect{2, 2, 8, 8}},
        {"too small to frame", {20, 20}, 2, std::nullopt},
        {"no such item", {20, 20}, 3, std::nullopt},
        {"no hover", {20, 20}, -1, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(hoverFrame(picture, c.client, c.item), c.frame);
    }
}

TEST(ViewGeometry, SmallSelectionsAreFramedLargerSoTheyShow) {
    TreemapImage picture;
    picture.width = 100;
    picture.height = 100;
    picture.nodeRects = {
        {1, {10, 10, 40, 30}}, {2, {10, 10, 25, 30}}, {3, {60.5, 60.5, 1, 1}}, {4, {80, 80, 0, 0}}};
    struct Case {
        const char* name;
        std::int32_t node;
        PixelRect outer;
        std::optional<PixelRect> inner;
    };
    const Case cases[] = {
        {"large enough", 1, {10, 10, 50, 40}, PixelRect{12, 12, 48, 38}},
        {"narrower than 26", 2, {8, 8, 37, 42}, PixelRect{10, 10, 35, 40}},
        {"a single pixel", 3, {59, 59, 64, 64}, PixelRect{61, 61, 62, 62}},
        {"no area at all", 4, {78, 78, 82, 82}, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto frame = selectionFrame(picture, {100, 100}, c.node);
        ASSERT_TRUE(frame);
        EXPECT_EQ(frame->outer, c.outer);
        EXPECT_EQ(frame->inner, c.inner);
    }
    EXPECT_FALSE(selectionFrame(picture, {100, 100}, 5)) << "not in the picture";
    EXPECT_FALSE(selectionFrame(picture, {100, 100}, -1)) << "nothing selected";
}

TEST(ZoomAnimation, EasesInAndOut) {
    const double expected[][2] = {{0, 0}, {0.25, 0.125}, {0.5, 0.5}, {0.75, 0.875}, {1, 1}};
    for (const auto& [p, e] : expected) {
        EXPECT_DOUBLE_EQ(easedProgress(p), e) << p;
    }
    EXPECT_DOUBLE_EQ(zoomFactor({100, 50, 100, 50}, {400, 200}), 4);
    EXPECT_DOUBLE_EQ(zoomFactor({0, 0, 100, 20}, {400, 200}), 10) << "the tighter side decides";
    EXPECT_DOUBLE_EQ(zoomFactor({0, 0, 350, 180}, {400, 200}), 1.45) << "never less";
    EXPECT_DOUBLE_EQ(zoomFactor({0, 0, 0, 0}, {400, 200}), 400) << "a side under 1 counts as 1";
}

TEST(ZoomAnimation, FramesRunFromTheTargetToTheEnlargedViewAndStopExactlyThere) {
    // A 100 × 50 target centred at (150, 75) in a 400 × 200 client: zoom factor 4.
    ZoomAnimation animation;
    animation.target = {100, 50, 100, 50};
    animation.start = 5000;
    const PixelRect atTarget{-50, -25, 350, 175};     // own size, centred on the target
    const PixelRect enlarged{-600, -300, 1000, 500};  // 4 times, centred in the view
    const PixelRect halfway{-325, -163, 675, 337};    // 2.5 times, centre (175, 87.5)
    struct Case {
        ZoomDirection direction;
        std::uint64_t now;
        PixelRect destination;
        bool finished;
    };
    const Case cases[] = {
        {ZoomDirection::In, 5000, atTarget, false},
        {ZoomDirection::In, 4000, atTarget, false},  // a clock reading before the start
        {ZoomDirection::In, 5160, halfway, false},
        {ZoomDirection::In, 5319, {}, false},
        {ZoomDirection::In, 5320, enlarged, true},
        {ZoomDirection::In, 9000, enlarged, true},  // a late last frame lands on the same spot
        {ZoomDirection::Out, 5000, enlarged, false},
        {ZoomDirection::Out, 5320, atTarget, true},
        {ZoomDirection::Out, 6000, atTarget, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.direction == ZoomDirection::In ? "in" : "out") + " at " +
                     std::to_string(c.now));
        animation.direction = c.direction;
        const AnimationFrame frame = animationFrame(animation, {400, 200}, c.now);
        EXPECT_EQ(frame.finished, c.finished);
        if (c.destination != PixelRect{}) {
            EXPECT_EQ(frame.destination, c.destination);
        }
    }
}

}  // namespace
}  // namespace treemap
