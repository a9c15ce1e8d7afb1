#include "treemap/treemap_build.h"

#include "treemap/build_delivery.h"

#include <chrono>
#include <thread>
#include <utility>

namespace treemap {

TreemapImage renderTreemap(const TreemapJob& job) {
    if (!job.store) {
        TreemapImage empty;
        empty.root = job.root;
        return empty;
    }
    return renderTreemap(*job.store, job.root, job.width, job.height, job.colours, job.options);
}

namespace {

std::unique_ptr<TreemapImage> renderIntoSpare(const TreemapJob& job) {
    std::unique_ptr<TreemapImage> image = job.recycler ? job.recycler->take() : nullptr;
    if (!image || !job.store) {
        return std::make_unique<TreemapImage>(renderTreemap(job));
    }
    renderTreemapInto(*image, *job.store, job.root, job.width, job.height, job.colours,
                      job.options);
    return image;
}

}  // namespace

void runTreemapBuild(const TreemapJob& job) {
    const auto start = std::chrono::steady_clock::now();
    auto result = std::make_unique<BuildResult>();
    result->image = renderIntoSpare(job);
    const std::chrono::duration<double, std::milli> elapsed =
        std::chrono::steady_clock::now() - start;
    result->milliseconds = elapsed.count();

    if (job.window != 0) {
        BuildResult* posted = result.release();
        if (postBuildResult(job.window, job.generation, posted)) {
            return;
        }
        delete posted;
    } else if (job.notifier) {
        job.notifier->buildFinished(job.generation, std::move(result));
        return;
    }
    if (job.lost) {
        job.lost->record(job.generation);
    }
}

void startTreemapBuild(TreemapJob job) {
    std::thread([job = std::move(job)] { runTreemapBuild(job); }).detach();
}

}  // namespace treemap
