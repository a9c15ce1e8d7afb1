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

bool FileIdSet::contains(std::uint64_t fileId) const {
    for (std::size_t at = slotOf(fileId);; at = (at + 1) & (keys_.size() - 1)) {
        if (keys_[at] == fileId) {
            return true;
        }
        if (keys_[at] == 0) {
            return false;
        }
    }
}

bool FileIdSet::insert(std::uint64_t fileId, std::int32_t row) {
    if (entries_ * 10 >= keys_.size() * 7) {
        rebuild(keys_.size() * 2);
    }
    for (std::size_t at = slotOf(fileId);; at = (at + 1) & (keys_.size() - 1)) {
        if (keys_[at] == fileId) {
            return false;
        }
        if (keys_[at] == 0) {
            keys_[at] = fileId;
            rows_[at] = row;
            ++entries_;
            return true;
        }
    }
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

void FileIdSet::retainIf(const std::function<bool(std::int32_t row)>& keep) {
    std::vector<std::pair<std::uint64_t, std::int32_t>> kept;
    for (std::size_t i = 0; i < keys_.size(); ++i) {
        if (keys_[i] != 0 && keep(rows_[i])) {
            kept.emplace_back(keys_[i], rows_[i]);
        }
    }
    std::size_t slots = kInitialSlots;
    while (slots < kept.size() * 4) {
        slots *= 2;
    }
    keys_.assign(slots, 0);
    rows_.assign(slots, 0);
    entries_ = kept.size();
    for (const auto& [fileId, row] : kept) {
        place(fileId, row);
    }
}

}  // namespace scan
