// libFuzzer target: one file record, as read from a damaged or hostile volume, through the
// update sequence fix-up and the parsing that takes its facts. Any crash, sanitizer report or
// hang is a fault; the record table must also stay consistent.

#include "scan/mft_record.h"
#include "scan/mft_record_table.h"
#include "scan/mft_tree.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::uint32_t kRecords = 64;
    std::vector<std::uint8_t> record(data, data + size);
    if (!scan::applyFixUp(record)) {
        return 0;
    }
    scan::RecordTable table(kRecords);
    // The record stands for a few numbers, the root's among them, so that names, parents and
    // extensions all meet their checks.
    for (const std::uint32_t number : {0u, 5u, 63u}) {
        table.parseRecord(number, record, 4096, std::uint64_t{1} << 32);
    }
    table.resolveExtensions();
    const scan::ChildIndex children(table);
    std::size_t listed = 0;
    for (std::uint32_t parent = 0; parent < kRecords; ++parent) {
        listed += children.childrenOf(parent).size();
    }
    if (listed > kRecords) {
        __builtin_trap();
    }
    return 0;
}
