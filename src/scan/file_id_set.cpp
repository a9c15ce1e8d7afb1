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

std::size_t FileIdSet::slotOf(std::uint64_t fileId) const {
    return static_cast<std::size_t>(mix(fileId)) & (keys_.size() - 1);
}

std::size_t FileIdSet::search(std::uint64_t fileId) const {
    std::size_t at = slotOf(fileId);
    while (keys_[at] != fileId && keys_[at] != 0) {
        at = (at + 1) & (keys_.size() - 1);
    }
    return at;
}

bool FileIdSet::contains(std::uint64_t fileId) const {
    return keys_[search(fileId)] == fileId;
}

std::int32_t FileIdSet::find(std::uint64_t fileId) const {
    const std::size_t at = search(fileId);
    return keys_[at] == fileId ? rows_[at] : -1;
}

bool FileIdSet::assign(std::uint64_t fileId, std::int32_t row) {
    const std::size_t at = search(fileId);
    if (keys_[at] != fileId) {
        return false;
    }
    rows_[at] = row;
    return true;
}

bool FileIdSet::insert(std::uint64_t fileId, std::int32_t row) {
    if (entries_ * 10 >= keys_.size() * 7) {
        rebuild(keys_.size() * 2);
    }
    const std::size_t at = search(fileId);
    if (keys_[at] == fileId) {
        return false;
    }
    keys_[at] = fileId;
    rows_[at] = row;
    ++entries_;
    return true;
}

bool FileIdSet::erase(std::uint64_t fileId) {
    const std::size_t mask = keys_.size() - 1;
    std::size_t hole = search(fileId);
    if (keys_[hole] != fileId) {
        return false;
    }
    // Every later entry of the run whose home slot does not lie after the hole (going round)
    // would no longer be found past the hole, so it moves into it and leaves a new hole.
    for (std::size_t at = (hole + 1) & mask; keys_[at] != 0; at = (at + 1) & mask) {
        const std::size_t home = slotOf(keys_[at]);
        const std::size_t fromHome = (at - home) & mask;
        const std::size_t fromHole = (at - hole) & mask;
        if (fromHome >= fromHole) {
            keys_[hole] = keys_[at];
            rows_[hole] = rows_[at];
            hole = at;
        }
    }
    keys_[hole] = 0;
    rows_[hole] = 0;
    --entries_;
    return true;
}

void FileIdSet::place(std::uint64_t fileId, std::int32_t row) {
    std::size_t at = slotOf(fileId);
    while (keys_[at] != 0) {
        at = (at + 1) & (keys_.size() - 1);
    }
    keys_[at] = fileId;
    rows_[at] = row;
}

void FileIdSet::rebuild(std::size_t slots) {
    std::vector<std::uint64_t> oldKeys(slots);
    std::vector<std::int32_t> oldRows(slots);
    std::swap(oldKeys, keys_);
    std::swap(oldRows, rows_);
    for (std::size_t i = 0; i < oldKeys.size(); ++i) {
        if (oldKeys[i] != 0) {
            place(oldKeys[i], oldRows[i]);
        }
    }
}

}  // namespace scan
