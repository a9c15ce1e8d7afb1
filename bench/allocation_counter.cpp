#include "allocation_counter.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace bench {

namespace {

std::atomic<std::size_t> held{0};
std::atomic<std::size_t> peak{0};

void* counted(void* block) {
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    const std::size_t now = held.fetch_add(malloc_usable_size(block), std::memory_order_relaxed) +
                            malloc_usable_size(block);
    std::size_t seen = peak.load(std::memory_order_relaxed);
    while (now > seen && !peak.compare_exchange_weak(seen, now, std::memory_order_relaxed)) {
    }
    return block;
}

void released(void* block) {
    if (block != nullptr) {
        held.fetch_sub(malloc_usable_size(block), std::memory_order_relaxed);
        std::free(block);
    }
}

}  // namespace

std::size_t allocatedNow() {
    return held.load(std::memory_order_relaxed);
}

std::size_t allocationPeak() {
    return peak.load(std::memory_order_relaxed);
}

void resetAllocationPeak() {
    peak.store(held.load(std::memory_order_relaxed), std::memory_order_relaxed);
}

}  // namespace bench

// The array and nothrow forms of the standard library end up in these.
void* operator new(std::size_t size) {
    return bench::counted(std::malloc(size == 0 ? 1 : size));
}

void* operator new(std::size_t size, std::align_val_t alignment) {
    const auto align = static_cast<std::size_t>(alignment);
    return bench::counted(std::aligned_alloc(align, (size + align - 1) / align * align));
}

void operator delete(void* block) noexcept {
    bench::released(block);
}

void operator delete(void* block, std::align_val_t) noexcept {
    bench::released(block);
}

void operator delete(void* block, std::size_t) noexcept {
    bench::released(block);
}

void operator delete(void* block, std::size_t, std::align_val_t) noexcept {
    bench::released(block);
}
