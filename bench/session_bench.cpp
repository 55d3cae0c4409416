// Memory over a long session: many openings of a trade with full panels, counted with the
// allocation counter.
#include <array>

#include "benchmarks.hpp"
#include "world.hpp"

namespace bench {
namespace {

// What the row cache holds on the heap: its array and the item names too long to sit inside
// their strings.
std::int64_t cache_bytes(const tallyglass::Tallyglass& mod) {
    auto bytes = static_cast<std::int64_t>(mod.rows.storage_bytes());
    const std::size_t inline_capacity = String().capacity();
    for (const auto& row : mod.rows) {
        if (row.item.capacity() > inline_capacity) {
            bytes += static_cast<std::int64_t>((row.item.capacity() + 1) * sizeof(Char));
        }
    }
    return bytes;
}

struct Checkpoint {
    std::int64_t live_bytes = 0;
    std::int64_t live_blocks = 0;
    std::int64_t cache_bytes = 0;
};

void long_session(benchmark::State& state, int openings) {
    World world;
    fill_full_trade(world);
    const std::int64_t live_before_mod = heap_stats().live_bytes;
    const std::int64_t blocks_before_mod = heap_stats().live_blocks;
    auto mod = load_mod();
    // Everything is kept in place until the session ends: counters added on the way would be
    // heap blocks of their own.
    std::array<Checkpoint, checkpoints.size()> at{};
    std::size_t rows_max = 0;
    std::int64_t peak_first_10 = 0;
    std::int64_t peak_last_1000 = 0;
    std::int64_t peak_all = 0;
    const std::uint64_t host_calls_before = simhost::host_calls();
    const std::int64_t texts_before = simhost::text_references();
    for (auto _ : state) {
        std::size_t next_checkpoint = 0;
        for (int opening = 1; opening <= openings; ++opening) {
            reset_heap_peak();
            world.screen.open();
            const HeapStats heap = heap_stats();
            rows_max = std::max(rows_max, mod->rows.size());
            peak_all = std::max(peak_all, heap.peak_live_bytes);
            if (opening <= 10) {
                peak_first_10 = std::max(peak_first_10, heap.peak_live_bytes);
            }
            if (opening > openings - 1000) {
                peak_last_1000 = std::max(peak_last_1000, heap.peak_live_bytes);
            }
            if (next_checkpoint < checkpoints.size() && opening == checkpoints[next_checkpoint]) {
                at[next_checkpoint] = {heap.live_bytes, heap.live_blocks, cache_bytes(*mod)};
                ++next_checkpoint;
            }
        }
    }
    const auto host_calls = simhost::host_calls() - host_calls_before;
    for (std::size_t i = 0; i < checkpoints.size() && checkpoints[i] <= openings; ++i) {
        // Appended rather than added: GCC 12 warns falsely (-Wrestrict) on "@" + string at -O3.
        std::string suffix = "@";
        suffix += std::to_string(checkpoints[i]);
        state.counters["live_bytes" + suffix] = static_cast<double>(at[i].live_bytes);
        state.counters["live_blocks" + suffix] = static_cast<double>(at[i].live_blocks);
        state.counters["cache_bytes" + suffix] = static_cast<double>(at[i].cache_bytes);
    }
    state.counters["live_bytes_before_mod"] = static_cast<double>(live_before_mod);
    state.counters["live_blocks_before_mod"] = static_cast<double>(blocks_before_mod);
    state.counters["openings"] = openings;
    state.counters["rows_max"] = static_cast<double>(rows_max);
    state.counters["rows_storage_bytes"] = static_cast<double>(mod->rows.storage_bytes());
    state.counters["peak_bytes_first_10"] = static_cast<double>(peak_first_10);
    state.counters["peak_bytes_last_1000"] = static_cast<double>(peak_last_1000);
    state.counters["peak_bytes_all"] = static_cast<double>(peak_all);
    state.counters["texts_left_per_opening"] =
        static_cast<double>(simhost::text_references() - texts_before) / openings;
    state.counters["host_calls_per_opening"] =
        static_cast<double>(host_calls) / static_cast<double>(openings);
}
} // namespace

void register_session_benchmarks(int openings) {
    // Built by appending, as above.
    std::string name = "long_session/";
    name += std::to_string(openings);
    name += "_openings";
    benchmark::RegisterBenchmark(name.c_str(), long_session, openings)
        ->Iterations(1)
        ->Repetitions(1)
        ->Unit(benchmark::kSecond);
}
} // namespace bench
