// The item row cache: captured item entries, aged by capture generation, found again by slot
// data object, by position and trader index, or by the value shown. Pure: the slot data object
// is only compared, and read for its position and trader index.
#pragma once

#include <cstdint>
#include <vector>

#include "host/text.hpp"
#include "ui/names.hpp"

namespace tallyglass {
enum class RowSource : std::uint8_t { LeftList = 0, Offer = 1 };

struct ItemRow {
    const void* slot_data;
    TradeSide side;
    std::int32_t generation;
    std::int32_t pos;
    std::int32_t current;
    std::int32_t amount;
    std::int32_t base;
    std::int32_t trader_index;
    RowSource source;
    String item;
};

void record_row(std::vector<ItemRow>& rows, std::int32_t capture_generation, const void* slot_data,
                TradeSide side, std::int32_t pos, std::int32_t current, std::int32_t amount,
                std::int32_t base, std::int32_t trader_index, RowSource source, String item);

// The returned pointer is valid until the next record_row.
const ItemRow* find_row(const std::vector<ItemRow>& rows, std::int32_t capture_generation,
                        TradeSide side, const void* slot_data);
const ItemRow* find_row_by_current(const std::vector<ItemRow>& rows,
                                   std::int32_t capture_generation, TradeSide side,
                                   std::int32_t observed);

const Char* row_source_name(RowSource source);
} // namespace tallyglass
