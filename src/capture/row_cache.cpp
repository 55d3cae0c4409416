#include "capture/row_cache.hpp"

#include <algorithm>

#include "game/layout.hpp"
#include "game/limits.hpp"

namespace tallyglass {
namespace {
// Rows age by capture passes rather than time: a row is found while it was written no more
// than the row lifetime in generations ago. The subtraction is in 64 bits so that a counter near
// the bottom of its range cannot wrap.
bool is_fresh(const ItemRow& row, std::int32_t capture_generation) {
    return static_cast<std::int64_t>(row.generation) >=
           static_cast<std::int64_t>(capture_generation) - limits::row_lifetime;
}
} // namespace

void record_row(std::vector<ItemRow>& rows, std::int32_t capture_generation, const void* slot_data,
                TradeSide side, std::int32_t pos, std::int32_t current, std::int32_t amount,
                std::int32_t base, std::int32_t trader_index, RowSource source, String item) {
    std::erase_if(rows, [&](const ItemRow& row) { return !is_fresh(row, capture_generation); });

    auto same = std::find_if(rows.begin(), rows.end(), [&](const ItemRow& row) {
        return row.slot_data == slot_data ||
               (row.side == side && row.pos == pos && row.trader_index == trader_index &&
                row.source == source);
    });
    ItemRow fresh{slot_data, side, capture_generation, pos,    current,
                  amount,    base, trader_index,       source, std::move(item)};
    if (same != rows.end()) {
        // Rewriting keeps the row's place in the sequence.
        *same = std::move(fresh);
        return;
    }
    if (rows.size() >= limits::max_cached_rows) {
        rows.erase(rows.begin());
    }
    rows.push_back(std::move(fresh));
}

const ItemRow* find_row(const std::vector<ItemRow>& rows, std::int32_t capture_generation,
                        TradeSide side, const void* slot_data) {
    if (!slot_data) {
        return nullptr;
    }
    for (const auto& row : rows) {
        if (is_fresh(row, capture_generation) && row.side == side && row.slot_data == slot_data) {
            return &row;
        }
    }
    // The game may have replaced the slot data object: fall back to its position and index.
    auto pos = read_field<std::int32_t>(slot_data, offsets::slot_pos);
    auto trader_index = read_field<std::int32_t>(slot_data, offsets::slot_trader_index);
    for (const auto& row : rows) {
        if (is_fresh(row, capture_generation) && row.side == side && row.pos == pos &&
            row.trader_index == trader_index) {
            return &row;
        }
    }
    return nullptr;
}

const ItemRow* find_row_by_current(const std::vector<ItemRow>& rows,
                                   std::int32_t capture_generation, TradeSide side,
                                   std::int32_t observed) {
    const ItemRow* last = nullptr;
    for (const auto& row : rows) {
        if (!is_fresh(row, capture_generation) || row.side != side || row.current != observed) {
            continue;
        }
        // Rows that show the same number but disagree on the base cannot be told apart.
        if (last && last->base != row.base) {
            return nullptr;
        }
        last = &row;
    }
    return last;
}

const Char* row_source_name(RowSource source) {
    return source == RowSource::Offer ? STR("offer") : STR("left-list");
}
} // namespace tallyglass
