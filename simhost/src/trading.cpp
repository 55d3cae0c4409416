#include <algorithm>
#include <simhost/trading.hpp>

namespace simhost::trading {
namespace {
String decimal(std::int32_t value) {
    std::string narrow = std::to_string(value);
    return String(narrow.begin(), narrow.end());
}

UObject* widget_tree(UObject* owner) {
    return new_object(find_class(STR("WidgetTree")), STR("WidgetTree"), owner);
}

// Slot widgets and list widgets sit in the widget tree of their inventory or section.
struct PanelParts {
    UObject* tree;
    UObject* base;
};
} // namespace

const char* panel_name(Panel panel) {
    switch (panel) {
    case Panel::Trader:
        return "trader";
    case Panel::Player:
        return "player";
    case Panel::OfferBuy:
        return "offer_buy";
    case Panel::OfferSell:
        return "offer_sell";
    }
    return "?";
}

Screen build_screen() {
    game::install();
    Screen s;
    auto* package = new_object(find_class(STR("Package")), STR("/Engine/Transient"));
    auto* engine = new_object(find_class(STR("GameEngine")), STR("GameEngine_0"), package);
    auto* instance =
        new_object(find_class(STR("GameInstance")), STR("BP_G1RGameInstance_C_0"), engine);
    s.main = new_object(find_class(STR("W_Trading_Main_C")), STR("W_Trading_Main_C_0"), instance);
    auto* main_tree = widget_tree(s.main);

    auto inventory = [&](StringView name, UObject*& inventory_main, UObject*& list,
                         UObject*& base) {
        auto* widget = new_object(find_class(STR("W_TradingInventory_C")), name, main_tree);
        inventory_main = new_object(find_class(STR("W_Inventory_Main_C")),
                                    STR("W_Inventory_Main_C_0"), widget_tree(widget));
        auto* tree = widget_tree(inventory_main);
        list = new_object(find_class(STR("DiscreteItemViewWidget")), STR("ItemList"), tree);
        base = game::new_inventory_base(String(name) + STR("_InventoryBaseTrading"), instance);
        write_field(inventory_main, game::inventory_main_base_trading, base);
    };
    inventory(STR("W_TradingInventory_Buy"), s.trader_inventory_main, s.trader_list, s.trader_base);
    inventory(STR("W_TradingInventory_Sell"), s.player_inventory_main, s.player_list,
              s.player_base);

    auto section = [&](StringView name, UObject*& balance, UObject*& base) {
        auto* widget = new_object(find_class(STR("W_Trading_BalanceSection_C")), name, main_tree);
        balance = new_object(find_class(STR("TradingBalanceInventory")),
                             STR("TradingBalanceInventory_0"), widget_tree(widget));
        base = game::new_inventory_base(String(name) + STR("_InventoryBaseTrading"), instance);
        write_field(balance, game::balance_inventory_base, base);
    };
    section(STR("W_Trading_BalanceSection_Buy"), s.buy_balance, s.offer_buy_base);
    section(STR("W_Trading_BalanceSection_Sell"), s.sell_balance, s.offer_sell_base);
    return s;
}

Slot& Screen::add(Panel which, const Item& item) {
    UObject* base = nullptr;
    UObject* holder = nullptr; // whose widget tree holds the slot widget
    switch (which) {
    case Panel::Trader:
        base = trader_base;
        holder = trader_inventory_main;
        break;
    case Panel::Player:
        base = player_base;
        holder = player_inventory_main;
        break;
    case Panel::OfferBuy:
        base = offer_buy_base;
        holder = outer_of(outer_of(buy_balance));
        break;
    case Panel::OfferSell:
        base = offer_sell_base;
        holder = outer_of(outer_of(sell_balance));
        break;
    }
    auto index = static_cast<int>(panel(which).size());
    std::int32_t pos = item.pos.value_or(index);
    String tag = STR("_");
    tag += decimal(static_cast<std::int32_t>(slots.size()));

    game::SlotFields fields;
    fields.pos = pos;
    fields.current = item.price;
    fields.previous = item.previous.value_or(item.price);
    fields.amount = item.amount;
    fields.skip = item.skip ? 1 : 0;
    fields.trader_index = item.trader_index;
    fields.show = item.show ? 1 : 0;
    UObject* slot_data = game::new_slot_data(STR("InventorySlotData") + tag, fields, base);

    UObject* config = nullptr;
    if (item.base) {
        auto* package = new_object(find_class(STR("Package")), STR("/Game/Items/") + item.name);
        config = new_object(find_class(STR("ItemBaseConfig")), item.name, package);
        write_field(config, game::config_base_value, *item.base);
    }
    game::set_base_config(base, pos, config);

    // Each slot widget lives in the widget tree of the inventory or section that shows it.
    UObject* tree = nullptr;
    for (auto& existing : slots) {
        if (existing.panel == which) {
            tree = outer_of(existing.widget);
            break;
        }
    }
    if (!tree) {
        tree = widget_tree(holder);
    }
    UObject* widget =
        new_object(find_class(STR("W_Inventory_Slot_C")), STR("W_Inventory_Slot_C") + tag, tree);
    if (item.slot_data) {
        write_field(widget, game::slot_widget_data, slot_data);
    }
    UObject* text_block = game::new_text_block(STR("Text_Value"), widget_tree(widget));

    Slot slot{which,      index,     item,   widget,
              text_block, slot_data, config, item.text.value_or(decimal(item.price))};
    // Keep play order: offer_buy, offer_sell, trader, player.
    auto rank = [](Panel p) {
        switch (p) {
        case Panel::OfferBuy:
            return 0;
        case Panel::OfferSell:
            return 1;
        case Panel::Trader:
            return 2;
        case Panel::Player:
            return 3;
        }
        return 4;
    };
    auto at = std::find_if(slots.begin(), slots.end(),
                           [&](const Slot& other) { return rank(other.panel) > rank(which); });
    auto it = slots.insert(at, std::move(slot));
    if (which == Panel::OfferBuy || which == Panel::OfferSell) {
        game::set_balance_slots(which == Panel::OfferBuy ? buy_balance : sell_balance,
                                entries(which));
    }
    return *it;
}

std::vector<Slot*> Screen::panel(Panel which) {
    std::vector<Slot*> out;
    for (auto& slot : slots) {
        if (slot.panel == which) {
            out.push_back(&slot);
        }
    }
    return out;
}

std::vector<UObject*> Screen::entries(Panel which) {
    std::vector<UObject*> out;
    for (auto* slot : panel(which)) {
        out.push_back(slot->slot_data);
    }
    return out;
}

void Screen::update_balances() {
    game::update_inventory(buy_balance);
    game::update_inventory(sell_balance);
}

void Screen::fill_lists() {
    game::set_list_items(trader_list, entries(Panel::Trader));
    game::set_list_items(player_list, entries(Panel::Player));
}

void Screen::set_texts() {
    for (auto& slot : slots) {
        game::set_text(slot.text_block, slot.game_text);
    }
}

void Screen::open() {
    update_balances();
    fill_lists();
    set_texts();
}
} // namespace simhost::trading
