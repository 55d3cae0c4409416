// The game's memory layouts that the mod reads directly: slot data objects, the
// GetBaseConfigByPos parameter block, base config objects and the trading widgets' references.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace tallyglass {
namespace offsets {
inline constexpr std::size_t slot_pos = 40;
inline constexpr std::size_t slot_current = 84;
inline constexpr std::size_t slot_previous = 88;
inline constexpr std::size_t slot_amount = 112;
inline constexpr std::size_t slot_skip = 160;
inline constexpr std::size_t slot_trader_index = 164;
inline constexpr std::size_t slot_show = 168;
inline constexpr std::size_t config_base_value = 128;
inline constexpr std::size_t balance_inventory_base_trading = 880; // m_InventoryBaseTrading
inline constexpr std::size_t inventory_main_base = 0x5D8;          // InventoryBase
inline constexpr std::size_t inventory_main_base_trading = 0x5E0;  // InventoryBaseTrading
inline constexpr std::size_t slot_widget_data = 0x560;
} // namespace offsets

// Positions above this (taken as unsigned) are never handed to GetBaseConfigByPos.
inline constexpr std::uint32_t max_position = 10000;

// Reads a field of a game object at a byte offset; the object is borrowed, never owned.
template <class T> T read_field(const void* object, std::size_t offset) {
    T value;
    std::memcpy(&value, static_cast<const std::byte*>(object) + offset, sizeof(T));
    return value;
}

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

inline bool position_in_range(std::int32_t pos) {
    return static_cast<std::uint32_t>(pos) <= max_position;
}

// GetBaseConfigByPos: int32 position, four zero bytes, then the returned object pointer.
struct BaseConfigParams {
    std::int32_t pos;
    std::uint8_t zero[4];
    void* result;
};
static_assert(sizeof(BaseConfigParams) == 16 && offsetof(BaseConfigParams, result) == 8);
} // namespace tallyglass
