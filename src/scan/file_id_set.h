#pragma once

// The file identifiers of the files counted in a scan, each with the row of the name it is
// counted under, so that every further name of the same file is counted as a duplicate.
//
// Every file a walk lists is known by its identifier, so the set holds as many entries as the
// scan has files. It keeps them in two parts: the identifier of every row that was listed with
// one, by row, and an open-addressing table with linear probing that holds only the counted row
// of each identifier and reads the key through it. That costs 8 bytes per file plus 4 per slot,
// where a table holding keys and rows side by side would cost 12 per slot.

#include "scan/node_store.h"

#include <cstdint>
#include <vector>

namespace scan {

class FileIdSet {
  public:
    static constexpr std::size_t kInitialSlots = 4096;

    FileIdSet() : slots_(kInitialSlots) {}

    // Records `fileId` (not 0) as the identifier of `row` (not 0), and counts the file under
    // `row` unless it is counted already. Answers whether it was added.
    bool insert(std::uint64_t fileId, NodeId row);
    bool contains(std::uint64_t fileId) const { return find(fileId) != 0; }
    // The row `fileId` is counted under, or 0 when it is not present.
    NodeId find(std::uint64_t fileId) const;
    // Counts a present identifier under another row that was listed with it (by insert).
    // Answers false when it is not present.
    bool assign(std::uint64_t fileId, NodeId row);
    // Takes an identifier out in constant time (on average): the entries after it in its run
    // move back, so no marker of a deleted entry is left to lengthen later searches. The
    // identifiers recorded for rows stay.
    bool erase(std::uint64_t fileId);
    // The identifier `row` was listed with; 0 when none.
    std::uint64_t idOf(NodeId row) const;

    std::size_t size() const { return entries_; }
    bool empty() const { return entries_ == 0; }
    std::size_t slotCount() const { return slots_.size(); }

  private:
    std::size_t slotOf(std::uint64_t fileId) const;
    // The slot holding `fileId`, or the empty slot where its search ends.
    std::size_t search(std::uint64_t fileId) const;
    void rebuild(std::size_t slots);

    // Counted rows by slot; 0 (the root, never a file) marks an empty slot.
    std::vector<NodeId> slots_;
    // Calloc'd chunks, so rows that never get an identifier cost nothing.
    Column<std::uint64_t> ids_;
    std::size_t entries_ = 0;
};

}  // namespace scan
