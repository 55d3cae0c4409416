// The item row cache: captured item entries, aged by capture generation, found again by slot
// data object, by position and trader index, or by the value shown. Pure: the slot data object
// is only compared, and read for its position and trader index.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
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

// The rows in the order of their first insertion. A full cache drops its oldest row on every
// new one: the rows that left the front stay in the storage as a dead run, dropped in one go
// once it is long, so that no insertion moves every row.
class RowCache {
public:
    using const_iterator = std::vector<ItemRow>::const_iterator;

    std::size_t size() const { return storage.size() - dead; }
    bool empty() const { return size() == 0; }
    const ItemRow& operator[](std::size_t i) const { return storage[dead + i]; }
    const ItemRow& front() const { return storage[dead]; }
    const ItemRow& back() const { return storage.back(); }
    const_iterator begin() const { return storage.begin() + static_cast<std::ptrdiff_t>(dead); }
    const_iterator end() const { return storage.end(); }
    // The bytes of row storage held, dead run and spare capacity included.
    std::size_t storage_bytes() const { return storage.capacity() * sizeof(ItemRow); }
    void clear();
    void shrink_to_fit();

private:
    friend void record_row(RowCache& rows, std::int32_t capture_generation, const void* slot_data,
                           TradeSide side, std::int32_t pos, std::int32_t current,
                           std::int32_t amount, std::int32_t base, std::int32_t trader_index,
                           RowSource source, String item);
    void drop_stale(std::int32_t capture_generation);
    void drop_front();
    void drop_dead_run();

    std::vector<ItemRow> storage;
    std::size_t dead = 0;
    // No live row was written before this generation: while it is fresh, so is every row.
    std::int32_t oldest_generation = std::numeric_limits<std::int32_t>::max();
};

void record_row(RowCache& rows, std::int32_t capture_generation, const void* slot_data,
                TradeSide side, std::int32_t pos, std::int32_t current, std::int32_t amount,
                std::int32_t base, std::int32_t trader_index, RowSource source, String item);

// The returned pointer is valid until the next record_row.
const ItemRow* find_row(const RowCache& rows, std::int32_t capture_generation, TradeSide side,
                        const void* slot_data);
const ItemRow* find_row_by_current(const RowCache& rows, std::int32_t capture_generation,
                                   TradeSide side, std::int32_t observed);

const Char* row_source_name(RowSource source);
} // namespace tallyglass
