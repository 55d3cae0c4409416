// A patched game, one row per binding of its layout: each edit of the game's layout table gives
// exactly its one line, turns off exactly its part, leaves the game's texts as the game set them
// (or correctly extended where its part stays on), and never crashes.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <simhost/trading.hpp>

#include "support.hpp"

namespace {
using RC::CharType;
using simhost::game::LayoutTable;
using simhost::game::PropertyType;
using simhost::trading::Panel;
using testing_support::log_lines;
using testing_support::utf8;

enum Hooks : unsigned { Value = 1, Lists = 2, Text = 4, All = 7 };

struct Row {
    const char* name;
    std::function<void(LayoutTable&)> edit;
    std::string line; // after "[Tallyglass] "
    unsigned hooks;   // registered
    bool rewritten;   // some value text shows a value
    bool coloured;
};

void set(LayoutTable& t, const CharType* owner, const CharType* name, PropertyType type, int offset,
         int size) {
    auto& row = simhost::game::property_row(t, owner, name);
    row.type = type;
    row.offset = offset;
    row.size = size;
}

simhost::game::PropertyRow param(const CharType* name, PropertyType type, int offset, int size) {
    return {name, type, offset, size, 0x80 /* CPF_Parm */, {}, PropertyType::Object};
}

simhost::trading::Item item(const CharType* name, int base, int price) {
    simhost::trading::Item out;
    out.name = name;
    out.base = base;
    out.price = price;
    return out;
}

const std::string changed = "Game layout changed: ";

TEST(GameLayout, EveryBindingTurnsOffItsPartWithOneLine) {
    using T = PropertyType;
    const std::string slot = changed + "InventorySlotData has no ";
    const Row rows[] = {
        {"unpatched", [](LayoutTable&) {}, "", All, true, true},
        {"slot position retyped",
         [](auto& t) { set(t, STR("InventorySlotData"), STR("Pos"), T::Byte, 40, 1); },
         slot + "4-byte IntProperty at offset 40 (found ByteProperty); trade values are off.", Text,
         false, false},
        {"current value moved",
         [](auto& t) { set(t, STR("InventorySlotData"), STR("CurrentValue"), T::Int, 92, 4); },
         slot + "4-byte IntProperty at offset 84 (found nothing); trade values are off.", Text,
         false, false},
        {"skip flag removed",
         [](auto& t) { simhost::game::remove_property(t, STR("InventorySlotData"), STR("bSkip")); },
         slot + "1-byte BoolProperty at offset 160 (found nothing); trade values are off.", Text,
         false, false},
        {"trader index grown",
         [](auto& t) { set(t, STR("InventorySlotData"), STR("TraderIndex"), T::Int, 164, 8); },
         slot +
             "4-byte IntProperty at offset 164 (found 8-byte IntProperty); trade values are off.",
         Text, false, false},
        {"base value retyped",
         [](auto& t) { set(t, STR("ItemBaseConfig"), STR("BaseValue"), T::Float, 128, 4); },
         changed + "the base config has no 4-byte IntProperty at offset 128 (found "
                   "FloatProperty); trade values are off.",
         Text, false, false},
        {"GetBaseConfigByPos gains a parameter",
         [](auto& t) {
             simhost::game::function_row(t, STR("GetBaseConfigByPos"))
                 .parameters.push_back(param(STR("bAny"), T::Bool, 16, 1));
         },
         changed + "GetBaseConfigByPos has no 16-byte parameter block (found 17 bytes); trade "
                   "values are off.",
         Text, false, false},
        {"GetBaseConfigByPos renamed",
         [](auto& t) {
             simhost::game::function_row(t, STR("GetBaseConfigByPos")).name =
                 STR("GetBaseConfigAt");
         },
         changed + "GetBaseConfigByPos not found; trade values are off.", Text, false, false},
        {"m_InventoryBaseTrading moved",
         [](auto& t) {
             set(t, STR("TradingBalanceInventory"), STR("m_InventoryBaseTrading"), T::Object, 888,
                 8);
         },
         changed + "TradingBalanceInventory has no 8-byte ObjectProperty at offset 880 (found "
                   "nothing); offer values are off.",
         Lists | Text, true, true},
        {"UpdateInventory returns numbers",
         [](auto& t) {
             simhost::game::parameter_row(t, STR("UpdateInventory"), STR("ReturnValue")).inner =
                 T::Int;
         },
         changed + "UpdateInventory returns no array of ObjectProperty (found IntProperty); offer "
                   "values are off.",
         Lists | Text, true, true},
        {"InventoryBaseTrading retyped",
         [](auto& t) {
             set(t, STR("W_Inventory_Main_C"), STR("InventoryBaseTrading"), T::Int, 0x5E0, 8);
         },
         changed + "W_Inventory_Main_C has no 8-byte ObjectProperty at offset 1504 (found "
                   "IntProperty); list values are off.",
         Value | Text, true, true},
        {"GetNumItems returns a float",
         [](auto& t) { set(t, STR("GetNumItems"), STR("ReturnValue"), T::Float, 0, 4); },
         changed + "GetNumItems has no 4-byte IntProperty return value at offset 0 (found "
                   "FloatProperty); list values are off.",
         Value | Text, true, true},
        {"GetItemAt gains a parameter before its result",
         [](auto& t) {
             auto& f = simhost::game::function_row(t, STR("GetItemAt"));
             f.parameters.back().offset = 16;
             f.parameters.insert(f.parameters.begin() + 1, param(STR("Filter"), T::Int, 8, 4));
         },
         changed + "GetItemAt has no 16-byte parameter block (found 24 bytes); list values are "
                   "off.",
         Value | Text, true, true},
        {"slot widget's data moved",
         [](auto& t) { set(t, STR("W_Inventory_Slot_C"), STR("SlotData"), T::Object, 0x568, 8); },
         changed + "W_Inventory_Slot_C has no 8-byte ObjectProperty at offset 1376 (found "
                   "nothing); value texts are matched by their number only.",
         All, true, true},
        {"TextBlock's Text moved",
         [](auto& t) { set(t, STR("TextBlock"), STR("Text"), T::Text, 0x1A8, 24); },
         changed + "TextBlock has no 24-byte TextProperty Text at offset 416 (found 24-byte "
                   "TextProperty at offset 424); value texts are off.",
         Value | Lists, false, false},
        {"SetText gains a parameter",
         [](auto& t) {
             simhost::game::function_row(t, STR("SetText"))
                 .parameters.push_back(param(STR("bAnimate"), T::Bool, 24, 1));
         },
         changed + "SetText has no 1 parameters (found 2); value texts are off.", Value | Lists,
         false, false},
        {"SetColorAndOpacity's colour grown",
         [](auto& t) {
             set(t, STR("SetColorAndOpacity"), STR("InColorAndOpacity"), T::Struct, 0, 24);
         },
         changed + "SetColorAndOpacity has no 20-byte parameter block (found 24 bytes); the "
                   "heatmap is off.",
         All, true, false},
    };
    for (const Row& row : rows) {
        simhost::reset();
        LayoutTable table = simhost::game::default_layout();
        row.edit(table);
        auto screen = simhost::trading::build_screen(table);
        screen.add(Panel::Trader, item(STR("Sword"), 133, 120));
        screen.add(Panel::Player, item(STR("Pelt"), 80, 61));
        screen.add(Panel::OfferBuy, item(STR("Torch"), 12, 10));
        testing_support::Launch launch;
        launch.host.fire_unreal_init();
        screen.open();

        std::vector<std::string> lines;
        for (const auto& l : log_lines()) {
            if (l.find("Game layout") != l.npos || l.find("Failed to register") != l.npos) {
                lines.push_back(l);
            }
        }
        const auto want = row.line.empty() ? std::vector<std::string>{}
                                           : std::vector{"[Tallyglass] " + row.line + "\n"};
        EXPECT_EQ(lines, want) << row.name;
        const auto live = testing_support::registered_paths();
        auto is_live = [&](int i) {
            return std::count(live.begin(), live.end(), testing_support::hook_paths[i]) > 0;
        };
        EXPECT_EQ(is_live(0), (row.hooks & Value) != 0) << row.name;
        EXPECT_EQ(is_live(1) && is_live(2), (row.hooks & Lists) != 0) << row.name;
        EXPECT_EQ(is_live(3), (row.hooks & Text) != 0) << row.name;
        bool rewritten = false, coloured = false;
        for (const auto& s : screen.slots) {
            const std::string shown = utf8(simhost::game::text_of(s.text_block));
            const std::string game = utf8(s.game_text);
            EXPECT_TRUE(shown == game || shown.starts_with(game + " ("))
                << row.name << ": " << shown;
            rewritten = rewritten || shown != game;
            coloured = coloured || simhost::game::color_of(s.text_block).has_value();
        }
        EXPECT_EQ(rewritten, row.rewritten) << row.name;
        EXPECT_EQ(coloured, row.coloured) << row.name;
        launch.host.uninstall_mods();
    }
    simhost::reset();
}
} // namespace
