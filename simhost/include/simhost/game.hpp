// The game's side of the simulated engine: its classes, script functions and the objects of a
// trading screen, at the byte offsets the game uses.
#pragma once

#include <array>
#include <optional>
#include <simhost/engine.hpp>
#include <simhost/layout.hpp>

namespace simhost::game {
// Byte offsets inside the game's objects. Declared here apart from the mod's own layout on
// purpose: the simulated game stands for the real one, so a wrong offset in the mod must show as a
// failing test, not be shared.
inline constexpr std::size_t slot_pos = 40;
inline constexpr std::size_t slot_current = 84;
inline constexpr std::size_t slot_previous = 88;
inline constexpr std::size_t slot_amount = 112;
inline constexpr std::size_t slot_skip = 160;
inline constexpr std::size_t slot_trader_index = 164;
inline constexpr std::size_t slot_show = 168;
inline constexpr std::size_t config_base_value = 128;
inline constexpr std::size_t balance_inventory_base = 880;
inline constexpr std::size_t inventory_main_base = 0x5D8;
inline constexpr std::size_t inventory_main_base_trading = 0x5E0;
inline constexpr std::size_t slot_widget_data = 0x560;
inline constexpr std::size_t text_block_text = 0x1A0;

// Defines the engine's and the game's classes with their script functions from the layout table.
// Call after reset().
void install(const LayoutTable& layout = default_layout());

// The game's own write of a property of a class: at the installed layout's offset, at most the
// property's width; nothing when the (patched) game has no such property.
void write_property(UObject* object, StringView cls, StringView property, const void* value,
                    std::size_t size);
template <class T>
void write_property(UObject* object, StringView cls, StringView property, T value) {
    write_property(object, cls, property, &value, sizeof(T));
}

struct SlotFields {
    std::int32_t pos = 0;
    std::int32_t current = 0;
    std::int32_t previous = 0;
    std::int32_t amount = 1;
    std::uint8_t skip = 0;
    std::int32_t trader_index = 0;
    std::uint8_t show = 1;
};
UObject* new_slot_data(StringView name, const SlotFields& fields, UObject* outer = nullptr);
void set_slot_fields(UObject* slot_data, const SlotFields& fields);

// A base config object with its base value at the game's offset.
UObject* new_base_config(StringView name, std::int32_t base_value);
// An object that answers GetBaseConfigByPos from its own table.
UObject* new_inventory_base(StringView name, UObject* outer = nullptr);
void set_base_config(UObject* inventory_base, std::int32_t pos, UObject* config);

// Text blocks: what the game sets goes through the engine's SetText, hooks included.
UObject* new_text_block(StringView name, UObject* outer);
void set_text(UObject* text_block, StringView text);
String text_of(UObject* text_block);
// Runs inside every SetText, after the text is stored and before the hooks: the engine may run
// other script functions on the same thread there. Empty to stop.
void on_set_text(std::function<void(UObject* text_block)> during);
struct SlateColor {
    std::array<float, 4> rgba;
    std::uint8_t rule;
    std::array<std::uint8_t, 3> padding;
};
// The colour the last SetColorAndOpacity left, if any ran.
std::optional<SlateColor> color_of(UObject* text_block);

// TradingBalanceInventory: the slot data objects UpdateInventory returns.
void set_balance_slots(UObject* balance_inventory, std::vector<UObject*> slots);
// Overrides of the returned array header, to make it implausible.
struct ArrayHeaderOverride {
    std::optional<std::int32_t> count;
    std::optional<std::int32_t> capacity;
    bool null_data = false;
};
void set_balance_array_override(UObject* balance_inventory, ArrayHeaderOverride header);
// The game runs UpdateInventory on the balance inventory.
void update_inventory(UObject* balance_inventory);
// The game runs UpdateInventory with no return value storage.
void update_inventory_without_result(UObject* balance_inventory);

// DiscreteItemViewWidget: the game runs SetListItemsBP with these entries (nulls allowed).
void set_list_items(UObject* list, std::vector<UObject*> items);
// What GetNumItems reports instead of the entry count.
void set_list_count_override(UObject* list, std::optional<std::int32_t> count);
// The game runs GetItemAt on the list.
UObject* get_item_at(UObject* list, std::int32_t index);

struct TArrayHeader {
    UObject** data;
    std::int32_t count;
    std::int32_t capacity;
};
} // namespace simhost::game
