#pragma once

// One treemap picture built on a short-lived thread of its own. The job carries copies of
// everything the build reads, so the thread shares nothing mutable with the user interface but
// the store, which it reads without a lock and keeps alive until it is done.

#include "scan/node_store.h"
#include "treemap/kind_colours.h"
#include "treemap/treemap_layout.h"
#include "treemap/treemap_render.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

namespace treemap {

// What a build hands back: the picture and how long laying it out and shading it took.
struct BuildResult {
    std::unique_ptr<TreemapImage> image;
    double milliseconds = 0;
};

// Receives finished builds where no window does. Called on the build thread.
class BuildNotifier {
  public:
    virtual ~BuildNotifier() = default;
    // Takes over `result`. `generation` is the job's, so the receiver can drop stale pictures.
    virtual void buildFinished(std::uint32_t generation, std::unique_ptr<BuildResult> result) = 0;
};

// Where a build whose result reached nobody leaves its generation, so that the view that started
// it does not wait for it forever. Written by the build thread, read by the view's thread.
class LostBuilds {
  public:
    void record(std::uint32_t generation) {
        last_.store(kRecorded | generation, std::memory_order_release);
    }
    bool has(std::uint32_t generation) const {
        return last_.load(std::memory_order_acquire) == (kRecorded | generation);
    }

  private:
    // Set beside the generation so that generation 0 can be recorded too.
    static constexpr std::uint64_t kRecorded = std::uint64_t{1} << 32;
    std::atomic<std::uint64_t> last_{0};
};

// One spent picture kept for the next build to draw into, so that builds in quick succession
// (while a scan runs) reuse their buffers instead of asking the system for fresh memory each time.
// Given by the view's thread, taken by a build thread.
class PictureRecycler {
  public:
    void give(std::unique_ptr<TreemapImage> picture) {
        std::lock_guard guard(lock_);
        spare_ = std::move(picture);
    }
    // The spare picture, or null when there is none.
    std::unique_ptr<TreemapImage> take() {
        std::lock_guard guard(lock_);
        return std::move(spare_);
    }

  private:
    std::mutex lock_;
    std::unique_ptr<TreemapImage> spare_;
};

struct TreemapJob {
    std::shared_ptr<const scan::NodeStore> store;
    scan::NodeId root = 0;
    int width = 0;
    int height = 0;
    KindColours colours{0};
    TreemapOptions options;
    std::uint32_t generation = 0;
    // The view's window handle, 0 for none. When set, the result is posted to it as
    // kBuildResultMessage (see build_delivery.h) and `notifier` is not used.
    std::uintptr_t window = 0;
    std::shared_ptr<BuildNotifier> notifier;
    // Told when the result could not be delivered; may be empty.
    std::shared_ptr<LostBuilds> lost;
    // Where a spent picture to draw into may wait; may be empty.
    std::shared_ptr<PictureRecycler> recycler;
};

// Renders the job's picture; an empty image when the job has no store.
TreemapImage renderTreemap(const TreemapJob& job);

// Builds the picture on the calling thread and reports it: posted to the job's window, or handed
// to its notifier. A result that nobody takes (posting failed, or neither is set) is freed here,
// and its generation goes to the job's LostBuilds.
void runTreemapBuild(const TreemapJob& job);

// Starts a detached thread that runs runTreemapBuild and then releases the job, and with it its
// hold on the store. Raises std::system_error when the thread cannot be started.
void startTreemapBuild(TreemapJob job);

}  // namespace treemap
