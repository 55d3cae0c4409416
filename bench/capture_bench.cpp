// The capture hooks at their largest: UpdateInventory with 256 slots and SetListItemsBP with 256
// entries, hooks included, against the same calls with no mod loaded; and a whole opening of a
// trade with full panels.
#include <array>
#include <string>

#include <Unreal/UObjectGlobals.hpp>

#include "benchmarks.hpp"
#include "world.hpp"

namespace bench {
namespace {
constexpr int entries = 256;

void update_inventory(benchmark::State& state, bool with_mod) {
    World world;
    world.fill(Panel::OfferBuy, entries, 0);
    std::unique_ptr<tallyglass::Tallyglass> mod = with_mod ? load_mod() : nullptr;
    auto run = [&] { simhost::game::update_inventory(world.screen.buy_balance); };
    run();
    set_heap_counters(state, heap_per_call(run, 100));
    for (auto _ : state) {
        run();
    }
    if (mod && mod->rows.size() != static_cast<std::size_t>(entries)) {
        state.SkipWithError("the hook did not record every slot");
    }
}

enum class ListMod {
    None,
    Loaded,
    // The mod's own GetItemAt calls run the GetItemAt hook again, as this host runs hooks for
    // every call: taking that hook away shows what the second reading of each entry costs.
    WithoutGetItemAtHook,
};

void set_list_items(benchmark::State& state, ListMod which) {
    World world;
    world.fill(Panel::Trader, entries, 0);
    const auto items = world.screen.entries(Panel::Trader);
    std::unique_ptr<tallyglass::Tallyglass> mod = which != ListMod::None ? load_mod() : nullptr;
    if (which == ListMod::WithoutGetItemAtHook) {
        auto& hook = mod->get_item_at_hook;
        RC::Unreal::UObjectGlobals::UnregisterHook(hook.function, hook.ids);
        hook.registered = false;
    }
    auto run = [&] { simhost::game::set_list_items(world.screen.trader_list, items); };
    run();
    set_heap_counters(state, heap_per_call(run, 100));
    for (auto _ : state) {
        run();
    }
    if (mod && mod->rows.size() != static_cast<std::size_t>(entries)) {
        state.SkipWithError("the hook did not record every entry");
    }
}

void open_trade(benchmark::State& state, void (*fill)(World&), bool with_mod) {
    World world;
    fill(world);
    std::unique_ptr<tallyglass::Tallyglass> mod = with_mod ? load_mod() : nullptr;
    world.screen.open();
    std::array<std::uint64_t, simhost::op_count> before{};
    for (std::size_t op = 0; op < simhost::op_count; ++op) {
        before[op] = simhost::host_calls(static_cast<simhost::Op>(op));
    }
    const std::uint64_t total_before = simhost::host_calls();
    for (auto _ : state) {
        world.screen.open();
    }
    const auto openings = static_cast<double>(state.iterations());
    state.counters["host_calls"] =
        static_cast<double>(simhost::host_calls() - total_before) / openings;
    for (std::size_t op = 0; op < simhost::op_count; ++op) {
        const auto which = static_cast<simhost::Op>(op);
        state.counters[std::string("calls:") + simhost::op_name(which)] =
            static_cast<double>(simhost::host_calls(which) - before[op]) / openings;
    }
    state.SetLabel(std::to_string(world.screen.slots.size()) + " slots");
}
} // namespace

void register_capture_benchmarks() {
    benchmark::RegisterBenchmark("update_inventory/256/no_mod", update_inventory, false)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("update_inventory/256/mod", update_inventory, true)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("set_list_items/256/no_mod", set_list_items, ListMod::None)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("set_list_items/256/mod", set_list_items, ListMod::Loaded)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("set_list_items/256/mod_without_get_item_at_hook", set_list_items,
                                 ListMod::WithoutGetItemAtHook)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("open_trade/full/no_mod", open_trade, fill_full_trade, false)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("open_trade/full/mod", open_trade, fill_full_trade, true)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("open_trade/typical/no_mod", open_trade, fill_typical_trade, false)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("open_trade/typical/mod", open_trade, fill_typical_trade, true)
        ->Unit(benchmark::kMicrosecond);
}
} // namespace bench
