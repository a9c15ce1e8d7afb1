// Laying out and shading the treemap of a large tree at a full-screen size: 1,000,000 files in
// 2,100 folders (100 top folders of 20 folders of 500 files), sizes spread over five orders of
// magnitude, kinds mixed as in a real drive.

#include "scan/file_kinds.h"
#include "scan/node_store.h"
#include "treemap/treemap_render.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

constexpr int kTopFolders = 100;
constexpr int kSubFolders = 20;
constexpr int kFilesPerFolder = 500;
constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

scan::NodeId appendFolders(scan::NodeStore& store, scan::NodeId parent, int count) {
    const auto first = static_cast<scan::NodeId>(store.appendRows(count));
    for (int i = 0; i < count; ++i) {
        store.parent.set(first + i, parent);
        store.kind.set(first + i, scan::KindFolder);
        store.flags.set(first + i, scan::FlagFolder);
    }
    store.firstChild.set(parent, first);
    store.childCount.set(parent, count);
    return first;
}

const scan::NodeStore& largeStore() {
    static const scan::NodeStore& store = []() -> const scan::NodeStore& {
        auto* made = new scan::NodeStore;
        made->appendRows(1);
        made->kind.set(0, scan::KindFolder);
        made->flags.set(0, scan::FlagFolder);
        std::mt19937_64 random(42);
        std::lognormal_distribution<double> sizes(10.0, 2.5);
        const scan::NodeId top = appendFolders(*made, 0, kTopFolders);
        for (int t = 0; t < kTopFolders; ++t) {
            const scan::NodeId sub = appendFolders(*made, top + t, kSubFolders);
            for (int s = 0; s < kSubFolders; ++s) {
                const auto first = static_cast<scan::NodeId>(made->appendRows(kFilesPerFolder));
                for (int f = 0; f < kFilesPerFolder; ++f) {
                    const auto size = static_cast<std::uint64_t>(sizes(random));
                    made->parent.set(first + f, sub + s);
                    made->kind.set(first + f, static_cast<scan::FileKind>(4 + random() % 70));
                    made->size.set(first + f, size);
                    made->allocated.set(first + f, (size + 4095) / 4096 * 4096);
                }
                made->firstChild.set(sub + s, first);
                made->childCount.set(sub + s, kFilesPerFolder);
            }
        }
        for (std::uint64_t row = made->rowCount(); row-- > 1;) {
            made->allocated.add(made->parent.get(row), made->allocated.get(row));
            made->size.add(made->parent.get(row), made->size.get(row));
        }
        made->publish();
        return *made;
    }();
    return store;
}

void layoutOnly(benchmark::State& state) {
    const scan::NodeStore& store = largeStore();
    std::size_t items = 0;
    for (auto _ : state) {
        const auto laidOut = treemap::layoutTreemap(store, 0, kWidth, kHeight, {});
        items = laidOut.size();
        benchmark::DoNotOptimize(laidOut.data());
    }
    state.counters["items"] = static_cast<double>(items);
}

void layoutAndShade(benchmark::State& state) {
    const scan::NodeStore& store = largeStore();
    const treemap::KindColours colours;
    for (auto _ : state) {
        const treemap::TreemapImage image =
            treemap::renderTreemap(store, 0, kWidth, kHeight, colours, {});
        benchmark::DoNotOptimize(image.pixels.data());
    }
}

}  // namespace

BENCHMARK(layoutOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(layoutAndShade)->Unit(benchmark::kMillisecond);
