#include "scan/hard_links.h"

namespace scan {

bool HardLinks::admit(std::uint64_t fileId, NodeId row, const Listed& listed) {
    if (counted_.insert(fileId, row)) {
        return true;
    }
    addDuplicate(row, listed);
    return false;
}

const HardLinks::Listed* HardLinks::duplicate(NodeId row) const {
    const auto found = duplicates_.find(row);
    return found == duplicates_.end() ? nullptr : &found->second.listed;
}

void HardLinks::addLive(NodeId row, std::uint64_t fileId, Duplicate& duplicate) {
    std::vector<NodeId>& rows = live_[fileId];
    duplicate.position = static_cast<std::uint32_t>(rows.size());
    rows.push_back(row);
}

void HardLinks::addDuplicate(NodeId row, const Listed& listed) {
    Duplicate& duplicate = duplicates_[row];
    duplicate.listed = listed;
    addLive(row, idOf(row), duplicate);
}

void HardLinks::dropDuplicate(NodeId row, bool forever) {
    const auto found = duplicates_.find(row);
    if (found == duplicates_.end()) {
        return;
    }
    const auto live = live_.find(idOf(row));
    if (live != live_.end()) {
        std::vector<NodeId>& rows = live->second;
        const std::uint32_t position = found->second.position;
        if (position < rows.size() && rows[position] == row) {
            const NodeId last = rows.back();
            rows[position] = last;
            duplicates_[last].position = position;
            rows.pop_back();
            if (rows.empty()) {
                live_.erase(live);
            }
        }
    }
    if (forever) {
        duplicates_.erase(row);
    }
}

std::optional<HardLinks::Heir> HardLinks::handOver(std::uint64_t fileId) {
    const auto live = live_.find(fileId);
    if (live == live_.end()) {
        counted_.erase(fileId);
        return std::nullopt;
    }
    Heir heir;
    heir.row = live->second.back();
    live->second.pop_back();
    if (live->second.empty()) {
        live_.erase(live);
    }
    const auto found = duplicates_.find(heir.row);
    if (found != duplicates_.end()) {
        heir.listed = found->second.listed;
        duplicates_.erase(found);
    }
    counted_.assign(fileId, heir.row);
    return heir;
}

NodeId HardLinks::reclaim(NodeId row) {
    const std::uint64_t fileId = idOf(row);
    const NodeId previous = counted_.find(fileId);
    if (previous == 0) {
        counted_.insert(fileId, row);
    } else {
        counted_.assign(fileId, row);
    }
    return previous;
}

std::optional<HardLinks::Listed> HardLinks::rejoin(NodeId row) {
    const std::uint64_t fileId = idOf(row);
    const auto found = duplicates_.find(row);
    if (counted_.contains(fileId)) {
        if (found != duplicates_.end()) {
            addLive(row, fileId, found->second);
        }
        return std::nullopt;
    }
    counted_.insert(fileId, row);
    Listed listed;
    if (found != duplicates_.end()) {
        listed = found->second.listed;
        duplicates_.erase(found);
    }
    return listed;
}

}  // namespace scan
