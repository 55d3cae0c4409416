#include "alloc_counter.hpp"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

#include <simhost/engine.hpp>

namespace bench {
namespace {
// Each block carries its requested size in a header in front of it, so that delete knows what
// it frees; the header keeps the block aligned for any ordinary type.
constexpr std::size_t header_size = alignof(std::max_align_t);

// The benchmarks run on one thread: relaxed loads and stores keep the counters free of data
// races without the cost of locked increments on every allocation.
struct Counter {
    std::atomic<std::int64_t> value{0};
    std::int64_t get() const { return value.load(std::memory_order_relaxed); }
    void add(std::int64_t delta) { value.store(get() + delta, std::memory_order_relaxed); }
    void set(std::int64_t to) { value.store(to, std::memory_order_relaxed); }
};

Counter allocations;
Counter own_allocations;
Counter bytes_allocated;
Counter live_blocks;
Counter live_bytes;
Counter peak_live_bytes;

void note_allocation(std::size_t size) {
    const auto bytes = static_cast<std::int64_t>(size);
    allocations.add(1);
    if (!simhost::in_host_code()) {
        own_allocations.add(1);
    }
    bytes_allocated.add(bytes);
    live_blocks.add(1);
    live_bytes.add(bytes);
    if (live_bytes.get() > peak_live_bytes.get()) {
        peak_live_bytes.set(live_bytes.get());
    }
}

void note_release(std::size_t size) {
    live_blocks.add(-1);
    live_bytes.add(-static_cast<std::int64_t>(size));
}

// `header` is at least header_size and a multiple of `alignment`.
void* allocate(std::size_t size, std::size_t alignment, std::size_t header) noexcept {
    void* raw = nullptr;
    if (alignment <= header_size) {
        raw = std::malloc(size + header);
    } else if (posix_memalign(&raw, alignment, size + header) != 0) {
        raw = nullptr;
    }
    if (!raw) {
        return nullptr;
    }
    auto* block = static_cast<std::byte*>(raw) + header;
    *reinterpret_cast<std::size_t*>(block - sizeof(std::size_t)) = size;
    note_allocation(size);
    return block;
}

void release(void* block, std::size_t header) noexcept {
    if (!block) {
        return;
    }
    auto* bytes = static_cast<std::byte*>(block);
    note_release(*reinterpret_cast<std::size_t*>(bytes - sizeof(std::size_t)));
    std::free(bytes - header);
}

std::size_t aligned_header(std::align_val_t alignment) {
    auto a = static_cast<std::size_t>(alignment);
    return a > header_size ? a : header_size;
}

void* allocate_or_throw(std::size_t size, std::size_t alignment, std::size_t header) {
    void* block = allocate(size, alignment, header);
    if (!block) {
        throw std::bad_alloc();
    }
    return block;
}
} // namespace

HeapStats heap_stats() {
    return {static_cast<std::uint64_t>(allocations.get()),
            static_cast<std::uint64_t>(own_allocations.get()),
            static_cast<std::uint64_t>(bytes_allocated.get()),
            live_blocks.get(),
            live_bytes.get(),
            peak_live_bytes.get()};
}

void reset_heap_peak() {
    peak_live_bytes.set(live_bytes.get());
}
} // namespace bench

using bench::aligned_header;
using bench::allocate;
using bench::allocate_or_throw;
using bench::header_size;
using bench::release;

void* operator new(std::size_t size) {
    return allocate_or_throw(size, header_size, header_size);
}
void* operator new[](std::size_t size) {
    return allocate_or_throw(size, header_size, header_size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size, header_size, header_size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size, header_size, header_size);
}
void operator delete(void* block) noexcept {
    release(block, header_size);
}
void operator delete[](void* block) noexcept {
    release(block, header_size);
}
void operator delete(void* block, std::size_t) noexcept {
    release(block, header_size);
}
void operator delete[](void* block, std::size_t) noexcept {
    release(block, header_size);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    release(block, header_size);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    release(block, header_size);
}

void* operator new(std::size_t size, std::align_val_t alignment) {
    return allocate_or_throw(size, static_cast<std::size_t>(alignment), aligned_header(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return allocate_or_throw(size, static_cast<std::size_t>(alignment), aligned_header(alignment));
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return allocate(size, static_cast<std::size_t>(alignment), aligned_header(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return allocate(size, static_cast<std::size_t>(alignment), aligned_header(alignment));
}
void operator delete(void* block, std::align_val_t alignment) noexcept {
    release(block, aligned_header(alignment));
}
void operator delete[](void* block, std::align_val_t alignment) noexcept {
    release(block, aligned_header(alignment));
}
void operator delete(void* block, std::size_t, std::align_val_t alignment) noexcept {
    release(block, aligned_header(alignment));
}
void operator delete[](void* block, std::size_t, std::align_val_t alignment) noexcept {
    release(block, aligned_header(alignment));
}
void operator delete(void* block, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    release(block, aligned_header(alignment));
}
void operator delete[](void* block, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    release(block, aligned_header(alignment));
}
