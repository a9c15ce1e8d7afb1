#include "treemap/treemap_build.h"

#include "test_tree.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <map>
#include <mutex>

namespace treemap {
namespace {

using testing::file;
using testing::folder;
using testing::TreeBuilder;

class Collector : public BuildNotifier {
  public:
    void buildFinished(std::uint32_t generation, std::unique_ptr<BuildResult> result) override {
        std::lock_guard lock(mutex_);
        results_[generation] = std::move(result);
        arrived_.notify_all();
    }

    std::map<std::uint32_t, std::unique_ptr<BuildResult>> waitFor(std::size_t count) {
        std::unique_lock lock(mutex_);
        arrived_.wait(lock, [&] { return results_.size() >= count; });
        return std::move(results_);
    }

    std::size_t received() {
        std::lock_guard lock(mutex_);
        return results_.size();
    }

  private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::map<std::uint32_t, std::unique_ptr<BuildResult>> results_;
};

std::shared_ptr<scan::NodeStore> sampleStore() {
    TreeBuilder tree;
    const scan::NodeId first = tree.addChildren(0, {folder(), file(300, 5), file(200, 6)});
    tree.addChildren(first, {file(100, 7), file(50, 8), file(25, 5)});
    return tree.finish();
}

TreemapJob jobFor(std::shared_ptr<const scan::NodeStore> store, std::uint32_t generation, int width,
                  int height, std::shared_ptr<BuildNotifier> notifier) {
    TreemapJob job;
    job.store = std::move(store);
    job.width = width;
    job.height = height;
    job.colours = KindColours();
    job.generation = generation;
    job.notifier = std::move(notifier);
    return job;
}

TEST(TreemapBuild, EachBuildReportsItsPictureWithItsGenerationAndKeepsTheStoreAlive) {
    auto collector = std::make_shared<Collector>();
    std::shared_ptr<scan::NodeStore> store = sampleStore();
    const TreemapImage expected = renderTreemap(*store, 0, 120, 90, KindColours(), {});
    for (std::uint32_t generation = 1; generation <= 3; ++generation) {
        startTreemapBuild(
            jobFor(store, generation, 40 * (generation + 1), 30 * (generation + 1), collector));
    }
    // The builds alone hold the store now; each must still be able to read it.
    store.reset();

    const auto results = collector->waitFor(3);
    ASSERT_EQ(results.size(), 3u);
    for (const auto& [generation, result] : results) {
        SCOPED_TRACE(generation);
        ASSERT_NE(result->image, nullptr);
        EXPECT_EQ(result->image->width, 40 * static_cast<int>(generation + 1));
        EXPECT_EQ(result->image->height, 30 * static_cast<int>(generation + 1));
        EXPECT_GE(result->milliseconds, 0.0);
        EXPECT_EQ(result->image->items.size(), 7u);
    }
    EXPECT_EQ(results.at(2)->image->pixels, expected.pixels);
}

TEST(TreemapBuild, AJobWithoutStoreGivesAnEmptyPicture) {
    auto collector = std::make_shared<Collector>();
    runTreemapBuild(jobFor(nullptr, 9, 100, 100, collector));
    const auto results = collector->waitFor(1);
    ASSERT_EQ(results.count(9), 1u);
    EXPECT_TRUE(results.at(9)->image->pixels.empty());
}

// With a window named, the notifier is not used; a window that cannot take the result (there is
// no such window, or no windows at all) leaves it to the build, which frees it: the leak checker
// of the sanitizer build would report it otherwise.
TEST(TreemapBuild, AResultNoWindowTakesIsFreed) {
    auto collector = std::make_shared<Collector>();
    TreemapJob job = jobFor(sampleStore(), 4, 64, 48, collector);
    job.window = 0x7FFF0010;
    runTreemapBuild(job);
    EXPECT_EQ(collector->received(), 0u);
}

}  // namespace
}  // namespace treemap
