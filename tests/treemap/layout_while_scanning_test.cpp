#include "treemap/treemap_layout.h"

#include "test_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace treemap {
namespace {

using testing::file;
using testing::folder;
using testing::TreeBuilder;

// Appends a folder's listing the way the scan's committing thread does: rows written, the folder
// linked to them and the sums carried up to the root, all before the rows are published.
std::vector<scan::NodeId> appendListing(scan::NodeStore& store, scan::NodeId parent,
                                        std::uint32_t count, std::uint32_t seed) {
    const auto first = static_cast<scan::NodeId>(store.appendRows(count));
    std::vector<scan::NodeId> folders;
    std::uint64_t sum = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        const scan::NodeId row = first + i;
        const bool isFolder = (seed + i) % 97 == 0;
        const std::uint64_t value = isFolder ? 0 : 1 + (seed * 7919u + i * 104729u) % 50'000;
        store.parent.set(row, parent);
        store.kind.set(row, isFolder ? scan::KindFolder : static_cast<scan::FileKind>(4 + i % 9));
        store.flags.set(row, isFolder ? scan::FlagFolder : 0);
        store.size.set(row, value);
        store.allocated.set(row, value);
        sum += value;
        if (isFolder) {
            folders.push_back(row);
        }
    }
    store.firstChild.set(parent, first);
    store.childCount.set(parent, count);
    for (scan::NodeId up = parent;; up = store.parent.get(up)) {
        store.size.add(up, sum);
        store.allocated.add(up, sum);
        if (up == 0) {
            break;
        }
    }
    return folders;
}

TEST(LayoutWhileScanning, AListingLinkedButNotYetPublishedIsNotShown) {
    TreeBuilder tree;
    const scan::NodeId sub = tree.addChildren(0, {folder(), file(100)});
    const scan::NodeId unlisted = tree.addChildren(sub, {folder(), file(300)});
    const auto store = tree.finish();
    const std::uint64_t published = store->publishedCount();
    appendListing(*store, unlisted, 50, 3);

    const auto items = layoutTreemap(*store, 0, 400, 300, {});
    for (const TreemapItem& item : items) {
        EXPECT_LT(static_cast<std::uint64_t>(item.node), published);
    }
    const auto last = std::find_if(items.begin(), items.end(), [&](const TreemapItem& item) {
        return item.node == static_cast<std::int32_t>(unlisted);
    });
    ASSERT_NE(last, items.end());
    EXPECT_TRUE(last->drawn) << "its children are not published yet";
}

// The writer holds every listing linked but unpublished until the reader has run a whole layout
// in that state, so a layout that looks past publishedCount shows unpublished rows. Under
// ThreadSanitizer (the linux-tsan build) such a layout also reads chunk pointers the writer has
// not published yet, which TSan reports.
TEST(LayoutWhileScanning, ALayoutDuringAScanReadsOnlyPublishedRows) {
    scan::NodeStore store;
    store.appendRows(1);
    store.kind.set(0, scan::KindFolder);
    store.flags.set(0, scan::FlagFolder);
    store.publish();

    std::mutex mutex;
    std::condition_variable layoutDone;
    int layouts = 0;
    std::atomic<bool> done{false};
    std::thread writer([&] {
        std::deque<scan::NodeId> unlisted = {0};
        std::uint32_t seed = 1;
        // About 200,000 rows, so the columns grow by several chunks while the reader works.
        while (!unlisted.empty() && store.rowCount() < 200'000) {
            const scan::NodeId next = unlisted.front();
            unlisted.pop_front();
            int seen = 0;
            {
                std::lock_guard lock(mutex);
                seen = layouts;
            }
            for (const scan::NodeId f : appendListing(store, next, 8000 + seed % 4000, seed)) {
                unlisted.push_back(f);
            }
            {
                // The layout running now may have started before the listing was linked; the
                // one after it cannot have.
                std::unique_lock lock(mutex);
                layoutDone.wait(lock, [&] { return layouts >= seen + 2; });
            }
            store.publish();
            ++seed;
        }
        done.store(true, std::memory_order_release);
    });

    bool last = false;
    while (!last) {
        last = done.load(std::memory_order_acquire);
        const std::uint64_t before = store.publishedCount();
        const auto items = layoutTreemap(store, 0, 640, 480, {});
        const std::uint64_t after = store.publishedCount();
        ASSERT_FALSE(items.empty());
        for (const TreemapItem& item : items) {
            ASSERT_LT(static_cast<std::uint64_t>(item.node), after);
            ASSERT_GE(item.rect.x, -1e-6);
            ASSERT_LE(item.rect.x + item.rect.w, 640 + 1e-6);
        }
        if (before == after) {
            // Nothing was published during this layout, so it may show no row at or above it.
            for (const TreemapItem& item : items) {
                ASSERT_LT(static_cast<std::uint64_t>(item.node), before);
            }
        }
        std::lock_guard lock(mutex);
        ++layouts;
        layoutDone.notify_all();
    }
    writer.join();
    EXPECT_GE(store.rowCount(), 200'000u);
}

}  // namespace
}  // namespace treemap
