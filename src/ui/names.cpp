#include "ui/names.hpp"

#include <bit>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace tallyglass {
bool contains_text(StringView haystack, StringView needle) {
    if (needle.size() > haystack.size()) {
        return false;
    }
    return haystack.find(needle) != StringView::npos;
}

bool TextPattern::found_in(StringView haystack) const {
    const std::size_t m = pattern.size();
    if (m > haystack.size()) {
        return false;
    }
    if (m < 2) {
        return contains_text(haystack, pattern);
    }
    std::size_t start = 0; // the first position not yet tested
#if defined(__SSE2__) || defined(_M_X64)
    static_assert(sizeof(Char) == 2, "eight 16-bit code units to a vector");
    const __m128i first = _mm_set1_epi16(static_cast<short>(pattern.front()));
    const __m128i last = _mm_set1_epi16(static_cast<short>(pattern.back()));
    // Two mask bits per code unit: of the eight positions from `at`, those where the pattern's
    // first and last unit fit.
    auto candidates = [&](std::size_t at) {
        const Char* unit = haystack.data() + at;
        const __m128i starts = _mm_loadu_si128(reinterpret_cast<const __m128i*>(unit));
        const __m128i ends = _mm_loadu_si128(reinterpret_cast<const __m128i*>(unit + m - 1));
        return static_cast<unsigned>(_mm_movemask_epi8(
            _mm_and_si128(_mm_cmpeq_epi16(starts, first), _mm_cmpeq_epi16(ends, last))));
    };
    // Sixteen positions at a time, while the last unit of the last of them is in range.
    for (; start + m + 15 <= haystack.size(); start += 16) {
        for (std::uint32_t mask = candidates(start) | candidates(start + 8) << 16; mask != 0;) {
            const int bit = std::countr_zero(mask);
            mask &= ~(3u << bit);
            const std::size_t at = start + static_cast<std::size_t>(bit) / 2;
            if (std::memcmp(haystack.data() + at + 1, pattern.data() + 1, (m - 2) * sizeof(Char)) ==
                0) {
                return true;
            }
        }
    }
#endif
    return contains_text(haystack.substr(start), pattern);
}

bool is_slot_data(StringView full_name) {
    static constexpr TextPattern marker(STR("InventorySlotData"));
    return marker.found_in(full_name);
}

TradeSide trade_side_from_name(StringView name) {
    struct Marker {
        TextPattern pattern;
        TradeSide side;
    };
    // Balance sections come first: their names may also hold an inventory marker.
    static constexpr Marker markers[] = {
        {TextPattern(STR("W_Trading_BalanceSection_Buy")), TradeSide::Buy},
        {TextPattern(STR("W_Trading_BalanceSection_Sell")), TradeSide::Sell},
        {TextPattern(STR("W_TradingInventory_Buy")), TradeSide::Buy},
        {TextPattern(STR("W_TradingInventory_Sell")), TradeSide::Sell},
    };
    for (const auto& marker : markers) {
        if (marker.pattern.found_in(name)) {
            return marker.side;
        }
    }
    return TradeSide::Other;
}

const Char* trade_side_name(TradeSide side) {
    switch (static_cast<std::int32_t>(side)) {
    case 0:
        return STR("trade-buy");
    case 1:
        return STR("trade-sell");
    default:
        return STR("other");
    }
}
} // namespace tallyglass
