// The game's memory as the mod reads it: every byte offset of the game's and the engine's objects
// and every parameter block the mod builds for a script call. Offsets are from the start of the
// object, little-endian, pointers 8 bytes. The mod only reads these objects and never owns them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace tallyglass {
namespace offsets {
// InventorySlotData: one item entry of a list or a balance section.
inline constexpr std::size_t slot_pos = 40;
inline constexpr std::size_t slot_current = 84;
inline constexpr std::size_t slot_previous = 88;
inline constexpr std::size_t slot_amount = 112;
inline constexpr std::size_t slot_skip = 160;
inline constexpr std::size_t slot_trader_index = 164;
inline constexpr std::size_t slot_show = 168;
// The base config object GetBaseConfigByPos returns.
inline constexpr std::size_t config_base_value = 128;
// TradingBalanceInventory: m_InventoryBaseTrading.
inline constexpr std::size_t balance_inventory_base_trading = 880;
// W_Inventory_Main_C inside a W_TradingInventory: InventoryBase and InventoryBaseTrading.
inline constexpr std::size_t inventory_main_base = 0x5D8;
inline constexpr std::size_t inventory_main_base_trading = 0x5E0;
// W_Inventory_Slot_C: its InventorySlotData.
inline constexpr std::size_t slot_widget_data = 0x560;
// TextBlock: its Text property, an engine FText.
inline constexpr std::size_t text_block_text = 0x1A0;
} // namespace offsets

// Reads a field of a game object at a byte offset.
template <class T> T read_field(const void* object, std::size_t offset) {
    T value;
    std::memcpy(&value, static_cast<const std::byte*>(object) + offset, sizeof(T));
    return value;
}

// The numbers of a slot data object that rows and row lines carry.
struct SlotFields {
    std::int32_t pos;
    std::int32_t current;
    std::int32_t previous;
    std::int32_t amount;
    std::int32_t trader_index;
    bool show;
};

inline bool slot_skipped(const void* slot_data) {
    return read_field<std::uint8_t>(slot_data, offsets::slot_skip) != 0;
}

inline SlotFields read_slot_fields(const void* slot_data) {
    return {read_field<std::int32_t>(slot_data, offsets::slot_pos),
            read_field<std::int32_t>(slot_data, offsets::slot_current),
            read_field<std::int32_t>(slot_data, offsets::slot_previous),
            read_field<std::int32_t>(slot_data, offsets::slot_amount),
            read_field<std::int32_t>(slot_data, offsets::slot_trader_index),
            read_field<std::uint8_t>(slot_data, offsets::slot_show) != 0};
}

// The engine's dynamic array, as UpdateInventory returns it.
struct ArrayHeader {
    const void* data;
    std::int32_t count;
    std::int32_t capacity;
};

inline ArrayHeader read_array_header(const void* array) {
    return {read_field<const void*>(array, 0), read_field<std::int32_t>(array, 8),
            read_field<std::int32_t>(array, 12)};
}

// The parameter blocks of script calls are the game's own: their shapes are bound at start
// (bindings.hpp) and built in a buffer of that size, never as a fixed struct.
} // namespace tallyglass
