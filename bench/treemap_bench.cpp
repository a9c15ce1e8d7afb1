// Laying out and shading the treemap of synthetic drives of 100,000, 1,000,000 and 10,000,000
// files at full-HD and 4K sizes, each next to its floor: one pass that shades every pixel of the
// image once with the cushion code of every build. A build can never beat the floor, so the ratio
// to it is the cost of everything else: layout, colours, buffers and bookkeeping.
//
// Counters: vsFloor is the time of one call over the floor's (both in thread CPU time, the floor
// re-measured before each run); peak is the most memory the call held at once beyond what was
// held before it; beyondBuffers is peak less the two pixel-sized buffers; perItem divides that
// by the items laid out; scratch is what the call freed again before returning. A peak that grows
// with the files rather than with the items would mean a build costs memory per node.

#include "allocation_counter.h"
#include "synthetic_store.h"
#include "treemap/treemap_render.h"

#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Screen {
    int width;
    int height;
};

constexpr Screen kScreens[] = {{1920, 1080}, {3840, 2160}};
constexpr std::uint64_t kFileCounts[] = {100'000, 1'000'000, 10'000'000};
constexpr int kFloorSamples = 3;

double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

std::string screenName(const Screen& screen) {
    return std::to_string(screen.width) + "x" + std::to_string(screen.height);
}

std::string countName(std::uint64_t files) {
    return files >= 1'000'000 ? std::to_string(files / 1'000'000) + "M"
                              : std::to_string(files / 1'000) + "k";
}

// One rectangle over the whole image with a ridge of the top level and one of a nested folder, so
// the normal changes from pixel to pixel as it does in a real picture.
struct Floor {
    treemap::TreemapImage image;
    treemap::TreemapItem item;
};

Floor& floorFor(const Screen& screen) {
    static std::map<std::pair<int, int>, Floor> floors;
    Floor& floor = floors[{screen.width, screen.height}];
    if (floor.image.pixels.empty()) {
        floor.image.width = screen.width;
        floor.image.height = screen.height;
        const auto count = static_cast<std::size_t>(screen.width) * screen.height;
        floor.image.pixels.assign(count, treemap::kBackground);
        floor.image.itemAt.assign(count, -1);
        floor.item.rect = {0, 0, static_cast<double>(screen.width),
                           static_cast<double>(screen.height)};
        treemap::addRidge(floor.item.surface, floor.item.rect, treemap::kTopRidgeHeight);
        treemap::addRidge(floor.item.surface, floor.item.rect,
                          treemap::kTopRidgeHeight * treemap::kRidgeFactor);
    }
    return floor;
}

constexpr std::uint32_t kFloorColour = 0xFF4A90D9;

void shadeFloor(Floor& floor) {
    treemap::paintCushion(floor.image, floor.item, kFloorColour, 0);
    benchmark::DoNotOptimize(floor.image.pixels.data());
    benchmark::ClobberMemory();
}

// The median of a few floor passes, taken just before the run it is compared with, so both see
// the same load on the machine.
double floorSeconds(const Screen& screen) {
    Floor& floor = floorFor(screen);
    std::vector<double> samples;
    for (int i = 0; i < kFloorSamples; ++i) {
        const double start = threadSeconds();
        shadeFloor(floor);
        samples.push_back(threadSeconds() - start);
    }
    std::nth_element(samples.begin(), samples.begin() + kFloorSamples / 2, samples.end());
    return samples[kFloorSamples / 2];
}

struct Memory {
    double peak = 0;
    double scratch = 0;
    double items = 0;
};

// Calls `make` once outside the timed loop and sees what it held at its peak and what it kept.
template <class Make, class Items>
Memory measureMemory(Make make, Items itemsOf) {
    const std::size_t before = bench::allocatedNow();
    bench::resetAllocationPeak();
    const auto result = make();
    Memory memory;
    memory.peak = static_cast<double>(bench::allocationPeak() - before);
    memory.scratch = memory.peak - static_cast<double>(bench::allocatedNow() - before);
    memory.items = static_cast<double>(itemsOf(result));
    return memory;
}

benchmark::Counter bytes(double value) {
    return benchmark::Counter(value, benchmark::Counter::kDefaults, benchmark::Counter::kIs1024);
}

// Runs `make` in the timed loop and reports its time against the floor and its memory.
template <class Make, class Items>
void runAgainstFloor(benchmark::State& state, const Screen& screen, double buffers, Make make,
                     Items itemsOf) {
    const Memory memory = measureMemory(make, itemsOf);
    const double floor = floorSeconds(screen);
    double spent = 0;
    for (auto _ : state) {
        const double start = threadSeconds();
        auto result = make();
        benchmark::DoNotOptimize(result);
        spent += threadSeconds() - start;
    }
    state.counters["vsFloor"] = spent / static_cast<double>(state.iterations()) / floor;
    state.counters["items"] = memory.items;
    state.counters["peak"] = bytes(memory.peak);
    state.counters["beyondBuffers"] = bytes(memory.peak - buffers);
    state.counters["perItem"] = (memory.peak - buffers) / std::max(1.0, memory.items);
    state.counters["scratch"] = bytes(memory.scratch);
}

void floorBenchmark(benchmark::State& state, Screen screen) {
    Floor& floor = floorFor(screen);
    for (auto _ : state) {
        shadeFloor(floor);
    }
    state.counters["pixels"] = static_cast<double>(floor.image.pixels.size());
}

void layoutOf(benchmark::State& state, const scan::NodeStore& store, Screen screen) {
    runAgainstFloor(
        state, screen, 0,
        [&] { return treemap::layoutTreemap(store, 0, screen.width, screen.height, {}); },
        [](const std::vector<treemap::TreemapItem>& items) { return items.size(); });
}

void layoutBenchmark(benchmark::State& state, std::uint64_t files, Screen screen) {
    layoutOf(state, bench::syntheticStore(files).store, screen);
}

// One folder of a million files: what a layout holds must not follow the width of a folder.
void flatLayoutBenchmark(benchmark::State& state, std::uint64_t files, Screen screen) {
    layoutOf(state, bench::flatStore(files).store, screen);
}

void buildBenchmark(benchmark::State& state, std::uint64_t files, Screen screen) {
    const bench::SyntheticStore& synthetic = bench::syntheticStore(files);
    const treemap::KindColours colours;
    const double buffers = 8.0 * screen.width * screen.height;
    runAgainstFloor(
        state, screen, buffers,
        [&] {
            return treemap::renderTreemap(synthetic.store, 0, screen.width, screen.height, colours,
                                          {});
        },
        [](const treemap::TreemapImage& image) { return image.items.size(); });
    state.counters["folders"] = static_cast<double>(synthetic.shape.folders);
    state.counters["deepest"] = synthetic.shape.deepest;
    state.counters["widest"] = synthetic.shape.widest;
}

// Floors first, then each store from the smallest, so the large stores are made only when needed.
const bool registered = [] {
    for (const Screen& screen : kScreens) {
        benchmark::RegisterBenchmark(("floor/" + screenName(screen)).c_str(), floorBenchmark,
                                     screen)
            ->Unit(benchmark::kMillisecond);
    }
    for (const std::uint64_t files : kFileCounts) {
        for (const Screen& screen : kScreens) {
            const std::string name = countName(files) + "/" + screenName(screen);
            benchmark::RegisterBenchmark(("layout/" + name).c_str(), layoutBenchmark, files, screen)
                ->Unit(benchmark::kMillisecond)
                ->MeasureProcessCPUTime();
            benchmark::RegisterBenchmark(("build/" + name).c_str(), buildBenchmark, files, screen)
                ->Unit(benchmark::kMillisecond)
                ->MeasureProcessCPUTime();
        }
    }
    benchmark::RegisterBenchmark("layout/flat1M/1920x1080", flatLayoutBenchmark, 1'000'000,
                                 kScreens[0])
        ->Unit(benchmark::kMillisecond)
        ->MeasureProcessCPUTime();
    return true;
}();

}  // namespace
