// What every benchmark of the hooks stands on: a fresh simulated world with a trading screen,
// the mod loaded into it as the host loads it, and heap counts per call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include <benchmark/benchmark.h>
#include <simhost/trading.hpp>

#include "alloc_counter.hpp"
#include "mod/tallyglass.hpp"

namespace bench {
using tallyglass::Char;
using tallyglass::String;
using UObject = RC::Unreal::UObject;
using simhost::trading::Panel;

// A fresh world with the game installed and an empty trading screen; emptied again on leaving.
class World {
public:
    World();
    ~World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    simhost::trading::Screen screen;
    UObject* game_instance() const;
    // The widget tree of the trading screen's main widget.
    UObject* main_tree() const;
    // Adds `count` items to a panel; item numbers go on from `first` so that every price and
    // name in the world differs.
    void fill(Panel panel, int count, int first);
};

// Full panels: 256 entries in each inventory list and 16 in each offer, more than the row cache
// holds.
void fill_full_trade(World& world);
// A trade as a player meets it: 30 of the trader's goods, 40 of the player's, two offered each
// way.
void fill_typical_trade(World& world);

// The n-th item of a world: its own name, base value and price.
simhost::trading::Item item(int n);
String decimal(std::int64_t value);

// The mod as the host makes it, with the default settings, its hooks registered.
std::unique_ptr<tallyglass::Tallyglass> load_mod();

// The hook's view of a call of a function on `object` that has no parameters it reads.
struct CallContext {
    alignas(std::max_align_t) std::byte frame[64]{}; // the engine's stack frame, opaque
    tallyglass::host::Context context;
    explicit CallContext(UObject* object)
        : context(object, *reinterpret_cast<RC::Unreal::FFrame*>(frame), nullptr) {}
};

struct HeapPerCall {
    double allocations = 0;
    double own_allocations = 0; // outside the host's own code
    double bytes = 0;
};

// Heap use per call of `call`, counted over `calls` calls.
template <class Call> HeapPerCall heap_per_call(Call&& call, int calls = 1000) {
    const HeapStats before = heap_stats();
    for (int i = 0; i < calls; ++i) {
        call();
    }
    const HeapStats after = heap_stats();
    return {static_cast<double>(after.allocations - before.allocations) / calls,
            static_cast<double>(after.own_allocations - before.own_allocations) / calls,
            static_cast<double>(after.bytes_allocated - before.bytes_allocated) / calls};
}

void set_heap_counters(benchmark::State& state, const HeapPerCall& heap);
} // namespace bench
