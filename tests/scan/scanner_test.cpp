#include "scan_fixture.h"

#include "deep_chain.h"
#include "scan/file_id_set.h"
#include "scan/file_kinds.h"
#include "scan/folder_walk.h"

#include <thread>

namespace scan::testing {
namespace {

using ScannerTest = TempFolder;

// Checks that every folder's summed columns equal the sums over its live children.
void expectConsistentTotals(const NodeStore& store) {
    const std::uint64_t published = store.publishedCount();
    for (NodeId folder = 0; folder < published; ++folder) {
        if (!store.hasFlag(folder, FlagFolder) || store.hasFlag(folder, FlagRemoved)) {
            continue;
        }
        const ChildRange children = publishedChildren(store, folder, published);
        std::uint64_t size = 0, allocated = 0, files = 0, halfYear = 0;
        for (NodeId child = children.begin; child < children.end; ++child) {
            size += store.size.get(child);
            allocated += store.allocated.get(child);
            files += store.fileCount.get(child);
            halfYear += store.addedHalfYear.get(child);
        }
        ASSERT_EQ(store.size.get(folder), size) << "folder row " << folder;
        ASSERT_EQ(store.allocated.get(folder), allocated) << "folder row " << folder;
        ASSERT_EQ(store.fileCount.get(folder), files) << "folder row " << folder;
        ASSERT_EQ(store.addedHalfYear.get(folder), halfYear) << "folder row " << folder;
    }
}

void makeTree(TempFolder& folder, int folders, int filesPerFolder) {
    for (int f = 0; f < folders; ++f) {
        const fs::path dir = fs::path("d" + std::to_string(f % 7)) / ("sub" + std::to_string(f));
        for (int i = 0; i < filesPerFolder; ++i) {
            const char* extensions[] = {".txt", ".jpg", ".mkv", ".pdf", ""};
            folder.writeFile(dir / ("file" + std::to_string(i) + extensions[i % 5]),
                             static_cast<std::size_t>((f * 131 + i * 977) % 20000));
        }
    }
    fs::create_directories(folder.root_ / "empty");
}

TEST_F(ScannerTest, AScanMatchesWhatTheFileSystemReports) {
    writeFile("a/report.PDF", 1234);
    writeFile("a/b/photo.jpg", 50'000);
    writeFile("a/b/c/notes", 0);
    writeFile("top.mkv", 4096 * 3);
    fs::create_directories(root_ / "empty");

    Scanner scanner(optionsWithThreads(0));
    const ScanResult result = scanner.scan(rootText());
    ASSERT_FALSE(result.stopped);
    EXPECT_EQ(result.method, 1u);
    EXPECT_EQ(result.unreadable, 0u);
    EXPECT_EQ(result.files, 4u);
    EXPECT_EQ(result.folders, 5u) << "the root, a, a/b, a/b/c and empty";

    const NodeStore& store = scanner.store();
    EXPECT_EQ(store.nameOf(0), normalisePath(rootText()));
    EXPECT_EQ(store.fileCount.get(0), 4u);
    EXPECT_EQ(store.size.get(0), 1234u + 50'000u + 0u + 4096u * 3);
    expectConsistentTotals(store);

    std::uint64_t seen = 0;
    for (NodeId row = 1; row < store.publishedCount(); ++row) {
        const std::u16string path = store.pathOf(row, pathSeparator());
        const fs::path onDisk(std::u16string_view(path).data());
        ASSERT_TRUE(fs::exists(fs::symlink_status(onDisk))) << toUtf8(path);
        if (!store.hasFlag(row, FlagFolder)) {
            EXPECT_EQ(store.size.get(row), fs::file_size(onDisk)) << toUtf8(path);
            EXPECT_EQ(store.kind.get(row), classify(store.nameOf(row)));
            EXPECT_NE(store.created.get(row), 0u) << "this file system reports creation times";
            ++seen;
        } else {
            EXPECT_EQ(store.kind.get(row), KindFolder);
        }
    }
    EXPECT_EQ(seen, 4u);

    const auto totals = kindTotals(scanner.kindTotals(), 0, true);
    std::uint64_t files = 0;
    for (const KindTotal& total : totals) {
        files += total.files;
    }
    EXPECT_EQ(files, 4u);
}

TEST_F(ScannerTest, OneThreadAndEightThreadsGiveTheSameTree) {
    makeTree(*this, 60, 12);
    Scanner one(optionsWithThreads(1));
    Scanner eight(optionsWithThreads(8));
    one.scan(rootText());
    eight.scan(rootText());
    EXPECT_EQ(describe(one), describe(eight));
    EXPECT_EQ(one.store().size.get(0), eight.store().size.get(0));
    EXPECT_EQ(describe(one).size(), 60u * 12 + 60 + 7 + 1);
    expectConsistentTotals(eight.store());
}

TEST_F(ScannerTest, AFolderOfManyFilesIsListedCompletely) {
    for (int i = 0; i < 5000; ++i) {
        writeFile("many/" + std::to_string(i) + "-a-rather-long-file-name-for-the-buffer.txt", 1);
    }
    ScanOptions options;
    options.listingBufferBytes = 16384;
    Scanner scanner(options);
    const ScanResult result = scanner.scan(rootText());
    EXPECT_EQ(result.files, 5000u);
    EXPECT_GT(result.reads, 4u) << "the listing needed several calls";
    EXPECT_EQ(scanner.store().size.get(0), 5000u);
}

TEST_F(ScannerTest, HardLinksCountOnce) {
    writeFile("first/data.bin", 10'000);
    fs::create_directories(root_ / "second");
    fs::create_hard_link(root_ / "first/data.bin", root_ / "second/again.bin");

    Scanner scanner(optionsWithThreads(1));
    const ScanResult result = scanner.scan(rootText());
    EXPECT_EQ(result.duplicateLinks, 1u);
    EXPECT_EQ(result.files, 1u);
    const NodeStore& store = scanner.store();
    EXPECT_EQ(store.size.get(0), 10'000u);
    EXPECT_EQ(result.duplicateBytes, store.allocated.get(0));
    int duplicates = 0;
    for (NodeId row = 1; row < store.publishedCount(); ++row) {
        if (store.hasFlag(row, FlagDuplicate)) {
            ++duplicates;
            EXPECT_EQ(store.size.get(row), 0u);
            EXPECT_EQ(store.fileCount.get(row), 0u);
        }
    }
    EXPECT_EQ(duplicates, 1);
    EXPECT_EQ(scanner.kindTotals().files(classify(u"x.bin")), 1u) << "one file of its kind";
    EXPECT_EQ(scanner.kindTotals().allocated(classify(u"x.bin")), store.allocated.get(0));

    ScanOptions noDetection;
    noDetection.detectHardLinks = false;
    Scanner counting(noDetection);
    EXPECT_EQ(counting.scan(rootText()).files, 2u);
}

TEST_F(ScannerTest, ARootThatDoesNotExistGivesAnEmptyStore) {
    Scanner scanner(optionsWithThreads(0));
    const ScanResult result = scanner.scan(rootText() + u"/missing");
    EXPECT_EQ(result.unreadable, 1u);
    EXPECT_EQ(result.method, 1u);
    EXPECT_EQ(result.files, 0u);
    EXPECT_EQ(scanner.store().rowCount(), 0u);
    EXPECT_EQ(history::lastScanTime(normalisePath(rootText() + u"/missing")), 0u);
}

TEST_F(ScannerTest, ACompletedScanIsRecordedInTheHistory) {
    writeFile("a.txt", 1);
    const std::u16string root = normalisePath(rootText());
    EXPECT_EQ(history::lastScanTime(root), 0u);
    Scanner scanner(optionsWithThreads(1));
    ASSERT_FALSE(scanner.scan(rootText()).stopped);
    EXPECT_NE(history::lastScanTime(root), 0u);
}

TEST_F(ScannerTest, AStopKeepsEveryCommittedBatch) {
    // A chain of folders: each is found only when its parent is committed, so the listing
    // cannot run ahead of the stop.
    constexpr int kLevels = 80;
    constexpr std::uint64_t kFiles = 3 * kLevels;
    fs::path chain;
    for (int level = 0; level < kLevels; ++level) {
        chain /= "c";
        for (int i = 0; i < 3; ++i) {
            writeFile(chain / ("f" + std::to_string(i) + ".txt"), 10);
        }
    }
    // The stop races the walk: on a busy machine the walk may commit the last batch before the
    // stop arrives. Such a run shows nothing, so it is tried again.
    for (int attempt = 0; attempt < 10; ++attempt) {
        Scanner scanner(optionsWithThreads(2));
        std::thread stopper([&scanner] {
            while (scanner.store().publishedCount() < 50) {
                std::this_thread::yield();
            }
            scanner.requestStop();
        });
        const std::uint32_t recorded = history::lastScanTime(normalisePath(rootText()));
        const ScanResult result = scanner.scan(rootText());
        stopper.join();
        if (!result.stopped || result.files == kFiles) {
            continue;
        }
        EXPECT_EQ(history::lastScanTime(scanner.rootPath()), recorded)
            << "a stopped scan is not recorded";
        expectConsistentTotals(scanner.store());
        EXPECT_EQ(scanner.store().fileCount.get(0), result.files);
        return;
    }
    FAIL() << "the walk committed every batch before the stop, ten times over";
}

TEST_F(ScannerTest, AStopEndsTheListingOfALargeFolderWithoutWaitingForItsEnd) {
    constexpr std::uint32_t kFiles = 5'000;
    for (std::uint32_t i = 0; i < kFiles; ++i) {
        writeFile(fs::path("big") / std::to_string(i), 0);
    }
    // About a hundred names a read, so the folder takes many reads to list.
    ScanOptions options = optionsWithThreads(1);
    options.listingBufferBytes = 4096;
    // The stop comes a while after the folder was found. A stop that lands before its listing
    // began or after it ended shows nothing, and the next run waits a shorter or longer while.
    std::chrono::microseconds wait{500};
    for (int attempt = 0; attempt < 30; ++attempt) {
        Scanner scanner(options);
        std::thread stopper([&scanner, wait] {
            while (scanner.store().publishedCount() < 2) {
                std::this_thread::yield();
            }
            const auto soon = std::chrono::steady_clock::now() + wait;
            while (std::chrono::steady_clock::now() < soon) {
                std::this_thread::yield();
            }
            scanner.requestStop();
        });
        const ScanResult result = scanner.scan(rootText());
        stopper.join();
        ASSERT_TRUE(result.stopped);
        const NodeStore& store = scanner.store();
        ASSERT_GE(store.publishedCount(), 2u);
        ASSERT_EQ(store.nameOf(1), u"big");
        const std::uint32_t listed = store.childCount.get(1);
        if (listed == 0) {
            wait *= 2;
            continue;
        }
        if (listed == kFiles) {
            wait /= 2;
            continue;
        }
        EXPECT_EQ(result.files, listed) << "what was listed before the stop is kept";
        EXPECT_EQ(store.fileCount.get(0), listed);
        expectConsistentTotals(store);
        EXPECT_EQ(history::lastScanTime(scanner.rootPath()), 0u);
        return;
    }
    FAIL() << "no stop ended the folder's listing part-way";
}

TEST_F(ScannerTest, AFileGivenAsTheRootIsNotAFolderAndNotRecorded) {
    writeFile("plain.txt", 300);
    Scanner scanner(optionsWithThreads(1));
    const ScanResult result =
        scanner.scan(rootText() + std::u16string(1, pathSeparator()) + u"plain.txt");
    EXPECT_EQ(result.unreadable, 1u);
    EXPECT_EQ(result.files, 0u);
    const NodeStore& store = scanner.store();
    ASSERT_EQ(store.publishedCount(), 1u);
    EXPECT_TRUE(store.hasFlag(0, FlagUnopened)) << "the file could not be listed as a folder";
    EXPECT_EQ(store.size.get(0), 0u);
    EXPECT_EQ(history::lastScanTime(scanner.rootPath()), 0u)
        << "a scan that could not read its root is not a previous scan";
}

TEST_F(ScannerTest, AChainPastThePathLimitIsScannedWhole) {
    // 150 levels of 41 bytes: over 6,000 bytes of path, past what one call takes on Linux, and
    // far past the 260 characters of an ordinary Windows path.
    const std::string name(40, 'c');
    constexpr int kLevels = 150;
    struct Remove {
        const fs::path& base;
        const std::string& name;
        ~Remove() { removeDeepChain(base, name); }
    } remove{root_, name};
    if (!makeDeepChain(root_, name, kLevels, 10)) {
        GTEST_SKIP() << "the platform could not make a chain that deep";
    }
    Scanner scanner(optionsWithThreads(2));
    const ScanResult result = scanner.scan(rootText());
    EXPECT_EQ(result.unreadable, 0u);
    EXPECT_EQ(result.files, std::uint64_t{kLevels});
    EXPECT_EQ(result.folders, std::uint64_t{kLevels} + 1);
    EXPECT_EQ(scanner.store().size.get(0), 10u * kLevels);
    expectConsistentTotals(scanner.store());
}

TEST_F(ScannerTest, AStopAskedForBeforeTheWalkBeginsStillStopsIt) {
    makeTree(*this, 50, 2);
    Scanner scanner(optionsWithThreads(2));
    scanner.requestStop();
    const ScanResult result = scanner.scan(rootText());
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(scanner.store().publishedCount(), 1u) << "only the root row";
    EXPECT_EQ(history::lastScanTime(scanner.rootPath()), 0u);
}

TEST_F(ScannerTest, RefreshingAFolderGivesTheTotalsOfAFreshScan) {
    makeTree(*this, 20, 5);
    Scanner scanner(optionsWithThreads(2));
    scanner.scan(rootText());
    const std::vector<std::string> before = describe(scanner);
    const std::uint64_t allocated = scanner.store().allocated.get(0);

    NodeId folder = 0;
    for (NodeId row = 1; row < scanner.store().publishedCount(); ++row) {
        if (scanner.store().nameOf(row) == u"d3") {
            folder = row;
        }
    }
    ASSERT_NE(folder, 0u);
    const std::uint64_t live = scanner.liveNodeCount(folder);
    scanner.addRemovedRows(live - 1);
    scanner.emptyFolder(folder);
    EXPECT_LT(scanner.store().allocated.get(0), allocated);
    scanner.walk(folder);
    EXPECT_EQ(describe(scanner), before);
    EXPECT_EQ(scanner.store().allocated.get(0), allocated);
    EXPECT_EQ(scanner.store().publishedCount() - scanner.removedRows(), before.size() + 1);
    expectConsistentTotals(scanner.store());
}

// Every column of every row, every counter and every per-kind value.
std::vector<std::uint64_t> snapshot(const Scanner& scanner) {
    const NodeStore& store = scanner.store();
    std::vector<std::uint64_t> values;
    for (NodeId row = 0; row < store.publishedCount(); ++row) {
        for (std::uint64_t value :
             {std::uint64_t{store.parent.get(row)}, std::uint64_t{store.flags.get(row)},
              store.size.get(row), store.allocated.get(row),
              std::uint64_t{store.fileCount.get(row)}, std::uint64_t{store.firstChild.get(row)},
              std::uint64_t{store.childCount.get(row)}, store.addedMonth.get(row),
              store.addedHalfYear.get(row), store.addedSinceScan.get(row)}) {
            values.push_back(value);
        }
    }
    const ScanCounters& counters = scanner.counters();
    values.insert(values.end(),
                  {counters.files.get(), counters.folders.get(), scanner.removedRows(),
                   counters.duplicateLinks.get(), counters.duplicateBytes.get(),
                   counters.datedItems.get(), counters.unreadable.get(), scanner.fileIds().size()});
    const KindTotals& kinds = scanner.kindTotals();
    for (std::size_t kind = 0; kind < kinds.size(); ++kind) {
        values.insert(values.end(),
                      {kinds.allocated(kind), kinds.logical(kind), kinds.addedMonth(kind),
                       kinds.addedHalfYear(kind), kinds.addedSinceScan(kind), kinds.files(kind)});
    }
    return values;
}

TEST_F(ScannerTest, RemovingAndRestoringReturnsEveryValueBitForBit) {
    makeTree(*this, 10, 4);
    // Names of one file inside and outside the folder removed below: whichever name a removal
    // takes out, another takes the file over, and the restoration gives it back.
    fs::create_hard_link(root_ / "d2/sub2/file0.txt", root_ / "d3/linked.txt");
    fs::create_hard_link(root_ / "d4/sub4/file1.jpg", root_ / "d2/linked.jpg");
    ScanOptions options = optionsWithThreads(2);
    options.hasPreviousScan = true;
    options.previousScan = 1;
    Scanner scanner(options);
    scanner.scan(rootText());
    const NodeStore& store = scanner.store();
    const std::vector<std::uint64_t> before = snapshot(scanner);

    NodeId folder = 0, file = 0;
    for (NodeId row = 1; row < store.publishedCount(); ++row) {
        if (store.nameOf(row) == u"d2")
            folder = row;
        // A file of one name: which of the linked names is counted depends on the walk's order.
        if (store.nameOf(row) == u"file1.jpg" && store.nameOf(store.parent.get(row)) == u"sub0")
            file = row;
    }
    ASSERT_NE(folder, 0u);
    ASSERT_NE(file, 0u);
    const std::uint64_t fileBytes = store.allocated.get(file);
    const std::uint64_t rootBytes = store.allocated.get(0);
    const FileKind jpg = classify(u"x.jpg");
    const std::uint64_t jpgFiles = scanner.kindTotals().files(jpg);

    const RemovalRecord fileRecord = scanner.removeNode(file);
    EXPECT_EQ(store.allocated.get(0), rootBytes - fileBytes);
    EXPECT_EQ(scanner.kindTotals().files(jpg), jpgFiles - 1);
    const RemovalRecord folderRecord = scanner.removeNode(folder);
    EXPECT_TRUE(folderRecord.valid);
    EXPECT_EQ(store.allocated.get(folder), 0u);
    expectConsistentTotals(store);
    EXPECT_EQ(scanner.liveNodeCount(folder), 0u);

    scanner.restoreNode(folderRecord);
    scanner.restoreNode(fileRecord);
    EXPECT_EQ(snapshot(scanner), before);
    scanner.restoreNode(RemovalRecord{});
    EXPECT_EQ(snapshot(scanner), before) << "an invalid record changes nothing";
}

TEST_F(ScannerTest, ARemovedFileLeavesItsKindOnceWhenItsFolderIsEmptied) {
    writeFile("f/one.pdf", 100);
    writeFile("f/two.pdf", 100);
    Scanner scanner(optionsWithThreads(1));
    scanner.scan(rootText());
    const FileKind pdf = classify(u"x.pdf");
    NodeId file = 0, folder = 0;
    for (NodeId row = 1; row < scanner.store().publishedCount(); ++row) {
        if (scanner.store().nameOf(row) == u"one.pdf")
            file = row;
        if (scanner.store().nameOf(row) == u"f")
            folder = row;
    }
    scanner.removeNode(file);
    scanner.emptyFolder(folder);
    EXPECT_EQ(scanner.kindTotals().files(pdf), 0u);
    EXPECT_EQ(scanner.counters().files.get(), 0u);
    EXPECT_EQ(scanner.store().size.get(0), 0u);
}

TEST(FolderWalk, ListingThreadsFollowTheProcessorCount) {
    struct Case {
        std::int32_t requested;
        unsigned hardware;
        unsigned expected;
    };
    const Case cases[] = {{0, 0, 2},  {0, 1, 1},  {0, 2, 1},  {0, 3, 1},  {0, 4, 2},
                          {0, 10, 8}, {0, 16, 8}, {3, 16, 3}, {-1, 6, 4}, {12, 2, 12}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.requested) + " " + std::to_string(c.hardware));
        EXPECT_EQ(listingThreadCount(c.requested, c.hardware), c.expected);
    }
}

TEST(FileIdSet, GrowsFindsAndErasesWithoutLosingNeighbours) {
    FileIdSet set;
    for (NodeId row = 1; row <= 10'000; ++row) {
        ASSERT_TRUE(set.insert(row * 7919ull, row));
    }
    EXPECT_FALSE(set.insert(7919, 10'001)) << "a further name of the file in row 1";
    EXPECT_EQ(set.idOf(10'001), 7919u);
    EXPECT_EQ(set.find(7919), 1u);
    EXPECT_EQ(set.size(), 10'000u);
    EXPECT_GE(set.slotCount() * 7, set.size() * 10);
    // Erasing moves later entries of a run back; every entry left must still be found.
    for (NodeId row = 1; row <= 10'000; row += 2) {
        ASSERT_TRUE(set.erase(row * 7919ull));
    }
    EXPECT_FALSE(set.erase(7919));
    EXPECT_EQ(set.size(), 5'000u);
    for (NodeId row = 1; row <= 10'000; ++row) {
        ASSERT_EQ(set.find(row * 7919ull), row % 2 == 0 ? row : 0) << row;
    }
    EXPECT_TRUE(set.insert(7919, 10'001));
    EXPECT_TRUE(set.assign(7919, 1));
    EXPECT_EQ(set.find(7919), 1u);
    EXPECT_FALSE(set.assign(3 * 7919, 3));
}

}  // namespace
}  // namespace scan::testing
