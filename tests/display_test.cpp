// The TextBlock hook in a simulated trading screen: which texts it extends, how it finds the
// item, what it writes to the log, and that nothing of the engine leaks or escapes.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <memory>
#include <new>

#include <simhost/trading.hpp>

#include "mod/tallyglass.hpp"
#include "support.hpp"

// Items are written with designated initializers; the fields left out keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {
using namespace tallyglass;
using simhost::Op;
using simhost::game::color_of;
using simhost::game::set_text;
using simhost::game::text_of;
using simhost::trading::Item;
using simhost::trading::Panel;
using testing_support::log_lines;
using testing_support::log_lines_with;
using testing_support::utf8;
using UObject = RC::Unreal::UObject;

// A fresh trading screen and a started mod with the given settings; the log empty.
struct Session {
    simhost::trading::Screen screen;
    std::unique_ptr<Tallyglass> mod;

    explicit Session(const std::function<void(Config&)>& settings = {}) {
        simhost::reset();
        screen = simhost::trading::build_screen();
        mod = std::make_unique<Tallyglass>();
        if (settings) {
            settings(mod->config);
        }
        mod->on_unreal_init();
        simhost::clear_log();
    }
    ~Session() {
        mod.reset();
        simhost::reset();
    }
    // The text block of a new slot; the references add() returns do not survive the next add.
    UObject* add(Panel panel, const Item& item) { return screen.add(panel, item).text_block; }
    UObject* slot_data_of(UObject* block) {
        for (auto& slot : screen.slots) {
            if (slot.text_block == block) {
                return slot.slot_data;
            }
        }
        return nullptr;
    }
    void record(const void* slot_data, TradeSide side, std::int32_t pos, std::int32_t current,
                std::int32_t base, RowSource source = RowSource::Offer,
                const char* item = "Item.A") {
        record_row(mod->rows, mod->capture_generation, slot_data, side, pos, current, 1, base, 0,
                   source, testing_support::wide(item));
    }
};

void debug_on(Config& config) {
    config.DebugLogging = true;
}

std::string name_of(UObject* object) {
    return utf8(simhost::full_name(object));
}

std::string skip_line(int number, const std::string& reason, int applied, UObject* block) {
    return "[Tallyglass] TextAppend skipped #" + std::to_string(number) + ": " + reason +
           "; applied_total=" + std::to_string(applied) + "; context=" + name_of(block) + ".\n";
}

// Sets a text through a SetText function found before it was removed from the class.
void set_text_through(RC::Unreal::UFunction* function, UObject* block, const Char* text) {
    alignas(RC::Unreal::FText) std::byte params[sizeof(RC::Unreal::FText)];
    auto* value = new (params) RC::Unreal::FText(simhost::make_text(text));
    simhost::call(block, function, params);
    value->~FText();
}

// An offer slot showing 120 whose row has the base 133 (99 at 75 per cent).
struct Standard : Session {
    UObject* block;
    explicit Standard(const std::function<void(Config&)>& settings = {}) : Session(settings) {
        block = add(Panel::OfferBuy, {.name = STR("Sword"), .base = 133, .price = 120});
        record(slot_data_of(block), TradeSide::Buy, 0, 120, 133);
    }
};

TEST(TextBlockHook, ExtendsAPlainNumberOnceAndANewPriceAfresh) {
    Standard s;
    std::size_t before = simhost::call_trace().size();
    set_text(s.block, STR("120"));
    EXPECT_EQ(utf8(text_of(s.block)), "120 (99)");
    // From the built text on: the engine call, whose nested hook must do nothing, then the colour.
    const auto& trace = simhost::call_trace();
    std::vector<Op> tail(trace.begin() + static_cast<std::ptrdiff_t>(before), trace.end());
    auto built = std::find(tail.begin(), tail.end(), Op::FTextConstruct);
    EXPECT_EQ(std::vector<Op>(built, tail.end()),
              (std::vector<Op>{Op::FTextConstruct, Op::ProcessEvent, Op::GetFunctionByNameInChain,
                               Op::ProcessEvent}));

    set_text(s.block, STR("120 (99)"));
    EXPECT_EQ(utf8(text_of(s.block)), "120 (99)");
    set_text(s.block, STR("125"));
    EXPECT_EQ(utf8(text_of(s.block)), "125 (99)");
    EXPECT_EQ(s.mod->text_appended_total, 2);
    EXPECT_FALSE(s.mod->in_text_rewrite);
}

TEST(TextBlockHook, SilentExits) {
    struct Case {
        const char* name;
        std::function<UObject*(Standard&)> block; // where the text is set
        const Char* text;
    };
    const Case cases[] = {
        {"display mode off",
         [](Standard& s) {
             s.mod->config.DisplayMode = ValueDisplayMode::Off;
             return s.block;
         },
         STR("120")},
        {"outside the trading screen",
         [](Standard&) { return simhost::game::new_text_block(STR("Text_Value"), nullptr); },
         STR("120")},
        {"outside a slot",
         [](Standard& s) {
             return simhost::game::new_text_block(STR("Text_Value"), s.screen.main);
         },
         STR("120")},
        {"no side",
         [](Standard& s) {
             auto* slot = simhost::new_object(simhost::find_class(STR("W_Inventory_Slot_C")),
                                              STR("W_Inventory_Slot_C_9"), s.screen.main);
             return simhost::game::new_text_block(STR("Text_Value"), slot);
         },
         STR("120")},
        {"already extended", [](Standard& s) { return s.block; }, STR("120 (5)")},
    };
    for (const auto& c : cases) {
        Standard s(debug_on);
        UObject* block = c.block(s);
        set_text(block, c.text);
        EXPECT_EQ(text_of(block), c.text) << c.name;
        EXPECT_TRUE(log_lines().empty()) << c.name;
        EXPECT_EQ(s.mod->text_append_skips, 0) << c.name;
        EXPECT_EQ(s.mod->text_appended_total, 0) << c.name;
    }
}

TEST(TextBlockHook, FindsTheRowInOrder) {
    struct Case {
        const char* name;
        std::function<UObject*(Session&)> setup; // returns the text block showing 120
        const char* text;
        const char* line_end; // of the applied row line; empty when no row is applied
    };
    auto other = [](Session&) { return simhost::game::new_slot_data(STR("Other"), {}); };
    const Case cases[] = {
        {"slot data before value",
         [&](Session& s) {
             UObject* block = s.add(Panel::OfferBuy, {.name = STR("A"), .base = 1, .price = 120});
             s.record(other(s), TradeSide::Buy, 9, 120, 400, RowSource::Offer, "Item.B");
             s.record(s.slot_data_of(block), TradeSide::Buy, 0, 120, 133);
             return block;
         },
         "120 (99)", "; source=offer; match=slot-data; applied=true; item=Item.A.\n"},
        {"position and trader index",
         [&](Session& s) {
             UObject* block = s.add(Panel::OfferBuy, {.name = STR("A"), .base = 1, .price = 120});
             s.record(other(s), TradeSide::Buy, 0, 7, 133, RowSource::LeftList);
             return block;
         },
         "120 (99)", "; source=left-list; match=slot-data; applied=true; item=Item.A.\n"},
        {"read on demand in a trading list, before value",
         [&](Session& s) {
             UObject* block = s.add(Panel::Trader, {.name = STR("Axe"), .base = 133, .price = 120});
             s.record(other(s), TradeSide::Buy, 9, 120, 400);
             return block;
         },
         "120 (99)",
         "; source=left-list; match=slot-data; applied=true; item=ItemBaseConfig "
         "/Game/Items/Axe.Axe.\n"},
        {"value, slot without data",
         [&](Session& s) {
             UObject* block =
                 s.add(Panel::OfferBuy, {.name = STR("A"), .price = 120, .slot_data = false});
             s.record(other(s), TradeSide::Buy, 9, 120, 133);
             return block;
         },
         "120 (99)", "; source=offer; match=value; applied=true; item=Item.A.\n"},
        {"value, offer slot data without a row",
         [&](Session& s) {
             UObject* block = s.add(Panel::OfferBuy, {.name = STR("A"), .price = 120});
             s.record(other(s), TradeSide::Buy, 9, 120, 133);
             s.record(other(s), TradeSide::Sell, 8, 120, 400);
             return block;
         },
         "120 (99)", "; source=offer; match=value; applied=true; item=Item.A.\n"},
        {"value, two rows disagree",
         [&](Session& s) {
             UObject* block =
                 s.add(Panel::OfferBuy, {.name = STR("A"), .price = 120, .slot_data = false});
             s.record(other(s), TradeSide::Buy, 8, 120, 133);
             s.record(other(s), TradeSide::Buy, 9, 120, 200);
             return block;
         },
         "120", ""},
    };
    for (const auto& c : cases) {
        Session s(debug_on);
        UObject* block = c.setup(s);
        set_text(block, STR("120"));
        EXPECT_EQ(utf8(text_of(block)), c.text) << c.name;
        auto rows = log_lines_with("TextBlockAppend row");
        if (*c.line_end) {
            ASSERT_EQ(rows.size(), 1u) << c.name;
            EXPECT_TRUE(rows[0].ends_with(c.line_end)) << c.name << ": " << rows[0];
        } else {
            EXPECT_EQ(log_lines(), (std::vector<std::string>{skip_line(
                                       1, "no unique cached row for Text_Value", 0, block)}))
                << c.name;
        }
    }
}

TEST(TextBlockHook, SkipReasons) {
    struct Case {
        const char* name;
        std::function<void(Standard&)> act;
        const char* reason;
        std::vector<std::string> always; // lines written whatever DebugLogging says
        const char* text;
        int quiet_skips; // counted with DebugLogging off
    };
    auto remove = [](Standard& s, const Char* function) {
        auto* set = simhost::find_function(s.block, STR("SetText"));
        simhost::remove_function(simhost::find_class(STR("TextBlock")), function);
        set_text_through(set, s.block, STR("120"));
    };
    const Case cases[] = {
        {"text unreadable",
         [](Standard& s) {
             simhost::arm_fault({.op = Op::FTextToString, .nth = 1});
             set_text(s.block, STR("120"));
         },
         "could not read TextBlock.Text",
         {},
         "120",
         1},
        {"no row",
         [](Standard& s) {
             s.mod->rows.clear();
             set_text(s.block, STR("120"));
         },
         "no unique cached row for Text_Value",
         {},
         "120",
         1},
        {"no SetText",
         [&](Standard& s) { remove(s, STR("SetText")); },
         "TextBlock.SetText missing",
         {},
         "120",
         1},
        {"SetText failed",
         [](Standard& s) {
             simhost::set_text_static_size(0);
             set_text(s.block, STR("120"));
         },
         "SetText failed",
         {"[Tallyglass] TextAppend skipped: implausible FText size 0.\n"},
         "120",
         1},
        {"no SetColorAndOpacity",
         [&](Standard& s) { remove(s, STR("SetColorAndOpacity")); },
         "TextBlock.SetColorAndOpacity missing",
         {},
         "120 (99)",
         0},
    };
    for (bool debug : {true, false}) {
        for (const auto& c : cases) {
            Standard s([&](Config& config) { config.DebugLogging = debug; });
            c.act(s);
            EXPECT_EQ(utf8(text_of(s.block)), c.text) << c.name;
            auto expected = c.always;
            if (debug) {
                expected.push_back(skip_line(1, c.reason, 0, s.block));
            }
            EXPECT_EQ(log_lines_with("TextAppend skipped"), expected) << c.name << debug;
            EXPECT_EQ(s.mod->text_append_skips, debug ? 1 : c.quiet_skips) << c.name;
        }
    }
}

TEST(TextBlockHook, SkipLinesAreSampledAndShowTheTotalOfTheMoment) {
    Standard s(debug_on);
    set_text(s.block, STR("120"));
    UObject* lost = s.add(Panel::OfferBuy, {.name = STR("Lost"), .price = 777, .slot_data = false});
    simhost::clear_log();
    for (int i = 0; i < 120; ++i) {
        set_text(lost, STR("777"));
    }
    const std::string reason = "no unique cached row for Text_Value";
    EXPECT_EQ(log_lines(), (std::vector<std::string>{
                               skip_line(1, reason, 1, lost), skip_line(10, reason, 1, lost),
                               skip_line(25, reason, 1, lost), skip_line(50, reason, 1, lost),
                               skip_line(100, reason, 1, lost)}));
    EXPECT_EQ(s.mod->text_append_skips, 120);
}

TEST(TextBlockHook, AppliedRowLinesStopAtTheCap) {
    Standard s(debug_on);
    for (int price = 100; price < 140; ++price) {
        set_text(s.block, testing_support::wide(std::to_string(price)));
    }
    auto lines = log_lines();
    ASSERT_EQ(lines.size(), 37u);
    EXPECT_EQ(log_lines_with("TextBlockAppend row side=").size(), 36u);
    EXPECT_EQ(lines.back(), "[Tallyglass] TextBlockAppend row cap reached; further applied rows "
                            "are suppressed this session.\n");
    EXPECT_EQ(s.mod->text_appended_total, 40);
}

TEST(TextBlockHook, HeatmapWithoutSetColorAndOpacity) {
    Standard s(debug_on);
    simhost::remove_function(simhost::find_class(STR("TextBlock")), STR("SetColorAndOpacity"));
    set_text(s.block, STR(" 120"));
    EXPECT_EQ(utf8(text_of(s.block)), " 120 (99)");
    EXPECT_FALSE(color_of(s.block));
    EXPECT_EQ(log_lines_with("TextBlockAppend row"),
              (std::vector<std::string>{
                  "[Tallyglass] TextBlockAppend row side=trade-buy; observed= 120; "
                  "cached_current=120; base=133; display_base=99; percent=75; "
                  "heatmap_mode=Directional; heatmap_distance=0; heatmap_applied=false; pos=0; "
                  "amount=1; trader_index=0; source=offer; match=slot-data; applied=true; "
                  "item=Item.A.\n"}));
    EXPECT_EQ(s.mod->text_appended_total, 1);
}

TEST(TextBlockHook, AnExceptionInsideSetTextIsContained) {
    struct Case {
        const char* name;
        std::function<void()> arm;
        const char* line;
        const char* text; // what the failed call left
    };
    const Case cases[] = {
        {"engine call, standard", [] { simhost::arm_fault({.op = Op::ProcessEvent, .nth = 1}); },
         "[Tallyglass] TextBlock value append failed: simulated host fault in ProcessEvent\n",
         "120"},
        {"engine call, foreign",
         [] {
             simhost::arm_fault(
                 {.op = Op::ProcessEvent, .nth = 1, .kind = simhost::FaultKind::Foreign});
         },
         "[Tallyglass] TextBlock value append failed: unknown exception.\n", "120"},
        {"building the text", [] { simhost::arm_fault({.op = Op::FTextConstruct, .nth = 1}); },
         "[Tallyglass] TextBlock value append failed: simulated host fault in FText\n", "120"},
        {"inside the engine's SetText",
         [] {
             auto fired = std::make_shared<bool>(false);
             simhost::game::on_set_text([fired](UObject* block) {
                 if (!*fired && utf8(text_of(block)).find('(') != std::string::npos) {
                     *fired = true;
                     throw std::runtime_error("SetText broke");
                 }
             });
         },
         "[Tallyglass] TextBlock value append failed: SetText broke\n", "120 (99)"},
    };
    for (const auto& c : cases) {
        Standard s;
        set_text(s.block, STR("-")); // the block now holds a text value of its own
        long live = simhost::live_texts();
        c.arm();
        set_text(s.block, STR("120"));
        EXPECT_EQ(utf8(text_of(s.block)), c.text) << c.name;
        EXPECT_EQ(log_lines(), std::vector<std::string>{c.line}) << c.name;
        EXPECT_EQ(simhost::live_texts(), live) << c.name;
        EXPECT_FALSE(s.mod->in_text_rewrite) << c.name;
        set_text(s.block, STR("121"));
        EXPECT_EQ(utf8(text_of(s.block)), "121 (99)") << c.name;
    }
}

TEST(TextBlockHook, TextSizes) {
    struct Case {
        std::int32_t size;
        bool plausible;
    };
    const Case cases[] = {{0, false}, {-1, false}, {257, false}, {1, true}, {256, true}};
    for (const auto& c : cases) {
        Standard s(debug_on);
        set_text(s.block, STR("-"));
        simhost::set_text_static_size(c.size);
        long live = simhost::live_texts();
        set_text(s.block, STR("120"));
        const std::string line = "[Tallyglass] TextAppend skipped: implausible FText size " +
                                 std::to_string(c.size) + ".\n";
        EXPECT_EQ(log_lines_with("implausible").size(), c.plausible ? 0u : 1u) << c.size;
        if (c.plausible) {
            EXPECT_EQ(utf8(text_of(s.block)), "120 (99)") << c.size;
        } else {
            EXPECT_EQ(log_lines(),
                      (std::vector<std::string>{line, skip_line(1, "SetText failed", 0, s.block)}))
                << c.size;
            EXPECT_EQ(simhost::host_calls(Op::FTextConstruct), 0u) << c.size;
            EXPECT_EQ(simhost::host_calls(Op::ProcessEvent), 0u) << c.size;
        }
        EXPECT_EQ(simhost::live_texts(), live) << c.size;
    }
}

TEST(TextBlockHook, RowReshapedInsideTheEnginesSetText) {
    Standard s(debug_on);
    for (int i = 1; i <= 20; ++i) {
        s.add(Panel::OfferBuy, {.name = STR("Filler"), .base = i, .price = i});
    }
    s.mod->rows.shrink_to_fit();
    // The engine runs UpdateInventory inside SetText: the value hook rewrites the found row and
    // grows the cache past its storage.
    bool ran = false;
    simhost::game::on_set_text([&](UObject*) {
        if (s.mod->in_text_rewrite && !ran) {
            ran = true;
            simhost::game::update_inventory(s.screen.buy_balance);
        }
    });
    simhost::clear_log();
    set_text(s.block, STR("120"));
    EXPECT_EQ(utf8(text_of(s.block)), "120 (99)");
    EXPECT_EQ(s.mod->rows.size(), 21u);
    EXPECT_EQ(log_lines_with("TextBlockAppend row"),
              (std::vector<std::string>{
                  "[Tallyglass] TextBlockAppend row side=trade-buy; observed=120; "
                  "cached_current=120; base=133; display_base=99; percent=75; "
                  "heatmap_mode=Directional; heatmap_distance=21; heatmap_applied=true; pos=0; "
                  "amount=1; trader_index=0; source=offer; match=slot-data; applied=true; "
                  "item=Item.A.\n"}));
    simhost::game::on_set_text({});
}

// The whole road of a value: a trade opened with items on both sides, in both heatmap modes.
TEST(TradeSession, BothSidesInBothHeatmapModes) {
    struct Expected {
        Panel panel;
        Item item;
        const char* text;
        std::array<long, 3> directional; // R, G, B in hundred-thousandths; alpha is 1
        std::array<long, 3> neutral;
        int distance;
        const char* source;
    };
    const Expected slots[] = {
        {Panel::OfferBuy,
         {.name = STR("Sword"), .base = 133, .price = 120},
         "120 (99)",
         {98677, 84607, 84607},
         {79488, 77094, 87178},
         21,
         "offer"},
        {Panel::OfferBuy,
         {.name = STR("Bread"), .base = 100, .price = 50, .trader_index = 3},
         "50 (75)",
         {79672, 94423, 81619},
         {77424, 73662, 88594},
         33,
         "offer"},
        {Panel::OfferSell,
         {.name = STR("Ring"), .base = 132, .price = 60, .amount = 2},
         "60 (99)",
         {62667, 89758, 66242},
         {76392, 71946, 89302},
         39,
         "offer"},
        {Panel::OfferSell,
         {.name = STR("Junk"), .base = 10, .price = 0},
         "0 (7)",
         {37300, 37300, 37300},
         {65900, 54500, 96500},
         100,
         "offer"},
        {Panel::Trader,
         {.name = STR("Shield"), .base = 200, .price = 150},
         "150 (150)",
         {100000, 100000, 100000},
         {83100, 83100, 84700},
         0,
         "left-list"},
        {Panel::Trader, {.name = STR("Relic"), .price = 30, .pos = 7}, "30", {}, {}, 0, nullptr},
        {Panel::Player,
         {.name = STR("Gem"), .base = 400, .price = 450},
         "450 (300)",
         {38400, 83100, 44300},
         {74500, 68800, 90600},
         50,
         "left-list"},
        {Panel::Player,
         {.name = STR("Salt"), .base = 9, .price = 12, .text = STR("12 g")},
         "12 g",
         {},
         {},
         0,
         nullptr},
    };
    for (auto mode : {HeatmapColorMode::Directional, HeatmapColorMode::Neutral}) {
        const bool directional = mode == HeatmapColorMode::Directional;
        const std::string mode_name = directional ? "Directional" : "Neutral";
        long live = simhost::live_texts();
        {
            Session s([&](Config& config) {
                config.DebugLogging = true;
                config.HeatmapMode = mode;
            });
            std::vector<UObject*> blocks;
            for (const auto& e : slots) {
                blocks.push_back(s.add(e.panel, e.item));
            }
            s.screen.open();

            std::vector<std::string> expected = {
                "[Tallyglass] Value hook UpdateInventory #1; side=trade-buy; "
                "text_appended_total=0; context=" +
                    name_of(s.screen.buy_balance) + ".\n",
                "[Tallyglass] List hook SetListItemsBP #1; side=trade-buy; context=" +
                    name_of(s.screen.trader_list) + ".\n"};
            int applied = 0;
            for (std::size_t i = 0; i < std::size(slots); ++i) {
                const Expected& e = slots[i];
                const std::string context = mode_name + " " + utf8(e.item.name);
                EXPECT_EQ(utf8(text_of(blocks[i])), e.text) << context;
                auto color = color_of(blocks[i]);
                if (!e.source) {
                    EXPECT_FALSE(color) << context;
                    if (utf8(e.item.name) == "Relic") {
                        expected.push_back(skip_line(1, "no unique cached row for Text_Value",
                                                     applied, blocks[i]));
                    }
                    continue;
                }
                ++applied;
                ASSERT_TRUE(color) << context;
                const auto& rgb = directional ? e.directional : e.neutral;
                for (int k = 0; k < 3; ++k) {
                    EXPECT_EQ(std::lround(static_cast<double>(color->rgba[k]) * 100000.0), rgb[k])
                        << context << " channel " << k;
                }
                EXPECT_EQ(color->rgba[3], 1.0f) << context;
                EXPECT_EQ(color->rule, 0) << context;
                EXPECT_EQ(color->padding, (std::array<std::uint8_t, 3>{})) << context;

                const bool buy = e.panel == Panel::OfferBuy || e.panel == Panel::Trader;
                const std::string shown =
                    utf8(e.item.text.value_or(testing_support::wide(std::to_string(e.item.price))));
                const std::string text = e.text;
                const std::string shown_base =
                    text.substr(text.find('(') + 1, text.size() - text.find('(') - 2);
                expected.push_back(
                    "[Tallyglass] TextBlockAppend row side=" +
                    std::string(buy ? "trade-buy" : "trade-sell") + "; observed=" + shown +
                    "; cached_current=" + std::to_string(e.item.price) +
                    "; base=" + std::to_string(*e.item.base) + "; display_base=" + shown_base +
                    "; percent=75; heatmap_mode=" + mode_name + "; heatmap_distance=" +
                    std::to_string(e.distance) + "; heatmap_applied=true; pos=" +
                    std::to_string(e.item.pos.value_or(static_cast<std::int32_t>(i % 2))) +
                    "; amount=" + std::to_string(e.item.amount) + "; trader_index=" +
                    std::to_string(e.item.trader_index) + "; source=" + e.source +
                    "; match=slot-data; applied=true; item=ItemBaseConfig /Game/Items/" +
                    utf8(e.item.name) + "." + utf8(e.item.name) + ".\n");
            }
            EXPECT_EQ(log_lines(), expected) << mode_name;
            EXPECT_EQ(s.mod->text_appended_total, 6);
            EXPECT_EQ(simhost::live_texts(), live + static_cast<long>(std::size(slots)))
                << "each text block holds exactly its own text";
        }
        EXPECT_EQ(simhost::live_texts(), live) << "no text value outlives the session";
    }
}
} // namespace
