// Classifying names as the scanners do: once per file found.

#include "scan/file_kinds.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

std::vector<std::u16string> sampleNames() {
    return {u"IMG_20240101_123.JPG",
            u"report-final.pdf",
            u"libstdc++.so.6",
            u"node_modules",
            u"index.js",
            u"archive.tar.gz",
            u"Makefile",
            u".gitignore",
            u"thumbs.db",
            u"setup.exe",
            u"a.verylongext",
            u"\u0444\u043e\u0442\u043e.\u0436\u043f\u0433",
            u"movie.2023.1080p.mkv",
            u"pagefile.sys",
            u"main.cpp",
            u"data.dat"};
}

void classifyNames(benchmark::State& state) {
    scan::ensureKindTable();
    const std::vector<std::u16string> names = sampleNames();
    std::size_t at = 0;
    for (auto _ : state) {
        const std::u16string& name = names[at];
        benchmark::DoNotOptimize(scan::classify(name.data(), name.size()));
        at = at + 1 == names.size() ? 0 : at + 1;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(classifyNames);

}  // namespace
