// Trade sides from full names, the substring test, and the outer-chain walks of the trading
// screen's widgets.
#include <gtest/gtest.h>

#include "mod/tallyglass.hpp"
#include "support.hpp"

namespace {
using simhost::UObject;
using tallyglass::TradeSide;
using testing_support::wide;

TEST(Names, TradeSideFromName) {
    struct Case {
        const char* name;
        std::string text;
        TradeSide side;
    };
    const Case cases[] = {
        {"empty", "", TradeSide::Other},
        {"exactly balance buy", "W_Trading_BalanceSection_Buy", TradeSide::Buy},
        {"exactly balance sell", "W_Trading_BalanceSection_Sell", TradeSide::Sell},
        {"exactly inventory buy", "W_TradingInventory_Buy", TradeSide::Buy},
        {"exactly inventory sell", "W_TradingInventory_Sell", TradeSide::Sell},
        {"balance sell before inventory buy",
         "X W_TradingInventory_Buy.W_Trading_BalanceSection_Sell", TradeSide::Sell},
        {"both balance markers", "W_Trading_BalanceSection_Sell.W_Trading_BalanceSection_Buy",
         TradeSide::Buy},
        {"marker runs on into letters", "A /B.W_Trading_BalanceSection_Buyer.C", TradeSide::Buy},
        {"lower case marker", "w_tradinginventory_sell", TradeSide::Other},
        {"marker cut short", "W_TradingInventory_Bu", TradeSide::Other},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(tallyglass::trade_side_from_name(wide(c.text)), c.side) << c.name;
    }
    EXPECT_EQ(tallyglass::to_utf8(tallyglass::trade_side_name(TradeSide::Buy)), "trade-buy");
    EXPECT_EQ(tallyglass::to_utf8(tallyglass::trade_side_name(TradeSide::Sell)), "trade-sell");
    for (int value : {2, 3, -1}) {
        EXPECT_EQ(tallyglass::to_utf8(tallyglass::trade_side_name(static_cast<TradeSide>(value))),
                  "other")
            << value;
    }
}

TEST(Names, ContainsText) {
    struct Case {
        const char* name;
        std::string haystack;
        std::string needle;
        bool found;
    };
    const Case cases[] = {
        {"empty needle", "abc", "", true},
        {"needle longer than haystack", "ab", "abc", false},
        {"at the end", "xxInventorySlotData", "InventorySlotData", true},
        {"case differs", "inventoryslotdata", "InventorySlotData", false},
        {"partial overlap only", "aab", "abb", false},
        {"at the start", "W_Trading_Main_C_0.WidgetTree", "W_Trading_Main", true},
        {"after a near miss", "W_Trading_MaiW_Trading_Main", "W_Trading_Main", true},
        {"repeated units", "aaaaaab", "aab", true},
        {"same low byte, other unit", "\xC5\x97_Trading_Main", "W_Trading_Main", false},
        {"one unit", "xyz", "z", true},
        {"two units", "xyz", "yz", true},
        {"first and last fit, middle does not", "W_Trading_MxinW_Trading_Main", "W_Trading_Main",
         true},
        {"long pattern", std::string(300, 'a') + "x" + std::string(255, 'a'),
         "x" + std::string(255, 'a'), true},
    };
    for (const auto& c : cases) {
        auto haystack = wide(c.haystack);
        auto needle = wide(c.needle);
        EXPECT_EQ(tallyglass::contains_text(haystack, needle), c.found) << c.name;
        EXPECT_EQ(tallyglass::TextPattern(needle).found_in(haystack), c.found)
            << c.name << ", as a pattern";
    }
    // The pattern searched for sixteen positions at a time: at every place across two blocks,
    // and the tail after them, between near misses of its first and last unit.
    const tallyglass::TextPattern marker(STR("W_Trading_Main"));
    for (std::size_t at = 0; at < 40; ++at) {
        const std::string before(at, 'n'), after = "nWnW";
        EXPECT_TRUE(marker.found_in(wide(before + "W_Trading_Main" + after))) << at;
        EXPECT_FALSE(marker.found_in(wide(before + "W_Trading_Mein" + after))) << at;
        EXPECT_FALSE(marker.found_in(wide(before + "W_Trading_Mai"))) << at << ", cut short";
    }
}

class Walks : public testing_support::WorldTest {
protected:
    UObject* make(const char* cls, const char* name, UObject* outer = nullptr) {
        return simhost::new_object(simhost::find_class(wide(cls)), wide(name), outer);
    }
    // `depth` widget trees below `top`; returns the innermost object.
    UObject* nest(UObject* top, int depth) {
        for (int i = 0; i < depth; ++i) {
            top = make("WidgetTree", "WidgetTree", top);
        }
        return top;
    }
    tallyglass::Tallyglass mod; // the walks need no hooks
};

TEST_F(Walks, SlotWidgetWithinEightObjects) {
    simhost::define_class(STR("/Game/UI"), STR("W_Inventory_Slot_C_Wide"));
    struct Case {
        const char* name;
        const char* cls;
        int depth; // outers between the slot widget and the object asked about
        bool found;
    };
    const Case cases[] = {
        {"the widget itself", "W_Inventory_Slot_C", 0, true},
        {"seventh outer", "W_Inventory_Slot_C", 7, true},
        {"eighth outer", "W_Inventory_Slot_C", 8, false},
        {"longer class name", "W_Inventory_Slot_C_Wide", 1, false},
    };
    for (const auto& c : cases) {
        UObject* slot = make(c.cls, "W_Inventory_Slot_C_0");
        EXPECT_EQ(mod.find_slot_widget(nest(slot, c.depth)), c.found ? slot : nullptr) << c.name;
    }
    EXPECT_EQ(mod.find_slot_widget(nullptr), nullptr);
}

TEST_F(Walks, SlotWalksSwallowHostFaults) {
    UObject* slot = make("W_Inventory_Slot_C", "W_Inventory_Slot_C_0");
    UObject* data = simhost::game::new_slot_data(STR("InventorySlotData_0"), {});
    UObject* inner = nest(slot, 2);
    simhost::write_field(slot, simhost::game::slot_widget_data, data);
    EXPECT_EQ(mod.slot_data_of(slot), data);

    simhost::arm_fault({simhost::Op::GetOuterPrivate, 1});
    EXPECT_EQ(mod.find_slot_widget(inner), nullptr);
    simhost::fail_full_name_of(inner);
    EXPECT_EQ(mod.find_slot_widget(inner), nullptr);
    simhost::fail_full_name_of(data, simhost::FaultKind::Foreign);
    EXPECT_EQ(mod.slot_data_of(slot), nullptr);
    simhost::disarm_faults();

    simhost::write_field(slot, simhost::game::slot_widget_data, inner);
    EXPECT_EQ(mod.slot_data_of(slot), nullptr) << "not slot data";
}

TEST_F(Walks, TradingOwner) {
    UObject* trading = make("W_TradingInventory_C", "W_TradingInventory_Buy");
    UObject* upper = make("W_Inventory_Main_C", "W_Inventory_Main_C_0", nest(trading, 1));
    UObject* lower = make("W_Inventory_Main_C", "W_Inventory_Main_C_1", nest(upper, 1));
    UObject* base = make("InventoryBase", "Base");
    UObject* base_trading = make("InventoryBaseTrading", "BaseTrading");
    UObject* list = nest(lower, 5); // lower is the 6th object examined, upper the 8th

    EXPECT_EQ(mod.find_trading_owner(list), nullptr) << "no references anywhere";
    simhost::write_field(upper, simhost::game::inventory_main_base, base);
    EXPECT_EQ(mod.find_trading_owner(list), base) << "null references are passed over";
    EXPECT_EQ(mod.find_trading_owner(simhost::outer_of(list)), base);
    simhost::write_field(lower, simhost::game::inventory_main_base, base);
    simhost::write_field(lower, simhost::game::inventory_main_base_trading, base_trading);
    EXPECT_EQ(mod.find_trading_owner(list), base_trading) << "InventoryBaseTrading preferred";

    simhost::write_field(lower, simhost::game::inventory_main_base_trading, nullptr);
    simhost::write_field(lower, simhost::game::inventory_main_base, nullptr);
    EXPECT_EQ(mod.find_trading_owner(nest(list, 1)), nullptr) << "upper is the 9th object";

    UObject* outside = make("W_Inventory_Main_C", "W_Inventory_Main_C_2");
    simhost::write_field(outside, simhost::game::inventory_main_base, base);
    EXPECT_EQ(mod.find_trading_owner(nest(outside, 1)), nullptr) << "not in a trading inventory";

    simhost::fail_full_name_of(upper);
    EXPECT_THROW(mod.find_trading_owner(list), std::runtime_error);
}
} // namespace
