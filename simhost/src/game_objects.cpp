// The game's objects and calls as tests and tools set up and play a trade: slot data, base
// configs, text blocks, and the game running UpdateInventory, SetListItemsBP, GetItemAt and
// SetText.
#include <algorithm>
#include <cstring>
#include <new>
#include <simhost/game.hpp>

#include "game_state.hpp"
#include "internal.hpp"

namespace simhost::game {
UObject* new_slot_data(StringView name, const SlotFields& fields, UObject* outer) {
    UObject* object = new_object(find_class(STR("InventorySlotData")), name, outer);
    set_slot_fields(object, fields);
    return object;
}

void write_property(UObject* object, StringView cls, StringView property, const void* value,
                    std::size_t size) {
    if (const PropertyRow* row = find_row(cls, property)) {
        std::memcpy(storage(object) + row->offset, value,
                    std::min(size, static_cast<std::size_t>(row->size)));
    }
}

void set_slot_fields(UObject* slot_data, const SlotFields& fields) {
    const auto cls = STR("InventorySlotData");
    write_property(slot_data, cls, STR("Pos"), fields.pos);
    write_property(slot_data, cls, STR("CurrentValue"), fields.current);
    write_property(slot_data, cls, STR("PreviousValue"), fields.previous);
    write_property(slot_data, cls, STR("Amount"), fields.amount);
    write_property(slot_data, cls, STR("bSkip"), fields.skip);
    write_property(slot_data, cls, STR("TraderIndex"), fields.trader_index);
    write_property(slot_data, cls, STR("bShow"), fields.show);
}

UObject* new_base_config(StringView name, std::int32_t base_value) {
    UObject* object = new_object(find_class(STR("ItemBaseConfig")), name);
    write_property(object, STR("ItemBaseConfig"), STR("BaseValue"), base_value);
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
    // The engine's parameter block holds exactly one text value, which the game's own code
    // releases after the call, as its destructor would.
    struct Params {
        FText value;
        ~Params() { release_text(value); }
    } params{make_text(text)};
    call(text_block, STR("SetText"), &params);
}

String text_of(UObject* text_block) {
    return simhost::text_of(*text_property(text_block));
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
