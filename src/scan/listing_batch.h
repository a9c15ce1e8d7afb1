#pragma once

// One listed folder, as a listing thread records it before the committing thread adds it to the
// store.

#include "scan/node_store.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace scan {

class OpenFolder;

struct BatchEntry {
    std::uint32_t nameStart = 0;
    std::uint16_t nameLength = 0;
    std::uint16_t kind = 0;
    std::uint8_t flags = 0;
    std::int64_t size = 0;
    std::int64_t allocated = 0;
    std::uint32_t fileCount = 0;
    // The file system's identifier of a file that may have further names; 0 when not tracked.
    std::uint64_t fileId = 0;
    std::uint32_t created = 0;
};

struct ListingBatch {
    NodeId folder = 0;
    std::vector<BatchEntry> entries;
    std::u16string names;
    // Positions in entries of the plain subfolders to descend into, in entry order.
    std::vector<std::uint32_t> subfolders;
    std::int32_t unreadable = 0;
    std::uint64_t reads = 0;
    bool unopened = false;
    // The open folder that the subfolders are to be opened from: this folder itself, or when
    // the walk holds too many open, the one this folder was opened from.
    std::shared_ptr<const OpenFolder> anchor;

    // Empties the batch for reuse, keeping the capacity of its vectors.
    void clear(NodeId forFolder) {
        folder = forFolder;
        entries.clear();
        names.clear();
        subfolders.clear();
        unreadable = 0;
        reads = 0;
        unopened = false;
        anchor.reset();
    }

    // Appends an entry whose name the caller has just appended to names from `start` on; the
    // name is cut to 65,535 units. Answers the entry for the caller to fill.
    BatchEntry& addEntryNamedFrom(std::size_t start) {
        if (names.size() - start > 65535) {
            names.resize(start + 65535);
        }
        BatchEntry& entry = entries.emplace_back();
        entry.nameStart = static_cast<std::uint32_t>(start);
        entry.nameLength = static_cast<std::uint16_t>(names.size() - start);
        return entry;
    }
    BatchEntry& addEntry(std::u16string_view name) {
        const std::size_t start = names.size();
        names.append(name);
        return addEntryNamedFrom(start);
    }
    std::u16string_view nameOf(const BatchEntry& entry) const {
        return std::u16string_view(names).substr(entry.nameStart, entry.nameLength);
    }

    // Marks the last entry added as a folder to descend into.
    void addSubfolder() { subfolders.push_back(static_cast<std::uint32_t>(entries.size() - 1)); }
};

}  // namespace scan
