// Sending one file to the Recycle Bin and putting it back, on synthetic scans of 200,000 and
// 2,000,000 files, every file known by its identity as after a scan on Windows. Both must cost
// the same on either scan: one pass up the file's ancestors, nothing in proportion to the files
// known. A folder of about a thousand rows shows the cost growing with the subtree instead.
//
// Counters: depth is the number of ancestors of the node; rows the live rows of its subtree;
// identities the file identifiers the scan knows.

#include "synthetic_store.h"

#include "scan/scanner.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>

namespace {

constexpr std::int64_t kFileCounts[] = {200'000, 2'000'000};

// The synthetic tree as a walk would have left it in a Scanner: file counts, counters, per-kind
// totals, and every file admitted with an identifier of its own.
std::unique_ptr<scan::Scanner> scannerOf(const bench::SyntheticStore& source) {
    auto scanner = std::make_unique<scan::Scanner>(scan::ScanOptions{});
    scan::NodeStore& store = scanner->store();
    const scan::NodeStore& from = source.store;
    const std::uint64_t rows = from.rowCount();
    store.appendRows(rows);
    scan::KindTotals& kinds = scanner->mutableKindTotals();
    for (std::uint64_t row = 0; row < rows; ++row) {
        const auto id = static_cast<scan::NodeId>(row);
        store.parent.set(id, from.parent.get(id));
        store.kind.set(id, from.kind.get(id));
        store.flags.set(id, from.flags.get(id));
        store.size.set(id, from.size.get(id));
        store.allocated.set(id, from.allocated.get(id));
        store.firstChild.set(id, from.firstChild.get(id));
        store.childCount.set(id, from.childCount.get(id));
        if (!from.hasFlag(id, scan::FlagFolder)) {
            store.fileCount.set(id, 1);
            kinds.add(from.kind.get(id), +1, from.allocated.get(id), from.size.get(id), 0, 0, 0);
            scanner->hardLinks().admit(0x9e3779b97f4a7c15ull * (row + 1), id,
                                       {from.size.get(id), from.allocated.get(id)});
        }
    }
    // Children follow their folder, so one backward sweep sums the file counts.
    for (std::uint64_t row = rows; row-- > 1;) {
        const auto id = static_cast<scan::NodeId>(row);
        store.fileCount.add(from.parent.get(id), store.fileCount.get(id));
    }
    scan::ScanCounters& counters = scanner->mutableCounters();
    counters.files.set(source.shape.files);
    counters.folders.set(source.shape.folders);
    store.publish();
    return scanner;
}

scan::Scanner& scannerWith(std::int64_t files) {
    static std::map<std::int64_t, std::unique_ptr<scan::Scanner>> made;
    std::unique_ptr<scan::Scanner>& slot = made[files];
    if (!slot) {
        slot = scannerOf(bench::syntheticStore(static_cast<std::uint64_t>(files)));
    }
    return *slot;
}

// The first row the test accepts, so both sizes of scan use a node of the same depth.
template <class Accept>
scan::NodeId firstRow(const scan::Scanner& scanner, Accept accept) {
    const scan::NodeStore& store = scanner.store();
    for (scan::NodeId row = 1; row < store.publishedCount(); ++row) {
        if (accept(row)) {
            return row;
        }
    }
    return 0;
}

void setCounters(benchmark::State& state, const scan::Scanner& scanner, scan::NodeId node) {
    state.counters["depth"] = scan::depthOf(scanner.store(), node);
    state.counters["rows"] = static_cast<double>(scanner.liveNodeCount(node));
    state.counters["identities"] = static_cast<double>(scanner.fileIds().size());
}

scan::NodeId fileAtDepthFour(const scan::Scanner& scanner) {
    const scan::NodeStore& store = scanner.store();
    return firstRow(scanner, [&](scan::NodeId row) {
        return !store.hasFlag(row, scan::FlagFolder) && scan::depthOf(store, row) == 4;
    });
}

// Times only the removal, or only the restoration, of each pair.
void removeOrRestore(benchmark::State& state, bool timeRemoval) {
    scan::Scanner& scanner = scannerWith(state.range(0));
    const scan::NodeId file = fileAtDepthFour(scanner);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const scan::RemovalRecord record = scanner.removeNode(file);
        const auto removed = std::chrono::steady_clock::now();
        scanner.restoreNode(record);
        const auto restored = std::chrono::steady_clock::now();
        const auto taken = timeRemoval ? removed - start : restored - removed;
        state.SetIterationTime(std::chrono::duration<double>(taken).count());
    }
    setCounters(state, scanner, file);
}

void BM_RemoveFile(benchmark::State& state) {
    removeOrRestore(state, true);
}

void BM_RestoreFile(benchmark::State& state) {
    removeOrRestore(state, false);
}

void BM_RemoveAndRestoreFolder(benchmark::State& state) {
    scan::Scanner& scanner = scannerWith(state.range(0));
    const scan::NodeStore& store = scanner.store();
    const scan::NodeId folder = firstRow(scanner, [&](scan::NodeId row) {
        if (!store.hasFlag(row, scan::FlagFolder) || scan::depthOf(store, row) < 2) {
            return false;
        }
        const std::uint64_t rows = scanner.liveNodeCount(row);
        return rows >= 800 && rows <= 1200;
    });
    for (auto _ : state) {
        scanner.restoreNode(scanner.removeNode(folder));
    }
    setCounters(state, scanner, folder);
}

void sizes(benchmark::internal::Benchmark* benchmark) {
    for (const std::int64_t files : kFileCounts) {
        benchmark->Arg(files);
    }
}

BENCHMARK(BM_RemoveFile)->Apply(sizes)->UseManualTime();
BENCHMARK(BM_RestoreFile)->Apply(sizes)->UseManualTime();
BENCHMARK(BM_RemoveAndRestoreFolder)->Apply(sizes);

}  // namespace
