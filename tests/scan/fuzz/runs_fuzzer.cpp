// libFuzzer target: a mapping pairs list (the data runs of a non-resident attribute) decoded
// both ways the reader decodes them. Besides crashes, a disagreement between the two is a fault.

#include "scan/mft_record.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const scan::Bytes pairs(data, size);
    std::vector<scan::DataRun> runs;
    const bool decoded = scan::decodeRuns(pairs, 1u << 16, runs);
    std::uint64_t clusters = 0;
    const bool counted = scan::countAllocatedClusters(pairs, std::uint64_t{1} << 48, clusters);
    if (decoded && counted) {
        std::uint64_t sum = 0;
        for (const scan::DataRun& run : runs) {
            sum += run.sparse ? 0 : run.clusterCount;
        }
        if (sum != clusters) {
            __builtin_trap();
        }
    }
    if (!counted && clusters != 0) {
        __builtin_trap();
    }
    return 0;
}
