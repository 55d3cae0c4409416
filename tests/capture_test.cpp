// The capture hooks over a simulated trading screen: rows recorded, lines written, skips,
// limits, sampling, caps and faults in the middle of a pass.
#include <gtest/gtest.h>

#include <simhost/trading.hpp>

#include "mod/tallyglass.hpp"
#include "support.hpp"

namespace {
using simhost::UObject;
using simhost::trading::Item;
using simhost::trading::Panel;
using simhost::trading::Screen;
using tallyglass::RowSource;
using tallyglass::TradeSide;
using testing_support::log_lines;
using testing_support::log_lines_with;
using testing_support::utf8;

using Lines = std::vector<std::string>;

const std::string root = "/Engine/Transient.GameEngine_0:BP_G1RGameInstance_C_0";
const std::string buy_balance_name =
    "TradingBalanceInventory " + root +
    ".W_Trading_Main_C_0.WidgetTree.W_Trading_BalanceSection_Buy.WidgetTree."
    "TradingBalanceInventory_0";
const std::string buy_base_name =
    "InventoryBaseTrading " + root + ".W_Trading_BalanceSection_Buy_InventoryBaseTrading";
const std::string trader_list_name = "DiscreteItemViewWidget " + root +
                                     ".W_Trading_Main_C_0.WidgetTree.W_TradingInventory_Buy."
                                     "WidgetTree.W_Inventory_Main_C_0.WidgetTree.ItemList";
const std::string value_cap =
    "[Tallyglass] ValueDisplay row cap reached; further rows are suppressed this session.\n";
const std::string list_cap =
    "[Tallyglass] LeftList row cap reached; further rows are suppressed this session.\n";

std::string value_summary(int call, const std::string& side, const std::string& context) {
    return "[Tallyglass] Value hook UpdateInventory #" + std::to_string(call) + "; side=" + side +
           "; text_appended_total=0; context=" + context + ".\n";
}
std::string list_summary(int call, const std::string& side, const std::string& context) {
    return "[Tallyglass] List hook SetListItemsBP #" + std::to_string(call) + "; side=" + side +
           "; context=" + context + ".\n";
}
std::string value_return(int slots) {
    return "[Tallyglass] Value hook return side=trade-buy; slots=" + std::to_string(slots) +
           "; inventory_base=" + buy_base_name + ".\n";
}
// A ValueDisplay row of a one-item buy offer at slot 0 (amount 1, shown, trader index 0).
std::string value_row(int pos, int base, bool append, const std::string& item) {
    return "[Tallyglass] ValueDisplay row side=trade-buy; slot_index=0; pos=" +
           std::to_string(pos) + "; current=10; previous=10; base=" + std::to_string(base) +
           "; amount=1; show=true; trader_index=0; append_text=" + (append ? "true" : "false") +
           "; item=" + item + ".\n";
}

// Items and array headers field by field: aggregates with defaults would warn when partly named.
Item make_item(const tallyglass::Char* name, std::optional<std::int32_t> base, std::int32_t price,
               void (*more)(Item&) = nullptr) {
    Item item;
    item.name = name;
    item.base = base;
    item.price = price;
    if (more) {
        more(item);
    }
    return item;
}
simhost::game::ArrayHeaderOverride header(std::optional<std::int32_t> count,
                                          std::optional<std::int32_t> capacity, bool null_data) {
    simhost::game::ArrayHeaderOverride out;
    out.count = count;
    out.capacity = capacity;
    out.null_data = null_data;
    return out;
}

void fill_trader(Screen& screen) {
    simhost::game::set_list_items(screen.trader_list, screen.entries(Panel::Trader));
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
            screen.add(panel, make_item(STR("Thing"), 5, 10));
        }
    }
    std::unique_ptr<tallyglass::Tallyglass> mod;
    Screen screen;
};

TEST_F(Capture, TradeWithItemsOnBothSides) {
    screen.add(Panel::OfferBuy, make_item(STR("Sword"), 80, 120));
    screen.add(Panel::OfferBuy, make_item(STR("Shield"), 50, 70, [](Item& i) {
                   i.amount = 2;
                   i.trader_index = 3;
               }));
    screen.add(Panel::OfferSell,
               make_item(STR("Ring"), 200, 150, [](Item& i) { i.previous = 160; }));
    screen.add(Panel::Trader, make_item(STR("Axe"), 60, 90));
    screen.add(Panel::Trader, make_item(STR("Potion"), 0, 5));
    screen.add(Panel::Player, make_item(STR("Gem"), 300, 210, [](Item& i) { i.show = false; }));
    start(true, true);
    screen.update_balances();
    screen.fill_lists();

    auto left = [](const std::string& side, int index, const std::string& numbers,
                   const std::string& item) {
        return "[Tallyglass] LeftList row side=" + side + "; list_index=" + std::to_string(index) +
               "; " + numbers + "; item=ItemBaseConfig /Game/Items/" + item + "." + item + ".\n";
    };
    const std::string axe = "pos=0; current=90; previous=90; base=60; amount=1; show=true; "
                            "trader_index=0";
    const std::string potion = "pos=1; current=5; previous=5; base=0; amount=1; show=true; "
                               "trader_index=0";
    const std::string gem = "pos=0; current=210; previous=210; base=300; amount=1; show=false; "
                            "trader_index=0";
    // The host also runs the GetItemAt hook for the list hook's own GetItemAt calls.
    const Lines expected = {
        value_summary(1, "trade-buy", buy_balance_name),
        value_return(2),
        "[Tallyglass] ValueDisplay row side=trade-buy; slot_index=0; pos=0; current=120; "
        "previous=120; base=80; amount=1; show=true; trader_index=0; append_text=true; "
        "item=ItemBaseConfig /Game/Items/Sword.Sword.\n",
        "[Tallyglass] ValueDisplay row side=trade-buy; slot_index=1; pos=1; current=70; "
        "previous=70; base=50; amount=2; show=true; trader_index=3; append_text=true; "
        "item=ItemBaseConfig /Game/Items/Shield.Shield.\n",
        "[Tallyglass] ValueDisplay row side=trade-sell; slot_index=0; pos=0; current=150; "
        "previous=160; base=200; amount=1; show=true; trader_index=0; append_text=true; "
        "item=ItemBaseConfig /Game/Items/Ring.Ring.\n",
        list_summary(1, "trade-buy", trader_list_name),
        left("trade-buy", -1, axe, "Axe"),
        left("trade-buy", 0, axe, "Axe"),
        left("trade-buy", -1, potion, "Potion"),
        left("trade-buy", 1, potion, "Potion"),
        left("trade-sell", -1, gem, "Gem"),
        left("trade-sell", 0, gem, "Gem"),
    };
    EXPECT_EQ(log_lines(), expected);

    struct Row {
        UObject* slot_data;
        TradeSide side;
        int generation, pos, current, amount, base, trader_index;
        RowSource source;
        std::string item;
    };
    auto data = [&](int i) { return screen.slots[static_cast<std::size_t>(i)].slot_data; };
    const Row rows[] = {
        {data(0), TradeSide::Buy, 1, 0, 120, 1, 80, 0, RowSource::Offer, "Sword"},
        {data(1), TradeSide::Buy, 1, 1, 70, 2, 50, 3, RowSource::Offer, "Shield"},
        {data(2), TradeSide::Sell, 2, 0, 150, 1, 200, 0, RowSource::Offer, "Ring"},
        {data(3), TradeSide::Buy, 3, 0, 90, 1, 60, 0, RowSource::LeftList, "Axe"},
        {data(4), TradeSide::Buy, 3, 1, 5, 1, 0, 0, RowSource::LeftList, "Potion"},
        {data(5), TradeSide::Sell, 4, 0, 210, 1, 300, 0, RowSource::LeftList, "Gem"},
    };
    ASSERT_EQ(mod->rows.size(), std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const auto& got = mod->rows[i];
        const auto& want = rows[i];
        EXPECT_EQ(got.slot_data, want.slot_data) << want.item;
        EXPECT_EQ(got.side, want.side) << want.item;
        EXPECT_EQ(got.generation, want.generation) << want.item;
        EXPECT_EQ(got.pos, want.pos) << want.item;
        EXPECT_EQ(got.current, want.current) << want.item;
        EXPECT_EQ(got.amount, want.amount) << want.item;
        EXPECT_EQ(got.base, want.base) << want.item;
        EXPECT_EQ(got.trader_index, want.trader_index) << want.item;
        EXPECT_EQ(got.source, want.source) << want.item;
        EXPECT_EQ(utf8(got.item), "ItemBaseConfig /Game/Items/" + want.item + "." + want.item);
    }
    EXPECT_EQ(mod->capture_generation, 4);
    EXPECT_EQ(mod->value_hook_calls, 2);
    EXPECT_EQ(mod->list_hook_calls, 2);
}

TEST_F(Capture, ValueHookSkips) {
    struct Case {
        const char* name;
        void (*play)(Screen&);
        Lines lines; // with DebugLogging; none without
        int generation;
    };
    auto buy = value_summary(1, "trade-buy", buy_balance_name);
    const Case cases[] = {
        {"no side marker",
         [](Screen& s) {
             auto* loose = simhost::new_object(simhost::class_of(s.buy_balance), STR("Loose"));
             simhost::game::update_inventory(loose);
         },
         {value_summary(1, "other", "TradingBalanceInventory Loose")},
         0},
        {"null context",
         [](Screen& s) {
             simhost::game::TArrayHeader result{};
             simhost::call(nullptr, simhost::find_function(s.buy_balance, STR("UpdateInventory")),
                           &result);
         },
         {value_summary(1, "other", "<null>")},
         0},
        {"unnameable context",
         [](Screen& s) {
             simhost::fail_full_name_of(s.buy_balance);
             simhost::game::update_inventory(s.buy_balance);
         },
         {value_summary(1, "other", "<GetFullName failed>")},
         0},
        {"no return storage",
         [](Screen& s) { simhost::game::update_inventory_without_result(s.buy_balance); },
         {buy, "[Tallyglass] Value hook skipped: UpdateInventory return array pointer "
               "unavailable.\n"},
         1},
        {"no inventory base",
         [](Screen& s) {
             simhost::write_field<UObject*>(s.buy_balance, simhost::game::balance_inventory_base,
                                            nullptr);
             simhost::game::update_inventory(s.buy_balance);
         },
         {buy, "[Tallyglass] Value hook skipped: m_InventoryBaseTrading is null for "
               "side=trade-buy.\n"},
         1},
        {"no GetBaseConfigByPos",
         [](Screen& s) {
             simhost::remove_function(simhost::find_class(STR("InventoryBase")),
                                      STR("GetBaseConfigByPos"));
             simhost::game::update_inventory(s.buy_balance);
         },
         {buy, "[Tallyglass] Value hook skipped: GetBaseConfigByPos function not found.\n"},
         1},
    };
    for (const auto& c : cases) {
        for (bool debug : {true, false}) {
            fresh();
            add(Panel::OfferBuy, 1);
            start(true, debug);
            c.play(screen);
            EXPECT_EQ(log_lines(), debug ? c.lines : Lines{}) << c.name << ", debug " << debug;
            EXPECT_EQ(mod->capture_generation, c.generation) << c.name;
            EXPECT_EQ(mod->value_hook_calls, 1) << c.name;
            EXPECT_TRUE(mod->rows.empty()) << c.name;
        }
    }
}

TEST_F(Capture, ValueArrayLimits) {
    struct Case {
        const char* name;
        std::size_t elements; // all null
        std::optional<std::int32_t> count;
        std::optional<std::int32_t> capacity;
        bool null_data;
        std::string line; // after the summary
    };
    auto bad = [](const char* numbers) {
        return "[Tallyglass] Value hook skipped: implausible UpdateInventory return array " +
               std::string(numbers) + ".\n";
    };
    const Case cases[] = {
        {"count 257", 1, 257, {}, false, bad("count=257, capacity=1")},
        {"count -1", 1, -1, {}, false, bad("count=-1, capacity=1")},
        {"capacity below count", 1, {}, 0, false, bad("count=1, capacity=0")},
        {"capacity 513", 1, {}, 513, false, bad("count=1, capacity=513")},
        {"count 0", 0, {}, {}, false, value_return(0)},
        {"count 256, capacity 512", 256, {}, 512, false, value_return(256)},
        {"no element storage", 1, {}, {}, true, value_return(1)},
    };
    for (const auto& c : cases) {
        fresh();
        start(true, true);
        simhost::game::set_balance_slots(screen.buy_balance,
                                         std::vector<UObject*>(c.elements, nullptr));
        simhost::game::set_balance_array_override(screen.buy_balance,
                                                  header(c.count, c.capacity, c.null_data));
        simhost::game::update_inventory(screen.buy_balance);
        EXPECT_EQ(log_lines(), (Lines{value_summary(1, "trade-buy", buy_balance_name), c.line}))
            << c.name;
    }
}

TEST_F(Capture, ValueHookSlots) {
    struct Case {
        const char* name;
        Item item;
        void (*tweak)(Screen&, simhost::trading::Slot&);
        std::string line; // with ProbeValues; empty for none
        bool recorded;
        bool queried;
    };
    const std::string thing = "ItemBaseConfig /Game/Items/Thing.Thing";
    auto item = [](std::optional<std::int32_t> base, std::int32_t pos) {
        Item out = make_item(STR("Thing"), base, 10);
        out.pos = pos;
        return out;
    };
    auto none = [](Screen&, simhost::trading::Slot&) {};
    const Case cases[] = {
        {"base 0", item(0, 0), none, value_row(0, 0, true, thing), true, true},
        {"pos 10000", item(7, 10000), none, value_row(10000, 7, true, thing), true, true},
        {"pos 10001", item(7, 10001), none, value_row(10001, -1, false, "<null>"), false, false},
        {"pos -1", item(7, -1), none, value_row(-1, -1, false, "<null>"), false, false},
        {"no config", item(std::nullopt, 0), none, value_row(0, -1, false, "<null>"), false, true},
        {"base -5", item(-5, 0), none, value_row(0, -5, false, thing), false, true},
        {"skip flag", item(7, 0),
         [](Screen&, simhost::trading::Slot& s) {
             simhost::write_field<std::uint8_t>(s.slot_data, simhost::game::slot_skip, 3);
         },
         "", false, false},
        {"null element", item(7, 0),
         [](Screen& s, simhost::trading::Slot&) {
             simhost::game::set_balance_slots(s.buy_balance, {nullptr});
         },
         "", false, false},
        {"show byte 2", item(7, 0),
         [](Screen&, simhost::trading::Slot& s) {
             simhost::write_field<std::uint8_t>(s.slot_data, simhost::game::slot_show, 2);
         },
         value_row(0, 7, true, thing), true, true},
    };
    for (const auto& c : cases) {
        fresh();
        c.tweak(screen, screen.add(Panel::OfferBuy, c.item));
        start(true, false);
        auto before = simhost::host_calls(simhost::Op::ProcessEvent);
        simhost::game::update_inventory(screen.buy_balance);
        EXPECT_EQ(log_lines(), c.line.empty() ? Lines{} : Lines{c.line}) << c.name;
        EXPECT_EQ(mod->rows.size(), c.recorded ? 1u : 0u) << c.name;
        EXPECT_EQ(simhost::host_calls(simhost::Op::ProcessEvent) - before, c.queried ? 1u : 0u)
            << c.name;
    }
}

TEST_F(Capture, SummariesOnSampledCallsOnly) {
    add(Panel::OfferBuy, 1);
    add(Panel::Trader, 1);
    start(true, true);
    for (int call = 1; call <= 101; ++call) {
        simhost::game::update_inventory(screen.buy_balance);
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
    EXPECT_EQ(mod->value_hook_calls, 101);
    EXPECT_EQ(mod->list_hook_calls, 202);
    EXPECT_EQ(mod->capture_generation, 101 + 202);
}

TEST_F(Capture, ValueRowCaps) {
    add(Panel::OfferBuy, 10);
    start(true, false);
    std::vector<std::size_t> per_call;
    for (int call = 0; call < 8; ++call) {
        simhost::clear_log();
        simhost::game::update_inventory(screen.buy_balance);
        per_call.push_back(log_lines_with("ValueDisplay row side=").size());
        // The 36th line is the 6th of call 5; its 7th slot already reports the cap.
        EXPECT_EQ(log_lines_with(value_cap).size(), call == 5 ? 1u : 0u) << "call " << call;
    }
    EXPECT_EQ(per_call, (std::vector<std::size_t>{6, 6, 6, 6, 6, 6, 0, 0}));
    EXPECT_EQ(mod->value_rows_logged, 36);
    EXPECT_EQ(mod->rows.size(), 10u) << "caps limit lines, not rows";
}

TEST_F(Capture, ListRowCaps) {
    add(Panel::Trader, 30);
    start(true, false);
    screen.fill_lists();
    auto lines = log_lines();
    ASSERT_EQ(lines.size(), 49u);
    EXPECT_NE(lines[46].find("list_index=-1;"), std::string::npos);
    EXPECT_NE(lines[47].find("list_index=23;"), std::string::npos);
    EXPECT_EQ(lines[48], list_cap) << "right after the 48th row line";
    simhost::clear_log();
    screen.fill_lists();
    EXPECT_EQ(log_lines(), Lines{});
    EXPECT_EQ(mod->rows.size(), 30u);

    // When the GetItemAt hook writes the 48th line, the next recorded list entry reports the cap.
    fresh();
    add(Panel::Trader, 2);
    screen.fill_lists();
    start(true, false);
    for (int i = 0; i < 48; ++i) {
        simhost::game::get_item_at(screen.trader_list, i % 2);
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
        void (*arm)(Screen&);
        Lines lines;
    };
    const std::string name_fault_text = "simulated host fault in GetFullName\n";
    const Case cases[] = {
        {"naming the third base config",
         Panel::OfferBuy,
         [](Screen& s) { simhost::fail_full_name_of(s.slots[2].config); },
         {"[Tallyglass] Value hook failed: " + name_fault_text}},
        {"third GetBaseConfigByPos, foreign",
         Panel::OfferBuy,
         [](Screen&) {
             simhost::arm_fault({simhost::Op::ProcessEvent, 3, simhost::FaultKind::Foreign});
         },
         {"[Tallyglass] Value hook failed: unknown exception.\n"}},
        // The nested GetItemAt hook meets the fault first, then the list hook itself.
        {"naming the third entry",
         Panel::Trader,
         [](Screen& s) { simhost::fail_full_name_of(s.slots[2].slot_data); },
         {"[Tallyglass] GetItemAt hook failed: " + name_fault_text,
          "[Tallyglass] List hook failed: " + name_fault_text}},
        {"naming the third entry, foreign",
         Panel::Trader,
         [](Screen& s) {
             simhost::fail_full_name_of(s.slots[2].slot_data, simhost::FaultKind::Foreign);
         },
         {"[Tallyglass] GetItemAt hook failed: unknown exception.\n",
          "[Tallyglass] List hook failed: unknown exception.\n"}},
        // GetNumItems, then three calls per entry: GetItemAt and two GetBaseConfigByPos.
        {"third GetItemAt",
         Panel::Trader,
         [](Screen&) {
             simhost::arm_fault({simhost::Op::ProcessEvent, 1 + 2 * 3 + 1});
         },
         {"[Tallyglass] List hook failed: simulated host fault in ProcessEvent\n"}},
    };
    for (const auto& c : cases) {
        fresh();
        add(c.panel, 4);
        start(false, false);
        c.arm(screen);
        screen.update_balances();
        screen.fill_lists();
        EXPECT_EQ(log_lines(), c.lines) << c.name;
        ASSERT_EQ(mod->rows.size(), 2u) << c.name;
        EXPECT_EQ(mod->rows[1].slot_data, screen.slots[1].slot_data) << c.name;
        simhost::disarm_faults();
        screen.update_balances();
        screen.fill_lists();
        EXPECT_EQ(mod->rows.size(), 4u) << c.name << ": the hooks go on working";
    }
}

TEST_F(Capture, ListHookSkips) {
    struct Case {
        const char* name;
        void (*play)(Screen&);
        Lines lines; // after the summary line, with DebugLogging; none without
        int generation;
    };
    auto skipped = [](const std::string& why) { return "[Tallyglass] List hook skipped: " + why; };
    const auto missing = skipped("GetNumItems/GetItemAt function missing.\n");
    const Case cases[] = {
        {"no side marker",
         [](Screen& s) {
             auto* loose = simhost::new_object(simhost::class_of(s.trader_list), STR("Loose"));
             simhost::game::set_list_items(loose, {s.slots[0].slot_data});
         },
         {list_summary(1, "other", "DiscreteItemViewWidget Loose")},
         0},
        {"null context",
         [](Screen& s) {
             simhost::game::TArrayHeader items{};
             simhost::call(nullptr, simhost::find_function(s.trader_list, STR("SetListItemsBP")),
                           &items);
         },
         {list_summary(1, "other", "<null>")},
         0},
        {"no owner",
         [](Screen& s) {
             simhost::write_field<UObject*>(s.trader_inventory_main,
                                            simhost::game::inventory_main_base_trading, nullptr);
             fill_trader(s);
         },
         {list_summary(1, "trade-buy", trader_list_name),
          skipped("owner InventoryBaseTrading/InventoryBase not found for side=trade-buy.\n")},
         0},
        {"no GetNumItems",
         [](Screen& s) {
             simhost::remove_function(simhost::class_of(s.trader_list), STR("GetNumItems"));
             fill_trader(s);
         },
         {list_summary(1, "trade-buy", trader_list_name), missing},
         0},
        {"no GetItemAt",
         [](Screen& s) {
             simhost::remove_function(simhost::class_of(s.trader_list), STR("GetItemAt"));
             fill_trader(s);
         },
         {list_summary(1, "trade-buy", trader_list_name), missing},
         0},
        {"count 257",
         [](Screen& s) {
             simhost::game::set_list_count_override(s.trader_list, 257);
             fill_trader(s);
         },
         {list_summary(1, "trade-buy", trader_list_name), skipped("implausible item count=257.\n")},
         0},
        {"count -1",
         [](Screen& s) {
             simhost::game::set_list_count_override(s.trader_list, -1);
             fill_trader(s);
         },
         {list_summary(1, "trade-buy", trader_list_name), skipped("implausible item count=-1.\n")},
         0},
        {"count 0",
         [](Screen& s) {
             simhost::game::set_list_count_override(s.trader_list, 0);
             fill_trader(s);
         },
         {list_summary(1, "trade-buy", trader_list_name)},
         1},
    };
    for (const auto& c : cases) {
        for (bool debug : {true, false}) {
            fresh();
            add(Panel::Trader, 1);
            start(false, debug);
            c.play(screen);
            EXPECT_EQ(log_lines(), debug ? c.lines : Lines{}) << c.name << ", debug " << debug;
            EXPECT_EQ(mod->capture_generation, c.generation) << c.name;
            EXPECT_TRUE(mod->rows.empty()) << c.name;
        }
    }
}

TEST_F(Capture, ListOf256IsReadInFull) {
    add(Panel::Trader, 256);
    start(false, false);
    fill_trader(screen);
    EXPECT_EQ(mod->rows.size(), 256u);
    EXPECT_EQ(mod->capture_generation, 1);
}

TEST_F(Capture, GetItemAtHook) {
    struct Case {
        const char* name;
        UObject* (*list)(Screen&, UObject* loose);
        int index;
        std::string line; // empty: no row and no line
    };
    auto trader = [](Screen& s, UObject*) { return s.trader_list; };
    const Case cases[] = {
        {"an entry", trader, 1,
         "[Tallyglass] LeftList row side=trade-buy; list_index=-1; pos=1; current=10; "
         "previous=10; base=5; amount=1; show=true; trader_index=0; "
         "item=ItemBaseConfig /Game/Items/Thing.Thing.\n"},
        {"no entry", trader, 5, ""},
        {"not slot data", [](Screen& s, UObject*) { return s.player_list; }, 0, ""},
        {"no side marker", [](Screen&, UObject* loose) { return loose; }, 0, ""},
        {"no owner",
         [](Screen& s, UObject*) {
             simhost::write_field<UObject*>(s.trader_inventory_main,
                                            simhost::game::inventory_main_base_trading, nullptr);
             return s.trader_list;
         },
         0, ""},
    };
    for (const auto& c : cases) {
        fresh();
        add(Panel::Trader, 2);
        add(Panel::Player, 1); // gives the non-slot entry a base config at its position 0
        // Filled before the hooks exist, so that only GetItemAt records.
        screen.fill_lists();
        simhost::game::set_list_items(screen.player_list, {screen.trader_inventory_main});
        auto* loose = simhost::new_object(simhost::class_of(screen.trader_list), STR("Loose"));
        simhost::game::set_list_items(loose, screen.entries(Panel::Trader));
        start(true, true);
        simhost::game::get_item_at(c.list(screen, loose), c.index);
        EXPECT_EQ(log_lines(), c.line.empty() ? Lines{} : Lines{c.line}) << c.name;
        ASSERT_EQ(mod->rows.size(), c.line.empty() ? 0u : 1u) << c.name;
        if (!c.line.empty()) {
            EXPECT_EQ(mod->rows[0].slot_data, screen.slots[1].slot_data);
            EXPECT_EQ(mod->rows[0].source, RowSource::LeftList);
        }
    }
}

TEST_F(Capture, ListRowLineLimits) {
    struct Case {
        const char* name;
        bool probe;
        std::int32_t list_index;
        std::int32_t this_call; // counters before the call
        std::int32_t total;
        bool logged;
    };
    const Case cases[] = {
        {"below both limits", true, 3, 23, 47, true},
        {"per-call limit", true, 3, 24, 0, false},
        {"load-wide limit", true, 3, 0, 48, false},
        {"probing off", false, 3, 0, 0, false},
        {"for the text block hook", true, -2, 24, 0, false},
    };
    for (const auto& c : cases) {
        fresh();
        add(Panel::Trader, 1);
        mod->config.ProbeValues = c.probe;
        mod->list_rows_logged = c.total;
        simhost::clear_log();
        std::int32_t counter = c.this_call;
        EXPECT_TRUE(mod->read_list_row(TradeSide::Sell, screen.slots[0].slot_data,
                                       screen.trader_base, c.list_index, counter))
            << c.name;
        EXPECT_EQ(mod->rows.size(), 1u) << c.name;
        EXPECT_EQ(log_lines().size(), c.logged ? 1u : 0u) << c.name;
        EXPECT_EQ(counter, c.this_call + (c.logged ? 1 : 0)) << c.name;
        EXPECT_EQ(mod->list_rows_logged, c.total + (c.logged ? 1 : 0)) << c.name;
    }
}

TEST_F(Capture, ListEntriesWithoutARow) {
    struct Case {
        const char* name;
        void (*tweak)(Screen&, simhost::trading::Slot&);
        bool queried;
    };
    const Case cases[] = {
        {"skip flag",
         [](Screen&, simhost::trading::Slot& s) {
             simhost::write_field<std::uint8_t>(s.slot_data, simhost::game::slot_skip, 1);
         },
         false},
        {"pos 10001",
         [](Screen&, simhost::trading::Slot& s) {
             simhost::write_field<std::int32_t>(s.slot_data, simhost::game::slot_pos, 10001);
         },
         false},
        {"pos -1",
         [](Screen&, simhost::trading::Slot& s) {
             simhost::write_field<std::int32_t>(s.slot_data, simhost::game::slot_pos, -1);
         },
         false},
        {"base -1",
         [](Screen&, simhost::trading::Slot& s) {
             simhost::write_field<std::int32_t>(s.config, simhost::game::config_base_value, -1);
         },
         true},
    };
    for (const auto& c : cases) {
        fresh();
        c.tweak(screen, screen.add(Panel::Trader, make_item(STR("Thing"), 5, 10)));
        start(true, true);
        std::int32_t counter = 0;
        auto before = simhost::host_calls(simhost::Op::ProcessEvent);
        EXPECT_FALSE(mod->read_list_row(TradeSide::Buy, screen.slots[0].slot_data,
                                        screen.trader_base, 0, counter))
            << c.name;
        EXPECT_EQ(simhost::host_calls(simhost::Op::ProcessEvent) - before, c.queried ? 1u : 0u)
            << c.name;
        EXPECT_TRUE(mod->rows.empty()) << c.name;
        EXPECT_EQ(log_lines(), Lines{}) << c.name;
    }
    std::int32_t counter = 0;
    EXPECT_FALSE(mod->read_list_row(TradeSide::Buy, nullptr, screen.trader_base, 0, counter));
    EXPECT_FALSE(
        mod->read_list_row(TradeSide::Buy, screen.slots[0].slot_data, nullptr, 0, counter));
    EXPECT_FALSE(mod->read_list_row(TradeSide::Buy, screen.slots[0].slot_data, screen.trader_list,
                                    0, counter))
        << "an owner without GetBaseConfigByPos";
}
} // namespace
