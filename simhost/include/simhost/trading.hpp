// A trading screen of the game, built in a few lines: the widget tree with its four panels, the
// inventory objects behind them, and the game's calls when the screen opens.
#pragma once

#include <optional>
#include <vector>

#include <simhost/game.hpp>

namespace simhost::trading {
enum class Panel { Trader, Player, OfferBuy, OfferSell };
const char* panel_name(Panel panel); // "trader", "player", "offer_buy", "offer_sell"

struct Item {
    String name;
    std::optional<std::int32_t> base; // none: GetBaseConfigByPos returns no object
    std::int32_t price = 0;           // the slot data's current value
    std::optional<String> text;       // what the game sets; default the price in decimal
    std::int32_t amount = 1;
    std::optional<std::int32_t> previous; // default the price
    std::optional<std::int32_t> pos;      // default the index in the panel
    std::int32_t trader_index = 0;
    bool skip = false;
    bool show = true;
    bool slot_data = true; // false: the slot widget has no slot data pointer
};

struct Slot {
    Panel panel;
    int index;
    Item item;
    UObject* widget;     // W_Inventory_Slot_C
    UObject* text_block; // its Text_Value
    UObject* slot_data;  // InventorySlotData, also when the widget does not point to it
    UObject* config;     // base config object, null when the item has no base
    String game_text;
};

struct Screen {
    UObject* main{};
    UObject* trader_list{};           // DiscreteItemViewWidget in W_TradingInventory_Buy
    UObject* player_list{};           // ... in W_TradingInventory_Sell
    UObject* trader_inventory_main{}; // W_Inventory_Main_C holding the trader's list
    UObject* player_inventory_main{};
    UObject* buy_balance{};  // TradingBalanceInventory in W_Trading_BalanceSection_Buy
    UObject* sell_balance{}; // ... in W_Trading_BalanceSection_Sell
    UObject* trader_base{};  // inventory base objects answering GetBaseConfigByPos
    UObject* player_base{};
    UObject* offer_buy_base{};
    UObject* offer_sell_base{};
    std::vector<Slot> slots; // in play order: offer_buy, offer_sell, trader, player

    // Appends an item to a panel, with its slot widget, text block and objects.
    Slot& add(Panel panel, const Item& item);
    std::vector<Slot*> panel(Panel panel);
    std::vector<UObject*> entries(Panel panel);

    // One opening of the trade, as the game plays it: UpdateInventory on the buy then the sell
    // balance section, SetListItemsBP on the trader's then the player's list, then SetText of
    // every slot's game text in play order.
    void open();
    void update_balances();
    void fill_lists();
    void set_texts();

private:
    // A panel's inventory base (answering GetBaseConfigByPos) and whose widget tree holds its
    // slot widgets.
    struct PanelParts {
        UObject* base;
        UObject* holder;
    };
    PanelParts parts(Panel panel);
    UObject* slot_tree(Panel panel, UObject* holder);
};

// Installs the game (after reset()), as patched to `layout`, and builds an empty trading screen.
Screen build_screen(const game::LayoutTable& layout = game::default_layout());
} // namespace simhost::trading
