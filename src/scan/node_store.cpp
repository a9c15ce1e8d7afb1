#include "scan/node_store.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <vector>

namespace scan {

namespace {

// Zero-filled chunks come from calloc, so untouched pages of a new chunk cost nothing until used.
template <class T>
T* allocateZeroed(std::uint64_t count) {
    void* memory = std::calloc(static_cast<std::size_t>(count), sizeof(T));
    if (memory == nullptr) {
        throw std::bad_alloc();
    }
    return static_cast<T*>(memory);
}

template <class T>
std::unique_ptr<T* []> allocateTable(std::uint64_t slots) {
    return std::unique_ptr<T*[]>(new T*[static_cast<std::size_t>(slots)]());
}

}  // namespace

std::uint32_t createdFromFileTime(std::int64_t fileTime) {
    constexpr std::int64_t kTicksPerSecond = 10'000'000;
    constexpr std::int64_t kSecondsFrom1601To1970 = 11'644'473'600;
    if (fileTime <= 0) {
        return 0;
    }
    const std::int64_t seconds = fileTime / kTicksPerSecond - kSecondsFrom1601To1970;
    if (seconds < 1 || seconds > 4'294'967'295) {
        return 0;
    }
    return static_cast<std::uint32_t>(seconds);
}

template <class T>
Column<T>::Column() : chunks_(allocateTable<T>(kChunkSlots)) {}

template <class T>
Column<T>::~Column() {
    const std::uint64_t count = chunksAllocated();
    for (std::uint64_t i = 0; i < count; ++i) {
        std::free(chunks_[i]);
    }
}

template <class T>
void Column<T>::reserveThrough(std::uint64_t row) {
    const std::uint64_t needed = (row >> kShift) + 1;
    if (needed > kChunkSlots) {
        throw std::bad_alloc();
    }
    for (std::uint64_t chunk = chunksAllocated(); chunk < needed; ++chunk) {
        chunks_[chunk] = allocateZeroed<T>(kChunkLength);
        chunksAllocated_.store(chunk + 1, std::memory_order_relaxed);
    }
}

template class Column<std::uint8_t>;
template class Column<std::uint16_t>;
template class Column<std::uint32_t>;
template class Column<std::uint64_t>;

NamePool::NamePool() : chunks_(allocateTable<char16_t>(kChunkSlots)) {}

NamePool::~NamePool() {
    for (std::uint64_t i = 0; i < chunksAllocated_; ++i) {
        std::free(chunks_[i]);
    }
}

std::uint64_t NamePool::allocName(std::uint64_t length) {
    if (length == 0) {
        return used_;
    }
    if (length > kChunkUnits) {
        throw std::bad_alloc();
    }
    std::uint64_t start = used_;
    if ((start & kMask) + length > kChunkUnits) {
        start = ((start >> kShift) + 1) << kShift;
    }
    const std::uint64_t end = start + length;
    const std::uint64_t neededChunks = ((end - 1) >> kShift) + 1;
    if (end > kMaxUnits || neededChunks > kChunkSlots) {
        throw std::bad_alloc();
    }
    while (chunksAllocated_ < neededChunks) {
        chunks_[chunksAllocated_] = allocateZeroed<char16_t>(kChunkUnits);
        ++chunksAllocated_;
    }
    used_ = end;
    return start;
}

std::uint64_t NodeStore::appendRows(std::uint64_t n) {
    const std::uint64_t first = rowCount();
    if (n == 0) {
        return first;
    }
    if (n > kMaxRows || first > kMaxRows - n) {
        throw std::bad_alloc();
    }
    const std::uint64_t last = first + n - 1;
    parent.reserveThrough(last);
    nameOffset.reserveThrough(last);
    nameLength.reserveThrough(last);
    kind.reserveThrough(last);
    flags.reserveThrough(last);
    size.reserveThrough(last);
    allocated.reserveThrough(last);
    fileCount.reserveThrough(last);
    firstChild.reserveThrough(last);
    childCount.reserveThrough(last);
    created.reserveThrough(last);
    addedMonth.reserveThrough(last);
    addedHalfYear.reserveThrough(last);
    addedSinceScan.reserveThrough(last);
    rowCount_.store(first + n, std::memory_order_relaxed);
    return first;
}

void NodeStore::setName(NodeId row, std::u16string_view name) {
    const std::uint64_t length = std::min<std::uint64_t>(name.size(), kMaxNameLength);
    const std::uint64_t offset = allocName(length);
    std::copy_n(name.data(), length, nameUnits(offset));
    nameOffset.set(row, static_cast<std::uint32_t>(offset));
    nameLength.set(row, static_cast<std::uint16_t>(length));
}

std::u16string_view NodeStore::nameView(NodeId row) const {
    const std::uint16_t length = nameLength.get(row);
    if (length == 0) {
        return {};
    }
    return {nameUnits(nameOffset.get(row)), length};
}

std::u16string NodeStore::pathOf(NodeId row, char16_t separator) const {
    std::vector<NodeId> chain;
    // Parents always precede their children, so the chain ends at row 0; the check on the order
    // keeps a damaged row from looping.
    for (NodeId at = row; at != 0;) {
        chain.push_back(at);
        const NodeId up = parent.get(at);
        if (up >= at) {
            break;
        }
        at = up;
    }
    std::u16string path(nameView(0));
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (!path.empty() && path.back() != separator) {
            path.push_back(separator);
        }
        path.append(nameView(*it));
    }
    return path;
}

std::uint64_t NodeStore::memoryBytes() const {
    constexpr std::uint64_t kRowBytes = 4 + 4 + 2 + 2 + 1 + 8 + 8 + 4 + 4 + 4 + 4 + 8 + 8 + 8;
    constexpr std::uint64_t kTableBytes =
        14 * Column<NodeId>::kChunkSlots * sizeof(void*) + NamePool::kChunkSlots * sizeof(void*);
    return kTableBytes + parent.chunksAllocated() * Column<NodeId>::kChunkLength * kRowBytes +
           names_.chunksAllocated() * NamePool::kChunkUnits * sizeof(char16_t);
}

}  // namespace scan
