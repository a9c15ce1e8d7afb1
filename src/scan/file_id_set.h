#pragma once

// The file identifiers of the files counted in a scan, each with the row of the name it is
// counted under, so that every further name of the same file is counted as a duplicate.

#include <cstdint>
#include <vector>

namespace scan {

class FileIdSet {
  public:
    static constexpr std::size_t kInitialSlots = 4096;

    FileIdSet() : keys_(kInitialSlots), rows_(kInitialSlots) {}

    // Adds `fileId` (not 0) counted under `row`. Answers false, changing nothing, when the
    // identifier is already present.
    bool insert(std::uint64_t fileId, std::int32_t row);
    bool contains(std::uint64_t fileId) const;
    // The row `fileId` is counted under, or -1 when it is not present.
    std::int32_t find(std::uint64_t fileId) const;
    // Moves a present identifier to another row; answers false when it is not present.
    bool assign(std::uint64_t fileId, std::int32_t row);
    // Takes an identifier out in constant time (on average): the entries after it in its run
    // move back, so no marker of a deleted entry is left to lengthen later searches.
    bool erase(std::uint64_t fileId);
    std::size_t size() const { return entries_; }
    bool empty() const { return entries_ == 0; }
    std::size_t slotCount() const { return keys_.size(); }

  private:
    std::size_t slotOf(std::uint64_t fileId) const;
    // The slot holding `fileId`, or the empty slot where its search ends.
    std::size_t search(std::uint64_t fileId) const;
    void rebuild(std::size_t slots);
    void place(std::uint64_t fileId, std::int32_t row);

    std::vector<std::uint64_t> keys_;
    std::vector<std::int32_t> rows_;
    std::size_t entries_ = 0;
};

}  // namespace scan
