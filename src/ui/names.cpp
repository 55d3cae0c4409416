#include "ui/names.hpp"

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
    if (m == 0) {
        return true;
    }
    if (m >= 256) {
        return contains_text(haystack, pattern);
    }
    const Char last = pattern[m - 1];
    for (std::size_t end = m - 1; end < haystack.size(); end += skip[low_byte(haystack[end])]) {
        if (haystack[end] == last && haystack.compare(end + 1 - m, m - 1, pattern, 0, m - 1) == 0) {
            return true;
        }
    }
    return false;
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
