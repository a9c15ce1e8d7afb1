// The pending deletes over a real scan of a small tree: the countdown, what reaches the Recycle
// Bin operation and when, what comes back after an undelete or a refusal, and which requests
// are refused.

#include "deleting/pending_deletes.h"

#include "scan_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace deleting {
namespace {

// Every value a removal touches: all columns of all rows, the per-kind totals and the counters.
std::vector<std::uint64_t> everyTotal(const scan::Scanner& scanner) {
    const scan::NodeStore& store = scanner.store();
    std::vector<std::uint64_t> values;
    for (scan::NodeId row = 0; row < store.publishedCount(); ++row) {
        for (const std::uint64_t value :
             {std::uint64_t{store.flags.get(row)}, store.size.get(row), store.allocated.get(row),
              std::uint64_t{store.fileCount.get(row)}, std::uint64_t{store.firstChild.get(row)},
              std::uint64_t{store.childCount.get(row)}, store.addedMonth.get(row),
              store.addedHalfYear.get(row), store.addedSinceScan.get(row)}) {
            values.push_back(value);
        }
    }
    const scan::KindTotals& kinds = scanner.kindTotals();
    for (std::size_t kind = 0; kind < kinds.size(); ++kind) {
        for (const std::uint64_t value :
             {kinds.allocated(kind), kinds.logical(kind), kinds.addedMonth(kind),
              kinds.addedHalfYear(kind), kinds.addedSinceScan(kind), kinds.files(kind)}) {
            values.push_back(value);
        }
    }
    const scan::ScanCounters& counters = scanner.counters();
    values.push_back(counters.files.get());
    values.push_back(counters.folders.get());
    values.push_back(scanner.removedRows());
    return values;
}

struct Recycled {
    std::u16string path;
    std::int64_t bytes = 0;
};

class PendingDeletesTest : public scan::testing::TempFolder {
  protected:
    void SetUp() override {
        TempFolder::SetUp();
        writeFile("photos/one.jpg", 1000);
        writeFile("photos/two.jpg", 3000);
        writeFile("photos/deeper/three.jpg", 700);
        writeFile("notes.txt", 500);
        scanner_.scan(rootText());
        pending_.setScanner(&scanner_);
        pending_.recycle = [this](const std::u16string& path, std::int64_t bytes,
                                  std::u16string& reason) {
            recycled_.push_back({path, bytes});
            if (refuse_) {
                reason = u"the test refused it";
            }
            return !refuse_;
        };
        pending_.changed = [this] { ++changes_; };
        pending_.failed = [this](const std::u16string& path, const std::u16string& reason) {
            failures_.push_back(path + u" / " + reason);
        };
    }

    std::int32_t find(const std::u16string& relative) const {
        const scan::NodeStore& store = scanner_.store();
        for (scan::NodeId row = 1; row < store.publishedCount(); ++row) {
            if (store.pathOf(row, u'/') == rootText() + u"/" + relative) {
                return static_cast<std::int32_t>(row);
            }
        }
        ADD_FAILURE() << "no row for " << scan::toUtf8(relative);
        return -1;
    }
    bool add(std::int32_t node) {
        const scan::NodeStore& store = scanner_.store();
        const auto row = static_cast<scan::NodeId>(node);
        return pending_.addPending(node, store.pathOf(row, u'/'), store.nameOf(row),
                                   static_cast<std::int64_t>(store.size.get(row)));
    }
    std::uint64_t rootSize() const { return scanner_.store().size.get(0); }
    void tick(int times) {
        for (int i = 0; i < times; ++i) {
            pending_.tick();
        }
    }

    scan::Scanner scanner_{scan::ScanOptions{}};
    PendingDeletes pending_;
    std::vector<Recycled> recycled_;
    std::vector<std::u16string> failures_;
    bool refuse_ = false;
    int changes_ = 0;
};

TEST_F(PendingDeletesTest, AnItemLeavesTheTotalsAtOnceAndReachesTheBinOnTheHundredthTick) {
    const std::uint64_t before = rootSize();
    const std::int32_t one = find(u"photos/one.jpg");
    const auto allocated =
        static_cast<std::int64_t>(scanner_.store().allocated.get(static_cast<scan::NodeId>(one)));
    ASSERT_TRUE(add(one));
    EXPECT_EQ(rootSize(), before - 1000);
    ASSERT_EQ(pending_.items().size(), 1u);
    EXPECT_EQ(pending_.items()[0].name, u"one.jpg");
    EXPECT_EQ(pending_.items()[0].value, 1000);
    EXPECT_EQ(pending_.items()[0].remaining, 10000);
    EXPECT_EQ(changes_, 1);

    tick(99);
    EXPECT_TRUE(recycled_.empty());
    EXPECT_EQ(pending_.items()[0].remaining, 100);
    EXPECT_EQ(changes_, 1) << "ticks that finish nothing only repaint";
    EXPECT_TRUE(pending_.tick());
    ASSERT_EQ(recycled_.size(), 1u);
    EXPECT_EQ(recycled_[0].path, rootText() + u"/photos/one.jpg");
    EXPECT_EQ(recycled_[0].bytes, allocated) << "its size on disk, for the bin's room";
    EXPECT_TRUE(pending_.empty());
    EXPECT_EQ(changes_, 2);
    EXPECT_EQ(rootSize(), before - 1000) << "the space stays freed";
    EXPECT_TRUE(failures_.empty());
    EXPECT_FALSE(pending_.tick()) << "an empty list does not count";
}

TEST_F(PendingDeletesTest, ARefusedItemComesBackWholeAndIsReportedWithTheReason) {
    const std::vector<std::uint64_t> before = everyTotal(scanner_);
    refuse_ = true;
    ASSERT_TRUE(add(find(u"photos")));
    ASSERT_NE(everyTotal(scanner_), before);
    tick(100);
    EXPECT_EQ(everyTotal(scanner_), before);
    ASSERT_EQ(failures_.size(), 1u);
    EXPECT_EQ(failures_[0], rootText() + u"/photos / the test refused it");
    EXPECT_TRUE(pending_.empty());
}

TEST_F(PendingDeletesTest, UndeletingPutsBackExactlyWhatWasTakenOut) {
    const std::vector<std::uint64_t> before = everyTotal(scanner_);
    const std::uint64_t rootBefore = rootSize();
    const std::int32_t photos = find(u"photos");
    const std::int32_t notes = find(u"notes.txt");
    ASSERT_TRUE(add(photos));
    tick(30);
    ASSERT_TRUE(add(notes));
    ASSERT_EQ(pending_.items().size(), 2u);
    EXPECT_EQ(pending_.items()[0].node, notes) << "newest first";
    EXPECT_EQ(pending_.items()[1].remaining, 7000);

    pending_.undelete(1);
    ASSERT_EQ(pending_.items().size(), 1u);
    EXPECT_EQ(pending_.items()[0].node, notes);
    EXPECT_EQ(rootSize(), rootBefore - 500) << "only photos came back";
    pending_.undelete(5);
    EXPECT_EQ(pending_.items().size(), 1u) << "a position past the end is ignored";
    pending_.undeleteAll();
    EXPECT_TRUE(pending_.empty());
    EXPECT_EQ(everyTotal(scanner_), before);

    // Undeleting all, newest first, undoes the removals in reverse.
    ASSERT_TRUE(add(find(u"photos/deeper")));
    ASSERT_TRUE(add(find(u"photos/one.jpg")));
    ASSERT_TRUE(add(notes));
    pending_.undeleteAll();
    EXPECT_EQ(everyTotal(scanner_), before);
    EXPECT_TRUE(recycled_.empty());
}

TEST_F(PendingDeletesTest, RequestsThatOverlapAPendingItemOrCannotBeUndoneAreIgnored) {
    const std::int32_t photos = find(u"photos");
    const std::int32_t one = find(u"photos/one.jpg");
    const std::int32_t three = find(u"photos/deeper/three.jpg");
    ASSERT_TRUE(add(three));
    EXPECT_FALSE(add(photos)) << "a folder holding a pending file";
    EXPECT_FALSE(add(three)) << "the same node twice";
    ASSERT_TRUE(add(one));
    pending_.undeleteAll();
    ASSERT_TRUE(add(photos));
    const int changes = changes_;
    EXPECT_FALSE(add(one)) << "a file inside a pending folder";
    EXPECT_FALSE(add(three)) << "deeper inside a pending folder";
    EXPECT_FALSE(pending_.addPending(0, rootText(), u"", 0)) << "the root";
    const auto outside = static_cast<std::int32_t>(scanner_.store().publishedCount());
    EXPECT_FALSE(pending_.addPending(outside, u"x", u"x", 0)) << "a row past the store";
    EXPECT_FALSE(pending_.addPending(find(u"notes.txt"), u"", u"notes.txt", 0)) << "no path";
    EXPECT_EQ(changes_, changes);
    EXPECT_EQ(pending_.items().size(), 1u);

    // A node that another owner removed already gives no record to put back: never queued.
    PendingDeletes other;
    other.setScanner(&scanner_);
    const std::int32_t notes = find(u"notes.txt");
    scan::RemovalRecord taken = scanner_.removeNode(static_cast<scan::NodeId>(notes));
    EXPECT_FALSE(other.addPending(notes, u"notes.txt", u"notes.txt", 500));
    scanner_.restoreNode(taken);

    PendingDeletes withoutScanner;
    EXPECT_FALSE(withoutScanner.addPending(notes, u"notes.txt", u"notes.txt", 500));
}

TEST_F(PendingDeletesTest, ASelectionIsQueuedFoldersFirstWithoutRowsThatLeftTheTree) {
    const std::int32_t photos = find(u"photos");
    const std::int32_t deeper = find(u"photos/deeper");
    const std::int32_t one = find(u"photos/one.jpg");
    const std::int32_t three = find(u"photos/deeper/three.jpg");
    const std::int32_t notes = find(u"notes.txt");
    const std::int32_t past = static_cast<std::int32_t>(scanner_.store().publishedCount());

    EXPECT_EQ(deletionOrder(scanner_, {three, one, photos, -1, 0, past, photos}),
              (std::vector<std::int32_t>{photos, one, three}));
    const int changesBefore = changes_;
    pending_.changeTogether([&] {
        for (const std::int32_t node : deletionOrder(scanner_, {three, one, photos})) {
            add(node);
        }
    });
    ASSERT_EQ(pending_.items().size(), 1u) << "the folder only";
    EXPECT_EQ(pending_.items()[0].node, photos);
    EXPECT_EQ(changes_, changesBefore + 1) << "one notice for the whole selection";
    pending_.changeTogether([&] { add(three); });
    EXPECT_EQ(changes_, changesBefore + 1) << "nothing changed, nothing told";

    // Still selected after the delete: the folder itself and what was inside it are gone from
    // the tree and drop out; the rest stays.
    EXPECT_EQ(deletionOrder(scanner_, {photos, deeper, three, notes}),
              (std::vector<std::int32_t>{notes}));
    pending_.undeleteAll();
    EXPECT_EQ(deletionOrder(scanner_, {three, notes}), (std::vector<std::int32_t>{notes, three}));
}

TEST_F(PendingDeletesTest, TheCountdownHoldsWhilePausedOrBusyAndNothingIsPutBackWhileBusy) {
    const std::uint64_t before = rootSize();
    ASSERT_TRUE(add(find(u"notes.txt")));
    tick(10);
    pending_.setPaused(true);
    EXPECT_FALSE(pending_.tick());
    EXPECT_EQ(pending_.items()[0].remaining, 9000);
    pending_.setPaused(false);

    bool busy = true;
    pending_.busy = [&busy] { return busy; };
    EXPECT_FALSE(pending_.tick());
    pending_.undelete(0);
    pending_.undeleteAll();
    pending_.deleteAllNow();
    EXPECT_EQ(pending_.items().size(), 1u);
    EXPECT_EQ(pending_.items()[0].remaining, 9000);
    EXPECT_EQ(rootSize(), before - 500);
    busy = false;
    tick(90);
    EXPECT_EQ(recycled_.size(), 1u);
}

TEST_F(PendingDeletesTest, DeleteAllNowSendsNewestFirstAndAFailureInTheMiddleRestoresOnlyThatOne) {
    const std::int32_t one = find(u"photos/one.jpg");
    const std::int32_t two = find(u"photos/two.jpg");
    const std::int32_t notes = find(u"notes.txt");
    const std::uint64_t before = rootSize();
    ASSERT_TRUE(add(one));
    ASSERT_TRUE(add(two));
    ASSERT_TRUE(add(notes));
    pending_.recycle = [this](const std::u16string& path, std::int64_t bytes,
                              std::u16string& reason) {
        recycled_.push_back({path, bytes});
        reason = u"refused";
        return !path.ends_with(u"two.jpg");
    };
    const int changes = changes_;
    pending_.deleteAllNow();
    ASSERT_EQ(recycled_.size(), 3u);
    EXPECT_TRUE(recycled_[0].path.ends_with(u"notes.txt"));
    EXPECT_TRUE(recycled_[1].path.ends_with(u"two.jpg"));
    EXPECT_TRUE(recycled_[2].path.ends_with(u"one.jpg"));
    EXPECT_EQ(changes_, changes + 1) << "one change for the whole list";
    EXPECT_EQ(rootSize(), before - 1500) << "two.jpg is back";
    EXPECT_EQ(failures_.size(), 1u);
    EXPECT_TRUE(pending_.empty());

    // Without a Recycle Bin operation nothing may count as recycled.
    pending_.recycle = nullptr;
    ASSERT_TRUE(add(two));
    pending_.deleteAllNow();
    EXPECT_EQ(rootSize(), before - 1500);
    EXPECT_EQ(failures_.size(), 2u);
}

}  // namespace
}  // namespace deleting
