#include <algorithm>
#include <simhost/trading.hpp>

#include "internal.hpp"

namespace simhost::trading {
namespace {
String decimal(std::int32_t value) {
    return detail::widen(std::to_string(value));
}

UObject* widget_tree(UObject* owner) {
    return new_object(find_class(STR("WidgetTree")), STR("WidgetTree"), owner);
}

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

Screen build_screen(const game::LayoutTable& layout) {
    game::install(layout);
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
        game::write_property(inventory_main, STR("W_Inventory_Main_C"), STR("InventoryBaseTrading"),
                             base);
    };
    inventory(STR("W_TradingInventory_Buy"), s.trader_inventory_main, s.trader_list, s.trader_base);
    inventory(STR("W_TradingInventory_Sell"), s.player_inventory_main, s.player_list,
              s.player_base);

    auto section = [&](StringView name, UObject*& balance, UObject*& base) {
        auto* widget = new_object(find_class(STR("W_Trading_BalanceSection_C")), name, main_tree);
        balance = new_object(find_class(STR("TradingBalanceInventory")),
                             STR("TradingBalanceInventory_0"), widget_tree(widget));
        base = game::new_inventory_base(String(name) + STR("_InventoryBaseTrading"), instance);
        game::write_property(balance, STR("TradingBalanceInventory"), STR("m_InventoryBaseTrading"),
                             base);
    };
    section(STR("W_Trading_BalanceSection_Buy"), s.buy_balance, s.offer_buy_base);
    section(STR("W_Trading_BalanceSection_Sell"), s.sell_balance, s.offer_sell_base);
    return s;
}

namespace {
// Play order of the panels: offers first, as the game sets their texts.
int play_rank(Panel panel) {
    switch (panel) {
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
}

UObject* new_item_slot_data(const Item& item, std::int32_t pos, const String& tag,
                            UObject* inventory_base) {
    game::SlotFields fields;
    fields.pos = pos;
    fields.current = item.price;
    fields.previous = item.previous.value_or(item.price);
    fields.amount = item.amount;
    fields.skip = item.skip ? 1 : 0;
    fields.trader_index = item.trader_index;
    fields.show = item.show ? 1 : 0;
    return game::new_slot_data(STR("InventorySlotData") + tag, fields, inventory_base);
}

// The item's base config in a package of its own, or null for an item without a base.
UObject* new_item_config(const Item& item) {
    if (!item.base) {
        return nullptr;
    }
    auto* package = new_object(find_class(STR("Package")), STR("/Game/Items/") + item.name);
    UObject* config = new_object(find_class(STR("ItemBaseConfig")), item.name, package);
    game::write_property(config, STR("ItemBaseConfig"), STR("BaseValue"), *item.base);
    return config;
}
} // namespace

Screen::PanelParts Screen::parts(Panel which) {
    switch (which) {
    case Panel::Trader:
        return {trader_base, trader_inventory_main};
    case Panel::Player:
        return {player_base, player_inventory_main};
    case Panel::OfferBuy:
        return {offer_buy_base, outer_of(outer_of(buy_balance))};
    case Panel::OfferSell:
        return {offer_sell_base, outer_of(outer_of(sell_balance))};
    }
    return {};
}

// Each slot widget lives in the widget tree of the inventory or section that shows it.
UObject* Screen::slot_tree(Panel which, UObject* holder) {
    for (auto& existing : slots) {
        if (existing.panel == which) {
            return outer_of(existing.widget);
        }
    }
    return widget_tree(holder);
}

Slot& Screen::add(Panel which, const Item& item) {
    const PanelParts where = parts(which);
    const auto index = static_cast<int>(panel(which).size());
    const std::int32_t pos = item.pos.value_or(index);
    String tag(STR("_"));
    tag += decimal(static_cast<std::int32_t>(slots.size()));
    UObject* slot_data = new_item_slot_data(item, pos, tag, where.base);
    UObject* config = new_item_config(item);
    game::set_base_config(where.base, pos, config);

    UObject* widget = new_object(find_class(STR("W_Inventory_Slot_C")),
                                 STR("W_Inventory_Slot_C") + tag, slot_tree(which, where.holder));
    if (item.slot_data) {
        game::write_property(widget, STR("W_Inventory_Slot_C"), STR("SlotData"), slot_data);
    }
    UObject* text_block = game::new_text_block(STR("Text_Value"), widget_tree(widget));

    Slot slot{which,      index,     item,   widget,
              text_block, slot_data, config, item.text.value_or(decimal(item.price))};
    auto at = std::find_if(slots.begin(), slots.end(), [&](const Slot& other) {
        return play_rank(other.panel) > play_rank(which);
    });
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
