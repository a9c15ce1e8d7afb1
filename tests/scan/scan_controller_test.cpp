#include "scan_fixture.h"

#include "history/scan_history.h"
#include "scan/scan_controller.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace scan::testing {
namespace {

// Counts the controller's notices and lets a test wait for the end of a scan.
class RecordingNotifier : public ScanNotifier {
  public:
    void scanEnded(std::uint32_t) override {
        std::lock_guard guard(lock_);
        ++ended_;
        changed_.notify_all();
    }
    void startTicking() override { ++starts_; }
    void stopTicking() override { ++stops_; }

    // Waits until `count` scans have ended; false after 60 seconds.
    bool waitForEnds(int count) {
        std::unique_lock guard(lock_);
        return changed_.wait_for(guard, std::chrono::seconds(60), [&] { return ended_ >= count; });
    }
    int ended() {
        std::lock_guard guard(lock_);
        return ended_;
    }
    int starts_ = 0;
    int stops_ = 0;

  private:
    std::mutex lock_;
    std::condition_variable changed_;
    int ended_ = 0;
};

class ScanControllerTest : public TempFolder {
  protected:
    void makeTree(const std::string& top, int folders, int files) {
        for (int f = 0; f < folders; ++f) {
            for (int i = 0; i < files; ++i) {
                writeFile(fs::path(top) / ("f" + std::to_string(f % 13)) /
                              ("g" + std::to_string(f)) / ("x" + std::to_string(i) + ".dat"),
                          100);
            }
        }
    }
    std::u16string pathOf(const std::string& relative) const {
        return normalisePath(rootText() + u"/" + fromUtf8(relative));
    }
};

TEST(ScanOptionsAt, CutoffsComeFromOneReadingOfTheClock) {
    struct Case {
        std::uint32_t now;
        std::uint32_t previous;
        std::uint32_t month, halfYear;
        bool hasPrevious;
    };
    const Case cases[] = {
        {1'641'600, 0, 0, 0, false},  // 1970-01-20
        {2'592'000, 0, 0, 0, false},
        {2'592'001, 5, 1, 0, true},
        {1'700'000'000, 1'600'000'000, 1'700'000'000 - 2'592'000, 1'700'000'000 - 15'724'800, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.now);
        const ScanOptions options = scanOptionsAt(c.now, c.previous);
        EXPECT_EQ(options.monthCutoff, c.month);
        EXPECT_EQ(options.halfYearCutoff, c.halfYear);
        EXPECT_EQ(options.hasPreviousScan, c.hasPrevious);
        EXPECT_EQ(options.previousScan, c.previous);
        EXPECT_EQ(options.method, 0u);
        EXPECT_EQ(options.threads, 0);
        EXPECT_TRUE(options.detectHardLinks);
        EXPECT_EQ(options.listingBufferBytes, 262'144u);
    }
}

TEST_F(ScanControllerTest, AScanEndsOnceWithItsResultsAndDuration) {
    makeTree("t", 30, 4);
    RecordingNotifier notifier;
    ScanController controller([] { return std::uint32_t{1'641'600}; });
    controller.setNotifier(&notifier);
    controller.startScan(rootText() + u"/t/");
    EXPECT_EQ(controller.rootPath(), pathOf("t"));
    EXPECT_EQ(notifier.starts_, 1);
    ASSERT_TRUE(notifier.waitForEnds(1));
    controller.joinWorker();
    EXPECT_FALSE(controller.running());
    EXPECT_FALSE(controller.stopped());
    EXPECT_EQ(controller.method(), 1u);
    EXPECT_EQ(controller.lastResult().files, 120u);
    EXPECT_EQ(controller.scanner()->store().fileCount.get(0), 120u);
    EXPECT_EQ(controller.generation(), 2u) << "once at the start, once at the end";
    EXPECT_EQ(controller.scanner()->options().monthCutoff, 0u) << "the injected clock was used";
    if (controller.lastResult().seconds > 0) {
        EXPECT_EQ(controller.elapsedSeconds(), controller.lastResult().seconds);
    }
    EXPECT_FALSE(controller.wholeVolume());
    EXPECT_FALSE(controller.volume().volumeRoot.empty());
    EXPECT_NE(history::lastScanTime(controller.rootPath()), 0u);

    // The next scan of the same root knows when the previous one was.
    controller.startScan(rootText() + u"/t");
    ASSERT_TRUE(notifier.waitForEnds(2));
    EXPECT_NE(controller.previousScan(), 0u);
    EXPECT_TRUE(controller.scanner()->options().hasPreviousScan);
}

TEST_F(ScanControllerTest, StartingAScanWhileOneRunsReplacesIt) {
    makeTree("big", 1500, 2);
    makeTree("small", 3, 3);
    RecordingNotifier notifier;
    ScanController controller;
    controller.setNotifier(&notifier);
    controller.startScan(rootText() + u"/big");
    controller.startScan(rootText() + u"/small");
    EXPECT_EQ(notifier.ended(), 1)
        << "the first scan ended, and was joined, before the second began";
    EXPECT_NE(controller.scanner(), nullptr);
    EXPECT_EQ(controller.rootPath(), pathOf("small"));
    ASSERT_TRUE(notifier.waitForEnds(2));
    controller.joinWorker();
    EXPECT_EQ(controller.lastResult().files, 9u) << "the last completion is the new scan's";
    EXPECT_EQ(controller.scanner()->rootPath(), pathOf("small"));
    EXPECT_EQ(history::lastScanTime(pathOf("big")), 0u) << "the stopped scan was not recorded";
}

TEST_F(ScanControllerTest, StoppingKeepsThePartialResultsAndEndsOnce) {
    makeTree("big", 2000, 2);
    RecordingNotifier notifier;
    ScanController controller;
    controller.setNotifier(&notifier);
    controller.startScan(rootText() + u"/big");
    double previous = 0;
    while (controller.scanner()->store().publishedCount() < 20) {
        const double elapsed = controller.elapsedSeconds();
        ASSERT_GE(elapsed, previous) << "elapsed time never goes back while running";
        previous = elapsed;
        std::this_thread::yield();
    }
    controller.stopScan();
    ASSERT_TRUE(notifier.waitForEnds(1));
    controller.joinWorker();
    // Only the worker tells of an end, and it has been joined: a second end would be counted now.
    EXPECT_EQ(notifier.ended(), 1);
    EXPECT_TRUE(controller.stopped());
    ASSERT_NE(controller.scanner(), nullptr);
    EXPECT_GE(controller.scanner()->store().publishedCount(), 20u);
    EXPECT_LT(controller.lastResult().files, 4000u);

    controller.discardScan();
    EXPECT_EQ(controller.scanner(), nullptr);
    EXPECT_EQ(notifier.stops_, 1);
}

TEST_F(ScanControllerTest, ARefreshCountsOldRowsLeavesTheHistoryAndEndsOnce) {
    makeTree("t", 26, 3);
    RecordingNotifier notifier;
    ScanController controller;
    controller.setNotifier(&notifier);
    controller.startScan(rootText() + u"/t");
    ASSERT_TRUE(notifier.waitForEnds(1));
    controller.joinWorker();
    const std::uint32_t recorded = history::lastScanTime(controller.rootPath());
    ASSERT_NE(recorded, 0u);
    const std::vector<std::string> before = describe(*controller.scanner());

    const NodeStore& store = controller.scanner()->store();
    NodeId folder = 0;
    for (NodeId row = 1; row < store.publishedCount(); ++row) {
        if (store.nameOf(row) == u"f4") {
            folder = row;
        }
    }
    ASSERT_NE(folder, 0u);
    const std::uint64_t live = controller.scanner()->liveNodeCount(folder);
    const std::uint64_t rowsBefore = store.publishedCount();
    controller.refreshFolder(folder);
    EXPECT_EQ(notifier.starts_, 2);
    ASSERT_TRUE(notifier.waitForEnds(2));
    controller.joinWorker();
    EXPECT_EQ(notifier.ended(), 2);
    EXPECT_EQ(controller.scanner()->removedRows(), live - 1);
    EXPECT_EQ(store.publishedCount(), rowsBefore + live - 1);
    EXPECT_EQ(describe(*controller.scanner()), before);
    EXPECT_EQ(history::lastScanTime(controller.rootPath()), recorded);

    controller.refreshFolder(static_cast<NodeId>(store.publishedCount()));
    NodeId file = 1;
    while (store.hasFlag(file, FlagFolder)) {
        ++file;
    }
    controller.refreshFolder(file);
    EXPECT_EQ(notifier.starts_, 2) << "nothing that is not a folder is refreshed";

    // A folder inside a removed folder is out of the tree: emptying it would take its sums out
    // of the ancestors a second time.
    NodeId inner = 0;
    for (NodeId row = folder + 1; row < store.publishedCount() && inner == 0; ++row) {
        if (store.hasFlag(row, FlagFolder) && store.parent.get(row) != 0 &&
            controller.scanner()->isAttached(row) && store.parent.get(row) != folder) {
            inner = row;
        }
    }
    ASSERT_NE(inner, 0u);
    const NodeId outer = store.parent.get(inner);
    const scan::RemovalRecord removal = controller.scanner()->removeNode(outer);
    ASSERT_TRUE(removal.valid);
    const std::vector<std::string> removed = describe(*controller.scanner());
    controller.refreshFolder(inner);
    EXPECT_EQ(notifier.starts_, 2) << "a folder out of the tree is not refreshed";
    EXPECT_EQ(describe(*controller.scanner()), removed);
    controller.scanner()->restoreNode(removal);
}

TEST_F(ScanControllerTest, TheAdjusterChoosesMethodAndThreadsAfterTheCutoffs) {
    writeFile("a/one.bin", 5000);
    writeFile("two.txt", 10);
    constexpr std::uint32_t now = 1'700'000'000;
    // The notifier outlives the controller, whose destructor still tells it the ticks stop.
    RecordingNotifier notifier;
    ScanController controller([] { return now; });
    controller.setNotifier(&notifier);
    std::uint32_t monthCutoffSeen = 0;
    controller.setOptionsAdjuster([&](ScanOptions& options) {
        monthCutoffSeen = options.monthCutoff;
        options.method = 1;
        options.threads = 3;
    });
    controller.startScan(rootText());
    ASSERT_TRUE(notifier.waitForEnds(1));
    controller.joinWorker();

    ASSERT_NE(controller.scanner(), nullptr);
    const ScanOptions& used = controller.scanner()->options();
    EXPECT_EQ(monthCutoffSeen, now - 2'592'000u) << "the adjuster sees the filled-in options";
    EXPECT_EQ(used.method, 1u);
    EXPECT_EQ(used.threads, 3);
    EXPECT_EQ(used.monthCutoff, now - 2'592'000u);
    EXPECT_EQ(used.halfYearCutoff, now - 15'724'800u);
    EXPECT_EQ(controller.scanner()->store().fileCount.get(0), 2u);
    EXPECT_FALSE(controller.stopped());
}

TEST_F(ScanControllerTest, WithoutAnAdjusterTheDefaultsStay) {
    writeFile("one.bin", 1);
    RecordingNotifier notifier;
    ScanController controller([] { return std::uint32_t{1'700'000'000}; });
    controller.setNotifier(&notifier);
    controller.startScan(rootText());
    ASSERT_TRUE(notifier.waitForEnds(1));
    controller.joinWorker();
    ASSERT_NE(controller.scanner(), nullptr);
    EXPECT_EQ(controller.scanner()->options().method, 0u);
    EXPECT_EQ(controller.scanner()->options().threads, 0);
}

}  // namespace
}  // namespace scan::testing
