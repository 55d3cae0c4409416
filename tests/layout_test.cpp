// A patched game, one row per binding of its layout: each edit of the game's layout table gives
// exactly its one line, turns off exactly its part, leaves the game's texts as the game set them
// (or correctly extended where its part stays on), and never crashes.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <simhost/trading.hpp>

#include "support.hpp"

namespace {
using RC::CharType;
using simhost::game::LayoutTable;
using simhost::trading::Panel;
using testing_support::log_lines;
using testing_support::utf8;

enum Hooks : unsigned { Value = 1, Lists = 2, Text = 4, All = 7 };

struct Row {
    const char* edit; // of simhost::game::layout_edits(); empty: the game unpatched
    std::string line; // after "[Tallyglass] "
    unsigned hooks;   // registered
    bool rewritten;   // some value text shows a value
    bool coloured;
};

simhost::trading::Item item(const CharType* name, int base, int price) {
    simhost::trading::Item out;
    out.name = name;
    out.base = base;
    out.price = price;
    return out;
}

const std::string changed = "Game layout changed: ";

TEST(GameLayout, EveryBindingTurnsOffItsPartWithOneLine) {
    const std::string slot = changed + "InventorySlotData has no ";
    const std::string trade = "; trade values are off.";
    const std::string lists = "; list values are off.";
    const Row rows[] = {
        {"", "", All, true, true},
        {"slot-position-retyped",
         slot + "4-byte IntProperty at offset 40 (found ByteProperty)" + trade, Text, false, false},
        {"slot-current-moved", slot + "4-byte IntProperty at offset 84 (found nothing)" + trade,
         Text, false, false},
        {"slot-skip-removed", slot + "1-byte BoolProperty at offset 160 (found nothing)" + trade,
         Text, false, false},
        {"slot-trader-index-grown",
         slot + "4-byte IntProperty at offset 164 (found 8-byte IntProperty)" + trade, Text, false,
         false},
        {"base-value-retyped",
         changed + "the base config has no 4-byte IntProperty at offset 128 (found FloatProperty)" +
             trade,
         Text, false, false},
        {"base-config-parameter-added",
         changed + "GetBaseConfigByPos has no 16-byte parameter block (found 17 bytes)" + trade,
         Text, false, false},
        {"base-config-renamed", changed + "GetBaseConfigByPos not found" + trade, Text, false,
         false},
        {"balance-inventory-moved",
         changed + "TradingBalanceInventory has no 8-byte ObjectProperty at offset 880 (found "
                   "nothing); offer values are off.",
         Lists | Text, true, true},
        {"update-inventory-returns-numbers",
         changed + "UpdateInventory returns no array of ObjectProperty (found IntProperty); offer "
                   "values are off.",
         Lists | Text, true, true},
        {"inventory-base-trading-retyped",
         changed +
             "W_Inventory_Main_C has no 8-byte ObjectProperty at offset 1504 (found "
             "IntProperty)" +
             lists,
         Value | Text, true, true},
        {"item-count-retyped",
         changed +
             "GetNumItems has no 4-byte IntProperty return value at offset 0 (found "
             "FloatProperty)" +
             lists,
         Value | Text, true, true},
        {"get-item-at-parameter-added",
         changed + "GetItemAt has no 16-byte parameter block (found 24 bytes)" + lists,
         Value | Text, true, true},
        {"inventory-widgets-elsewhere", "", All, true, true}, // unchecked, as before
        {"slot-data-moved",
         changed + "W_Inventory_Slot_C has no 8-byte ObjectProperty at offset 1376 (found "
                   "nothing); value texts are matched by their number only.",
         All, true, true},
        {"text-moved",
         changed + "TextBlock has no 24-byte TextProperty Text at offset 416 (found 24-byte "
                   "TextProperty at offset 424); value texts are off.",
         Value | Lists, false, false},
        {"set-text-parameter-added",
         changed + "SetText has no 1 parameters (found 2); value texts are off.", Value | Lists,
         false, false},
        {"colour-grown",
         changed + "SetColorAndOpacity has no 20-byte parameter block (found 24 bytes); the "
                   "heatmap is off.",
         All, true, false},
    };
    // Every edit the simulated host offers has its row.
    EXPECT_EQ(std::size(rows), simhost::game::layout_edits().size() + 1);
    for (const Row& row : rows) {
        simhost::reset();
        LayoutTable table = simhost::game::default_layout();
        if (*row.edit) {
            simhost::game::find_layout_edit(row.edit)->apply(table);
        }
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
        EXPECT_EQ(lines, want) << row.edit;
        const auto live = testing_support::registered_paths();
        auto is_live = [&](int i) {
            return std::count(live.begin(), live.end(), testing_support::hook_paths[i]) > 0;
        };
        EXPECT_EQ(is_live(0), (row.hooks & Value) != 0) << row.edit;
        EXPECT_EQ(is_live(1) && is_live(2), (row.hooks & Lists) != 0) << row.edit;
        EXPECT_EQ(is_live(3), (row.hooks & Text) != 0) << row.edit;
        bool rewritten = false, coloured = false;
        for (const auto& s : screen.slots) {
            const std::string shown = utf8(simhost::game::text_of(s.text_block));
            const std::string game = utf8(s.game_text);
            EXPECT_TRUE(shown == game || shown.starts_with(game + " ("))
                << row.edit << ": " << shown;
            rewritten = rewritten || shown != game;
            coloured = coloured || simhost::game::color_of(s.text_block).has_value();
        }
        EXPECT_EQ(rewritten, row.rewritten) << row.edit;
        EXPECT_EQ(coloured, row.coloured) << row.edit;
        launch.host.uninstall_mods();
    }
    simhost::reset();
}
} // namespace
