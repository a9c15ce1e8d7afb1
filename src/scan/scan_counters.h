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

// What a scan has found so far; written by the scan's single writer, read by the views.
struct ScanCounters {
    Counter files;
    // Folders to be listed, the root included.
    Counter folders{1};
    Counter unreadable;
    Counter reads;
    Counter duplicateLinks;
    Counter duplicateBytes;
    Counter datedItems;
};

}  // namespace scan
