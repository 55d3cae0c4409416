#include "capture/row_cache.hpp"

#include <algorithm>

#include "game/layout.hpp"
#include "game/limits.hpp"

namespace tallyglass {
namespace {
// Rows age by capture passes rather than time: a row is found while it was written no more
// than the row lifetime in generations ago. The subtraction is in 64 bits so that a counter near
// the bottom of its range cannot wrap.
bool is_fresh(std::int32_t generation, std::int32_t capture_generation) {
    return static_cast<std::int64_t>(generation) >=
           static_cast<std::int64_t>(capture_generation) - limits::row_lifetime;
}

// A third of the cache: the storage never holds more than that many dead rows besides the live
// ones, and each live row moves once per that many insertions.
constexpr std::size_t longest_dead_run = limits::max_cached_rows / 3;
} // namespace

void RowCache::clear() {
    storage.clear();
    dead = 0;
    oldest_generation = std::numeric_limits<std::int32_t>::max();
}

void RowCache::shrink_to_fit() {
    drop_dead_run();
    storage.shrink_to_fit();
}

void RowCache::drop_dead_run() {
    storage.erase(storage.begin(), storage.begin() + static_cast<std::ptrdiff_t>(dead));
    dead = 0;
}

void RowCache::drop_front() {
    // The row's name goes now, not when the dead run does.
    storage[dead].item = String();
    if (++dead >= longest_dead_run) {
        drop_dead_run();
    }
}

void RowCache::drop_stale(std::int32_t capture_generation) {
    if (is_fresh(oldest_generation, capture_generation)) {
        return;
    }
    drop_dead_run();
    std::erase_if(
        storage, [&](const ItemRow& row) { return !is_fresh(row.generation, capture_generation); });
    oldest_generation = std::numeric_limits<std::int32_t>::max();
    for (const ItemRow& row : storage) {
        oldest_generation = std::min(oldest_generation, row.generation);
    }
}

void record_row(RowCache& rows, std::int32_t capture_generation, const void* slot_data,
                TradeSide side, std::int32_t pos, std::int32_t current, std::int32_t amount,
                std::int32_t base, std::int32_t trader_index, RowSource source, String item) {
    rows.drop_stale(capture_generation);
    ItemRow fresh{slot_data, side, capture_generation, pos,    current,
                  amount,    base, trader_index,       source, std::move(item)};
    rows.oldest_generation = std::min(rows.oldest_generation, capture_generation);
    auto live = rows.storage.begin() + static_cast<std::ptrdiff_t>(rows.dead);
    auto same = std::find_if(live, rows.storage.end(), [&](const ItemRow& row) {
        return row.slot_data == slot_data ||
               (row.side == side && row.pos == pos && row.trader_index == trader_index &&
                row.source == source);
    });
    if (same != rows.storage.end()) {
        // Rewriting keeps the row's place in the sequence.
        *same = std::move(fresh);
        return;
    }
    if (rows.size() >= limits::max_cached_rows) {
        rows.drop_front();
    }
    rows.storage.push_back(std::move(fresh));
}

const ItemRow* find_row(const RowCache& rows, std::int32_t capture_generation, TradeSide side,
                        const void* slot_data) {
    if (!slot_data) {
        return nullptr;
    }
    // One scan for both keys: a row of the same slot data wins wherever it stands; else the
    // first row of the same position and index, since the game may have replaced the object.
    const auto pos = read_field<std::int32_t>(slot_data, offsets::slot_pos);
    const auto trader_index = read_field<std::int32_t>(slot_data, offsets::slot_trader_index);
    const ItemRow* by_position = nullptr;
    for (const auto& row : rows) {
        if (row.side != side || !is_fresh(row.generation, capture_generation)) {
            continue;
        }
        if (row.slot_data == slot_data) {
            return &row;
        }
        if (!by_position && row.pos == pos && row.trader_index == trader_index) {
            by_position = &row;
        }
    }
    return by_position;
}

const ItemRow* find_row_by_current(const RowCache& rows, std::int32_t capture_generation,
                                   TradeSide side, std::int32_t observed) {
    const ItemRow* last = nullptr;
    for (const auto& row : rows) {
        if (row.current != observed || row.side != side ||
            !is_fresh(row.generation, capture_generation)) {
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
