// The game's classes and script functions.
#include <map>
#include <new>
#include <simhost/game.hpp>

#include "game_state.hpp"
#include "internal.hpp"

namespace simhost::game {
GameState state;

namespace {
template <class T> T param(std::byte* params, std::size_t offset) {
    T value;
    std::memcpy(&value, params + offset, sizeof(T));
    return value;
}
template <class T> void set_param(std::byte* params, std::size_t offset, T value) {
    std::memcpy(params + offset, &value, sizeof(T));
}
} // namespace

FText* text_property(UObject* text_block) {
    return std::launder(reinterpret_cast<FText*>(storage(text_block) + text_block_text));
}

namespace {
void install_text_block(UClass* widget) {
    auto* text_block = define_class(STR("/Script/UMG"), STR("TextBlock"), widget);
    // The text block holds one reference to its text, as the engine's FText property does.
    set_lifecycle(
        text_block, [](UObject* self) { new (storage(self) + text_block_text) FText(); },
        [](UObject* self) { release_text(*text_property(self)); });
    define_function(text_block, STR("SetText"), sizeof(FText), -1,
                    [](UObject* self, std::byte* params) {
                        detail::assign_text(*text_property(self),
                                            *std::launder(reinterpret_cast<FText*>(params)));
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
} // namespace simhost::game
