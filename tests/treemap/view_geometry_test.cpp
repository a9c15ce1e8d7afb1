#include "treemap/view_geometry.h"
#include "treemap/zoom_animation.h"

#include <gtest/gtest.h>

#include <cstdlib>
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
    picture.items = {drawnItem({10, 10, 40, 30}, 1), drawnItem({10, 10, 25, 30}, 2),
                     drawnItem({60.5, 60.5, 1, 1}, 3), drawnItem({80, 80, 0, 0}, 4)};
    picture.nodeRects.assign(picture.items);
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

// Arrows move from a rectangle to the item that touches it on that side, nearest its middle.
TEST(ViewGeometry, TheItemBesideIsTheNearestOnThatSide) {
    //   +------+---+---+
    //   |      | 1 | 2 |     0: (0,0,60,60)   1: (60,0,20,30)   2: (80,0,20,30)
    //   |  0   +---+---+     3: (60,30,40,30)
    //   |      |   3   |     4: (0,60,100,40), a space block below everything
    //   +------+-------+
    TreemapImage picture;
    picture.width = 100;
    picture.height = 100;
    picture.items = {drawnItem({0, 0, 60, 60}, 10), drawnItem({60, 0, 20, 30}, 11),
                     drawnItem({80, 0, 20, 30}, 12), drawnItem({60, 30, 40, 30}, 13),
                     drawnItem({0, 60, 100, 40}, -2)};
    TreemapItem container = drawnItem({60, 0, 40, 60}, 20);
    container.drawn = false;
    picture.items.push_back(container);
    struct Case {
        const char* name;
        Rect from;
        Direction direction;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"right of 0: 1 and 3 tie, the first wins", {0, 0, 60, 60}, Direction::Right, 1},
        {"right of 0's lower half is 3", {0, 40, 60, 20}, Direction::Right, 3},
        {"right of 1 is 2", {60, 0, 20, 30}, Direction::Right, 2},
        {"nothing right of 2", {80, 0, 20, 30}, Direction::Right, -1},
        {"left of 2 is 1", {80, 0, 20, 30}, Direction::Left, 1},
        {"left of 3 is 0", {60, 30, 40, 30}, Direction::Left, 0},
        {"down from 2 is 3", {80, 0, 20, 30}, Direction::Down, 3},
        {"up from 3, a tie goes to the first", {60, 30, 40, 30}, Direction::Up, 1},
        {"up from the right of 3 is 2", {85, 30, 15, 30}, Direction::Up, 2},
        {"the space block below is passed over", {0, 0, 60, 60}, Direction::Down, -1},
        {"nothing above the top", {0, 0, 60, 60}, Direction::Up, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(itemBeside(picture, c.from, c.direction), c.expected);
    }
}

TEST(ZoomAnimation, EasesInAndOut) {
    const double expected[][2] = {{0, 0}, {0.25, 0.125}, {0.5, 0.5}, {0.75, 0.875}, {1, 1}};
    for (const auto& [p, e] : expected) {
        EXPECT_DOUBLE_EQ(easedProgress(p), e) << p;
    }
}

// Where the frame puts a client rectangle of the snapshot.
Rect placed(const SnapshotPlacement& p, const Rect& r) {
    return {p.left + p.scaleX * r.x, p.top + p.scaleY * r.y, p.scaleX * r.w, p.scaleY * r.h};
}

void expectSameRect(const Rect& actual, const Rect& expected) {
    EXPECT_NEAR(actual.x, expected.x, 1e-9);
    EXPECT_NEAR(actual.y, expected.y, 1e-9);
    EXPECT_NEAR(actual.w, expected.w, 1e-9);
    EXPECT_NEAR(actual.h, expected.h, 1e-9);
}

TEST(ZoomAnimation, StartsWhereThePictureIsAndEndsExactlyOnTheTarget) {
    const ClientSize client{400, 200};
    const Rect view{0, 0, 400, 200};
    // A target of the client's shape, and one that is wider than the client's shape.
    const Rect targets[] = {{100, 50, 100, 50}, {40, 20, 160, 40}, {0.5, 0.25, 399, 199.5}};
    for (const Rect& target : targets) {
        for (const ZoomDirection direction : {ZoomDirection::In, ZoomDirection::Out}) {
            SCOPED_TRACE(testing::Message()
                         << (direction == ZoomDirection::In ? "in" : "out") << " toward "
                         << target.x << "," << target.y << " " << target.w << "x" << target.h);
            ZoomAnimation animation;
            animation.target = target;
            animation.direction = direction;
            animation.start = 5000;
            for (const std::uint64_t now : {std::uint64_t{5000}, std::uint64_t{4000}}) {
                const AnimationFrame first = animationFrame(animation, client, now);
                EXPECT_FALSE(first.finished);
                expectSameRect(placed(first.placement, view), view);
                EXPECT_EQ(first.destination, (PixelRect{0, 0, 400, 200}));
            }
            for (const std::uint64_t now : {std::uint64_t{5320}, std::uint64_t{9000}}) {
                const AnimationFrame last = animationFrame(animation, client, now);
                EXPECT_TRUE(last.finished);
                if (direction == ZoomDirection::In) {
                    expectSameRect(placed(last.placement, target), view);
                } else {
                    expectSameRect(placed(last.placement, view), target);
                }
            }
            EXPECT_FALSE(animationFrame(animation, client, 5319).finished);
        }
    }
}

TEST(ZoomAnimation, FramesMoveSmoothlyBetweenTheEnds) {
    // A 100 × 50 target centred at (150, 75) in a 400 × 200 client: four times at the end.
    ZoomAnimation animation;
    animation.target = {100, 50, 100, 50};
    animation.start = 5000;
    struct Case {
        ZoomDirection direction;
        std::uint64_t now;
        PixelRect destination;
    };
    const Case cases[] = {
        // Halfway: 2.5 times, the target's centre halfway to the view's, at (175, 87.5).
        {ZoomDirection::In, 5160, {-200, -100, 800, 400}},
        {ZoomDirection::In, 5320, {-400, -200, 1200, 600}},
        // Halfway out: 0.625 times, the view's centre halfway to the target's.
        {ZoomDirection::Out, 5160, {50, 25, 300, 150}},
        {ZoomDirection::Out, 5320, {100, 50, 200, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << (c.direction == ZoomDirection::In ? "in" : "out") << " at " << c.now);
        animation.direction = c.direction;
        EXPECT_EQ(animationFrame(animation, {400, 200}, c.now).destination, c.destination);
    }
    // No frame jumps: a millisecond moves every edge by less than the end scale allows.
    for (const ZoomDirection direction : {ZoomDirection::In, ZoomDirection::Out}) {
        animation.direction = direction;
        PixelRect previous = animationFrame(animation, {400, 200}, 5000).destination;
        for (std::uint64_t now = 5001; now <= 5320; ++now) {
            const PixelRect next = animationFrame(animation, {400, 200}, now).destination;
            EXPECT_LE(std::abs(next.left - previous.left), 20) << now;
            EXPECT_LE(std::abs(next.right - previous.right), 20) << now;
            previous = next;
        }
    }
}

}  // namespace
}  // namespace treemap
