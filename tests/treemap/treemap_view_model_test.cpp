#include "treemap/treemap_view_model.h"

#include "test_tree.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

namespace treemap {
namespace {

using testing::file;
using testing::folder;
using testing::TreeBuilder;

// Stands in for the view's message queue: finished builds wait here until the test hands them to
// the model, as the window does when their message arrives.
class Inbox : public BuildNotifier {
  public:
    void buildFinished(std::uint32_t generation, std::unique_ptr<BuildResult> result) override {
        std::lock_guard lock(mutex_);
        queue_.emplace_back(generation, std::move(result));
        arrived_.notify_all();
    }

    std::pair<std::uint32_t, std::unique_ptr<BuildResult>> next() {
        std::unique_lock lock(mutex_);
        const bool arrived =
            arrived_.wait_for(lock, std::chrono::seconds(60), [&] { return !queue_.empty(); });
        if (!arrived) {
            ADD_FAILURE() << "no build arrived";
            return {0, nullptr};
        }
        auto front = std::move(queue_.front());
        queue_.pop_front();
        return front;
    }

  private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<std::pair<std::uint32_t, std::unique_ptr<BuildResult>>> queue_;
};

class TreemapViewModelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        model_.deliverTo(inbox_);
        model_.setColours(&colours_);
    }
    // No build may outlive the test.
    void TearDown() override {
        while (model_.schedule().building() && inbox_) {
            deliver();
        }
    }

    // Hands the next finished build to the model; true when it was accepted.
    bool deliver() {
        auto [generation, result] = inbox_->next();
        return model_.acceptBuild(generation, std::move(result));
    }

    // A point of the client (the same size as the picture) where item `index` is painted.
    std::pair<int, int> pointOf(std::int32_t index) const {
        const TreemapImage& picture = *model_.picture();
        for (std::size_t at = 0; at < picture.itemAt.size(); ++at) {
            if (picture.itemAt[at] == index) {
                return {static_cast<int>(at % static_cast<std::size_t>(picture.width)),
                        static_cast<int>(at / static_cast<std::size_t>(picture.width))};
            }
        }
        ADD_FAILURE() << "item " << index << " owns no pixel";
        return {-1, -1};
    }

    template <class Match>
    std::int32_t itemWhere(Match match) const {
        const auto& items = model_.picture()->items;
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (items[i].drawn && match(items[i])) {
                return static_cast<std::int32_t>(i);
            }
        }
        ADD_FAILURE() << "no such item";
        return -1;
    }

    void hover(std::int32_t index) {
        const auto [x, y] = pointOf(index);
        model_.hitTest(x, y);
        ASSERT_EQ(model_.hoverItem(), index);
    }

    std::shared_ptr<Inbox> inbox_ = std::make_shared<Inbox>();
    KindColours colours_;
    TreemapViewModel model_;
};

std::shared_ptr<scan::NodeStore> filesOnly(int count) {
    TreeBuilder tree;
    std::vector<testing::ChildRow> files;
    for (int i = 0; i < count; ++i) {
        files.push_back(file(100 + static_cast<std::uint64_t>(i), 5));
    }
    tree.addChildren(0, files);
    return tree.finish();
}

TEST_F(TreemapViewModelTest, APictureOfThePreviousStoreIsNeverShownOverTheNewOne) {
    const auto before = filesOnly(40);
    const auto after = filesOnly(3);
    model_.setStore(before);
    model_.resize({200, 100});
    ASSERT_TRUE(model_.schedule().building());

    // A new scan opens while the old picture is still being built.
    model_.setStore(after);
    EXPECT_EQ(model_.picture(), nullptr);
    EXPECT_FALSE(model_.requestPicture()) << "one build at a time";
    EXPECT_TRUE(model_.schedule().buildPending());

    EXPECT_FALSE(deliver()) << "the old store's picture is dropped";
    EXPECT_EQ(model_.picture(), nullptr);
    EXPECT_TRUE(model_.schedule().building()) << "the pending request started at once";
    EXPECT_TRUE(deliver());
    ASSERT_NE(model_.picture(), nullptr);
    const TreemapImage expected = renderTreemap(*after, 0, 200, 100, colours_, {});
    EXPECT_EQ(model_.picture()->items.size(), expected.items.size());
    for (const TreemapItem& item : model_.picture()->items) {
        EXPECT_LT(static_cast<std::uint64_t>(item.node), after->publishedCount());
    }
}

TEST_F(TreemapViewModelTest, AResizeDuringABuildIsServedByTheNextBuild) {
    model_.setStore(filesOnly(10));
    model_.resize({200, 100});
    model_.resize({300, 150});
    EXPECT_TRUE(model_.schedule().buildPending());

    // The first picture arrives for the old size and is shown stretched meanwhile.
    auto [generation, result] = inbox_->next();
    ASSERT_NE(result, nullptr);
    result->milliseconds = 600;
    EXPECT_TRUE(model_.acceptBuild(generation, std::move(result)));
    EXPECT_EQ(model_.picture()->width, 200);
    EXPECT_NEAR(model_.schedule().minRebuildInterval(), 0.6 / 0.65, 1e-9)
        << "the interval follows the build's time";
    EXPECT_TRUE(model_.schedule().building());

    EXPECT_TRUE(deliver());
    EXPECT_EQ(model_.picture()->width, 300);
    EXPECT_EQ(model_.picture()->height, 150);
    EXPECT_FALSE(model_.schedule().building());
    EXPECT_FALSE(model_.schedule().buildPending());
}

TEST_F(TreemapViewModelTest, WhileRecyclingABuildDrawsIntoTheSpentPictureAndDrawsItAfresh) {
    model_.setRecycling(true);
    const std::shared_ptr<scan::NodeStore> store = filesOnly(40);
    model_.setStore(store);
    model_.resize({300, 200});
    ASSERT_TRUE(deliver());
    const std::uint32_t* firstBuffer = model_.picture()->pixels.data();
    model_.resize({200, 100});  // a smaller picture whose old one is kept for the next
    ASSERT_TRUE(deliver());
    model_.resize({250, 120});
    ASSERT_TRUE(deliver());

    const TreemapImage& reused = *model_.picture();
    EXPECT_EQ(reused.pixels.data(), firstBuffer) << "the first picture's buffer was drawn into";
    const TreemapImage fresh = renderTreemap(*store, 0, 250, 120, colours_, {});
    EXPECT_EQ(reused.width, 250);
    EXPECT_EQ(reused.items.size(), fresh.items.size());
    EXPECT_EQ(reused.pixels, fresh.pixels);
    EXPECT_EQ(reused.itemAt, fresh.itemAt);
    EXPECT_EQ(reused.nodeRects.size(), fresh.nodeRects.size());

    model_.setRecycling(false);
    model_.resize({260, 120});
    ASSERT_TRUE(deliver());
    EXPECT_NE(model_.picture(), nullptr);
}

TEST_F(TreemapViewModelTest, NothingIsBuiltWithoutSomethingToShow) {
    EXPECT_FALSE(model_.requestPicture()) << "no store";
    model_.setStore(std::make_shared<scan::NodeStore>());
    model_.resize({200, 100});
    EXPECT_FALSE(model_.schedule().building()) << "no published row";

    model_.setStore(filesOnly(2));
    for (const ClientSize size : {ClientSize{1, 100}, ClientSize{200, 1}, ClientSize{0, 0}}) {
        model_.resize(size);
        EXPECT_FALSE(model_.schedule().building());
    }
    model_.setColours(nullptr);
    model_.resize({200, 100});
    EXPECT_FALSE(model_.schedule().building()) << "no colours";
}

TEST_F(TreemapViewModelTest, ABuildThatCannotBeDeliveredDoesNotStopLaterBuilds) {
    // No window has this handle, so posting the result fails.
    model_.deliverTo(std::uintptr_t{0x7A5F0});
    inbox_.reset();
    model_.setStore(filesOnly(10));
    model_.resize({200, 100});
    ASSERT_TRUE(model_.schedule().building());

    // The progress tick keeps asking; once the lost build has ended a new one starts.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    bool started = false;
    while (!started && std::chrono::steady_clock::now() < deadline) {
        started = model_.requestPicture();
        std::this_thread::yield();
    }
    EXPECT_TRUE(started);
    const std::uint32_t last = model_.schedule().generation();
    while (!model_.schedule().lostBuilds()->has(last) &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::yield();
    }
    EXPECT_TRUE(model_.schedule().lostBuilds()->has(last));
}

// The root holds folder A (one large file and 1,000 files too small for a pixel each) and
// folder B, plus a block of free space beside them.
class ZoomTest : public TreemapViewModelTest {
  protected:
    void SetUp() override {
        TreemapViewModelTest::SetUp();
        TreeBuilder tree;
        const scan::NodeId first = tree.addChildren(0, {folder(), folder()});
        a_ = first;
        std::vector<testing::ChildRow> files{file(10'000, 5)};
        files.insert(files.end(), 1000, file(1, 6));
        big_ = tree.addChildren(a_, files);
        tree.addChildren(first + 1, {file(10'000, 7)});
        store_ = tree.finish();
        model_.setStore(store_);
        model_.options().spaceBlocks = {{FreeSpaceId, u"Free space", 5000, 0xFF2E2E32}};
        model_.resize({100, 100});
        ASSERT_TRUE(deliver());
    }

    Rect rectOfA() const { return *model_.picture()->nodeRects.find(a_); }

    std::shared_ptr<scan::NodeStore> store_;
    scan::NodeId a_ = 0;
    scan::NodeId big_ = 0;
};

TEST_F(ZoomTest, DoubleClickingAFileZoomsIntoItsFolderWithAnimation) {
    const Rect from = rectOfA();
    const std::vector<std::uint32_t> shown = model_.picture()->pixels;
    const auto big = static_cast<std::int32_t>(big_);
    hover(itemWhere([&](const TreemapItem& i) { return i.node == big; }));

    ASSERT_TRUE(model_.zoomIntoHovered(1000, true));
    ASSERT_EQ(model_.zoomStack().size(), 2u);
    EXPECT_EQ(model_.zoomStack().back().node, a_);
    EXPECT_EQ(model_.zoomStack().back().rect, from);
    ASSERT_NE(model_.animation(), nullptr);
    EXPECT_EQ(model_.animation()->direction, ZoomDirection::In);
    EXPECT_EQ(model_.animation()->target, from);
    EXPECT_EQ(model_.animation()->start, 1000u);
    EXPECT_EQ(model_.animation()->pixels, shown) << "the previous picture is what moves";
    EXPECT_EQ(model_.animationFrame(1320)->finished, true);

    ASSERT_TRUE(deliver());
    EXPECT_EQ(model_.picture()->root, a_);
    EXPECT_EQ(model_.hoverItem(), -1);

    // Inside A, a double click on one of its files means A again: nothing happens.
    hover(itemWhere([](const TreemapItem& i) { return i.node >= 0 && i.hiddenCount == 0; }));
    EXPECT_FALSE(model_.zoomIntoHovered(1500, true));
    EXPECT_EQ(model_.zoomStack().size(), 2u);
}

TEST_F(ZoomTest, ArrowsStepOverThePictureAndEnterZoomsIntoTheChosenFolder) {
    const std::int32_t topLeft = model_.nodeOfItem(model_.picture()->itemAt.front());
    ASSERT_GE(topLeft, 0);
    EXPECT_EQ(model_.nodeBeside(Direction::Down), topLeft) << "nothing chosen yet";
    model_.setSelectedNode(0);
    const std::int32_t into = model_.nodeBeside(Direction::Up);
    ASSERT_GE(into, 1) << "the root's arrows go into it";
    EXPECT_EQ(store_->parent.get(static_cast<scan::NodeId>(into)), 0u) << "one level down";

    const auto big = static_cast<std::int32_t>(big_);
    model_.setSelectedNode(big);
    int moves = 0;
    for (const Direction direction :
         {Direction::Left, Direction::Right, Direction::Up, Direction::Down}) {
        const std::int32_t beside = model_.nodeBeside(direction);
        EXPECT_NE(beside, big);
        moves += beside >= 0 ? 1 : 0;
    }
    EXPECT_GT(moves, 0) << "a file among others has a neighbour";

    // From folder A the arrows reach folder B, not the file inside it: steps stay at the level
    // of the selection. Where nothing lies beside A (the picture's edges) they go into A, one
    // level down.
    model_.setSelectedNode(static_cast<std::int32_t>(a_));
    bool reachedB = false;
    for (const Direction direction :
         {Direction::Left, Direction::Right, Direction::Up, Direction::Down}) {
        const std::int32_t beside = model_.nodeBeside(direction);
        ASSERT_GE(beside, 1);
        const scan::NodeId parent = store_->parent.get(static_cast<scan::NodeId>(beside));
        EXPECT_TRUE(parent == 0 || parent == a_) << "parent " << parent;
        reachedB = reachedB || beside == static_cast<std::int32_t>(a_ + 1);
    }
    EXPECT_TRUE(reachedB);
    model_.setSelectedNode(big);

    // Enter on a file zooms into the folder that holds it, as a double click does.
    ASSERT_TRUE(model_.zoomIntoSelected(1000, false));
    EXPECT_EQ(model_.zoomStack().back().node, a_);
    model_.setSelectedNode(-1);
    EXPECT_FALSE(model_.zoomIntoSelected(1000, false)) << "nothing chosen, nothing to enter";
}

TEST_F(ZoomTest, SmallItemsMeanTheirFolderAndSpaceBlocksMeanNothing) {
    const std::int32_t merged = itemWhere([](const TreemapItem& i) { return i.hiddenCount > 0; });
    EXPECT_EQ(model_.picture()->items[static_cast<std::size_t>(merged)].hiddenCount, 1000u);
    EXPECT_EQ(model_.nodeOfItem(merged), static_cast<std::int32_t>(a_));

    const std::int32_t block =
        itemWhere([](const TreemapItem& i) { return i.node == FreeSpaceId; });
    hover(block);
    EXPECT_EQ(model_.nodeOfItem(block), FreeSpaceId);
    EXPECT_FALSE(model_.zoomIntoHovered(1000, true));
    EXPECT_EQ(model_.zoomStack().size(), 1u);
    EXPECT_FALSE(model_.schedule().building());

    hover(merged);
    EXPECT_TRUE(model_.zoomIntoHovered(1000, true));
    EXPECT_EQ(model_.zoomStack().back().node, a_);
    EXPECT_EQ(model_.nodeOfItem(-1), -1);
    EXPECT_EQ(model_.nodeOfItem(static_cast<std::int32_t>(model_.picture()->items.size())), -1);
}

TEST_F(ZoomTest, ZoomingOutGoesBackTowardWhereTheFolderWas) {
    const Rect from = rectOfA();
    EXPECT_FALSE(model_.zoomOut(900, true)) << "the base entry stays";
    ASSERT_TRUE(model_.zoomIn(static_cast<std::int32_t>(a_), 1000, false));
    EXPECT_EQ(model_.animation(), nullptr) << "animation switched off";
    ASSERT_TRUE(deliver());

    EXPECT_TRUE(model_.zoomOut(2000, true));
    EXPECT_EQ(model_.zoomStack().size(), 1u);
    ASSERT_NE(model_.animation(), nullptr);
    EXPECT_EQ(model_.animation()->direction, ZoomDirection::Out);
    EXPECT_EQ(model_.animation()->target, from);
    ASSERT_TRUE(deliver());
    EXPECT_EQ(model_.picture()->root, 0u);
    EXPECT_FALSE(model_.zoomOut(2100, true));

    // Zoom to top drops the steps and the animation at once.
    ASSERT_TRUE(model_.zoomIn(static_cast<std::int32_t>(a_), 3000, true));
    EXPECT_NE(model_.animation(), nullptr);
    model_.zoomToTop();
    EXPECT_EQ(model_.zoomStack().size(), 1u);
    EXPECT_EQ(model_.animation(), nullptr);
}

TEST_F(ZoomTest, AZoomedFolderThatLeftTheTreeGivesWayToTheRoot) {
    ASSERT_TRUE(model_.zoomIn(static_cast<std::int32_t>(a_), 1000, false));
    ASSERT_TRUE(deliver());
    ASSERT_EQ(model_.picture()->root, a_);

    // Removed.
    store_->flags.set(a_, scan::FlagFolder | scan::FlagRemoved);
    ASSERT_TRUE(model_.requestPicture());
    ASSERT_TRUE(deliver());
    EXPECT_EQ(model_.picture()->root, 0u);

    // Detached: the root's listing was emptied to be read again, leaving A's old rows behind.
    store_->flags.set(a_, scan::FlagFolder);
    ASSERT_TRUE(model_.requestPicture());
    ASSERT_TRUE(deliver());
    ASSERT_EQ(model_.picture()->root, a_);
    store_->firstChild.set(0, 0);
    store_->childCount.set(0, 0);
    ASSERT_TRUE(model_.requestPicture());
    ASSERT_TRUE(deliver());
    EXPECT_EQ(model_.picture()->root, 0u);
}

TEST_F(ZoomTest, OnlyPublishedFoldersCanBeZoomedInto) {
    EXPECT_FALSE(model_.zoomIn(FreeSpaceId, 1000, true));
    EXPECT_FALSE(model_.zoomIn(static_cast<std::int32_t>(big_), 1000, true)) << "a file";
    EXPECT_FALSE(model_.zoomIn(0, 1000, true)) << "already the root";
    EXPECT_FALSE(model_.zoomIn(1'000'000, 1000, true)) << "no such row";
    EXPECT_EQ(model_.zoomStack().size(), 1u);
    EXPECT_FALSE(model_.schedule().building());
}

TEST_F(ZoomTest, ANewStoreForgetsHoverSelectionAndZoom) {
    hover(itemWhere([](const TreemapItem& i) { return i.node >= 0; }));
    EXPECT_TRUE(model_.setSelectedNode(static_cast<std::int32_t>(a_)));
    EXPECT_FALSE(model_.setSelectedNode(static_cast<std::int32_t>(a_)));
    EXPECT_TRUE(model_.selectionFrame());
    EXPECT_TRUE(model_.zoomIn(static_cast<std::int32_t>(a_), 1000, true));
    ASSERT_TRUE(deliver());

    model_.setStore(nullptr);
    EXPECT_EQ(model_.picture(), nullptr);
    EXPECT_EQ(model_.hoverItem(), -1);
    EXPECT_EQ(model_.selectedNode(), -1);
    EXPECT_EQ(model_.zoomStack().size(), 1u);
    EXPECT_EQ(model_.animation(), nullptr);
    EXPECT_FALSE(model_.hitTest(10, 10));
    EXPECT_FALSE(model_.clearHover());
    EXPECT_FALSE(model_.zoomIntoHovered(2000, true));
}

TEST_F(TreemapViewModelTest, AFolderOnlyAPixelWideIsZoomedIntoWithoutAnimation) {
    TreeBuilder tree;
    const scan::NodeId first = tree.addChildren(0, {file(1000), folder()});
    tree.addChildren(first + 1, {file(1)});
    model_.setStore(tree.finish());
    model_.resize({400, 4});
    ASSERT_TRUE(deliver());
    const Rect thin = *model_.picture()->nodeRects.find(first + 1);
    ASSERT_LT(thin.w, 1);

    EXPECT_TRUE(model_.zoomIn(static_cast<std::int32_t>(first + 1), 1000, true));
    EXPECT_EQ(model_.animation(), nullptr);
    EXPECT_EQ(model_.zoomStack().back().rect, thin);
}

}  // namespace
}  // namespace treemap
