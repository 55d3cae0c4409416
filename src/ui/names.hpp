// Trade sides and the name tests of the trading screen. Pure: works on full names only.
#pragma once

#include <cstdint>

#include "host/text.hpp"

namespace tallyglass {
enum class TradeSide : std::int32_t { Buy = 0, Sell = 1, Other = 2 };

// Exact, case-sensitive substring test on 16-bit code units; an empty needle always matches.
bool contains_text(StringView haystack, StringView needle);

// The first of the balance-section, then inventory markers found in the name decides.
TradeSide trade_side_from_name(StringView name);
// "trade-buy", "trade-sell", or "other" for any other value.
const Char* trade_side_name(TradeSide side);
} // namespace tallyglass
