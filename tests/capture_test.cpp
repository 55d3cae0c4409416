// The capture hooks over a simulated trading screen: rows recorded, lines written, skips,
// limits, sampling, caps and faults in the middle of a pass.
#include <gtest/gtest.h>

#include <Unreal/UObjectGlobals.hpp>
#include <set>
#include <simhost/trading.hpp>
#include <string>
#include <tuple>
#include <utility>

#include "mod/tallyglass.hpp"
#include "support.hpp"

// Items are written with designated initializers; the fields left out keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {
namespace game = simhost::game;
using simhost::Op;
using simhost::UObject;
using simhost::trading::Panel;
using simhost::trading::Screen;
using simhost::trading::Slot;
using tallyglass::TradeSide;
using testing_support::log_lines;
using testing_support::log_lines_with;
using testing_support::utf8;

using Lines = std::vector<std::string>;

const std::string cap_end = " row cap reached; further rows are suppressed this session.\n";
const std::string value_cap = "[Tallyglass] ValueDisplay" + cap_end;
const std::string list_cap = "[Tallyglass] LeftList" + cap_end;

std::string name_of(UObject* object) {
    return utf8(simhost::full_name(object));
}
std::string value_summary(const std::string& side, const std::string& context) {
    return "[Tallyglass] Value hook UpdateInventory #1; side=" + side +
           "; text_appended_total=0; context=" + context + ".\n";
}
std::string list_summary(const std::string& side, const std::string& context) {
    return "[Tallyglass] List hook SetListItemsBP #1; side=" + side + "; context=" + context +
           ".\n";
}
std::string value_return(const Screen& s, int slots) {
    return "[Tallyglass] Value hook return side=trade-buy; slots=" + std::to_string(slots) +
           "; inventory_base=" + name_of(s.offer_buy_base) + ".\n";
}
std::string item_name(const std::string& item) {
    return "ItemBaseConfig /Game/Items/" + item + "." + item;
}
// The fields both row lines share, from pos to trader_index.
std::string fields(int pos, int current, int previous, int base, int amount = 1, bool show = true,
                   int trader_index = 0) {
    return "pos=" + std::to_string(pos) + "; current=" + std::to_string(current) +
           "; previous=" + std::to_string(previous) + "; base=" + std::to_string(base) +
           "; amount=" + std::to_string(amount) + "; show=" + (show ? "true" : "false") +
           "; trader_index=" + std::to_string(trader_index);
}
std::string value_row(const std::string& side, int slot, const std::string& numbers, bool append,
                      const std::string& item) {
    return "[Tallyglass] ValueDisplay row side=" + side + "; slot_index=" + std::to_string(slot) +
           "; " + numbers + "; append_text=" + (append ? "true" : "false") + "; item=" + item +
           ".\n";
}
std::string list_row(const std::string& side, int index, const std::string& numbers,
                     const std::string& item) {
    return "[Tallyglass] LeftList row side=" + side + "; list_index=" + std::to_string(index) +
           "; " + numbers + "; item=" + item_name(item) + ".\n";
}

class Capture : public testing_support::WorldTest {
protected:
    void SetUp() override { fresh(); }
    void TearDown() override {
        mod.reset();
        WorldTest::TearDown();
    }
    // A new world with an empty trading screen and a mod whose hooks are not registered yet.
    void fresh() {
        mod.reset();
        simhost::reset();
        screen = simhost::trading::build_screen();
        mod = std::make_unique<tallyglass::Tallyglass>();
    }
    void start(bool probe, bool debug) {
        mod->config.ProbeValues = probe;
        mod->config.DebugLogging = debug;
        mod->on_unreal_init();
        simhost::clear_log();
    }
    void add(Panel panel, int count) {
        for (int i = 0; i < count; ++i) {
            screen.add(panel, {.name = STR("Thing"), .base = 5, .price = 10});
        }
    }
    std::unique_ptr<tallyglass::Tallyglass> mod;
    Screen screen;
};

// The list hook's own GetItemAt calls fire the GetItemAt hook too, which leaves those entries to
// the list hook: the log and the rows are the same as with no GetItemAt hook at all.
TEST_F(Capture, TradeWithItemsOnBothSides) {
    for (bool get_item_at_hook : {true, false}) {
        SCOPED_TRACE(get_item_at_hook ? "GetItemAt hook" : "no GetItemAt hook");
        fresh();
        screen.add(Panel::OfferBuy, {.name = STR("Sword"), .base = 80, .price = 120});
        screen.add(
            Panel::OfferBuy,
            {.name = STR("Shield"), .base = 50, .price = 70, .amount = 2, .trader_index = 3});
        screen.add(Panel::OfferSell,
                   {.name = STR("Ring"), .base = 200, .price = 150, .previous = 160});
        screen.add(Panel::Trader, {.name = STR("Axe"), .base = 60, .price = 90});
        screen.add(Panel::Trader, {.name = STR("Potion"), .base = 0, .price = 5});
        screen.add(Panel::Player, {.name = STR("Gem"), .base = 300, .price = 210, .show = false});
        start(true, true);
        if (!get_item_at_hook) {
            auto& hook = mod->get_item_at_hook;
            RC::Unreal::UObjectGlobals::UnregisterHook(hook.function, hook.ids);
            hook.registered = false;
        }
        screen.update_balances();
        screen.fill_lists();

        const std::string axe = fields(0, 90, 90, 60), potion = fields(1, 5, 5, 0),
                          gem = fields(0, 210, 210, 300, 1, false);
        const Lines expected = {
            value_summary("trade-buy", name_of(screen.buy_balance)),
            value_return(screen, 2),
            value_row("trade-buy", 0, fields(0, 120, 120, 80), true, item_name("Sword")),
            value_row("trade-buy", 1, fields(1, 70, 70, 50, 2, true, 3), true, item_name("Shield")),
            value_row("trade-sell", 0, fields(0, 150, 160, 200), true, item_name("Ring")),
            list_summary("trade-buy", name_of(screen.trader_list)),
            list_row("trade-buy", 0, axe, "Axe"),
            list_row("trade-buy", 1, potion, "Potion"),
            list_row("trade-sell", 0, gem, "Gem"),
        };
        EXPECT_EQ(log_lines(), expected);

        // Side, source, generation, pos, current, amount, base, trader index and item of each row,
        // in the order of the screen's slots.
        const Lines rows = {
            "trade-buy offer 1 0 120 1 80 0 " + item_name("Sword"),
            "trade-buy offer 1 1 70 2 50 3 " + item_name("Shield"),
            "trade-sell offer 2 0 150 1 200 0 " + item_name("Ring"),
            "trade-buy left-list 3 0 90 1 60 0 " + item_name("Axe"),
            "trade-buy left-list 3 1 5 1 0 0 " + item_name("Potion"),
            "trade-sell left-list 4 0 210 1 300 0 " + item_name("Gem"),
        };
        ASSERT_EQ(mod->rows.size(), rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const auto& r = mod->rows[i];
            EXPECT_EQ(r.slot_data, screen.slots[i].slot_data) << rows[i];
            std::string got = utf8(tallyglass::trade_side_name(r.side)) + " " +
                              utf8(tallyglass::row_source_name(r.source));
            for (int n : {r.generation, r.pos, r.current, r.amount, r.base, r.trader_index}) {
                got += " " + std::to_string(n);
            }
            EXPECT_EQ(got + " " + utf8(r.item), rows[i]);
        }
    }
}

// Within one hook call the mod names each object once and looks each function up once on each
// object, also where a slot's text has its entry read on demand.
TEST_F(Capture, EachHookCallNamesAnObjectOnce) {
    add(Panel::OfferBuy, 2);
    add(Panel::Trader, 3);
    add(Panel::Player, 2);
    start(false, false);
    simhost::record_calls(true);
    screen.update_balances();
    screen.fill_lists();
    mod->rows.clear(); // each list slot's text reads its entry itself
    screen.set_texts();
    EXPECT_EQ(mod->text_appended_total, 5);
    std::set<std::tuple<std::uint64_t, Op, UObject*, std::u16string>> seen;
    for (const auto& call : simhost::call_records()) {
        if (call.op == Op::GetFullName || call.op == Op::GetFunctionByNameInChain) {
            EXPECT_TRUE(seen.insert({call.callback, call.op, call.subject,
                                     std::u16string(call.detail.begin(), call.detail.end())})
                            .second)
                << utf8(call.hook) << ": " << simhost::op_name(call.op) << " again on "
                << utf8(simhost::full_name(call.subject)) << " " << utf8(call.detail);
        }
    }
    EXPECT_GT(seen.size(), 40u);
}

// The game's own code may run inside the list hook's GetItemAt: a fetch of its own from the same
// list is read as any fetch is, and a fill of another list is read in full.
TEST_F(Capture, GameCallsInsideTheListHooksFetches) {
    add(Panel::Trader, 3);
    add(Panel::Player, 2);
    start(true, false);
    bool once = false;
    RC::Unreal::UObjectGlobals::RegisterHook(
        simhost::find_function(screen.trader_list, STR("GetItemAt")), {},
        [&](RC::Unreal::UnrealScriptFunctionCallableContext& context, void*) {
            if (std::exchange(once, true) || context.Context != screen.trader_list) {
                return;
            }
            game::get_item_at(screen.trader_list, 2);
            game::set_list_items(screen.player_list, screen.entries(Panel::Player));
        },
        nullptr);
    game::set_list_items(screen.trader_list, screen.entries(Panel::Trader));
    Lines indexes;
    for (const auto& line : log_lines()) {
        indexes.push_back(line.substr(0, line.find("; pos=")));
    }
    const std::string row = "[Tallyglass] LeftList row side=";
    EXPECT_EQ(indexes, (Lines{row + "trade-buy; list_index=-1", row + "trade-sell; list_index=0",
                              row + "trade-sell; list_index=1", row + "trade-buy; list_index=0",
                              row + "trade-buy; list_index=1", row + "trade-buy; list_index=2"}));
    EXPECT_EQ(mod->rows.size(), 5u);
}

// Changes to a screen, for the tables below.
void clear_field(UObject* object, std::size_t offset) {
    simhost::write_field<UObject*>(object, offset, nullptr);
}
void drop_function(const tallyglass::Char* cls, const tallyglass::Char* function) {
    simhost::remove_function(simhost::find_class(cls), function);
}
// UpdateInventory returns `elements` null elements with the header changed as given.
void array(Screen& s, std::size_t elements, game::ArrayHeaderOverride header) {
    game::set_balance_slots(s.buy_balance, std::vector<UObject*>(elements));
    game::set_balance_array_override(s.buy_balance, header);
}

// Every early return of both hooks, and the limits of the returned array and the item count,
// with DebugLogging on (the lines listed) and off (no line at all). No row is ever recorded.
TEST_F(Capture, SkipsAndLimits) {
    // What the game calls on: the hook's own object, a lookalike without a side marker, nothing,
    // or its own object with no storage for the return value.
    enum Context { Own, Loose, Null, NoResult };
    struct Case {
        const char* name;
        bool list; // SetListItemsBP on the trader's list, else UpdateInventory on the buy section
        Context context;
        void (*tweak)(Screen&);
        Lines lines;
        int generation;
    };
    const std::string buy = value_summary("trade-buy", name_of(screen.buy_balance));
    const std::string trader = list_summary("trade-buy", name_of(screen.trader_list));
    auto value_skip = [&](const std::string& why) {
        return Lines{buy, "[Tallyglass] Value hook skipped: " + why + ".\n"};
    };
    auto list_skip = [&](const std::string& why) {
        return Lines{trader, "[Tallyglass] List hook skipped: " + why + ".\n"};
    };
    auto passed = [&](int slots) { return Lines{buy, value_return(screen, slots)}; };
    auto other = [](const std::string& summary) { return Lines{summary}; };
    const std::string missing = "GetNumItems/GetItemAt function missing";
    auto none = [](Screen&) {};
    const Case cases[] = {
        {"value, no side marker", false, Loose, none,
         other(value_summary("other", "TradingBalanceInventory Loose")), 0},
        {"value, null context", false, Null, none, other(value_summary("other", "<null>")), 0},
        {"value, unnameable context", false, Own,
         [](Screen& s) { simhost::fail_full_name_of(s.buy_balance); },
         other(value_summary("other", "<GetFullName failed>")), 0},
        {"no return storage", false, NoResult, none,
         value_skip("UpdateInventory return array pointer unavailable"), 1},
        {"no inventory base", false, Own,
         [](Screen& s) { clear_field(s.buy_balance, game::balance_inventory_base); },
         value_skip("m_InventoryBaseTrading is null for side=trade-buy"), 1},
        {"no GetBaseConfigByPos", false, Own,
         [](Screen&) { drop_function(STR("InventoryBase"), STR("GetBaseConfigByPos")); },
         value_skip("GetBaseConfigByPos function not found"), 1},
        {"array count 257", false, Own, [](Screen& s) { array(s, 1, {.count = 257}); },
         value_skip("implausible UpdateInventory return array count=257, capacity=1"), 1},
        {"array count -1", false, Own, [](Screen& s) { array(s, 1, {.count = -1}); },
         value_skip("implausible UpdateInventory return array count=-1, capacity=1"), 1},
        {"array capacity below count", false, Own, [](Screen& s) { array(s, 1, {.capacity = 0}); },
         value_skip("implausible UpdateInventory return array count=1, capacity=0"), 1},
        {"array capacity 513", false, Own, [](Screen& s) { array(s, 1, {.capacity = 513}); },
         value_skip("implausible UpdateInventory return array count=1, capacity=513"), 1},
        {"array count 0", false, Own, [](Screen& s) { array(s, 0, {}); }, passed(0), 1},
        {"array count 256, capacity 512", false, Own,
         [](Screen& s) { array(s, 256, {.capacity = 512}); }, passed(256), 1},
        {"no element storage", false, Own, [](Screen& s) { array(s, 1, {.null_data = true}); },
         passed(1), 1},
        {"list, no side marker", true, Loose, none,
         other(list_summary("other", "DiscreteItemViewWidget Loose")), 0},
        {"list, null context", true, Null, none, other(list_summary("other", "<null>")), 0},
        {"no owner", true, Own,
         [](Screen& s) { clear_field(s.trader_inventory_main, game::inventory_main_base_trading); },
         list_skip("owner InventoryBaseTrading/InventoryBase not found for side=trade-buy"), 0},
        {"no GetNumItems", true, Own,
         [](Screen&) { drop_function(STR("DiscreteItemViewWidget"), STR("GetNumItems")); },
         list_skip(missing), 0},
        {"no GetItemAt", true, Own,
         [](Screen&) { drop_function(STR("DiscreteItemViewWidget"), STR("GetItemAt")); },
         list_skip(missing), 0},
        {"list count 257", true, Own,
         [](Screen& s) { game::set_list_count_override(s.trader_list, 257); },
         list_skip("implausible item count=257"), 0},
        {"list count -1", true, Own,
         [](Screen& s) { game::set_list_count_override(s.trader_list, -1); },
         list_skip("implausible item count=-1"), 0},
        {"list count 0", true, Own,
         [](Screen& s) { game::set_list_count_override(s.trader_list, 0); }, other(trader), 1},
    };
    for (const auto& c : cases) {
        for (bool debug : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (debug ? ", debug" : ""));
            fresh();
            add(Panel::Trader, 1);
            array(screen, 1, {});
            start(true, debug);
            c.tweak(screen);
            UObject* own = c.list ? screen.trader_list : screen.buy_balance;
            UObject* targets[] = {own, simhost::new_object(simhost::class_of(own), STR("Loose")),
                                  nullptr, own};
            auto entries = screen.entries(Panel::Trader);
            game::TArrayHeader params{entries.data(), 1, 1};
            simhost::call(targets[c.context],
                          simhost::find_function(own, c.list ? STR("SetListItemsBP")
                                                             : STR("UpdateInventory")),
                          c.context == NoResult ? nullptr : &params);
            EXPECT_EQ(log_lines(), debug ? c.lines : Lines{});
            EXPECT_EQ(mod->capture_generation, c.generation);
            EXPECT_TRUE(mod->rows.empty());
        }
    }
}

// The GetItemAt hook reads the entry the game handed out, and nothing at all when the call has no
// side, no object, no return value or no owner to look the base value up in.
TEST_F(Capture, GetItemAtReadsTheEntryItWasHanded) {
    enum Context { Own, Loose, Null, NoResult };
    struct Case {
        const char* name;
        Context context;
        bool owner;
        bool read;
    };
    const Case cases[] = {
        {"its own list", Own, true, true},   {"no side marker", Loose, true, false},
        {"null context", Null, true, false}, {"no return value", NoResult, true, false},
        {"no owner", Own, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fresh();
        add(Panel::Trader, 1);
        screen.fill_lists();
        start(true, false);
        if (!c.owner) {
            clear_field(screen.trader_inventory_main, game::inventory_main_base_trading);
        }
        UObject* targets[] = {
            screen.trader_list,
            simhost::new_object(simhost::class_of(screen.trader_list), STR("Loose")), nullptr,
            screen.trader_list};
        alignas(8) std::byte params[16]{};
        simhost::call(targets[c.context],
                      simhost::find_function(screen.trader_list, STR("GetItemAt")),
                      c.context == NoResult ? nullptr : params);
        EXPECT_EQ(mod->rows.size(), c.read ? 1u : 0u);
        EXPECT_EQ(log_lines_with("list_index=-1;").size(), c.read ? 1u : 0u);
        EXPECT_EQ(mod->capture_generation, 0) << "a fetched entry starts no capture pass";
    }
}

// One slot, its fields changed one at a time, read by the value hook as an offer and by the list
// reader as a list entry: both record the same rows and ask for the same base configs.
TEST_F(Capture, SlotsWithAndWithoutARow) {
    struct Case {
        const char* name;
        std::optional<std::int32_t> base;
        std::int32_t pos;
        std::size_t offset; // of a slot data byte set to `byte`; 0 for none
        std::uint8_t byte;
        std::string line;       // the value hook's, with ProbeValues; empty for none
        bool recorded, queried; // queried: GetBaseConfigByPos was called
        bool display_off = false;
    };
    auto row = [](int pos, int base, bool append, const std::string& item) {
        return value_row("trade-buy", 0, fields(pos, 10, 10, base), append, item);
    };
    const std::string thing = item_name("Thing");
    const Case cases[] = {
        {"base 0", 0, 0, 0, 0, row(0, 0, true, thing), true, true},
        {"pos 10000", 7, 10000, 0, 0, row(10000, 7, true, thing), true, true},
        {"pos 10001", 7, 10001, 0, 0, row(10001, -1, false, "<null>"), false, false},
        {"pos -1", 7, -1, 0, 0, row(-1, -1, false, "<null>"), false, false},
        {"no config", std::nullopt, 0, 0, 0, row(0, -1, false, "<null>"), false, true},
        {"base -1", -1, 0, 0, 0, row(0, -1, false, thing), false, true},
        {"skip byte 3", 7, 0, game::slot_skip, 3, "", false, false},
        {"show byte 2", 7, 0, game::slot_show, 2, row(0, 7, true, thing), true, true},
        {"display off: captured, nothing to append", 7, 0, 0, 0, row(0, 7, false, thing), true,
         true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fresh();
        for (Panel panel : {Panel::OfferBuy, Panel::Trader}) {
            const Slot& slot = screen.add(
                panel, {.name = STR("Thing"), .base = c.base, .price = 10, .pos = c.pos});
            if (c.offset) {
                simhost::write_field(slot.slot_data, c.offset, c.byte);
            }
        }
        if (c.display_off) {
            mod->config.DisplayMode = tallyglass::ValueDisplayMode::Off;
        }
        start(true, false);
        auto before = simhost::host_calls(Op::ProcessEvent);
        game::update_inventory(screen.buy_balance);
        EXPECT_EQ(log_lines(), c.line.empty() ? Lines{} : Lines{c.line});
        EXPECT_EQ(simhost::host_calls(Op::ProcessEvent) - before, c.queried ? 1u : 0u);
        std::int32_t counter = 0;
        EXPECT_EQ(mod->read_list_row(TradeSide::Buy, screen.slots[1].slot_data, screen.trader_base,
                                     0, counter),
                  c.recorded);
        EXPECT_EQ(simhost::host_calls(Op::ProcessEvent) - before, c.queried ? 2u : 0u);
        EXPECT_EQ(log_lines_with("LeftList row").size(), c.recorded ? 1u : 0u);
        EXPECT_EQ(mod->rows.size(), c.recorded ? 2u : 0u);
    }
    UObject* data = screen.slots[1].slot_data;
    std::int32_t counter = 0;
    EXPECT_FALSE(mod->read_list_row(TradeSide::Buy, nullptr, screen.trader_base, 0, counter));
    EXPECT_FALSE(mod->read_list_row(TradeSide::Buy, screen.trader_inventory_main,
                                    screen.trader_base, 0, counter))
        << "not slot data";
    EXPECT_FALSE(mod->read_list_row(TradeSide::Buy, data, screen.trader_list, 0, counter))
        << "an owner without GetBaseConfigByPos";
}

// 101 passes with DebugLogging: summaries on sampled calls only, and ValueDisplay lines stop at 6
// a call and 36 a load.
TEST_F(Capture, SampledSummariesAndValueRowCaps) {
    add(Panel::OfferBuy, 10);
    add(Panel::Trader, 1);
    start(true, true);
    std::vector<std::size_t> per_call;
    for (int call = 1; call <= 101; ++call) {
        const auto before = log_lines_with("ValueDisplay row ").size();
        game::update_inventory(screen.buy_balance);
        per_call.push_back(log_lines_with("ValueDisplay row ").size() - before);
        screen.fill_lists();
    }
    auto numbers = [](const std::string& prefix) {
        std::vector<int> out;
        for (const auto& line : log_lines_with(prefix)) {
            out.push_back(std::stoi(line.substr(prefix.size())));
        }
        return out;
    };
    const std::vector<int> sampled = {1, 10, 25, 50, 100};
    EXPECT_EQ(numbers("[Tallyglass] Value hook UpdateInventory #"), sampled);
    EXPECT_EQ(numbers("[Tallyglass] List hook SetListItemsBP #"), sampled);
    EXPECT_EQ(log_lines_with("[Tallyglass] Value hook return ").size(), sampled.size());

    // Row and cap lines: the 6th call's 7th slot reports the cap, once.
    per_call.resize(8);
    EXPECT_EQ(per_call, (std::vector<std::size_t>{6, 6, 6, 6, 6, 7, 0, 0}));
    EXPECT_EQ(log_lines_with(value_cap).size(), 1u);
    EXPECT_EQ(mod->rows.size(), 11u) << "caps limit lines, not rows";
}

// A list of 256 entries is read in full; its lines stop at 24 a call and 48 a load.
TEST_F(Capture, ListOf256AndListRowCaps) {
    add(Panel::Trader, 256);
    start(true, false);
    screen.fill_lists();
    EXPECT_EQ(mod->rows.size(), 256u);
    EXPECT_EQ(log_lines().size(), 24u) << "the most per call";
    simhost::clear_log();
    screen.fill_lists();
    auto lines = log_lines();
    ASSERT_EQ(lines.size(), 25u);
    EXPECT_NE(lines[23].find("list_index=23;"), std::string::npos);
    EXPECT_EQ(lines[24], list_cap) << "right after the 48th row line";
    simhost::clear_log();
    screen.fill_lists();
    EXPECT_EQ(log_lines(), Lines{});

    // When the GetItemAt hook writes the 48th line, the next recorded list entry reports the cap.
    fresh();
    add(Panel::Trader, 2);
    screen.fill_lists();
    start(true, false);
    for (int i = 0; i < 48; ++i) {
        game::get_item_at(screen.trader_list, i % 2);
    }
    EXPECT_EQ(log_lines_with("list_index=-1;").size(), 48u);
    simhost::clear_log();
    screen.fill_lists();
    EXPECT_EQ(log_lines(), Lines{list_cap});
}

TEST_F(Capture, FaultInTheMiddleOfAPassKeepsEarlierRows) {
    struct Case {
        const char* name;
        Panel panel;
        UObject* Slot::*unnameable; // of the third slot; else the nth ProcessEvent fails
        std::uint64_t nth;
        simhost::FaultKind kind;
        Lines lines;
    };
    const auto std_kind = simhost::FaultKind::Standard, foreign = simhost::FaultKind::Foreign;
    const std::string named = "simulated host fault in GetFullName\n";
    const std::string unknown = "unknown exception.\n";
    auto value = [](const std::string& why) {
        return Lines{"[Tallyglass] Value hook failed: " + why};
    };
    auto list = [](const std::string& why) {
        return Lines{"[Tallyglass] List hook failed: " + why};
    };
    const Case cases[] = {
        {"third base config", Panel::OfferBuy, &Slot::config, 0, std_kind, value(named)},
        {"third GetBaseConfigByPos", Panel::OfferBuy, nullptr, 3, foreign, value(unknown)},
        {"third entry", Panel::Trader, &Slot::slot_data, 0, std_kind, list(named)},
        {"third entry, foreign", Panel::Trader, &Slot::slot_data, 0, foreign, list(unknown)},
        // GetNumItems, then two calls per entry: GetItemAt and GetBaseConfigByPos.
        {"third GetItemAt", Panel::Trader, nullptr, 1 + 2 * 2 + 1, std_kind,
         list("simulated host fault in ProcessEvent\n")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fresh();
        add(c.panel, 4);
        start(false, false);
        if (c.unnameable) {
            simhost::fail_full_name_of(screen.slots[2].*c.unnameable, c.kind);
        } else {
            simhost::arm_fault({Op::ProcessEvent, c.nth, c.kind});
        }
        screen.update_balances();
        screen.fill_lists();
        EXPECT_EQ(log_lines(), c.lines);
        ASSERT_EQ(mod->rows.size(), 2u);
        EXPECT_EQ(mod->rows[1].slot_data, screen.slots[1].slot_data);
        simhost::disarm_faults();
        screen.update_balances();
        screen.fill_lists();
        EXPECT_EQ(mod->rows.size(), 4u) << "the hooks go on working";
    }
}
} // namespace

namespace {
// Counters stop at the top of their range instead of overflowing (UBSan halts on that).
TEST_F(Capture, CountersAtTheTopOfTheirRangeKeepWorking) {
    screen.add(Panel::OfferBuy, {.name = STR("Sword"), .base = 80, .price = 120});
    screen.add(Panel::Trader, {.name = STR("Axe"), .base = 60, .price = 90});
    start(true, true);
    constexpr std::int32_t top = std::numeric_limits<std::int32_t>::max();
    mod->capture_generation = mod->value_hook_calls = mod->list_hook_calls = top;
    screen.open();
    EXPECT_EQ(utf8(game::text_of(screen.slots[0].text_block)), "120 (60)");
    EXPECT_EQ(utf8(game::text_of(screen.slots[1].text_block)), "90 (45)");
    EXPECT_EQ(mod->capture_generation, top);
    EXPECT_EQ(mod->value_hook_calls, top);
    EXPECT_EQ(mod->list_hook_calls, top);
}
} // namespace
