// The pending deletes over a real scan of a small tree: the countdown, what reaches the Recycle
// Bin operation and when, what comes back after an undelete or a refusal, and which requests
// are refused.

#include "deleting/pending_deletes.h"

#include "scan_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
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

namespace fs = std::filesystem;
using scan::fromUtf8;

// A real tree under "tree" and a Recycle Bin of the test's own beside it: an item that the bin
// takes is moved there, so what the list reads from the disk afterwards is real.
class PendingDeletesTest : public scan::testing::TempFolder {
  public:
    void SetUp() override {
        TempFolder::SetUp();
        writeFile("tree/photos/one.jpg", 1000);
        writeFile("tree/photos/two.jpg", 3000);
        writeFile("tree/photos/deeper/three.jpg", 700);
        writeFile("tree/notes.txt", 500);
        fs::create_directories(root_ / "bin");
        scanner_.scan(treeText());
        pending_.setScanner(&scanner_);
        pending_.recycle = [this](const PendingItem& item) {
            recycled_.push_back({item.path, item.bytes});
            ShellAttempt attempt;
            attempt.attempted = true;
            if (refuse_) {
                attempt.reason = u"the test refused it";
                return attempt;
            }
            moveToBin(item.path);
            attempt.succeeded = true;
            attempt.reachedBin = true;
            return attempt;
        };
        pending_.changed = [this] { ++changes_; };
        pending_.reported = [this](const std::vector<DeleteReport>& reports) {
            steps_.push_back(reports);
            for (const DeleteReport& report : reports) {
                failures_.push_back(report.path + u" / " + report.reason);
            }
        };
    }

    std::u16string treeText() const { return rootText() + u"/tree"; }
    fs::path tree() const { return root_ / "tree"; }
    void moveToBin(const std::u16string& path) {
        const fs::path from(path);
        fs::rename(from,
                   root_ / "bin" / (std::to_string(binned_++) + "-" + from.filename().string()));
    }
    std::size_t inBin() const {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(root_ / "bin"), fs::directory_iterator()));
    }
    std::int32_t find(const std::u16string& relative) const {
        const scan::NodeStore& store = scanner_.store();
        for (scan::NodeId row = 1; row < store.publishedCount(); ++row) {
            if (store.pathOf(row, u'/') == scanner_.rootPath() + u"/" + relative) {
                return static_cast<std::int32_t>(row);
            }
        }
        ADD_FAILURE() << "no row for " << scan::toUtf8(relative);
        return -1;
    }
    bool add(std::int32_t node) {
        if (node <= 0) {
            return false;
        }
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
    std::vector<std::vector<DeleteReport>> steps_;
    bool refuse_ = false;
    int changes_ = 0;
    int binned_ = 0;
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
    EXPECT_EQ(recycled_[0].path, scanner_.rootPath() + u"/photos/one.jpg");
    EXPECT_FALSE(fs::exists(tree() / "photos" / "one.jpg"));
    EXPECT_EQ(inBin(), 1u);
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
    EXPECT_EQ(failures_[0], scanner_.rootPath() + u"/photos / the test refused it");
    ASSERT_EQ(steps_.size(), 1u);
    EXPECT_EQ(steps_[0][0].outcome, Outcome::NotMoved);
    EXPECT_TRUE(steps_[0][0].stillThere);
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
    EXPECT_FALSE(add(three)) << "the same node twice";
    pending_.undeleteAll();
    ASSERT_TRUE(add(photos));
    const int changes = changes_;
    EXPECT_FALSE(add(one)) << "a file inside a pending folder";
    EXPECT_FALSE(add(three)) << "deeper inside a pending folder";
    EXPECT_FALSE(pending_.addPending(0, treeText(), u"", 0)) << "the root";
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
              (std::vector<std::int32_t>{photos}))
        << "what lies inside a chosen folder goes with it, and counts as nothing of its own";
    EXPECT_EQ(deletionOrder(scanner_, {three, one, notes}),
              (std::vector<std::int32_t>{notes, one, three}));
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
    pending_.recycle = [this](const PendingItem& item) {
        recycled_.push_back({item.path, item.bytes});
        ShellAttempt attempt;
        attempt.attempted = true;
        if (item.path.ends_with(u"two.jpg")) {
            attempt.reason = u"refused";
        } else {
            moveToBin(item.path);
            attempt.succeeded = true;
        }
        return attempt;
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
    EXPECT_EQ(steps_.size(), 1u) << "one report for the step";
    EXPECT_TRUE(pending_.empty());

    // Without a Recycle Bin operation nothing may count as recycled.
    pending_.recycle = nullptr;
    ASSERT_TRUE(add(two));
    pending_.deleteAllNow();
    EXPECT_EQ(rootSize(), before - 1500);
    EXPECT_EQ(failures_.size(), 2u);
}

// Whatever stands at an item's place when its countdown ends is handed over only when it is the
// item that was chosen; anything else is left alone, reported, and its folder is read again.
struct Swap {
    const char* name;
    const char* item;
    // False when this system does not let the test make the link the case needs.
    bool (*change)(const fs::path& root);
    const char* survivor;  // below the test's folder: what must still be on disk afterwards
};

const Swap kSwaps[] = {
    {"a new file under the chosen file's name", "notes.txt",
     [](const fs::path& root) {
         fs::rename(root / "tree/notes.txt", root / "tree/notes-old.txt");
         std::ofstream(root / "tree/notes.txt") << "new content of another length";
         return true;
     },
     "tree/notes.txt"},
    {"a folder of the same name", "photos/deeper",
     [](const fs::path& root) {
         fs::rename(root / "tree/photos/deeper", root / "tree/photos/deeper-old");
         fs::create_directories(root / "tree/photos/deeper/new");
         return true;
     },
     "tree/photos/deeper/new"},
    {"a link to a folder outside the tree", "photos/deeper",
     [](const fs::path& root) {
         fs::rename(root / "tree/photos/deeper", root / "tree/photos/deeper-old");
         std::error_code error;
         fs::create_directory_symlink(root / "outside", root / "tree/photos/deeper", error);
         return !error;
     },
     "outside/precious.dat"},
    {"a folder above it swapped for a link", "photos/two.jpg",
     [](const fs::path& root) {
         fs::rename(root / "tree/photos", root / "tree/photos-old");
         fs::create_directories(root / "elsewhere");
         std::ofstream(root / "elsewhere/two.jpg") << std::string(3000, 'x');
         std::error_code error;
         fs::create_directory_symlink(root / "elsewhere", root / "tree/photos", error);
         return !error;
     },
     "elsewhere/two.jpg"},
    {"nothing: deleted meanwhile", "notes.txt",
     [](const fs::path& root) { return fs::remove(root / "tree/notes.txt"); }, "tree"},
};

void PrintTo(const Swap& swap, std::ostream* out) {
    *out << swap.name;
}

class ChangedOnDisk : public PendingDeletesTest, public ::testing::WithParamInterface<Swap> {};

TEST_P(ChangedOnDisk, TheItemIsLeftAloneAndItsFolderReadAgain) {
    const Swap& swap = GetParam();
    writeFile("outside/precious.dat", 900);
    const std::int32_t node = find(fromUtf8(swap.item));
    const auto parent =
        static_cast<std::int32_t>(scanner_.store().parent.get(static_cast<scan::NodeId>(node)));
    ASSERT_GT(node, 0);
    ASSERT_TRUE(add(node));
    const std::uint64_t removedSize = rootSize();
    if (!swap.change(root_)) {
        GTEST_SKIP() << "this system does not let the test make a folder link";
    }
    tick(100);
    EXPECT_TRUE(pending_.empty());
    EXPECT_TRUE(recycled_.empty()) << "nothing was handed to the bin";
    EXPECT_EQ(inBin(), 0u);
    EXPECT_TRUE(fs::exists(root_ / swap.survivor));
    ASSERT_EQ(steps_.size(), 1u);
    ASSERT_EQ(steps_[0].size(), 1u);
    EXPECT_EQ(steps_[0][0].outcome, Outcome::Changed);
    EXPECT_EQ(rootSize(), removedSize) << "the old record is not put back over the disk";
    EXPECT_EQ(pending_.takeFolderToRead(), parent);
    EXPECT_EQ(pending_.takeFolderToRead(), -1);
}

INSTANTIATE_TEST_SUITE_P(Swaps, ChangedOnDisk, ::testing::ValuesIn(kSwaps),
                         [](const ::testing::TestParamInfo<Swap>& param) {
                             return "Case" + std::to_string(param.index);
                         });

TEST_F(PendingDeletesTest, AnItemThatChangedBeforeItWasChosenIsRefusedAtOnce) {
    std::ofstream(tree() / "notes.txt", std::ios::app) << "grown since the scan";
    const std::uint64_t before = rootSize();
    EXPECT_FALSE(add(find(u"notes.txt")));
    EXPECT_TRUE(pending_.empty());
    EXPECT_EQ(rootSize(), before);
    ASSERT_EQ(steps_.size(), 1u);
    EXPECT_EQ(steps_[0][0].outcome, Outcome::Changed);
    EXPECT_EQ(pending_.takeFolderToRead(), 0) << "its folder, the root, is read again";
}

TEST_F(PendingDeletesTest, AFolderTakesThePlaceOfThePendingItemsInsideIt) {
    const std::vector<std::uint64_t> before = everyTotal(scanner_);
    ASSERT_TRUE(add(find(u"photos/deeper/three.jpg")));
    ASSERT_TRUE(add(find(u"notes.txt")));
    ASSERT_TRUE(add(find(u"photos/one.jpg")));
    tick(40);
    const std::int32_t photos = find(u"photos");
    ASSERT_TRUE(add(photos));
    ASSERT_EQ(pending_.items().size(), 2u) << "the folder and notes.txt";
    EXPECT_EQ(pending_.items()[0].node, photos);
    EXPECT_EQ(pending_.items()[0].remaining, kCountdownMilliseconds);
    EXPECT_EQ(pending_.items()[0].files, 3);
    EXPECT_EQ(rootSize(), 0u) << "everything is out once, nothing twice";
    pending_.undeleteAll();
    EXPECT_EQ(everyTotal(scanner_), before);
}

TEST_F(PendingDeletesTest, RefusalsKnownWhenChosenComeAtOnceInOneReport) {
    pending_.refusal = [](const std::u16string&, std::int64_t) {
        return std::u16string(u"this drive has no Recycle Bin");
    };
    const std::uint64_t before = rootSize();
    pending_.changeTogether([&] {
        for (const std::int32_t node :
             deletionOrder(scanner_, {find(u"notes.txt"), find(u"photos")})) {
            add(node);
        }
    });
    EXPECT_TRUE(pending_.empty()) << "no countdown before a refusal";
    EXPECT_EQ(rootSize(), before);
    ASSERT_EQ(steps_.size(), 1u) << "the whole selection in one report";
    ASSERT_EQ(steps_[0].size(), 2u);
    EXPECT_EQ(steps_[0][0].reason, u"this drive has no Recycle Bin");
    EXPECT_TRUE(steps_[0][0].stillThere);
    EXPECT_TRUE(recycled_.empty());
}

TEST_F(PendingDeletesTest, ANameTheShellWouldMisreadIsRefused) {
    writeFile("tree/odd\x01name.txt", 10);
    scan::Scanner scanner{scan::ScanOptions{}};
    scanner.scan(treeText());
    PendingDeletes list;
    list.setScanner(&scanner);
    std::vector<DeleteReport> reports;
    list.reported = [&](const std::vector<DeleteReport>& step) { reports = step; };
    const scan::NodeStore& store = scanner.store();
    scan::NodeId odd = 0;
    for (scan::NodeId row = 1; row < store.publishedCount(); ++row) {
        if (store.nameOf(row) == u"odd\x01name.txt") {
            odd = row;
        }
    }
    if (odd == 0) {
        GTEST_SKIP() << "this system keeps no control character in a name";
    }
    EXPECT_FALSE(list.addPending(static_cast<std::int32_t>(odd), store.pathOf(odd, u'/'),
                                 store.nameOf(odd), 10));
    EXPECT_TRUE(list.empty());
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].reason, u"its path holds a name that the Recycle Bin would misread");
}

// What the disk shows afterwards, not what the shell said, decides what the user reads and what
// the totals show.
struct Attempt {
    const char* name;
    const char* item;
    ShellAttempt (*shell)(PendingDeletesTest& test, const PendingItem& item);
    Outcome outcome;
    bool stillThere;
    std::int64_t filesMoved;
    bool restored;  // back in the totals at once
    bool readAgain;
};

ShellAttempt tried(bool succeeded, const char16_t* reason) {
    ShellAttempt attempt;
    attempt.attempted = true;
    attempt.succeeded = succeeded;
    attempt.reason = reason;
    return attempt;
}

const Attempt kAttempts[] = {
    {"a shell that says it moved a file it left", "notes.txt",
     [](PendingDeletesTest&, const PendingItem&) { return tried(true, u""); }, Outcome::NotMoved,
     true, 0, true, false},
    {"a folder of which one file of three moved", "photos",
     [](PendingDeletesTest& test, const PendingItem& item) {
         test.moveToBin(item.path + u"/one.jpg");
         return tried(false, u"a file is in use");
     },
     Outcome::PartlyMoved, true, 1, false, true},
    {"a shell that destroyed the file", "notes.txt",
     [](PendingDeletesTest&, const PendingItem& item) {
         fs::remove(fs::path(item.path));
         ShellAttempt attempt = tried(true, u"");
         attempt.reachedBin = false;
         return attempt;
     },
     Outcome::Destroyed, true, 0, false, false},
    {"a failure after which the file is gone", "notes.txt",
     [](PendingDeletesTest&, const PendingItem& item) {
         fs::remove(fs::path(item.path));
         return tried(false, u"the Recycle Bin refused it");
     },
     Outcome::NotMoved, false, 0, false, true},
};

void PrintTo(const Attempt& attempt, std::ostream* out) {
    *out << attempt.name;
}

class AfterTheAttempt : public PendingDeletesTest, public ::testing::WithParamInterface<Attempt> {};

TEST_P(AfterTheAttempt, TheDiskDecidesTheReportAndTheTotals) {
    const Attempt& c = GetParam();
    const std::uint64_t before = rootSize();
    pending_.recycle = [this, &c](const PendingItem& item) { return c.shell(*this, item); };
    ASSERT_TRUE(add(find(fromUtf8(c.item))));
    const std::uint64_t removed = rootSize();
    pending_.deleteAllNow();
    ASSERT_EQ(steps_.size(), 1u);
    ASSERT_EQ(steps_[0].size(), 1u);
    const DeleteReport& report = steps_[0][0];
    EXPECT_EQ(report.outcome, c.outcome);
    EXPECT_EQ(report.stillThere, c.stillThere);
    EXPECT_EQ(report.filesMoved, c.filesMoved);
    if (c.outcome == Outcome::PartlyMoved) {
        EXPECT_EQ(report.files, 3);
    }
    EXPECT_EQ(rootSize(), c.restored ? before : removed);
    EXPECT_EQ(pending_.takeFolderToRead() >= 0, c.readAgain);
}

INSTANTIATE_TEST_SUITE_P(Shells, AfterTheAttempt, ::testing::ValuesIn(kAttempts),
                         [](const ::testing::TestParamInfo<Attempt>& param) {
                             return "Case" + std::to_string(param.index);
                         });

}  // namespace
}  // namespace deleting
