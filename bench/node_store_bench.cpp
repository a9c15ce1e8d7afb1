// Appending rows as a committing thread does: one appendRows per folder listing, every column
// written and a 20-unit name copied per row.

#include "scan/node_store.h"

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <memory>
#include <string>

namespace {

constexpr std::uint64_t kRowsPerStore = 20'000'000;
const std::u16string kName = u"IMG_20240101_123.jpg";  // 20 units

void writeRow(scan::NodeStore& store, std::uint64_t row, scan::NodeId parent) {
    store.parent.set(row, parent);
    store.setName(static_cast<scan::NodeId>(row), kName);
    store.kind.set(row, 8);
    store.flags.set(row, 0);
    store.size.set(row, row * 3);
    store.allocated.set(row, row * 4);
    store.fileCount.set(row, 1);
    store.firstChild.set(row, 0);
    store.childCount.set(row, 0);
    store.created.set(row, 1'700'000'000);
    store.addedMonth.set(row, 0);
    store.addedHalfYear.set(row, row * 4);
    store.addedSinceScan.set(row, 0);
}

void appendFolderBatches(benchmark::State& state) {
    const auto batch = static_cast<std::uint64_t>(state.range(0));
    auto store = std::make_unique<scan::NodeStore>();
    std::uint64_t rows = 0;
    for (auto _ : state) {
        if (store->rowCount() + batch > kRowsPerStore) {
            state.PauseTiming();
            store = std::make_unique<scan::NodeStore>();
            state.ResumeTiming();
        }
        const std::uint64_t first = store->appendRows(batch);
        for (std::uint64_t row = first; row < first + batch; ++row) {
            writeRow(*store, row, 0);
        }
        store->publish();
        rows += batch;
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(rows));
    state.counters["ns_per_row"] =
        benchmark::Counter(static_cast<double>(rows) * 1e-9,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(appendFolderBatches)->Arg(1)->Arg(30)->Arg(1000);

// The same into memory the process used before, as every scan after the first one in a session
// does: the freed chunks of the previous store are handed out again (calloc still zeroes them),
// so the kernel's first touch of fresh pages, which the benchmark above pays, drops out.
void appendFolderBatchesReusedMemory(benchmark::State& state) {
    constexpr std::uint64_t kRows = 5'000'000;
    constexpr std::uint64_t kBatch = 1000;
    // Chunks from the heap rather than their own mappings, and kept when freed.
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    auto fill = [](scan::NodeStore& store, std::uint64_t rows) {
        while (store.rowCount() < rows) {
            const std::uint64_t first = store.appendRows(kBatch);
            for (std::uint64_t row = first; row < first + kBatch; ++row) {
                writeRow(store, row, 0);
            }
            store.publish();
        }
    };
    {
        scan::NodeStore previous;
        fill(previous, kRows);
    }
    auto store = std::make_unique<scan::NodeStore>();
    std::uint64_t rows = 0;
    for (auto _ : state) {
        if (store->rowCount() + kBatch > kRows) {
            state.PauseTiming();
            store.reset();
            store = std::make_unique<scan::NodeStore>();
            state.ResumeTiming();
        }
        const std::uint64_t first = store->appendRows(kBatch);
        for (std::uint64_t row = first; row < first + kBatch; ++row) {
            writeRow(*store, row, 0);
        }
        store->publish();
        rows += kBatch;
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(rows));
    state.counters["ns_per_row"] =
        benchmark::Counter(static_cast<double>(rows) * 1e-9,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(appendFolderBatchesReusedMemory);

// Memory of a store of ten million file rows with 20-unit names: the columns' 69 bytes, the
// name's 40 bytes and the slack of the last chunks and the chunk tables.
void memoryPerRow(benchmark::State& state) {
    constexpr std::uint64_t kRows = 10'000'000;
    for (auto _ : state) {
        scan::NodeStore store;
        const std::uint64_t first = store.appendRows(kRows);
        for (std::uint64_t row = first; row < kRows; ++row) {
            writeRow(store, row, 0);
        }
        const double bytes = static_cast<double>(store.memoryBytes());
        state.counters["bytes_per_row"] = bytes / kRows;
        state.counters["bytes_per_row_less_name"] =
            bytes / kRows - static_cast<double>(kName.size() * sizeof(char16_t));
    }
}
BENCHMARK(memoryPerRow)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {
// Writing rows whose memory is already mapped: the cost of the columns alone, without the page
// faults of fresh chunks.
void rewriteWarmRows(benchmark::State& state) {
    constexpr std::uint64_t kRows = 1 << 20;
    scan::NodeStore store;
    store.appendRows(kRows);
    std::uint64_t row = 0;
    for (auto _ : state) {
        writeRow(store, row, 0);
        row = (row + 1) & (kRows - 1);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(rewriteWarmRows);
}  // namespace
