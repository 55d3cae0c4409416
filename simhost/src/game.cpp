// The game's classes and script functions, and the per-object state they answer from.
#include <map>
#include <new>
#include <simhost/game.hpp>

#include "internal.hpp"

namespace simhost::game {
namespace {
struct Balance {
    std::vector<UObject*> slots;
    ArrayHeaderOverride header;
};
struct List {
    std::vector<UObject*> items;
    std::optional<std::int32_t> count;
};

// Per-object game state, keyed by the object; cleared with the world.
struct GameState {
    std::map<UObject*, Balance> balances;
    std::map<UObject*, List> lists;
    std::map<UObject*, std::map<std::int32_t, UObject*>> configs;
    std::map<UObject*, SlateColor> colors;
    std::function<void(UObject*)> during_set_text;
};
GameState state;

template <class T> T param(std::byte* params, std::size_t offset) {
    T value;
    std::memcpy(&value, params + offset, sizeof(T));
    return value;
}
template <class T> void set_param(std::byte* params, std::size_t offset, T value) {
    std::memcpy(params + offset, &value, sizeof(T));
}
} // namespace

namespace {
void install_text_block(UClass* widget) {
    auto* text_block = define_class(STR("/Script/UMG"), STR("TextBlock"), widget);
    set_lifecycle(
        text_block, [](UObject* self) { new (storage(self) + text_block_text) FText(); },
        [](UObject* self) {
            std::launder(reinterpret_cast<FText*>(storage(self) + text_block_text))->~FText();
        });
    define_function(text_block, STR("SetText"), sizeof(FText), -1,
                    [](UObject* self, std::byte* params) {
                        auto* property =
                            std::launder(reinterpret_cast<FText*>(storage(self) + text_block_text));
                        *property = *std::launder(reinterpret_cast<FText*>(params));
                        if (state.during_set_text) {
                            state.during_set_text(self);
                        }
                    });
    define_function(text_block, STR("SetColorAndOpacity"), sizeof(SlateColor), -1,
                    [](UObject* self, std::byte* params) {
                        SlateColor color{};
                        std::memcpy(&color, params, sizeof(SlateColor));
                        state.colors[self] = color;
                    });
}

void install_widgets(UClass* user_widget) {
    define_class(STR("/Game/UI/Trading/W_Trading_Main"), STR("W_Trading_Main_C"), user_widget);
    define_class(STR("/Game/UI/Trading/W_TradingInventory"), STR("W_TradingInventory_C"),
                 user_widget);
    define_class(STR("/Game/UI/Trading/W_Trading_BalanceSection"),
                 STR("W_Trading_BalanceSection_C"), user_widget);
    define_class(STR("/Game/UI/Inventory/W_Inventory_Main"), STR("W_Inventory_Main_C"),
                 user_widget);
    define_class(STR("/Game/UI/Inventory/W_Inventory_Slot"), STR("W_Inventory_Slot_C"),
                 user_widget);
}

void install_item_list(UClass* widget) {
    auto* list = define_class(STR("/Script/G1R"), STR("DiscreteItemViewWidget"), widget);
    define_function(list, STR("SetListItemsBP"), sizeof(TArrayHeader), -1,
                    [](UObject* self, std::byte* params) {
                        auto header = param<TArrayHeader>(params, 0);
                        auto& entry = state.lists[self];
                        entry.items.assign(header.data, header.data + header.count);
                    });
    define_function(list, STR("GetNumItems"), 4, 0, [](UObject* self, std::byte* params) {
        auto& entry = state.lists[self];
        set_param<std::int32_t>(
            params, 0, entry.count.value_or(static_cast<std::int32_t>(entry.items.size())));
    });
    define_function(list, STR("GetItemAt"), 16, 8, [](UObject* self, std::byte* params) {
        if (!params) {
            return;
        }
        auto& entry = state.lists[self];
        auto index = param<std::int32_t>(params, 0);
        UObject* item = index >= 0 && static_cast<std::size_t>(index) < entry.items.size()
                            ? entry.items[static_cast<std::size_t>(index)]
                            : nullptr;
        set_param<UObject*>(params, 8, item);
    });
}

void install_trading_inventories() {
    auto* balance = define_class(STR("/Script/G1R"), STR("TradingBalanceInventory"));
    define_function(balance, STR("UpdateInventory"), sizeof(TArrayHeader), 0,
                    [](UObject* self, std::byte* params) {
                        if (!params) {
                            return;
                        }
                        auto& entry = state.balances[self];
                        auto size = static_cast<std::int32_t>(entry.slots.size());
                        TArrayHeader header{entry.header.null_data ? nullptr : entry.slots.data(),
                                            entry.header.count.value_or(size),
                                            entry.header.capacity.value_or(size)};
                        set_param(params, 0, header);
                    });

    auto* base = define_class(STR("/Script/G1R"), STR("InventoryBase"));
    define_class(STR("/Script/G1R"), STR("InventoryBaseTrading"), base);
    define_function(base, STR("GetBaseConfigByPos"), 16, 8, [](UObject* self, std::byte* params) {
        auto& table = state.configs[self];
        auto it = table.find(param<std::int32_t>(params, 0));
        set_param<UObject*>(params, 8, it == table.end() ? nullptr : it->second);
    });
    define_class(STR("/Script/G1R"), STR("InventorySlotData"));
    define_class(STR("/Script/G1R"), STR("ItemBaseConfig"));
}
} // namespace

void install() {
    simhost::detail::clear_game_state();
    define_class(STR("/Script/Engine"), STR("GameEngine"));
    define_class(STR("/Script/Engine"), STR("GameInstance"));
    auto* widget = define_class(STR("/Script/UMG"), STR("Widget"));
    define_class(STR("/Script/UMG"), STR("WidgetTree"));
    install_text_block(widget);
    install_widgets(define_class(STR("/Script/UMG"), STR("UserWidget"), widget));
    install_item_list(widget);
    install_trading_inventories();
}

UObject* new_slot_data(StringView name, const SlotFields& fields, UObject* outer) {
    UObject* object = new_object(find_class(STR("InventorySlotData")), name, outer);
    set_slot_fields(object, fields);
    return object;
}

void set_slot_fields(UObject* slot_data, const SlotFields& fields) {
    write_field(slot_data, slot_pos, fields.pos);
    write_field(slot_data, slot_current, fields.current);
    write_field(slot_data, slot_previous, fields.previous);
    write_field(slot_data, slot_amount, fields.amount);
    write_field(slot_data, slot_skip, fields.skip);
    write_field(slot_data, slot_trader_index, fields.trader_index);
    write_field(slot_data, slot_show, fields.show);
}

UObject* new_base_config(StringView name, std::int32_t base_value) {
    UObject* object = new_object(find_class(STR("ItemBaseConfig")), name);
    write_field(object, config_base_value, base_value);
    return object;
}

UObject* new_inventory_base(StringView name, UObject* outer) {
    UObject* object = new_object(find_class(STR("InventoryBaseTrading")), name, outer);
    state.configs[object];
    return object;
}

void set_base_config(UObject* inventory_base, std::int32_t pos, UObject* config) {
    state.configs[inventory_base][pos] = config;
}

UObject* new_text_block(StringView name, UObject* outer) {
    return new_object(find_class(STR("TextBlock")), name, outer);
}

void set_text(UObject* text_block, StringView text) {
    // The engine's parameter block holds exactly one text value.
    alignas(FText) std::byte params[sizeof(FText)];
    auto* value = new (params) FText(make_text(text));
    call(text_block, STR("SetText"), params);
    value->~FText();
}

String text_of(UObject* text_block) {
    return simhost::text_of(
        *std::launder(reinterpret_cast<FText*>(storage(text_block) + text_block_text)));
}

void on_set_text(std::function<void(UObject* text_block)> during) {
    state.during_set_text = std::move(during);
}

std::optional<SlateColor> color_of(UObject* text_block) {
    auto it = state.colors.find(text_block);
    if (it == state.colors.end()) {
        return std::nullopt;
    }
    return it->second;
}

void set_balance_slots(UObject* balance_inventory, std::vector<UObject*> slots) {
    state.balances[balance_inventory].slots = std::move(slots);
}

void set_balance_array_override(UObject* balance_inventory, ArrayHeaderOverride header) {
    state.balances[balance_inventory].header = header;
}

void update_inventory(UObject* balance_inventory) {
    TArrayHeader result{};
    call(balance_inventory, STR("UpdateInventory"), &result);
}

void update_inventory_without_result(UObject* balance_inventory) {
    call(balance_inventory, STR("UpdateInventory"), nullptr);
}

void set_list_items(UObject* list, std::vector<UObject*> items) {
    TArrayHeader params{items.data(), static_cast<std::int32_t>(items.size()),
                        static_cast<std::int32_t>(items.size())};
    call(list, STR("SetListItemsBP"), &params);
}

void set_list_count_override(UObject* list, std::optional<std::int32_t> count) {
    state.lists[list].count = count;
}

UObject* get_item_at(UObject* list, std::int32_t index) {
    alignas(8) std::byte params[16]{};
    std::memcpy(params, &index, sizeof(index));
    call(list, STR("GetItemAt"), params);
    UObject* item;
    std::memcpy(&item, params + 8, sizeof(item));
    return item;
}
} // namespace simhost::game

void simhost::detail::clear_game_state() {
    game::state = game::GameState{};
}
