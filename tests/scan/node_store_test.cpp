#include "scan/node_store.h"

#include <gtest/gtest.h>

#include <atomic>
#include <new>
#include <string>
#include <thread>
#include <vector>

namespace scan {
namespace {

constexpr std::uint64_t kChunk = Column<NodeId>::kChunkLength;
constexpr std::uint64_t kPoolChunk = NamePool::kChunkUnits;

NodeId addChild(NodeStore& store, NodeId parent, std::u16string_view name) {
    const auto row = static_cast<NodeId>(store.appendRows(1));
    store.parent.set(row, parent);
    store.setName(row, name);
    return row;
}

// "n", a letter from the row number, and up to six x: names a reader can check by row alone.
std::u16string testName(NodeId row) {
    std::u16string name(2 + row % 7, u'x');
    name[0] = u'n';
    name[1] = static_cast<char16_t>(u'a' + row % 26);
    return name;
}

TEST(NodeStore, AppendingNothingReturnsRowCountAndAllocatesNothing) {
    NodeStore store;
    EXPECT_EQ(store.appendRows(0), 0u);
    EXPECT_EQ(store.parent.chunksAllocated(), 0u);
    EXPECT_EQ(store.appendRows(3), 0u);
    EXPECT_EQ(store.appendRows(0), 3u);
    EXPECT_EQ(store.rowCount(), 3u);
    EXPECT_EQ(store.publishedCount(), 0u) << "appending does not publish";
    store.publish();
    EXPECT_EQ(store.publishedCount(), 3u);
}

TEST(NodeStore, RowsAcrossAChunkBoundaryReadZeroUntilWrittenAndKeepEveryColumn) {
    NodeStore store;
    ASSERT_EQ(store.appendRows(kChunk - 1), 0u);
    EXPECT_EQ(store.addedSinceScan.chunksAllocated(), 1u);
    ASSERT_EQ(store.appendRows(2), kChunk - 1);
    EXPECT_EQ(store.parent.chunksAllocated(), 2u);
    EXPECT_EQ(store.addedSinceScan.chunksAllocated(), 2u);
    for (std::uint64_t row : {kChunk - 1, kChunk}) {
        SCOPED_TRACE(row);
        EXPECT_EQ(store.size.get(row), 0u);
        EXPECT_EQ(store.flags.get(row), 0u);
        store.size.set(row, row * 1'000'000'007ull);
        store.kind.set(row, static_cast<std::uint16_t>(row));
        store.flags.set(row, FlagFolder | FlagRemoved);
        store.created.set(row, 0xffffffffu);
    }
    store.size.add(kChunk, 5);
    EXPECT_EQ(store.size.get(kChunk - 1), (kChunk - 1) * 1'000'000'007ull);
    EXPECT_EQ(store.size.get(kChunk), kChunk * 1'000'000'007ull + 5);
    EXPECT_EQ(store.kind.get(kChunk), static_cast<std::uint16_t>(kChunk));
    EXPECT_TRUE(store.hasFlag(static_cast<NodeId>(kChunk), FlagRemoved));
    EXPECT_EQ(store.created.get(kChunk - 1), 0xffffffffu);
}

TEST(NodeStore, AColumnHoldsExactly4097ChunksOfRows) {
    Column<std::uint8_t> column;
    EXPECT_THROW(column.reserveThrough(Column<std::uint8_t>::kMaxRows), std::bad_alloc);
    EXPECT_EQ(column.chunksAllocated(), 0u);
    column.reserveThrough(Column<std::uint8_t>::kMaxRows - 1);
    EXPECT_EQ(column.chunksAllocated(), 4097u);
    column.set(268'500'991, 7);
    EXPECT_EQ(column.get(268'500'991), 7);
}

TEST(NodeStore, AskingForRowBeyondTheLastChunkFailsAndKeepsRowCount) {
    NodeStore store;
    EXPECT_EQ(NodeStore::kMaxRows, 268'500'992u);
    EXPECT_THROW(store.appendRows(NodeStore::kMaxRows + 1), std::bad_alloc);
    EXPECT_EQ(store.rowCount(), 0u);
    store.appendRows(10);
    EXPECT_THROW(store.appendRows(NodeStore::kMaxRows - 9), std::bad_alloc);
    EXPECT_EQ(store.rowCount(), 10u);
    EXPECT_THROW(store.appendRows(~std::uint64_t{0}), std::bad_alloc) << "no overflow of the sum";
    EXPECT_EQ(store.rowCount(), 10u);
}

TEST(NamePool, NamesNeverCrossAChunkBoundary) {
    NodeStore store;
    EXPECT_EQ(store.allocName(0), 0u);
    EXPECT_EQ(store.namesUsed(), 0u);
    EXPECT_EQ(store.namePool().chunksAllocated(), 0u) << "an empty name reserves nothing";

    ASSERT_EQ(store.allocName(kPoolChunk - 3), 0u);
    EXPECT_EQ(store.allocName(3), kPoolChunk - 3) << "a name that ends on the boundary stays";
    EXPECT_EQ(store.namePool().chunksAllocated(), 1u);
    EXPECT_EQ(store.allocName(1), kPoolChunk);
    EXPECT_EQ(store.namePool().chunksAllocated(), 2u);

    ASSERT_EQ(store.allocName(kPoolChunk - 3), kPoolChunk + 1);
    EXPECT_EQ(store.allocName(4), 2 * kPoolChunk) << "one unit too long moves to the next chunk";
    EXPECT_EQ(store.namesUsed(), 2 * kPoolChunk + 4);
    EXPECT_EQ(store.allocName(0), 2 * kPoolChunk + 4);
}

TEST(NamePool, NamesStayBelowUnit2To32AndAFailureKeepsUsed) {
    NamePool pool;
    for (int chunk = 0; chunk < 8191; ++chunk) {
        pool.allocName(kPoolChunk);
    }
    EXPECT_EQ(pool.allocName(kPoolChunk - 1), 8191 * kPoolChunk);
    EXPECT_EQ(pool.allocName(1), (std::uint64_t{1} << 32) - 1) << "the last offset that fits";
    const std::uint64_t used = pool.used();
    EXPECT_THROW(pool.allocName(1), std::bad_alloc);
    EXPECT_EQ(pool.used(), used);
}

TEST(NodeStore, NamesAreStoredOnceAndCutTo65535Units) {
    NodeStore store;
    store.appendRows(3);
    EXPECT_EQ(store.nameOf(0), u"") << "a row without a name";
    store.setName(1, u"report.pdf");
    EXPECT_EQ(store.nameOf(1), u"report.pdf");
    const std::u16string longName(70'000, u'x');
    store.setName(2, longName);
    EXPECT_EQ(store.nameLength.get(2), 65535u);
    EXPECT_EQ(store.nameOf(2), longName.substr(0, 65535));
    EXPECT_EQ(store.nameOf(1), u"report.pdf");
}

TEST(NodeStore, PathOfJoinsNamesBelowTheRoot) {
    struct Case {
        std::u16string root;
        char16_t separator;
        std::u16string expected;
    };
    const Case cases[] = {
        {u"C:\\", u'\\', u"C:\\Users\\a.txt"},
        {u"D:\\Data", u'\\', u"D:\\Data\\Users\\a.txt"},
        {u"\\\\server\\share", u'\\', u"\\\\server\\share\\Users\\a.txt"},
        {u"/", u'/', u"/Users/a.txt"},
        {u"/home/user", u'/', u"/home/user/Users/a.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.expected.begin(), c.expected.end()));
        NodeStore store;
        store.appendRows(1);
        store.setName(0, c.root);
        const NodeId users = addChild(store, 0, u"Users");
        const NodeId file = addChild(store, users, u"a.txt");
        EXPECT_EQ(store.pathOf(file, c.separator), c.expected);
        EXPECT_EQ(store.pathOf(0, c.separator), c.root);
        EXPECT_EQ(store.pathOf(users, c.separator), c.expected.substr(0, c.expected.size() - 6));
    }
}

TEST(NodeStore, CreationTimesFromFileTimes) {
    constexpr std::int64_t kEpoch = 116'444'736'000'000'000;  // 1970-01-01 as a file time
    constexpr std::int64_t kSecond = 10'000'000;
    struct Case {
        std::int64_t fileTime;
        std::uint32_t expected;
    };
    const Case cases[] = {
        {0, 0},
        {-5, 0},
        {kEpoch, 0},
        {kEpoch + kSecond - 1, 0},
        {kEpoch + kSecond, 1},
        {kEpoch + 1'700'000'000 * kSecond + 9'999'999, 1'700'000'000},
        {kEpoch + 4'294'967'295 * kSecond, 4'294'967'295u},
        {kEpoch + 4'294'967'296 * kSecond, 0},
        {1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fileTime);
        EXPECT_EQ(createdFromFileTime(c.fileTime), c.expected);
    }
}

TEST(NodeStore, ReadersCutChildRangesAtThePublishedCount) {
    NodeStore store;
    store.appendRows(1);
    store.setName(0, u"C:\\");
    store.flags.set(0, FlagFolder);
    store.publish();
    const std::uint64_t first = store.appendRows(4);
    store.firstChild.set(0, static_cast<NodeId>(first));
    store.childCount.set(0, 4);
    ChildRange children = publishedChildren(store, 0, store.publishedCount());
    EXPECT_EQ(children.begin, children.end) << "children not yet published are not shown";
    store.publish();
    children = publishedChildren(store, 0, store.publishedCount());
    EXPECT_EQ(children.begin, 1u);
    EXPECT_EQ(children.end, 5u);
    children = publishedChildren(store, 0, 3);
    EXPECT_EQ(children.end, 3u) << "cut at the published count";

    store.childCount.set(0, 0);
    store.firstChild.set(0, 0);
    store.childCount.set(0, 4);
    children = publishedChildren(store, 0, store.publishedCount());
    EXPECT_EQ(children.begin, children.end) << "a count seen before its first child is no range";
}

// root ─ a ─ a1
//      └ b ─ b1 ─ b11
// with b's listing later cut to nothing, as a refresh or a removal leaves it.
TEST(NodeStore, WalksUpToTheRootAnswerAncestryDepthAndListing) {
    NodeStore store;
    store.appendRows(1);
    const NodeId a = addChild(store, 0, u"a");
    const NodeId b = addChild(store, 0, u"b");
    const NodeId a1 = addChild(store, a, u"a1");
    const NodeId b1 = addChild(store, b, u"b1");
    const NodeId b11 = addChild(store, b1, u"b11");
    const auto list = [&store](NodeId folder, NodeId first, std::uint32_t count) {
        store.firstChild.set(folder, first);
        store.childCount.set(folder, count);
    };
    list(0, a, 2);
    list(a, a1, 1);
    list(b, b1, 1);
    list(b1, b11, 1);
    store.publish();

    struct Case {
        NodeId node, folder;
        bool inside;
    };
    for (const Case& c : {Case{b11, b, true}, Case{b11, b11, true}, Case{b11, 0, true},
                          Case{a1, b, false}, Case{b, b11, false}, Case{0, a, false}}) {
        SCOPED_TRACE(testing::Message() << c.node << " in " << c.folder);
        EXPECT_EQ(isSameOrInside(store, c.node, c.folder), c.inside);
    }
    EXPECT_EQ(depthOf(store, 0), 0u);
    EXPECT_EQ(depthOf(store, a1), 2u);
    EXPECT_EQ(depthOf(store, b11), 3u);

    for (const NodeId node : {NodeId{0}, a, a1, b1, b11}) {
        EXPECT_TRUE(isListedUpToRoot(store, node, store.publishedCount())) << node;
    }
    EXPECT_FALSE(isListedUpToRoot(store, b11, b11)) << "a row past the published count";
    list(b, 0, 0);
    EXPECT_TRUE(isListedUpToRoot(store, b, store.publishedCount()));
    EXPECT_FALSE(isListedUpToRoot(store, b1, store.publishedCount()));
    EXPECT_FALSE(isListedUpToRoot(store, b11, store.publishedCount()))
        << "still listed by b1, but b1 is cut off from the root";
}

// A writer builds a tree folder by folder, as the committing thread does, while a reader walks
// only published rows. Under ThreadSanitizer this also proves the lock-free reading sound.
TEST(NodeStore, AReaderOfPublishedRowsSeesAConsistentTreeWhileTheWriterAppends) {
    constexpr NodeId kFolders = 3000;
    constexpr std::uint32_t kChildrenPerFolder = 40;
    NodeStore store;
    store.appendRows(1);
    store.setName(0, u"R");
    store.flags.set(0, FlagFolder);
    store.publish();

    std::atomic<bool> writing{true};
    std::thread writer([&] {
        std::vector<NodeId> pending{0};
        for (std::size_t next = 0; next < pending.size() && pending.size() < kFolders; ++next) {
            const NodeId folder = pending[next];
            const auto first = static_cast<NodeId>(store.appendRows(kChildrenPerFolder));
            std::uint64_t bytes = 0;
            for (NodeId row = first; row < first + kChildrenPerFolder; ++row) {
                store.parent.set(row, folder);
                store.setName(row, testName(row));
                const bool isFolder = row % 4 == 0;
                store.flags.set(row, isFolder ? FlagFolder : 0);
                if (!isFolder) {
                    store.size.set(row, row);
                    bytes += row;
                }
                if (isFolder) {
                    pending.push_back(row);
                }
            }
            store.firstChild.set(folder, first);
            store.childCount.set(folder, kChildrenPerFolder);
            for (NodeId at = folder;; at = store.parent.get(at)) {
                store.size.add(at, bytes);
                if (at == 0) {
                    break;
                }
            }
            store.publish();
        }
        writing = false;
    });

    // Checks one snapshot; answers the first broken promise, or nothing.
    auto check = [&store]() -> std::string {
        const std::uint64_t published = store.publishedCount();
        for (NodeId row = 1; row < published; ++row) {
            if (store.parent.get(row) >= row) {
                return "a parent after its child at row " + std::to_string(row);
            }
            const std::u16string name = store.nameOf(row);
            if (name.size() != 2u + row % 7 || name[1] != static_cast<char16_t>(u'a' + row % 26)) {
                return "a wrong name at row " + std::to_string(row);
            }
        }
        std::vector<NodeId> stack{0};
        while (!stack.empty()) {
            const NodeId folder = stack.back();
            stack.pop_back();
            const ChildRange children = publishedChildren(store, folder, published);
            for (NodeId child = children.begin; child < children.end; ++child) {
                if (store.parent.get(child) != folder) {
                    return "row " + std::to_string(child) + " in the range of another folder";
                }
                if (store.hasFlag(child, FlagFolder)) {
                    stack.push_back(child);
                }
            }
        }
        return {};
    };
    std::uint64_t walks = 0;
    std::string failure;
    while ((writing || walks == 0) && failure.empty()) {
        failure = check();
        ++walks;
    }
    writer.join();
    EXPECT_EQ(failure, "");

    std::uint64_t total = 0;
    for (NodeId row = 1; row < store.publishedCount(); ++row) {
        total += store.size.get(row) * !store.hasFlag(row, FlagFolder);
    }
    EXPECT_EQ(store.size.get(0), total);
}

}  // namespace
}  // namespace scan
