#include "ui/names.hpp"

namespace tallyglass {
bool contains_text(StringView haystack, StringView needle) {
    if (needle.size() > haystack.size()) {
        return false;
    }
    return haystack.find(needle) != StringView::npos;
}

TradeSide trade_side_from_name(StringView name) {
    struct Marker {
        StringView text;
        TradeSide side;
    };
    // Balance sections come first: their names may also hold an inventory marker.
    static constexpr Marker markers[] = {
        {STR("W_Trading_BalanceSection_Buy"), TradeSide::Buy},
        {STR("W_Trading_BalanceSection_Sell"), TradeSide::Sell},
        {STR("W_TradingInventory_Buy"), TradeSide::Buy},
        {STR("W_TradingInventory_Sell"), TradeSide::Sell},
    };
    for (const auto& marker : markers) {
        if (contains_text(name, marker.text)) {
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
