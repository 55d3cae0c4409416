// Trade sides and the name tests of the trading screen. Pure: works on full names only.
#pragma once

#include <cstdint>

#include "host/text.hpp"

namespace tallyglass {
enum class TradeSide : std::int32_t { Buy = 0, Sell = 1, Other = 2 };

// Exact, case-sensitive substring test on 16-bit code units; an empty needle always matches.
bool contains_text(StringView haystack, StringView needle);

// A fixed pattern searched for in many names, the most frequent work of the mod: gives the same
// answer as contains_text, but tests eight positions at a time for the pattern's first and last
// code unit before comparing the rest (on x86-64; elsewhere it is contains_text).
class TextPattern {
public:
    constexpr explicit TextPattern(StringView text) : pattern(text) {}
    constexpr StringView text() const { return pattern; }
    bool found_in(StringView haystack) const;

private:
    StringView pattern;
};

// The full name of a slot data object: it holds "InventorySlotData".
bool is_slot_data(StringView full_name);

// The first of the balance-section, then inventory markers found in the name decides.
TradeSide trade_side_from_name(StringView name);
// "trade-buy", "trade-sell", or "other" for any other value.
const Char* trade_side_name(TradeSide side);
} // namespace tallyglass
