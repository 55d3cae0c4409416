// Prices against base values on each side of a trade, and the percent that puts the median item
// at that side's neutral point.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <ostream>

#include "config/config.hpp"
#include "display/value_text.hpp"
#include "printable.hpp"
#include "replay.hpp"

namespace sim {
namespace {
constexpr const char* ratio_names[] = {"lowest", "lower_quartile", "median", "upper_quartile",
                                       "highest"};

double ratio(const ScenarioItem& item) {
    return static_cast<double>(item.price) / static_cast<double>(*item.base);
}

// The shown value is base * percent / 100, truncated: buying, the lowest percent at which it
// reaches the price; selling, the highest at which it stays at or below the price.
std::int32_t neutral_percent(const ScenarioItem& item, bool buying) {
    const std::int64_t price = item.price;
    const std::int64_t base = *item.base;
    std::int64_t percent = 0;
    if (buying && price > 0) {
        percent = (100 * price + base - 1) / base;
    } else if (!buying && price >= 0) {
        percent = (100 * (price + 1) - 1) / base;
    }
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(percent, 0, tallyglass::max_percent));
}

SideStats side_stats(const std::vector<ScenarioItem>& list, const std::vector<ScenarioItem>& offer,
                     bool buying) {
    std::vector<const ScenarioItem*> items;
    for (const auto* panel : {&list, &offer}) {
        for (const ScenarioItem& item : *panel) {
            if (item.base && *item.base > 0) {
                items.push_back(&item);
            }
        }
    }
    std::stable_sort(items.begin(), items.end(), [](const ScenarioItem* a, const ScenarioItem* b) {
        return ratio(*a) < ratio(*b);
    });
    SideStats out;
    out.items = static_cast<std::int32_t>(items.size());
    if (items.empty()) {
        return out;
    }
    for (std::size_t k = 0; k < out.ratios.size(); ++k) {
        out.ratios[k] = ratio(*items[(items.size() - 1) * k / 4]);
    }
    out.median = *items[(items.size() - 1) / 2];
    out.percent = neutral_percent(out.median, buying);
    out.shown = tallyglass::display_base(*out.median.base, out.percent);
    return out;
}

std::string two_places(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

std::string verdict(const SideStats& side, bool buying) {
    const std::int32_t price = side.median.price;
    if (buying) {
        if (side.shown == price) {
            return "the neutral colour";
        }
        return side.shown > price ? "just above its price; no percent shows it exactly"
                                  : "still below its price at the largest percent";
    }
    return side.shown <= price ? "a fully good sale at this percent and below"
                               : "above its price even at 0";
}

void write_side(std::ostream& out, const char* name, const SideStats& side, bool buying) {
    out << "  " << name << ": ";
    if (side.items == 0) {
        out << "no item with a base value above 0.\n";
        return;
    }
    const auto& r = side.ratios;
    out << side.items << (side.items == 1 ? " item" : " items") << "; lowest " << two_places(r[0])
        << ", quartiles " << two_places(r[1]) << " and " << two_places(r[3]) << ", median "
        << two_places(r[2]) << ", highest " << two_places(r[4])
        << "\n    BaseValuePercent=" << side.percent << " shows the median item, "
        << printable(side.median.item) << " (price " << side.median.price << ", base "
        << *side.median.base << "), as " << side.shown << ": " << verdict(side, buying) << ".\n";
}

nlohmann::json side_json(const SideStats& side) {
    if (side.items == 0) {
        return {{"items", 0},
                {"ratio", nullptr},
                {"median_item", nullptr},
                {"percent", nullptr},
                {"shown", nullptr}};
    }
    nlohmann::json ratios = nlohmann::json::object();
    for (std::size_t k = 0; k < side.ratios.size(); ++k) {
        ratios[ratio_names[k]] = std::round(side.ratios[k] * 10000.0) / 10000.0;
    }
    return {
        {"items", side.items},
        {"ratio", ratios},
        {"median_item",
         {{"item", side.median.item}, {"price", side.median.price}, {"base", *side.median.base}}},
        {"percent", side.percent},
        {"shown", side.shown}};
}
} // namespace

PriceStats price_stats(const Scenario& scenario) {
    return {side_stats(scenario.trader, scenario.offer_buy, true),
            side_stats(scenario.player, scenario.offer_sell, false)};
}

void write_price_stats(std::ostream& out, const PriceStats& stats) {
    out << "Prices against base values (price / base of each item with a base above 0):\n";
    write_side(out, "buying", stats.buy, true);
    write_side(out, "selling", stats.sell, false);
}

nlohmann::json price_stats_json(const PriceStats& stats) {
    return {{"buy", side_json(stats.buy)}, {"sell", side_json(stats.sell)}};
}
} // namespace sim
