#include "scan/file_id_set.h"

#include <utility>

namespace scan {

namespace {

// SplitMix64's finaliser: file identifiers are often sequential, and this spreads them.
std::uint64_t mix(std::uint64_t x) {
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ull;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebull;
    return x ^ (x >> 31);
}

}  // namespace

std::uint64_t FileIdSet::idOf(NodeId row) const {
    if ((std::uint64_t{row} >> Column<std::uint64_t>::kShift) >= ids_.chunksAllocated()) {
        return 0;
    }
    return ids_.get(row);
}

std::size_t FileIdSet::slotOf(std::uint64_t fileId) const {
    return static_cast<std::size_t>(mix(fileId)) & (slots_.size() - 1);
}

std::size_t FileIdSet::search(std::uint64_t fileId) const {
    std::size_t at = slotOf(fileId);
    while (slots_[at] != 0 && idOf(slots_[at]) != fileId) {
        at = (at + 1) & (slots_.size() - 1);
    }
    return at;
}

NodeId FileIdSet::find(std::uint64_t fileId) const {
    return slots_[search(fileId)];
}

bool FileIdSet::assign(std::uint64_t fileId, NodeId row) {
    const std::size_t at = search(fileId);
    if (slots_[at] == 0) {
        return false;
    }
    ids_.reserveThrough(row);
    ids_.set(row, fileId);
    slots_[at] = row;
    return true;
}

bool FileIdSet::insert(std::uint64_t fileId, NodeId row) {
    ids_.reserveThrough(row);
    ids_.set(row, fileId);
    if (entries_ * 10 >= slots_.size() * 7) {
        rebuild(slots_.size() * 2);
    }
    const std::size_t at = search(fileId);
    if (slots_[at] != 0) {
        return false;
    }
    slots_[at] = row;
    ++entries_;
    return true;
}

bool FileIdSet::erase(std::uint64_t fileId) {
    const std::size_t mask = slots_.size() - 1;
    std::size_t hole = search(fileId);
    if (slots_[hole] == 0) {
        return false;
    }
    // Every later entry of the run whose home slot does not lie after the hole (going round)
    // would no longer be found past the hole, so it moves into it and leaves a new hole.
    for (std::size_t at = (hole + 1) & mask; slots_[at] != 0; at = (at + 1) & mask) {
        const std::size_t home = slotOf(idOf(slots_[at]));
        if (((at - home) & mask) >= ((at - hole) & mask)) {
            slots_[hole] = slots_[at];
            hole = at;
        }
    }
    slots_[hole] = 0;
    --entries_;
    return true;
}

void FileIdSet::rebuild(std::size_t slots) {
    std::vector<NodeId> old(slots);
    std::swap(old, slots_);
    for (const NodeId row : old) {
        if (row != 0) {
            std::size_t at = slotOf(idOf(row));
            while (slots_[at] != 0) {
                at = (at + 1) & (slots_.size() - 1);
            }
            slots_[at] = row;
        }
    }
}

}  // namespace scan
