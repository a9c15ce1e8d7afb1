// The file list's decisions without a window: rows and expansion, sorting under each measure and
// while a scan grows, selection with focus and anchor, the keyboard, and 64-bit scrolling.

#include "panes/file_list_model.h"

#include "test_tree.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace panes {
namespace {

using treemap::testing::file;
using treemap::testing::folder;
using treemap::testing::TreeBuilder;

constexpr int kDown = 0x28;
constexpr int kUp = 0x26;
constexpr int kLeft = 0x25;
constexpr int kRight = 0x27;
constexpr int kHome = 0x24;
constexpr int kEnd = 0x23;
constexpr int kPageDown = 0x22;
constexpr int kPageUp = 0x21;
constexpr int kReturn = 0x0D;

std::vector<scan::NodeId> nodesOf(const FileListModel& model) {
    std::vector<scan::NodeId> nodes;
    for (const ListRow& row : model.rows()) {
        nodes.push_back(row.node);
    }
    return nodes;
}

// root(0): a(1) folder, b(2) file 50, c(3) folder; a: a1(4) 10, a2(5) 300; c: c1(6) 20.
// Sizes: a 310, b 50, c 20.
class FileListModelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        builder_.addChildren(0, {folder(), file(50), folder()});
        builder_.addChildren(1, {file(10), file(300)});
        builder_.addChildren(3, {file(20)});
        store_ = builder_.finish();
        model_.setClientSize(300, 24 + 18 * 4);  // four rows fit
        model_.attach(store_.get());
        model_.refresh();
    }
    TreeBuilder builder_;
    std::shared_ptr<scan::NodeStore> store_;
    FileListModel model_;
};

TEST_F(FileListModelTest, TheRootOpensByItselfOnceAndChildrenSortLargestFirst) {
    EXPECT_EQ(nodesOf(model_), (std::vector<scan::NodeId>{0, 1, 2, 3}));
    EXPECT_TRUE(model_.rows()[0].expandable);
    EXPECT_TRUE(model_.rows()[1].expandable);
    EXPECT_FALSE(model_.rows()[2].expandable);
    EXPECT_EQ(model_.rows()[1].depth, 1);

    model_.toggleExpanded(1);
    EXPECT_EQ(nodesOf(model_), (std::vector<scan::NodeId>{0, 1, 5, 4, 2, 3}));
    EXPECT_EQ(model_.rows()[2].depth, 2);

    model_.toggleExpanded(0);
    EXPECT_EQ(nodesOf(model_), (std::vector<scan::NodeId>{0}));
    model_.refresh();
    EXPECT_EQ(nodesOf(model_), (std::vector<scan::NodeId>{0})) << "collapsed by the user, it stays";

    model_.collapseAll();
    EXPECT_EQ(nodesOf(model_), (std::vector<scan::NodeId>{0, 1, 2, 3})) << "only the root opens";
}

TEST_F(FileListModelTest, EachMeasureSortsByItsOwnColumnAndNegativesComeLast) {
    // Under "Added in Last Month" only c1 and a1 count, and b holds a value that reads negative.
    store_->addedMonth.set(6, 7);
    store_->addedMonth.set(3, 7);
    store_->addedMonth.set(4, 3);
    store_->addedMonth.set(1, 3);
    store_->addedMonth.set(2, static_cast<std::uint64_t>(-5));
    model_.setMeasure(scan::MeasureAddedMonth);
    model_.refresh();
    EXPECT_EQ(nodesOf(model_), (std::vector<scan::NodeId>{0, 3, 1, 2}));
    model_.setMeasure(scan::MeasureCurrentSize);
    model_.refresh();
    EXPECT_EQ(nodesOf(model_), (std::vector<scan::NodeId>{0, 1, 2, 3}));
}

TEST_F(FileListModelTest, ANewGenerationSortsAgainOnlyWhatTheScanReordered) {
    model_.toggleExpanded(1);
    const std::uint64_t sorts = model_.sortsDone();
    model_.setGeneration(1);
    model_.refresh();
    EXPECT_EQ(model_.sortsDone(), sorts) << "nothing moved, nothing is sorted";

    store_->allocated.set(4, 1000);  // a1 grows past a2
    model_.setGeneration(2);
    model_.refresh();
    EXPECT_EQ(model_.sortsDone(), sorts + 1);
    EXPECT_EQ(nodesOf(model_), (std::vector<scan::NodeId>{0, 1, 4, 5, 2, 3}));
}

TEST_F(FileListModelTest, RemovedNodesLeaveTheRowsButTheirFolderKeepsItsChevron) {
    store_->flags.set(6, scan::FlagRemoved);
    store_->flags.set(2, scan::FlagRemoved);
    model_.refresh();
    EXPECT_EQ(nodesOf(model_), (std::vector<scan::NodeId>{0, 1, 3}));
    EXPECT_TRUE(model_.rows()[2].expandable);
    model_.toggleExpanded(3);
    EXPECT_EQ(nodesOf(model_), (std::vector<scan::NodeId>{0, 1, 3}));
}

TEST_F(FileListModelTest, DeletedNodesAndWhatTheyHoldLeaveTheSelection) {
    model_.toggleExpanded(1);  // rows: 0, 1, 5, 4, 2, 3
    const auto yOf = [](int row) { return 24 + 18 * row + 5; };
    model_.click(100, yOf(2), false, false);
    model_.click(100, yOf(3), true, false);
    model_.click(100, yOf(4), true, false);
    ASSERT_EQ(model_.selection(), (std::set<scan::NodeId>{2, 4, 5}));
    store_->flags.set(1, scan::FlagRemoved);  // a, holding 4 and 5
    model_.refresh();
    EXPECT_EQ(model_.selection(), (std::set<scan::NodeId>{2}));
    store_->flags.set(2, scan::FlagRemoved);
    model_.refresh();
    EXPECT_TRUE(model_.selection().empty());
    EXPECT_EQ(model_.focus(), -1);
}

TEST_F(FileListModelTest, AFocusInsideADeletedFolderGoesWithIt) {
    model_.toggleExpanded(1);  // rows: 0, 1, 5, 4, 2, 3
    const auto yOf = [](int row) { return 24 + 18 * row + 5; };
    model_.click(100, yOf(1), false, false);
    model_.click(100, yOf(2), true, false);  // a, then its child a2 with Ctrl: the focus
    ASSERT_EQ(model_.focus(), 5);
    store_->flags.set(1, scan::FlagRemoved);
    model_.refresh();
    EXPECT_TRUE(model_.selection().empty());
    EXPECT_EQ(model_.focus(), -1) << "commands on the focus would act on a2, out of the totals";
}

TEST_F(FileListModelTest, ClicksWithControlAndShiftBuildTheSelection) {
    model_.toggleExpanded(1);  // rows: 0, 1, 5, 4, 2, 3
    const auto yOf = [](int row) { return 24 + 18 * row + 5; };
    EXPECT_TRUE(model_.click(100, yOf(2), false, false));
    EXPECT_EQ(model_.selection(), (std::set<scan::NodeId>{5}));
    EXPECT_TRUE(model_.click(100, yOf(3), true, false));
    EXPECT_EQ(model_.selection(), (std::set<scan::NodeId>{4, 5}));
    EXPECT_EQ(model_.focus(), 4);
    EXPECT_EQ(model_.anchor(), 4);

    // A Shift range keeps only the anchor's siblings; a node of another parent starts afresh.
    model_.click(100, yOf(1), false, false);
    model_.setScrollY(0);
    EXPECT_TRUE(model_.click(100, yOf(5), false, true));
    EXPECT_EQ(model_.selection(), (std::set<scan::NodeId>{1, 2, 3})) << "a's children skipped";
    EXPECT_EQ(model_.focus(), 3);
    EXPECT_EQ(model_.anchor(), 1);
    EXPECT_TRUE(model_.click(100, yOf(2), false, true));
    EXPECT_EQ(model_.selection(), (std::set<scan::NodeId>{5}));
    EXPECT_EQ(model_.anchor(), 5);

    // Control on the only selected row empties the selection and tells nobody.
    EXPECT_FALSE(model_.click(100, yOf(2), true, false));
    EXPECT_TRUE(model_.selection().empty());
    EXPECT_EQ(model_.focus(), -1);

    // The chevron toggles without selecting.
    const int chevronX = 4 + 13 * 1 + 3;
    EXPECT_FALSE(model_.click(chevronX, yOf(1), false, false));
    EXPECT_FALSE(model_.isExpanded(1));
    EXPECT_TRUE(model_.selection().empty());

    // A right press keeps a selection it lands in and replaces one it misses.
    model_.click(100, yOf(1), false, false);
    model_.click(100, yOf(2), true, false);
    bool hit = false;
    EXPECT_FALSE(model_.rightClick(yOf(1), hit));
    EXPECT_TRUE(hit);
    EXPECT_EQ(model_.selection().size(), 2u);
    EXPECT_TRUE(model_.rightClick(yOf(3), hit));
    EXPECT_EQ(model_.selection(), (std::set<scan::NodeId>{3}));
    EXPECT_FALSE(model_.rightClick(24 + 18 * 10, hit));
    EXPECT_FALSE(hit);
}

TEST_F(FileListModelTest, TheKeyboardMovesTheFocusAsTheTableSays) {
    model_.toggleExpanded(1);  // rows: 0, 1, 5, 4, 2, 3 ; page = 4
    EXPECT_FALSE(model_.key(kUp));
    EXPECT_EQ(model_.focus(), -1);
    EXPECT_TRUE(model_.key(kDown));
    EXPECT_EQ(model_.focus(), 0);
    EXPECT_FALSE(model_.key(kUp));
    EXPECT_TRUE(model_.key(kEnd));
    EXPECT_EQ(model_.focus(), 3);
    EXPECT_FALSE(model_.key(kDown)) << "no row below the last";
    EXPECT_EQ(model_.focus(), 3);
    EXPECT_TRUE(model_.key(kPageUp));
    EXPECT_EQ(model_.focus(), 1) << "row 5 - a page of 4 = row 1";
    EXPECT_TRUE(model_.key(kPageDown));
    EXPECT_EQ(model_.focus(), 3) << "row 1 + 4 = row 5";
    EXPECT_TRUE(model_.key(kHome));
    EXPECT_EQ(model_.focus(), 0);

    // Left on an open folder closes it; on a file it selects the parent; Right opens again.
    model_.reveal(4);
    EXPECT_EQ(model_.focus(), 4);
    EXPECT_TRUE(model_.key(kLeft));
    EXPECT_EQ(model_.focus(), 1);
    EXPECT_FALSE(model_.key(kLeft));
    EXPECT_FALSE(model_.isExpanded(1));
    EXPECT_FALSE(model_.key(kRight));
    EXPECT_TRUE(model_.isExpanded(1));
    EXPECT_EQ(model_.focus(), 1) << "the selection does not move";
    EXPECT_TRUE(model_.key(kRight)) << "on an open folder Right moves to its first child";
    EXPECT_EQ(model_.focus(), 5);
    EXPECT_FALSE(model_.key(kRight)) << "a file has nothing to open";
    EXPECT_EQ(model_.focus(), 5);

    // Enter does what a double click does: it closes and opens the focus folder.
    model_.key(kLeft);
    ASSERT_EQ(model_.focus(), 1);
    EXPECT_FALSE(model_.key(kReturn));
    EXPECT_FALSE(model_.isExpanded(1));
    model_.key(kReturn);
    EXPECT_TRUE(model_.isExpanded(1));
    model_.key(kHome);
    model_.toggleExpanded(0);
    EXPECT_FALSE(model_.key(kLeft)) << "the closed root has no parent";
    EXPECT_EQ(model_.focus(), 0);
}

TEST_F(FileListModelTest, RevealOpensTheAncestorsAndCentresTheRow) {
    model_.toggleExpanded(0);
    EXPECT_TRUE(model_.reveal(6));
    EXPECT_TRUE(model_.isExpanded(0));
    EXPECT_TRUE(model_.isExpanded(3));
    EXPECT_FALSE(model_.isExpanded(6));
    EXPECT_EQ(model_.focus(), 6);
    // rows 0, 1, 2, 3, 6: row 4 centred in a view of 72 pixels, clamped to the end.
    EXPECT_EQ(model_.scrollY(), 18);
    EXPECT_FALSE(model_.reveal(7));
    EXPECT_FALSE(model_.reveal(-1));
}

TEST_F(FileListModelTest, ASelectedRowOnScreenKeepsItsHeightWhenRowsAppearAbove) {
    model_.toggleExpanded(1);                          // 0, 1, 5, 4, 2, 3
    model_.setScrollY(36);                             // rows 2..5 shown
    model_.click(100, 24 + 18 * 3 + 2, false, false);  // c, 54 pixels down the view
    ASSERT_EQ(model_.focus(), 3);
    store_->allocated.set(3, 5000);  // c becomes the largest
    model_.setGeneration(5);
    model_.refresh();  // 0, 3, 1, 5, 4, 2
    EXPECT_EQ(model_.rowOf(3), 1);
    EXPECT_EQ(model_.scrollY(), 0) << "as far as the range allows";
}

TEST(FileListScrolling, TheWheelAndTheBarsCountIn64Bits) {
    EXPECT_EQ(wheelScrollPixels(120, 3, 18, 400), -54);
    EXPECT_EQ(wheelScrollPixels(-240, 3, 18, 400), 108);
    EXPECT_EQ(wheelScrollPixels(120, kWheelPageScroll, 18, 400), -400)
        << "one screen a notch, towards the top";
    EXPECT_EQ(wheelScrollPixels(-120, kWheelPageScroll, 18, 400), 400);
    EXPECT_EQ(wheelScrollPixels(120, 4'000'000'000u - 1, 18, 400), -71'999'999'982);

    const ScrollBarRange small = scrollBarRange(18 * 100, 400, 90);
    EXPECT_EQ(small.unit, 1);
    EXPECT_EQ(small.maximum, 1799);
    EXPECT_EQ(small.page, 400);
    EXPECT_EQ(small.position, 90);
    // 200 million rows of 18 pixels: 3.6e9 pixels, beyond a scroll bar's int.
    const std::int64_t tall = std::int64_t{18} * 200'000'000;
    const ScrollBarRange big = scrollBarRange(tall, 400, tall - 400);
    EXPECT_GT(big.unit, 1);
    EXPECT_LE(big.maximum, std::numeric_limits<int>::max());
    EXPECT_GE(big.page, 0);
    EXPECT_NEAR(static_cast<double>(big.position) * static_cast<double>(big.unit),
                static_cast<double>(tall - 400), static_cast<double>(big.unit));
}

TEST(FileListScrolling, ATallListScrollsToItsEnd) {
    // The model's offsets are 64-bit: a list taller than 2^31 pixels reaches its last row.
    TreeBuilder builder;
    builder.addChildren(0, std::vector<treemap::testing::ChildRow>(3000, file(1)));
    const auto store = builder.finish();
    FileListModel model;
    ListMetrics metrics;
    metrics.rowHeight = 1'000'000;  // 3001 rows of a million pixels
    model.setMetrics(metrics);
    model.setClientSize(300, 24 + 1'000'000);
    model.attach(store.get());
    model.refresh();
    ASSERT_EQ(model.rows().size(), 3001u);
    EXPECT_TRUE(model.key(kEnd));
    EXPECT_EQ(model.scrollY(), std::int64_t{3000} * 1'000'000);
    EXPECT_EQ(model.rowAt(24 + 10), 3000);
    model.wheel(120, 3);
    EXPECT_EQ(model.scrollY(), std::int64_t{2997} * 1'000'000);
}

}  // namespace
}  // namespace panes
