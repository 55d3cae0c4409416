// The item row cache: matching on record, ageing by generation, eviction, and both lookups.
#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "capture/row_cache.hpp"
#include "game/layout.hpp"
#include "game/limits.hpp"

namespace {
using tallyglass::ItemRow;
using tallyglass::RowSource;
using tallyglass::TradeSide;

// Enough of a slot data object for the second pass of find_row.
struct FakeSlot {
    alignas(8) std::array<std::byte, 176> bytes{};
    FakeSlot(std::int32_t pos = 0, std::int32_t trader_index = 0) {
        std::memcpy(bytes.data() + tallyglass::offsets::slot_pos, &pos, sizeof pos);
        std::memcpy(bytes.data() + tallyglass::offsets::slot_trader_index, &trader_index,
                    sizeof trader_index);
    }
};

struct Cache {
    tallyglass::RowCache rows;
    std::int32_t generation = 0;
    void record(const FakeSlot& slot, TradeSide side, std::int32_t pos, std::int32_t current,
                std::int32_t base, std::int32_t trader_index = 0,
                RowSource source = RowSource::Offer) {
        tallyglass::record_row(rows, generation, &slot, side, pos, current, 1, base, trader_index,
                               source, STR("item"));
    }
    const ItemRow* find(TradeSide side, const FakeSlot* slot) const {
        return tallyglass::find_row(rows, generation, side, slot);
    }
    const ItemRow* by_current(TradeSide side, std::int32_t observed) const {
        return tallyglass::find_row_by_current(rows, generation, side, observed);
    }
};

TEST(RowCache, RowsAgeAfterThirtyGenerations) {
    Cache cache;
    FakeSlot a, b(1);
    cache.generation = 5;
    cache.record(a, TradeSide::Buy, 0, 10, 8);
    cache.generation = 35;
    EXPECT_NE(cache.find(TradeSide::Buy, &a), nullptr);
    EXPECT_NE(cache.by_current(TradeSide::Buy, 10), nullptr);
    cache.generation = 36;
    EXPECT_EQ(cache.find(TradeSide::Buy, &a), nullptr);
    EXPECT_EQ(cache.by_current(TradeSide::Buy, 10), nullptr);
    ASSERT_EQ(cache.rows.size(), 1u) << "stale rows stay until the next record";
    cache.record(b, TradeSide::Buy, 1, 10, 8);
    ASSERT_EQ(cache.rows.size(), 1u);
    EXPECT_EQ(cache.rows[0].slot_data, &b);
    EXPECT_EQ(cache.rows[0].generation, 36);
    // Rows age again after the sweep: the next record past their lifetime drops them too.
    cache.generation = 67;
    cache.record(a, TradeSide::Buy, 0, 10, 8);
    ASSERT_EQ(cache.rows.size(), 1u);
    EXPECT_EQ(cache.rows[0].slot_data, &a);
}

TEST(RowCache, RecordingMatchesBySlotDataOrByKey) {
    FakeSlot a, b, c(7);
    struct Case {
        const char* name;
        const FakeSlot* second; // recorded after `a` and `c`
        TradeSide side;
        RowSource source;
        std::vector<const void*> order; // slot data of the rows afterwards
    };
    const Case cases[] = {
        {"same slot data, other side", &a, TradeSide::Sell, RowSource::Offer, {&a, &c}},
        {"same side, pos, index and source", &b, TradeSide::Buy, RowSource::Offer, {&b, &c}},
        {"other source", &b, TradeSide::Buy, RowSource::LeftList, {&a, &c, &b}},
    };
    for (const auto& k : cases) {
        Cache cache;
        cache.record(a, TradeSide::Buy, 0, 10, 8);
        cache.record(c, TradeSide::Buy, 7, 20, 9);
        tallyglass::record_row(cache.rows, 3, k.second, k.side, 0, 11, 2, 5, 0, k.source,
                               STR("second"));
        std::vector<const void*> order;
        for (const auto& row : cache.rows) {
            order.push_back(row.slot_data);
        }
        EXPECT_EQ(order, k.order) << k.name;
        const ItemRow& first = cache.rows[0];
        if (k.order.size() == 2) { // rewritten in place, every field
            EXPECT_EQ(first.side, k.side) << k.name;
            EXPECT_EQ(first.generation, 3) << k.name;
            EXPECT_EQ(first.current, 11) << k.name;
            EXPECT_EQ(first.amount, 2) << k.name;
            EXPECT_EQ(first.base, 5) << k.name;
            EXPECT_EQ(tallyglass::to_utf8(first.item), "second") << k.name;
        } else {
            FakeSlot replaced(0, 0);
            EXPECT_EQ(cache.find(TradeSide::Buy, &replaced), &first) << k.name << ": first wins";
        }
    }
}

TEST(RowCache, EvictsTheOldestInsertionAt384Rows) {
    constexpr std::size_t full = tallyglass::limits::max_cached_rows;
    Cache cache;
    std::vector<FakeSlot> slots(2 * full);
    for (std::size_t i = 0; i < full; ++i) {
        cache.record(slots[i], TradeSide::Buy, static_cast<std::int32_t>(i), 1, 1);
    }
    cache.record(slots[0], TradeSide::Buy, 0, 2, 2); // a rewrite keeps its place
    cache.record(slots[full], TradeSide::Buy, 999, 1, 1);
    ASSERT_EQ(cache.rows.size(), full);
    EXPECT_EQ(cache.rows.front().slot_data, &slots[1]);
    EXPECT_EQ(cache.rows.back().slot_data, &slots[full]);
    // Many more: each goes in at the end and the oldest leaves, in order.
    for (std::size_t i = full + 1; i < slots.size(); ++i) {
        cache.record(slots[i], TradeSide::Buy, static_cast<std::int32_t>(i), 1, 1);
    }
    ASSERT_EQ(cache.rows.size(), full);
    for (std::size_t i = 0; i < full; ++i) {
        ASSERT_EQ(cache.rows[i].slot_data, &slots[full + i]) << "row " << i;
    }
    EXPECT_EQ(cache.find(TradeSide::Buy, &slots[full - 1]), nullptr) << "gone";
    EXPECT_EQ(cache.find(TradeSide::Buy, &slots[full]), &cache.rows[0]);
    // A slot whose row has just left comes back as a new row at the end, never into the row that
    // left: round the cache's size and one more, each slot's row is always the oldest to go.
    std::vector<FakeSlot> again(full + 1);
    for (std::size_t i = 0; i < 3 * again.size(); ++i) {
        FakeSlot& slot = again[i % again.size()];
        cache.record(slot, TradeSide::Sell, static_cast<std::int32_t>(i), 1, 1);
        ASSERT_EQ(cache.find(TradeSide::Sell, &slot), &cache.rows.back()) << "record " << i;
    }
}

// By slot data, then by position and trader index; by the shown number, when one base fits.
TEST(RowCache, BothLookups) {
    Cache cache;
    FakeSlot a(4, 2), replaced(4, 2), other(4, 3), b(1), c(2), d(3);
    EXPECT_EQ(cache.find(TradeSide::Buy, &a), nullptr) << "empty cache";
    EXPECT_EQ(cache.by_current(TradeSide::Buy, 10), nullptr) << "empty cache";
    cache.record(d, TradeSide::Sell, 3, 10, 99);
    cache.record(a, TradeSide::Buy, 4, 10, 8, 2);
    cache.record(b, TradeSide::Buy, 1, 10, 8);
    EXPECT_EQ(cache.find(TradeSide::Buy, &a), &cache.rows[1]);
    EXPECT_EQ(cache.find(TradeSide::Buy, &replaced), &cache.rows[1]);
    EXPECT_EQ(cache.find(TradeSide::Sell, &replaced), nullptr);
    EXPECT_EQ(cache.find(TradeSide::Buy, &other), nullptr);
    EXPECT_EQ(cache.find(TradeSide::Buy, nullptr), nullptr);
    EXPECT_EQ(cache.by_current(TradeSide::Buy, 10), &cache.rows[2]) << "the later of equal rows";
    EXPECT_EQ(cache.by_current(TradeSide::Buy, 11), nullptr);
    cache.record(c, TradeSide::Buy, 2, 10, 9);
    EXPECT_EQ(cache.by_current(TradeSide::Buy, 10), nullptr) << "bases differ";
    EXPECT_EQ(cache.by_current(TradeSide::Sell, 10), &cache.rows[0]);
}
} // namespace
