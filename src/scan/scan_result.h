#pragma once

#include <cstdint>
#include <string>

namespace scan {

// What one scan or folder refresh produced. The controller keeps seconds, stopped, method and
// fileTableRefused; the rest are diagnostics.
struct ScanResult {
    std::uint64_t files = 0;
    std::uint64_t folders = 0;
    std::uint64_t unreadable = 0;
    std::uint64_t duplicateLinks = 0;
    std::uint64_t duplicateBytes = 0;
    double seconds = 0;
    // Listing calls and compressed-size queries of a walk; batches read from the file table.
    std::uint64_t reads = 0;
    bool stopped = false;
    std::uint32_t previousScan = 0;
    std::uint64_t datedItems = 0;
    std::uint64_t queuePeak = 0;
    std::uint64_t producerWaits = 0;
    double pathSeconds = 0;
    double openSeconds = 0;
    double listSeconds = 0;
    double handOverSeconds = 0;
    double workerSeconds = 0;
    double commitSeconds = 0;
    double committerSeconds = 0;
    // 1 = folder walk, 2 = master file table.
    std::uint32_t method = 1;
    bool fileTableRefused = false;
    // Why the file table was not used, when there is a reason worth telling.
    std::u16string note;
};

}  // namespace scan
