// The item row cache on its own: lookups and recording in a full cache of 384 rows.
#include <array>
#include <cstring>
#include <deque>

#include "benchmarks.hpp"
#include "capture/row_cache.hpp"
#include "game/layout.hpp"
#include "game/limits.hpp"
#include "world.hpp"

namespace bench {
namespace {
using tallyglass::ItemRow;
using tallyglass::RowSource;
using tallyglass::TradeSide;
using tallyglass::limits::max_cached_rows;

// Enough of a slot data object for what the cache reads of it: its position and trader index.
struct FakeSlot {
    alignas(8) std::array<std::byte, 176> bytes{};
    FakeSlot(std::int32_t pos, std::int32_t trader_index) {
        std::memcpy(bytes.data() + tallyglass::offsets::slot_pos, &pos, sizeof pos);
        std::memcpy(bytes.data() + tallyglass::offsets::slot_trader_index, &trader_index,
                    sizeof trader_index);
    }
};

constexpr std::int32_t generation = 1000;

// Row i: slot i, position i, shown price 120 + 11 i, base 100 + 7 i; the first half of the
// cache on the buy side, the second half on the sell side, as a trade fills it.
struct FullCache {
    std::deque<FakeSlot> slots;
    tallyglass::RowCache rows;
    String item_name = STR("ItemBaseConfig /Game/Items/BP_Item_1042.BP_Item_1042");

    FullCache() {
        for (std::int32_t i = 0; i < 2 * static_cast<std::int32_t>(max_cached_rows); ++i) {
            slots.emplace_back(i, 0);
        }
        for (std::int32_t i = 0; i < static_cast<std::int32_t>(max_cached_rows); ++i) {
            record(i, generation);
        }
    }
    static TradeSide side(std::int32_t i) {
        return i < static_cast<std::int32_t>(max_cached_rows) / 2 ? TradeSide::Buy
                                                                  : TradeSide::Sell;
    }
    // Every slot has a position of its own, so no two slots share a row.
    void record(std::int32_t i, std::int32_t at_generation) {
        const std::int32_t key = i % static_cast<std::int32_t>(max_cached_rows);
        tallyglass::record_row(rows, at_generation, &slots[static_cast<std::size_t>(i)], side(key),
                               i, 120 + 11 * key, 1, 100 + 7 * key, 0, RowSource::LeftList,
                               item_name);
    }
};

void find_by_slot_data(benchmark::State& state, std::int32_t row) {
    FullCache cache;
    const void* slot = &cache.slots[static_cast<std::size_t>(row)];
    const TradeSide side = FullCache::side(row);
    for (auto _ : state) {
        benchmark::DoNotOptimize(tallyglass::find_row(cache.rows, generation, side, slot));
    }
}

// A slot data object the cache has not seen: the second pass matches position and trader index
// (of the last row), or nothing at all.
void find_by_position(benchmark::State& state, bool hit) {
    FullCache cache;
    FakeSlot replaced(hit ? static_cast<std::int32_t>(max_cached_rows) - 1 : 100000, 0);
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            tallyglass::find_row(cache.rows, generation, TradeSide::Sell, &replaced));
    }
    if ((tallyglass::find_row(cache.rows, generation, TradeSide::Sell, &replaced) != nullptr) !=
        hit) {
        state.SkipWithError("unexpected lookup result");
    }
}

void find_by_current(benchmark::State& state, bool hit) {
    FullCache cache;
    const std::int32_t observed =
        hit ? 120 + 11 * (static_cast<std::int32_t>(max_cached_rows) - 1) : 7;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            tallyglass::find_row_by_current(cache.rows, generation, TradeSide::Sell, observed));
    }
    if ((tallyglass::find_row_by_current(cache.rows, generation, TradeSide::Sell, observed) !=
         nullptr) != hit) {
        state.SkipWithError("unexpected lookup result");
    }
}

// Recording the last row again, as every capture pass does for a slot it saw before.
void record_again(benchmark::State& state) {
    FullCache cache;
    const std::int32_t last = static_cast<std::int32_t>(max_cached_rows) - 1;
    for (auto _ : state) {
        cache.record(last, generation);
    }
    if (cache.rows.size() != max_cached_rows) {
        state.SkipWithError("the cache changed size");
    }
}

// Recording an entry the full cache does not hold: the oldest row goes.
void record_new(benchmark::State& state) {
    FullCache cache;
    std::int32_t next = static_cast<std::int32_t>(max_cached_rows);
    const std::int32_t cycle = 2 * static_cast<std::int32_t>(max_cached_rows);
    for (auto _ : state) {
        cache.record(next, generation);
        // The cache holds the 384 slots recorded last, so the next of 768 is never in it.
        next = next + 1 == cycle ? 0 : next + 1;
    }
    if (cache.rows.size() != max_cached_rows) {
        state.SkipWithError("the cache changed size");
    }
}

// The item name every record copies, to set against the two above.
void copy_item_name(benchmark::State& state) {
    FullCache cache;
    for (auto _ : state) {
        String copy = cache.item_name;
        benchmark::DoNotOptimize(copy.data());
    }
}
} // namespace

void register_row_cache_benchmarks() {
    const auto last = static_cast<std::int32_t>(max_cached_rows) - 1;
    benchmark::RegisterBenchmark("row_cache/find_row/slot_data_first", find_by_slot_data, 0);
    benchmark::RegisterBenchmark("row_cache/find_row/slot_data_last", find_by_slot_data, last);
    benchmark::RegisterBenchmark("row_cache/find_row/position_last", find_by_position, true);
    benchmark::RegisterBenchmark("row_cache/find_row/miss", find_by_position, false);
    benchmark::RegisterBenchmark("row_cache/find_row_by_current/hit", find_by_current, true);
    benchmark::RegisterBenchmark("row_cache/find_row_by_current/miss", find_by_current, false);
    benchmark::RegisterBenchmark("row_cache/record_row/again_last", record_again);
    benchmark::RegisterBenchmark("row_cache/record_row/new_evicts_oldest", record_new);
    benchmark::RegisterBenchmark("row_cache/copy_item_name", copy_item_name);
}
} // namespace bench
