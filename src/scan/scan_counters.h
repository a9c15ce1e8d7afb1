#pragma once

#include <atomic>
#include <cstdint>

namespace scan {

// A counter with one writer and any number of readers: the writer's load and store make a sound
// increment, and readers on other threads see a whole value of some recent moment.
class Counter {
  public:
    Counter(std::uint64_t initial = 0) : value_(initial) {}
    std::uint64_t get() const { return value_.load(std::memory_order_relaxed); }
    void set(std::uint64_t value) { value_.store(value, std::memory_order_relaxed); }
    void add(std::uint64_t delta) { set(get() + delta); }
    void subtract(std::uint64_t delta) { set(get() - delta); }

  private:
    std::atomic<std::uint64_t> value_;
};

// What a scan has found so far; written by the scan's single writer, read by the views. All but
// reads describe the rows in the tree: removing, restoring and refreshing keep them what a fresh
// scan of the same tree would count.
struct ScanCounters {
    // Files counted, each file once whatever its number of names.
    Counter files;
    // Folders to be listed, the root included; mount points and folder links are not among them.
    Counter folders{1};
    // Folders that could not be opened or not listed to the end (walk); records that could not
    // be read (file table), which no removal or refresh takes back.
    Counter unreadable;
    // Listing calls and compressed-size queries made, which only grow: work done, not found.
    Counter reads;
    // Rows that are further names of a file counted under another name, and the bytes on disk
    // their listings gave.
    Counter duplicateLinks;
    Counter duplicateBytes;
    // Rows with a known creation time.
    Counter datedItems;
};

}  // namespace scan
