#include "world.hpp"

namespace bench {
World::World() {
    simhost::reset();
    screen = simhost::trading::build_screen();
}

World::~World() {
    simhost::reset();
}

UObject* World::game_instance() const {
    return simhost::outer_of(screen.main);
}

UObject* World::main_tree() const {
    // Inventory main -> the trading inventory's tree -> the trading inventory -> the main tree.
    UObject* inventory = simhost::outer_of(simhost::outer_of(screen.trader_inventory_main));
    return simhost::outer_of(inventory);
}

void World::fill(Panel panel, int count, int first) {
    for (int i = 0; i < count; ++i) {
        screen.add(panel, item(first + i));
    }
}

void fill_full_trade(World& world) {
    world.fill(Panel::Trader, 256, 0);
    world.fill(Panel::Player, 256, 256);
    world.fill(Panel::OfferBuy, 16, 512);
    world.fill(Panel::OfferSell, 16, 528);
}

void fill_typical_trade(World& world) {
    world.fill(Panel::Trader, 30, 0);
    world.fill(Panel::Player, 40, 30);
    world.fill(Panel::OfferBuy, 2, 70);
    world.fill(Panel::OfferSell, 2, 72);
}

String decimal(std::int64_t value) {
    return tallyglass::to_text(value);
}

simhost::trading::Item item(int n) {
    simhost::trading::Item out;
    out.name = STR("BP_Item_") + decimal(1000 + n);
    out.base = 100 + 7 * n;
    out.price = 120 + 11 * n;
    return out;
}

std::unique_ptr<tallyglass::Tallyglass> load_mod() {
    auto mod = std::make_unique<tallyglass::Tallyglass>();
    // Whatever settings file lies near the benchmark binary, the figures are for the defaults.
    mod->config = tallyglass::Config{};
    mod->on_unreal_init();
    simhost::clear_log();
    return mod;
}

void set_heap_counters(benchmark::State& state, const HeapPerCall& heap) {
    state.counters["allocs/call"] = heap.allocations;
    state.counters["own_allocs/call"] = heap.own_allocations;
    state.counters["bytes/call"] = heap.bytes;
}
} // namespace bench
