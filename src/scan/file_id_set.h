#pragma once

// The file identifiers of hard-linked files already counted in a scan, so that every further
// name of the same file is counted as a duplicate.

#include <cstdint>
#include <functional>
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
    std::size_t size() const { return entries_; }
    bool empty() const { return entries_ == 0; }
    std::size_t slotCount() const { return keys_.size(); }

    // Keeps only the entries whose row `keep` answers true for, in a table of at least 4,096
    // slots and four times the kept entries.
    void retainIf(const std::function<bool(std::int32_t row)>& keep);

  private:
    std::size_t slotOf(std::uint64_t fileId) const;
    void rebuild(std::size_t slots);
    void place(std::uint64_t fileId, std::int32_t row);

    std::vector<std::uint64_t> keys_;
    std::vector<std::int32_t> rows_;
    std::size_t entries_ = 0;
};

}  // namespace scan
