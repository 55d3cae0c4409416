// The TextBlock hook in a simulated trading screen: which texts it extends, how it finds the
// item, what it writes to the log, and that nothing of the engine leaks or escapes.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>

#include <simhost/trading.hpp>

#include "mod/tallyglass.hpp"
#include "support.hpp"

// Items, rows and lines are written with designated or partial initializers; the fields left out
// keep their defaults.
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
using Lines = std::vector<std::string>;

// A fresh trading screen and a started mod; the log empty.
struct Session {
    simhost::trading::Screen screen;
    std::unique_ptr<Tallyglass> mod;

    explicit Session(bool debug) {
        simhost::reset();
        screen = simhost::trading::build_screen();
        mod = std::make_unique<Tallyglass>();
        mod->config.DebugLogging = debug;
        mod->on_unreal_init();
        simhost::clear_log();
    }
    ~Session() {
        mod.reset();
        simhost::reset();
    }
    // The text block of a new slot.
    UObject* add(Panel panel, const Item& item) { return screen.add(panel, item).text_block; }
    // A row on the buy side, amount 1, trader index 0.
    void record(const void* slot_data, std::int32_t pos, std::int32_t current, std::int32_t base,
                RowSource source = RowSource::Offer) {
        record_row(mod->rows, mod->capture_generation, slot_data, TradeSide::Buy, pos, current, 1,
                   base, 0, source, STR("Item.A"));
    }
};

// An offer slot showing 120 whose row has the base 133 (99 at 75 per cent).
struct Standard : Session {
    UObject* block = nullptr;
    explicit Standard(bool debug) : Session(debug) {
        const auto& slot =
            screen.add(Panel::OfferBuy, {.name = STR("Sword"), .base = 133, .price = 120});
        block = slot.text_block;
        record(slot.slot_data, 0, 120, 133);
    }
};

std::string skip_line(int number, const std::string& reason, int applied, UObject* block) {
    return "[Tallyglass] TextAppend skipped #" + std::to_string(number) + ": " + reason +
           "; applied_total=" + std::to_string(applied) +
           "; context=" + utf8(simhost::full_name(block)) + ".\n";
}
const std::string no_row = "no unique cached row for Text_Value";

// A TextBlockAppend row line; the defaults are those of the Standard slot.
struct Applied {
    std::string side = "trade-buy", observed = "120";
    int current = 120, base = 133, shown_base = 99, percent = 75;
    std::string mode = "Directional";
    int distance = 21;
    bool heatmap = true;
    int pos = 0, amount = 1, trader_index = 0;
    std::string source = "offer", match = "slot-data", item = "Item.A";

    std::string line() const {
        auto n = [](int value) { return std::to_string(value); };
        return "[Tallyglass] TextBlockAppend row side=" + side + "; observed=" + observed +
               "; cached_current=" + n(current) + "; base=" + n(base) +
               "; display_base=" + n(shown_base) + "; percent=" + n(percent) +
               "; heatmap_mode=" + mode + "; heatmap_distance=" + n(distance) +
               "; heatmap_applied=" + (heatmap ? "true" : "false") + "; pos=" + n(pos) +
               "; amount=" + n(amount) + "; trader_index=" + n(trader_index) +
               "; source=" + source + "; match=" + match + "; applied=true; item=" + item + ".\n";
    }
};

void remove_from_text_blocks(const Char* function) {
    simhost::remove_function(simhost::find_class(STR("TextBlock")), function);
}

void set_text_params_size(std::uint16_t size) {
    simhost::set_parms_size(simhost::function_at(STR("/Script/UMG.TextBlock:SetText")), size);
}

TEST(TextBlockHook, ExtendsAPlainNumberOnceAndANewPriceAfresh) {
    Standard s(false);
    set_text_params_size(1); // any size from 1 to 256 will do; the buffer holds a whole text
    simhost::record_calls(true);
    set_text(s.block, STR("120"));
    EXPECT_EQ(utf8(text_of(s.block)), "120 (99)");
    const auto colour = color_of(s.block);
    ASSERT_TRUE(colour);
    EXPECT_EQ(colour->rule, 0) << "the colour given, not the widget's own";
    EXPECT_EQ(colour->padding, (std::array<std::uint8_t, 3>{}));
    // From the built text on: the engine call, whose nested hook must do nothing, then the colour.
    std::vector<Op> ops;
    for (const auto& record : simhost::call_records()) {
        ops.push_back(record.op);
    }
    auto built = std::find(ops.begin(), ops.end(), Op::FTextConstruct);
    EXPECT_EQ(std::vector<Op>(built, ops.end()),
              (std::vector<Op>{Op::FTextConstruct, Op::ProcessEvent, Op::GetFunctionByNameInChain,
                               Op::ProcessEvent}));

    set_text(s.block, STR("120 (5)")); // any "(" means a value is there already
    EXPECT_EQ(utf8(text_of(s.block)), "120 (5)");
    set_text_params_size(256);
    set_text(s.block, STR("125"));
    EXPECT_EQ(utf8(text_of(s.block)), "125 (99)");
    EXPECT_EQ(s.mod->text_appended_total, 2);
    EXPECT_FALSE(s.mod->in_text_rewrite);
    // The host cannot release a text: each rewrite leaves one behind, beside the block's own.
    EXPECT_EQ(simhost::text_references(), 1 + s.mod->text_appended_total);
}

// Every way a "120" is left as it is, with DebugLogging on and off: silently, or with a skip
// line (DebugLogging only) that may follow a line written always.
TEST(TextBlockHook, TextsLeftAlone) {
    struct Case {
        const char* name;
        void (*prepare)(Standard&); // may point the standard slot's block elsewhere
        const char* reason;         // of the skip line; null for a silent exit
        const char* always;
    };
    const Case cases[] = {
        {"display mode off", [](Standard& s) { s.mod->config.DisplayMode = ValueDisplayMode::Off; },
         nullptr, nullptr},
        {"no side",
         [](Standard& s) {
             s.block = simhost::game::new_text_block(
                 STR("Text_Value"),
                 simhost::new_object(simhost::find_class(STR("W_Inventory_Slot_C")),
                                     STR("W_Inventory_Slot_C_9"), s.screen.main));
         },
         nullptr, nullptr},
        {"outside the trading screen",
         [](Standard& s) {
             auto* list = simhost::new_object(simhost::find_class(STR("W_TradingInventory_C")),
                                              STR("W_TradingInventory_Buy"));
             s.block = simhost::game::new_text_block(
                 STR("Text_Value"),
                 simhost::new_object(simhost::find_class(STR("W_Inventory_Slot_C")),
                                     STR("W_Inventory_Slot_C_9"), list));
         },
         nullptr, nullptr},
        {"outside a slot",
         [](Standard& s) {
             s.block = simhost::game::new_text_block(
                 STR("Text_Value"),
                 simhost::new_object(simhost::find_class(STR("W_Trading_BalanceSection_C")),
                                     STR("W_Trading_BalanceSection_Buy"), s.screen.main));
         },
         nullptr, nullptr},
        {"not the value text",
         [](Standard& s) {
             s.block =
                 simhost::game::new_text_block(STR("Text_Amount"), simhost::outer_of(s.block));
         },
         nullptr, nullptr},
        {"text unreadable",
         [](Standard&) { simhost::arm_fault({.op = Op::FTextToString, .nth = 1}); },
         "could not read TextBlock.Text", nullptr},
        {"no row", [](Standard& s) { s.mod->rows.clear(); }, no_row.c_str(), nullptr},
        {"no SetText",
         [](Standard&) { // once the game's own SetText has run
             simhost::game::on_set_text([](UObject*) { remove_from_text_blocks(STR("SetText")); });
         },
         "TextBlock.SetText missing", nullptr},
        {"SetText's parameters 0 bytes", [](Standard&) { set_text_params_size(0); },
         "SetText failed", "[Tallyglass] TextAppend skipped: implausible FText size 0.\n"},
        {"SetText's parameters 257 bytes", [](Standard&) { set_text_params_size(257); },
         "SetText failed", "[Tallyglass] TextAppend skipped: implausible FText size 257.\n"},
        {"no text constructor in the engine",
         [](Standard&) { simhost::set_text_constructor_found(false); }, "SetText failed", nullptr},
    };
    for (bool debug : {true, false}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (debug ? ", debug" : ""));
            Standard s(debug);
            c.prepare(s);
            set_text(s.block, STR("120"));
            EXPECT_EQ(utf8(text_of(s.block)), "120");
            EXPECT_FALSE(color_of(s.block));
            EXPECT_EQ(simhost::text_references(), 1) << "the block's own text, no other";
            Lines expected = c.always ? Lines{c.always} : Lines{};
            if (c.reason && debug) {
                expected.push_back(skip_line(1, c.reason, 0, s.block));
            }
            EXPECT_EQ(log_lines(), expected);
            EXPECT_EQ(s.mod->text_append_skips, c.reason ? 1 : 0);
        }
    }
}

// The text keeps its own blanks; the settings and a missing colour function decide the rest.
TEST(TextBlockHook, SettingsAndTheColourFunction) {
    struct Case {
        const char* name;
        void (*prepare)(Standard&);
        const char* text;
        bool colour;
        std::optional<std::string> skip; // the skip line's reason, with DebugLogging
        Applied applied;
    };
    const Case cases[] = {
        {"no SetColorAndOpacity",
         [](Standard&) { remove_from_text_blocks(STR("SetColorAndOpacity")); }, " 120 (99)", false,
         "TextBlock.SetColorAndOpacity missing",
         Applied{.observed = " 120", .distance = 0, .heatmap = false}},
        {"heatmap off", [](Standard& s) { s.mod->config.HeatmapEnabled = false; }, " 120 (99)",
         false, std::nullopt, Applied{.observed = " 120", .distance = 0, .heatmap = false}},
        {"half the base value", [](Standard& s) { s.mod->config.BaseValuePercent = 50; },
         " 120 (66)", true, std::nullopt,
         Applied{.observed = " 120", .shown_base = 66, .percent = 50, .distance = 82}},
    };
    for (bool debug : {true, false}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (debug ? ", debug" : ""));
            Standard s(debug);
            c.prepare(s);
            set_text(s.block, STR(" 120"));
            EXPECT_EQ(utf8(text_of(s.block)), c.text);
            EXPECT_EQ(color_of(s.block).has_value(), c.colour);
            Lines lines;
            if (c.skip) {
                lines.push_back(skip_line(1, *c.skip, 0, s.block));
            }
            lines.push_back(c.applied.line());
            EXPECT_EQ(log_lines(), debug ? lines : Lines{});
            EXPECT_EQ(s.mod->text_append_skips, debug && c.skip ? 1 : 0);
            EXPECT_EQ(s.mod->text_appended_total, 1);
        }
    }
}

// By slot data, by position and trader index, by reading a trading list's entry on demand, and
// last by the number shown, which two rows with different bases make ambiguous.
TEST(TextBlockHook, FindsTheRowInOrder) {
    struct Row {
        bool own; // the slot's own slot data, else one no slot shows
        std::int32_t pos, current, base;
        RowSource source = RowSource::Offer;
    };
    using Rows = std::vector<Row>;
    struct Case {
        const char* name;
        Panel panel;
        bool slot_data; // the slot widget points to its slot data
        Rows rows;
        std::string line;  // the applied row; empty for the skip line
        bool read = false; // the slot's list entry was read on demand
    };
    const auto left = RowSource::LeftList;
    const Case cases[] = {
        {"slot data before value", Panel::OfferBuy, true,
         Rows{Row{false, 9, 120, 400}, Row{true, 0, 120, 133}}, Applied{}.line()},
        {"position and trader index", Panel::OfferBuy, true, Rows{Row{false, 0, 7, 133, left}},
         Applied{.current = 7, .source = "left-list"}.line()},
        {"read on demand in a trading list, before value", Panel::Trader, true,
         Rows{Row{false, 9, 120, 400}},
         Applied{.source = "left-list", .item = "ItemBaseConfig /Game/Items/A.A"}.line(), true},
        {"slot data in a trading list, nothing read", Panel::Trader, true,
         Rows{Row{true, 0, 120, 133, left}}, Applied{.source = "left-list"}.line()},
        {"value, slot without data", Panel::OfferBuy, false, Rows{Row{false, 9, 120, 133}},
         Applied{.pos = 9, .match = "value"}.line()},
        {"value, offer slot data without a row", Panel::OfferBuy, true,
         Rows{Row{false, 9, 120, 133}}, Applied{.pos = 9, .match = "value"}.line()},
        {"value, two rows disagree", Panel::OfferBuy, false,
         Rows{Row{false, 8, 120, 133}, Row{false, 9, 120, 200}}, ""},
    };
    for (const auto& c : cases) {
        Session s(true);
        const auto& slot = s.screen.add(
            c.panel, {.name = STR("A"), .base = 133, .price = 120, .slot_data = c.slot_data});
        for (const Row& r : c.rows) {
            s.record(r.own ? slot.slot_data : simhost::game::new_slot_data(STR("Other"), {}), r.pos,
                     r.current, r.base, r.source);
        }
        const auto before = simhost::host_calls(Op::ProcessEvent);
        set_text(slot.text_block, STR("120"));
        EXPECT_EQ(utf8(text_of(slot.text_block)), c.line.empty() ? "120" : "120 (99)") << c.name;
        // SetText and SetColorAndOpacity, and GetBaseConfigByPos for an entry read on demand.
        EXPECT_EQ(simhost::host_calls(Op::ProcessEvent) - before, c.line.empty() ? 0u
                                                                  : c.read       ? 3u
                                                                                 : 2u)
            << c.name;
        const std::string skip = skip_line(1, no_row, 0, slot.text_block);
        EXPECT_EQ(log_lines(), Lines{c.line.empty() ? skip : c.line}) << c.name;
    }
}

// 36 applied row lines, then the cap line once; then skip lines on sampled numbers only, each
// with the applied total of its moment.
TEST(TextBlockHook, RowLineCapAndSampledSkipLines) {
    Standard s(true);
    for (int price = 100; price < 140; ++price) {
        set_text(s.block, testing_support::wide(std::to_string(price)));
    }
    UObject* lost = s.add(Panel::OfferBuy, {.name = STR("Lost"), .price = 777, .slot_data = false});
    for (int i = 0; i < 120; ++i) {
        set_text(lost, STR("777"));
    }
    auto lines = log_lines();
    ASSERT_EQ(lines.size(), 42u);
    EXPECT_EQ(lines[36], "[Tallyglass] TextBlockAppend row cap reached; further applied rows are "
                         "suppressed this session.\n");
    for (std::size_t at = 37; int number : {1, 10, 25, 50, 100}) {
        EXPECT_EQ(lines[at++], skip_line(number, no_row, 40, lost));
    }
    EXPECT_EQ(s.mod->text_appended_total, 40);
    EXPECT_EQ(s.mod->text_append_skips, 120);
}

TEST(TextBlockHook, RowReshapedInsideTheEnginesSetText) {
    Standard s(true);
    for (int i = 1; i <= 20; ++i) {
        s.add(Panel::OfferBuy, {.name = STR("Filler"), .base = i, .price = i});
    }
    s.mod->rows.shrink_to_fit();
    // The engine runs UpdateInventory inside SetText: the value hook rewrites the found row and
    // grows the cache past its storage.
    simhost::game::on_set_text([&](UObject*) {
        if (s.mod->in_text_rewrite && s.mod->value_hook_calls == 0) {
            simhost::game::update_inventory(s.screen.buy_balance);
        }
    });
    set_text(s.block, STR("120"));
    simhost::game::on_set_text({});
    EXPECT_EQ(utf8(text_of(s.block)), "120 (99)");
    EXPECT_EQ(s.mod->rows.size(), 21u);
    EXPECT_EQ(log_lines_with("TextBlockAppend row"), Lines{Applied{}.line()});
}
} // namespace
