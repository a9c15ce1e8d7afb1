#pragma once

// The result of one scan: one row per folder, file or link, stored column by column in chunks
// that never move, plus a pool of names. One thread writes; any number of threads read without
// a lock, touching only rows below publishedCount().

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace scan {

using NodeId = std::uint32_t;

enum NodeFlag : std::uint8_t {
    FlagFolder = 0x01,      // a folder, folder reparse points included
    FlagLink = 0x02,        // a file that is a reparse point or symbolic link; sizes 0, one file
    FlagUnfollowed = 0x04,  // a folder reparse point or mount point; never descended
    FlagDuplicate = 0x08,   // a further name of a hard-linked file counted elsewhere
    FlagUnopened = 0x10,    // the folder could not be opened for listing
    FlagRemoved = 0x20,     // taken out of every total with its subtree
};

// Turns a Windows file time (100 ns intervals since 1601, signed) into whole seconds since 1970,
// or 0 when the time is unknown or does not fit 32 bits.
std::uint32_t createdFromFileTime(std::int64_t fileTime);

// One column of elements of type T in chunks of 65,536 elements behind a chunk table that is
// allocated whole when the store is made. Every element is read and written as a relaxed atomic,
// so a reader may race with the writer on a published row and still see a whole value.
template <class T>
class Column {
  public:
    static constexpr unsigned kShift = 16;
    static constexpr std::uint64_t kChunkLength = std::uint64_t{1} << kShift;
    static constexpr std::uint64_t kMask = kChunkLength - 1;
    static constexpr std::uint64_t kChunkSlots = 4097;
    static constexpr std::uint64_t kMaxRows = kChunkSlots * kChunkLength;

    Column();
    ~Column();
    Column(const Column&) = delete;
    Column& operator=(const Column&) = delete;

    T get(std::uint64_t row) const {
        return std::atomic_ref<T>(slot(row)).load(std::memory_order_relaxed);
    }
    void set(std::uint64_t row, T value) {
        std::atomic_ref<T>(slot(row)).store(value, std::memory_order_relaxed);
    }
    // Only the single writer calls this, so a load and a store make a sound read-modify-write.
    // Adding zero writes nothing, so a column that stays zero never touches its pages.
    void add(std::uint64_t row, T delta) {
        if (delta != 0) {
            set(row, static_cast<T>(get(row) + delta));
        }
    }

    // Makes sure chunks exist up to the one holding `row`; allocates them zero-filled, in order.
    // Raises std::bad_alloc when that needs more than kChunkSlots chunks or memory runs out.
    void reserveThrough(std::uint64_t row);
    std::uint64_t chunksAllocated() const {
        return chunksAllocated_.load(std::memory_order_relaxed);
    }

  private:
    T& slot(std::uint64_t row) const { return chunks_[row >> kShift][row & kMask]; }

    std::unique_ptr<T*[]> chunks_;
    std::atomic<std::uint64_t> chunksAllocated_{0};
};

// The names of all rows, UTF-16 without terminators, in chunks of 2^19 units. A name never
// crosses a chunk boundary, so it is always one contiguous run of units.
class NamePool {
  public:
    static constexpr unsigned kShift = 19;
    static constexpr std::uint64_t kChunkUnits = std::uint64_t{1} << kShift;
    static constexpr std::uint64_t kMask = kChunkUnits - 1;
    static constexpr std::uint64_t kChunkSlots = 8193;
    // Offsets are stored in 32 bits, so no name may reach past unit 2^32.
    static constexpr std::uint64_t kMaxUnits = std::uint64_t{1} << 32;

    NamePool();
    ~NamePool();
    NamePool(const NamePool&) = delete;
    NamePool& operator=(const NamePool&) = delete;

    // Reserves `length` units and answers their offset; the caller copies the name to
    // units(offset). Length 0 answers used() and reserves nothing. Raises std::bad_alloc when the
    // pool is full or memory runs out; used() is then unchanged.
    std::uint64_t allocName(std::uint64_t length);
    char16_t* units(std::uint64_t offset) const {
        return chunks_[offset >> kShift] + (offset & kMask);
    }
    std::uint64_t used() const { return used_; }
    std::uint64_t chunksAllocated() const { return chunksAllocated_; }

  private:
    std::unique_ptr<char16_t*[]> chunks_;
    std::uint64_t chunksAllocated_ = 0;
    std::uint64_t used_ = 0;
};

class NodeStore {
  public:
    NodeStore() = default;
    NodeStore(const NodeStore&) = delete;
    NodeStore& operator=(const NodeStore&) = delete;

    // The fourteen columns, in this order. Summed columns of a folder hold its own value plus
    // the sums of its children that are not removed.
    Column<NodeId> parent;
    Column<std::uint32_t> nameOffset;
    Column<std::uint16_t> nameLength;
    Column<std::uint16_t> kind;
    Column<std::uint8_t> flags;
    Column<std::uint64_t> size;
    Column<std::uint64_t> allocated;
    Column<std::uint32_t> fileCount;
    Column<NodeId> firstChild;
    Column<std::uint32_t> childCount;
    Column<std::uint32_t> created;
    Column<std::uint64_t> addedMonth;
    Column<std::uint64_t> addedHalfYear;
    Column<std::uint64_t> addedSinceScan;

    static constexpr std::uint64_t kMaxRows = Column<NodeId>::kMaxRows;
    static constexpr std::uint64_t kMaxNameLength = 65535;

    // Adds n zeroed rows and answers the first one's number (the old rowCount). Does not publish.
    // Raises std::bad_alloc, leaving rowCount unchanged, when the rows do not fit or memory runs
    // out; chunks allocated before the failure stay.
    std::uint64_t appendRows(std::uint64_t n);
    std::uint64_t allocName(std::uint64_t length) { return names_.allocName(length); }
    // Reserves room for `name` (cut to kMaxNameLength units), copies it there and points the
    // row's nameOffset and nameLength at it.
    void setName(NodeId row, std::u16string_view name);
    char16_t* nameUnits(std::uint64_t offset) const { return names_.units(offset); }

    // Makes every row appended so far visible to readers (a release store).
    void publish() { published_.store(rowCount(), std::memory_order_release); }

    std::uint64_t rowCount() const { return rowCount_.load(std::memory_order_relaxed); }
    // Readers load this first and then touch only rows below it (an acquire load).
    std::uint64_t publishedCount() const { return published_.load(std::memory_order_acquire); }
    std::uint64_t namesUsed() const { return names_.used(); }
    const NamePool& namePool() const { return names_; }

    std::u16string_view nameView(NodeId row) const;
    std::u16string nameOf(NodeId row) const { return std::u16string(nameView(row)); }
    // The row's full path: the root's name, then each name below it, joined by `separator`
    // unless the text so far already ends in one (a root such as C:\ or /).
    std::u16string pathOf(NodeId row, char16_t separator) const;
    bool hasFlag(NodeId row, NodeFlag flag) const { return (flags.get(row) & flag) != 0; }

    // Bytes held by chunks and chunk tables, for measurements.
    std::uint64_t memoryBytes() const;

  private:
    NamePool names_;
    std::atomic<std::uint64_t> rowCount_{0};
    std::atomic<std::uint64_t> published_{0};
};

// The children of a folder that a reader may touch: the rows [begin, end). A reader may see a new
// firstChild with an old childCount or the reverse, since the two are separate elements; children
// always follow their folder, so a firstChild of 0 means the listing has not been seen yet.
struct ChildRange {
    NodeId begin = 0;
    NodeId end = 0;
};

inline ChildRange publishedChildren(const NodeStore& store, NodeId folder,
                                    std::uint64_t published) {
    const NodeId first = store.firstChild.get(folder);
    const std::uint64_t end = std::uint64_t{first} + store.childCount.get(folder);
    if (first == 0 || first >= published) {
        return {};
    }
    return {first, static_cast<NodeId>(end < published ? end : published)};
}

// Calls `stop` on `node`, then on each folder above it up to the root, until one call answers
// true; answers whether one did. A parent always precedes its children, so the walk ends.
template <typename Stop>
bool anyOnPathToRoot(const NodeStore& store, NodeId node, Stop stop) {
    for (NodeId at = node;; at = store.parent.get(at)) {
        if (stop(at)) {
            return true;
        }
        if (at == 0) {
            return false;
        }
    }
}

// True when `node` is `folder` or lies anywhere under it.
inline bool isSameOrInside(const NodeStore& store, NodeId node, NodeId folder) {
    return anyOnPathToRoot(store, node, [folder](NodeId at) { return at == folder; });
}

// The number of folders above `node`: 0 for the root.
inline std::uint32_t depthOf(const NodeStore& store, NodeId node) {
    std::uint32_t depth = 0;
    anyOnPathToRoot(store, node, [&depth](NodeId at) {
        depth += at != 0;
        return false;
    });
    return depth;
}

// True when `node` and each folder above it lie among their parent's children within the first
// `published` rows. A row that a refresh cut out of its folder's listing, or that was removed with
// a folder above it, still names its parent but is no longer one of its children.
inline bool isListedUpToRoot(const NodeStore& store, NodeId node, std::uint64_t published) {
    return !anyOnPathToRoot(store, node, [&](NodeId at) {
        if (at == 0) {
            return false;
        }
        const ChildRange siblings = publishedChildren(store, store.parent.get(at), published);
        return at < siblings.begin || at >= siblings.end;
    });
}

}  // namespace scan
