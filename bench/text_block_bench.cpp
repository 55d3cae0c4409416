// The TextBlock hook: its tax on text blocks that are not a slot's value text, against the
// host's GetFullName that it must call anyway, and the whole rewrite of a slot's value text.
#include <time.h>

#include <utility>

#include "benchmarks.hpp"
#include "game/limits.hpp"
#include "mod/hook_guard.hpp"
#include "world.hpp"

namespace bench {
namespace {
using simhost::game::new_text_block;

enum class Place {
    Hud,          // a HUD text block: outside the trading screen
    TradingLabel, // in the trading screen, outside any slot
    SlotLabel,    // in a slot, but not its value text
};

UObject* widget(UObject* outer, const Char* cls_name, const Char* name) {
    return simhost::new_object(simhost::find_class(cls_name), name, outer);
}

// A text block at `place`, about as deep in the widget tree as a slot's value text.
UObject* text_block_at(World& world, Place place) {
    switch (place) {
    case Place::Hud: {
        auto* user_widget = simhost::find_class(STR("UserWidget"));
        simhost::define_class(STR("/Game/UI/HUD/W_HUD_Main"), STR("W_HUD_Main_C"), user_widget);
        simhost::define_class(STR("/Game/UI/HUD/W_QuestTracker"), STR("W_QuestTracker_C"),
                              user_widget);
        simhost::define_class(STR("/Game/UI/HUD/W_QuestEntry"), STR("W_QuestEntry_C"), user_widget);
        auto* hud = widget(world.game_instance(), STR("W_HUD_Main_C"), STR("W_HUD_Main_C_0"));
        auto* tracker = widget(widget(hud, STR("WidgetTree"), STR("WidgetTree")),
                               STR("W_QuestTracker_C"), STR("W_QuestTracker_C_0"));
        auto* entry = widget(widget(tracker, STR("WidgetTree"), STR("WidgetTree")),
                             STR("W_QuestEntry_C"), STR("W_QuestEntry_C_3"));
        return new_text_block(STR("Text_QuestTitle"),
                              widget(entry, STR("WidgetTree"), STR("WidgetTree")));
    }
    case Place::TradingLabel:
        return new_text_block(STR("Text_TraderName"), world.main_tree());
    case Place::SlotLabel: {
        UObject* value_text = world.screen.add(Panel::Trader, item(0)).text_block;
        return new_text_block(STR("Text_Amount"), simhost::outer_of(value_text));
    }
    }
    return nullptr;
}

const char* place_name(Place place) {
    switch (place) {
    case Place::Hud:
        return "hud";
    case Place::TradingLabel:
        return "trading_label";
    case Place::SlotLabel:
        return "slot_label";
    }
    return "?";
}

std::string name_label(UObject* block) {
    return "name of " + std::to_string(simhost::full_name(block).size()) + " chars";
}

// A text block at `place` and a mod object with the default settings, its hooks not registered:
// a hook's body is called on it directly.
struct Outside {
    explicit Outside(Place place) : block(text_block_at(world, place)), call(block) {
        mod->config = tallyglass::Config{};
    }
    World world;
    UObject* block;
    std::unique_ptr<tallyglass::Tallyglass> mod = std::make_unique<tallyglass::Tallyglass>();
    CallContext call;
};

// Called directly: no registration, so only the hook's own body runs; `dispatched`, through the
// function the host holds for the hook, as every SetText of the game pays it.
void hook_outside(benchmark::State& state, Place place, bool dispatched) {
    Outside scene(place);
    auto run = [&] {
        if (dispatched) {
            tallyglass::dispatch<tallyglass::Tallyglass,
                                 &tallyglass::Tallyglass::on_text_block_set_text>(
                scene.call.context, scene.mod.get());
        } else {
            scene.mod->on_text_block_set_text(scene.call.context);
        }
    };
    set_heap_counters(state, heap_per_call(run));
    for (auto _ : state) {
        run();
        benchmark::ClobberMemory();
    }
    if (scene.mod->text_appended_total != 0 || scene.mod->text_append_skips != 0) {
        state.SkipWithError("the hook treated the text block as a value text");
    }
    state.SetLabel(name_label(scene.block));
}

void full_name_outside(benchmark::State& state, Place place) {
    World world;
    UObject* block = text_block_at(world, place);
    auto run = [&] {
        String name = block->GetFullName(nullptr);
        benchmark::DoNotOptimize(name.data());
    };
    set_heap_counters(state, heap_per_call(run));
    for (auto _ : state) {
        run();
    }
    state.SetLabel(name_label(block));
}

// The host's lookup of a script function by name, as the hook makes it for SetText.
void find_function_outside(benchmark::State& state, Place place) {
    World world;
    UObject* block = text_block_at(world, place);
    auto run = [&] { benchmark::DoNotOptimize(block->GetFunctionByNameInChain(STR("SetText"))); };
    set_heap_counters(state, heap_per_call(run));
    for (auto _ : state) {
        run();
    }
}

// Both in turns, in batches, on the thread's CPU clock: a ratio that holds up while other
// processes load the machine unevenly between two separate benchmarks.
double thread_cpu_ns() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
}

// Per-call CPU time of `first` and of `second`, run in turns in batches of 1,000.
template <class First, class Second>
std::pair<double, double> in_turns(benchmark::State& state, First first, Second second) {
    constexpr int batch = 1000;
    double first_ns = 0;
    double second_ns = 0;
    for (auto _ : state) {
        const double start = thread_cpu_ns();
        for (int i = 0; i < batch; ++i) {
            first();
        }
        const double middle = thread_cpu_ns();
        for (int i = 0; i < batch; ++i) {
            second();
        }
        first_ns += middle - start;
        second_ns += thread_cpu_ns() - middle;
    }
    const auto calls = static_cast<double>(state.iterations()) * batch;
    state.SetLabel("time is for 1000 calls of each");
    return {first_ns / calls, second_ns / calls};
}

void hook_ratio(benchmark::State& state, Place place) {
    Outside scene(place);
    const auto [hook_ns, name_ns] = in_turns(
        state,
        [&] {
            scene.mod->on_text_block_set_text(scene.call.context);
            benchmark::ClobberMemory();
        },
        [&] {
            String name = scene.block->GetFullName(nullptr);
            benchmark::DoNotOptimize(name.data());
        });
    state.counters["hook_ns"] = hook_ns;
    state.counters["get_full_name_ns"] = name_ns;
    state.counters["ratio"] = hook_ns / name_ns;
}

// What the function the host holds adds to the hook's body (its guard, and the gate that lets
// unloading wait for callbacks), the two in turns.
void dispatch_cost(benchmark::State& state, Place place) {
    Outside scene(place);
    void* custom_data = scene.mod.get();
    const auto [direct_ns, dispatched_ns] = in_turns(
        state,
        [&] {
            scene.mod->on_text_block_set_text(scene.call.context);
            benchmark::ClobberMemory();
        },
        [&] {
            tallyglass::dispatch<tallyglass::Tallyglass,
                                 &tallyglass::Tallyglass::on_text_block_set_text>(
                scene.call.context, custom_data);
            benchmark::ClobberMemory();
        });
    state.counters["direct_ns"] = direct_ns;
    state.counters["dispatched_ns"] = dispatched_ns;
    state.counters["added_ns"] = dispatched_ns - direct_ns;
}

// The one marker search the hook makes on a HUD text block's name, with its skip table, and the
// plain search it replaces.
void search_outside(benchmark::State& state, Place place) {
    World world;
    const String name = simhost::full_name(text_block_at(world, place));
    static constexpr tallyglass::TextPattern marker(STR("W_Trading_Main"));
    for (auto _ : state) {
        benchmark::DoNotOptimize(marker.found_in(name));
    }
}

void plain_search_outside(benchmark::State& state, Place place) {
    World world;
    const String name = simhost::full_name(text_block_at(world, place));
    for (auto _ : state) {
        benchmark::DoNotOptimize(tallyglass::contains_text(name, STR("W_Trading_Main")));
    }
}

// The game's own SetText of a HUD text, hooks and all.
void set_text_hud(benchmark::State& state, bool with_mod) {
    World world;
    UObject* block = text_block_at(world, Place::Hud);
    std::unique_ptr<tallyglass::Tallyglass> mod = with_mod ? load_mod() : nullptr;
    const String text = STR("Find the smith in Harrowgate");
    auto run = [&] { simhost::game::set_text(block, text); };
    set_heap_counters(state, heap_per_call(run));
    for (auto _ : state) {
        run();
    }
}

enum class Match { SlotData, Value };

// A full trade: 256 trader and 128 player entries, captured by the list hooks into a cache of
// 384 rows. The two value texts under test are the last player slots, so that the row sought by
// slot data is the last of the cache.
struct RewriteScene {
    World world;
    simhost::trading::Slot by_value;
    simhost::trading::Slot by_slot_data;

    RewriteScene() {
        world.fill(Panel::Trader, 256, 0);
        world.fill(Panel::Player, 126, 256);
        simhost::trading::Item no_pointer = item(382);
        no_pointer.slot_data = false; // the widget does not point to its slot data
        world.screen.add(Panel::Player, no_pointer);
        world.screen.add(Panel::Player, item(383));
        auto player = world.screen.panel(Panel::Player);
        by_value = *player[126];
        by_slot_data = *player[127];
    }
};

void rewrite_slot_value(benchmark::State& state, bool with_mod, Match match) {
    RewriteScene scene;
    std::unique_ptr<tallyglass::Tallyglass> mod = with_mod ? load_mod() : nullptr;
    const auto& slot = match == Match::SlotData ? scene.by_slot_data : scene.by_value;
    if (mod) {
        scene.world.screen.fill_lists();
        if (mod->rows.size() != tallyglass::limits::max_cached_rows ||
            mod->rows.back().slot_data != scene.by_slot_data.slot_data) {
            state.SkipWithError("the cache is not full, or not in the expected order");
            return;
        }
    }
    // A fresh plain number every time: the game sets it, the hook extends it.
    auto run = [&] { simhost::game::set_text(slot.text_block, slot.game_text); };
    set_heap_counters(state, heap_per_call(run));
    const std::int32_t appended_before = mod ? mod->text_appended_total : 0;
    for (auto _ : state) {
        run();
    }
    if (mod) {
        const auto rewrites = static_cast<double>(mod->text_appended_total - appended_before);
        state.counters["rewrites/iter"] = rewrites / static_cast<double>(state.iterations());
        if (rewrites != static_cast<double>(state.iterations())) {
            state.SkipWithError("not every SetText was rewritten");
        }
    }
}
} // namespace

void register_text_block_benchmarks() {
    for (Place place : {Place::Hud, Place::TradingLabel, Place::SlotLabel}) {
        const std::string where = place_name(place);
        benchmark::RegisterBenchmark(("text_block_hook/outside/" + where).c_str(), hook_outside,
                                     place, false);
        benchmark::RegisterBenchmark(("get_full_name/outside/" + where).c_str(), full_name_outside,
                                     place);
    }
    benchmark::RegisterBenchmark("text_block_hook/dispatched/hud", hook_outside, Place::Hud, true);
    benchmark::RegisterBenchmark("get_function_by_name/hud", find_function_outside, Place::Hud);
    benchmark::RegisterBenchmark("text_block_hook/interleaved/hud", hook_ratio, Place::Hud)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("text_block_hook/dispatch_cost/hud", dispatch_cost, Place::Hud)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("contains_text/outside/hud", search_outside, Place::Hud);
    benchmark::RegisterBenchmark("contains_text/outside/hud_plain", plain_search_outside,
                                 Place::Hud);
    benchmark::RegisterBenchmark("set_text/hud/no_mod", set_text_hud, false);
    benchmark::RegisterBenchmark("set_text/hud/mod", set_text_hud, true);
    benchmark::RegisterBenchmark("set_text/slot_value/no_mod", rewrite_slot_value, false,
                                 Match::SlotData);
    benchmark::RegisterBenchmark("set_text/slot_value/mod_by_slot_data", rewrite_slot_value, true,
                                 Match::SlotData);
    benchmark::RegisterBenchmark("set_text/slot_value/mod_by_value", rewrite_slot_value, true,
                                 Match::Value);
}
} // namespace bench
