#include "display/value_text.hpp"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace tallyglass {
namespace {
constexpr std::int64_t int32_max = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t int32_min = std::numeric_limits<std::int32_t>::min();

bool is_blank(Char c) {
    // Vertical tab and form feed are not blanks here: such a text is no plain number.
    return c == STR(' ') || c == STR('\t') || c == STR('\n') || c == STR('\r');
}

// The divisor of a ratio, raised to 1 so that a zero or negative one cannot blow it up.
double divisor(std::int64_t value) {
    return static_cast<double>(std::max<std::int64_t>(value, 1));
}
} // namespace

bool has_appended_value(StringView shown) {
    return shown.find(STR('(')) != StringView::npos;
}

std::optional<std::int32_t> parse_shown_value(StringView shown) {
    while (!shown.empty() && is_blank(shown.front())) {
        shown.remove_prefix(1);
    }
    while (!shown.empty() && is_blank(shown.back())) {
        shown.remove_suffix(1);
    }
    bool negative = !shown.empty() && shown.front() == STR('-');
    if (negative) {
        shown.remove_prefix(1);
    }
    if (shown.empty()) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (Char c : shown) {
        if (c < STR('0') || c > STR('9')) {
            return std::nullopt;
        }
        value = value * 10 + (c - STR('0'));
        if (value > int32_max) {
            return std::nullopt;
        }
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

std::int32_t display_base(std::int32_t base, std::int32_t base_value_percent) {
    if (base <= 0) {
        return base;
    }
    std::int64_t scaled = std::int64_t{base} * base_value_percent / 100;
    return static_cast<std::int32_t>(std::clamp(scaled, int32_min, int32_max));
}

String build_value_text(StringView shown, std::int32_t shown_base) {
    // " (", at most 11 characters of the value, ")": one allocation at most.
    String out;
    out.reserve(shown.size() + 14);
    out += shown;
    out += STR(" (");
    append_text(out, shown_base);
    out += STR(')');
    return out;
}

std::int32_t heatmap_distance(std::int32_t observed, std::int32_t shown_base) {
    std::int64_t d = std::llabs(std::int64_t{observed} - shown_base);
    std::int64_t b = std::llabs(std::int64_t{shown_base});
    double x = static_cast<double>(d) * 100.0 / divisor(b) + 0.5;
    if (x > 2147483647.0) {
        x = 2147483647.0;
    }
    return static_cast<std::int32_t>(x);
}

LinearColor blend(const LinearColor& a, const LinearColor& b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    // The difference stays in single precision, as the engine's own colour maths does.
    auto channel = [t](float from, float to) {
        float difference = to - from;
        return static_cast<float>(static_cast<double>(from) + static_cast<double>(difference) * t);
    };
    return {channel(a.R, b.R), channel(a.G, b.G), channel(a.B, b.B), channel(a.A, b.A)};
}

LinearColor heatmap_color(const Config& config, TradeSide side, std::int32_t observed,
                          std::int32_t shown_base, std::int32_t distance) {
    double distance_factor =
        static_cast<double>(distance) / divisor(config.HeatmapMaxDistancePercent);
    if (config.HeatmapMode == HeatmapColorMode::Neutral) {
        return blend(config.HeatmapNearColor, config.HeatmapFarColor, distance_factor);
    }
    if (side == TradeSide::Sell) {
        if (observed == 0) {
            return config.HeatmapZeroColor;
        }
        if (observed >= shown_base) {
            return config.HeatmapGoodColor;
        }
        // A sale is judged by how much of the value it fetches, not by how far it is off.
        return blend(config.HeatmapNeutralColor, config.HeatmapGoodColor,
                     static_cast<double>(observed) / divisor(shown_base));
    }
    if (side == TradeSide::Buy) {
        if (observed == shown_base) {
            return config.HeatmapNeutralColor;
        }
        const LinearColor& end =
            observed < shown_base ? config.HeatmapGoodColor : config.HeatmapBadColor;
        return blend(config.HeatmapNeutralColor, end, distance_factor);
    }
    return config.HeatmapNeutralColor;
}
} // namespace tallyglass
