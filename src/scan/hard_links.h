#pragma once

// Which name of a file with several names (hard links) carries the file. The first name a walk
// finds is counted with the file's sizes; every further name is a duplicate with no sizes of its
// own. When the counted name leaves the tree (taken out, or its folder emptied for a refresh) a
// duplicate still in the tree takes over, and when a name comes back the file is counted under
// one name again, so a file with any name in the tree always counts exactly once. Every step
// costs in proportion to the names involved, never to the number of files known.
//
// Only one thread uses it at a time: a walk's committing thread, or the thread that removes,
// restores or empties while no walk runs.

#include "scan/file_id_set.h"
#include "scan/node_store.h"

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

namespace scan {

class HardLinks {
  public:
    // The sizes a duplicate name was listed with, which it carries when it takes over.
    struct Listed {
        std::uint64_t size = 0;
        std::uint64_t allocated = 0;
    };
    // A duplicate that now carries its file, with the sizes it was listed with.
    struct Heir {
        NodeId row = 0;
        Listed listed;
    };

    // The file identifier a walk listed for `row`; 0 when it had none.
    std::uint64_t idOf(NodeId row) const { return counted_.idOf(row); }
    // A row a walk has just listed with `fileId` (not 0): true when it is now the counted name;
    // false when another name is counted already and `row` is a duplicate.
    bool admit(std::uint64_t fileId, NodeId row, const Listed& listed);
    // The listed sizes of a duplicate row, or nullptr for a row that is not one.
    const Listed* duplicate(NodeId row) const;

    // A duplicate leaves the tree. With `forever` (its folder was emptied for a refresh, so the
    // row never returns) its listed sizes are forgotten as well.
    void dropDuplicate(NodeId row, bool forever);
    // The counted name of `fileId` leaves the tree: answers the duplicate that carries the file
    // from now on, or nothing when no name is left (the identifier is then forgotten).
    std::optional<Heir> handOver(std::uint64_t fileId);
    // A counted name returns to the tree and is counted again: answers the row that carried the
    // file in the meantime (which the caller must turn into a duplicate with `addDuplicate`), or
    // 0 when none did.
    NodeId reclaim(NodeId row);
    // A duplicate returns to the tree. When no other name carries its file it carries it from now
    // on: the answer holds its listed sizes. Otherwise it is a duplicate again and the answer is
    // empty.
    std::optional<Listed> rejoin(NodeId row);
    // Turns a counted row into a duplicate of the file counted under another name.
    void addDuplicate(NodeId row, const Listed& listed);

    const FileIdSet& counted() const { return counted_; }

  private:
    struct Duplicate {
        Listed listed;
        // Position in the live duplicates of its identifier.
        std::uint32_t position = 0;
    };
    void addLive(NodeId row, std::uint64_t fileId, Duplicate& duplicate);

    FileIdSet counted_;
    // Every duplicate row that may still be in the tree, taken out ones included.
    std::unordered_map<NodeId, Duplicate> duplicates_;
    // The duplicates in the tree, by identifier.
    std::unordered_map<std::uint64_t, std::vector<NodeId>> live_;
};

}  // namespace scan
