// Counts every heap allocation of the process: the benchmark binary replaces the global
// operator new and delete, so the host library and the C++ runtime are counted too, and the host
// tells which of them its own code made.
#pragma once

#include <cstdint>

namespace bench {
struct HeapStats {
    std::uint64_t allocations = 0;
    // Those made outside the host's own code: by the mod, the game and the benchmark.
    std::uint64_t own_allocations = 0;
    std::uint64_t bytes_allocated = 0;
    std::int64_t live_blocks = 0;
    std::int64_t live_bytes = 0;
    std::int64_t peak_live_bytes = 0; // since the last reset_heap_peak()
};

HeapStats heap_stats();
// Restarts the peak at the bytes live now.
void reset_heap_peak();
} // namespace bench
