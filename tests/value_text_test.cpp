// The value text and the heatmap colour, without a host.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "display/value_text.hpp"
#include "support.hpp"

namespace {
using namespace tallyglass;
using testing_support::utf8;
using testing_support::wide;

constexpr std::int32_t int32_max = std::numeric_limits<std::int32_t>::max();

// A channel rounded to five decimals, as a whole number of hundred-thousandths.
long five(float channel) {
    return std::lround(static_cast<double>(channel) * 100000.0);
}

Config mode(HeatmapColorMode heatmap_mode, std::int32_t max_distance = 100) {
    Config config;
    config.HeatmapMode = heatmap_mode;
    config.HeatmapMaxDistancePercent = max_distance;
    return config;
}

LinearColor midpoint(const LinearColor& a, const LinearColor& b) {
    return {(a.R + b.R) / 2, (a.G + b.G) / 2, (a.B + b.B) / 2, (a.A + b.A) / 2};
}

TEST(ValueText, ShownTexts) {
    struct Case {
        const char* name;
        const char* text;
        std::optional<std::int32_t> value;
        bool appended = false; // carries a value already: it holds "("
    };
    const Case cases[] = {
        {"plain", "120", 120},
        {"blanks and line end around", "  1250\r\n", 1250},
        {"one blank after", "120 ", 120},
        {"negative", "-40", -40},
        {"leading zeros", "007", 7},
        {"largest", "2147483647", 2147483647},
        {"lowest accepted", "-2147483647", -2147483647},
        {"one above largest", "2147483648", std::nullopt},
        {"one above largest, negative", "-2147483648", std::nullopt},
        {"group separator", "1,250", std::nullopt},
        {"plus sign", "+5", std::nullopt},
        {"blank after minus", "- 40", std::nullopt},
        {"lone minus", "-", std::nullopt},
        {"empty", "", std::nullopt},
        {"blanks only", " \t\r\n", std::nullopt},
        {"unit after", "120 g", std::nullopt},
        {"vertical tab is not a blank", "\v120", std::nullopt},
        {"extended", "120 (99)", std::nullopt, true},
        {"parenthesis without number", "Sold (out)", std::nullopt, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parse_shown_value(wide(c.text)), c.value) << c.name;
        EXPECT_EQ(has_appended_value(wide(c.text)), c.appended) << c.name;
    }
}

TEST(ValueText, DisplayBaseAndNewText) {
    struct Case {
        const char* name;
        std::int32_t base, percent, expected;
        const char* shown; // the new text keeps it as it was, blanks included
        const char* text;
    };
    const Case cases[] = {
        {"truncated", 133, 75, 99, " 120 ", " 120  (99)"},
        {"below one", 1, 75, 0, "0", "0 (0)"},
        {"capped", int32_max, 200, int32_max, "1", "1 (2147483647)"},
        {"zero base", 0, 75, 0, "5", "5 (0)"},
        {"zero percent", 500, 0, 0, "5", "5 (0)"},
        {"whole percent", 133, 100, 133, "120", "120 (133)"},
        {"negative base kept", -7, 75, -7, "3", "3 (-7)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(display_base(c.base, c.percent), c.expected) << c.name;
        EXPECT_EQ(utf8(build_value_text(wide(c.shown), c.expected)), c.text) << c.name;
    }
}

TEST(ValueText, HeatmapDistance) {
    struct Case {
        const char* name;
        std::int32_t observed, base, expected;
    };
    const Case cases[] = {
        {"above", 120, 99, 21},
        {"equal", 99, 99, 0},
        {"rounded half up", 3, 2, 50},
        {"zero against zero", 0, 0, 0},
        {"one against zero", 1, 0, 100},
        {"negative against zero", -3, 0, 300},
        {"negative base taken by size", 0, -4, 100},
        {"capped", int32_max, 0, int32_max},
        {"widest gap", std::numeric_limits<std::int32_t>::min(), int32_max, 200},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(heatmap_distance(c.observed, c.base), c.expected) << c.name;
    }
}

// Worked examples to five decimals, then the ends and limits of each blend.
TEST(HeatmapColor, WorkedExamplesAndLimits) {
    const Config defaults;
    const LinearColor& neutral = defaults.HeatmapNeutralColor;
    const LinearColor& good = defaults.HeatmapGoodColor;
    const LinearColor& bad = defaults.HeatmapBadColor;
    const LinearColor& near_color = defaults.HeatmapNearColor;
    const LinearColor& far_color = defaults.HeatmapFarColor;
    const auto D = HeatmapColorMode::Directional;
    const auto N = HeatmapColorMode::Neutral;
    const auto Buy = TradeSide::Buy;
    const auto Sell = TradeSide::Sell;
    struct Case {
        const char* name;
        Config config;
        TradeSide side;
        std::int32_t observed, base;
        LinearColor expected;
    };
    const Case cases[] = {
        {"directional buy above", mode(D), Buy, 120, 99, {0.98677f, 0.84607f, 0.84607f, 1}},
        {"directional buy below", mode(D), Buy, 80, 99, {0.88296f, 0.96789f, 0.89417f, 1}},
        {"directional sell below", mode(D), Sell, 60, 99, {0.62667f, 0.89758f, 0.66242f, 1}},
        {"neutral buy", mode(N), Buy, 120, 99, {0.79488f, 0.77094f, 0.87178f, 1}},
        {"neutral sell", mode(N), Sell, 120, 99, {0.79488f, 0.77094f, 0.87178f, 1}},
        {"neutral at the value", mode(N), Buy, 99, 99, near_color},
        {"neutral at the maximum", mode(N), Sell, 200, 100, far_color},
        {"neutral beyond the maximum", mode(N), Buy, 1000, 100, far_color},
        {"neutral halfway", mode(N), Buy, 150, 100, midpoint(near_color, far_color)},
        {"neutral against a zero base", mode(N), Buy, 1, 0, far_color},
        {"neutral, maximum 0, distance 1", mode(N, 0), Buy, 101, 100, far_color},
        {"buy at the value", mode(D), Buy, 99, 99, neutral},
        {"buy at twice the value", mode(D), Buy, 198, 99, bad},
        {"buy at half the value", mode(D), Buy, 50, 100, midpoint(neutral, good)},
        {"buy far below", mode(D), Buy, -500, 100, good},
        {"buy, maximum 0, distance 1", mode(D, 0), Buy, 101, 100, bad},
        {"buy, maximum 0, at the value", mode(D, 0), Buy, 100, 100, neutral},
        {"sell at 0", mode(D), Sell, 0, 99, defaults.HeatmapZeroColor},
        {"sell at 0 against 0", mode(D), Sell, 0, 0, defaults.HeatmapZeroColor},
        {"sell at the value", mode(D), Sell, 99, 99, good},
        {"sell above the value", mode(D), Sell, 500, 99, good},
        {"sell below zero", mode(D), Sell, -5, 99, neutral},
        {"sell at half", mode(D), Sell, 50, 100, midpoint(neutral, good)},
        {"other side", mode(D), TradeSide::Other, 120, 99, neutral},
    };
    for (const auto& c : cases) {
        LinearColor got = heatmap_color(c.config, c.side, c.observed, c.base,
                                        heatmap_distance(c.observed, c.base));
        const LinearColor& want = c.expected;
        EXPECT_EQ(five(got.R), five(want.R)) << c.name << ": R";
        EXPECT_EQ(five(got.G), five(want.G)) << c.name << ": G";
        EXPECT_EQ(five(got.B), five(want.B)) << c.name << ": B";
        EXPECT_EQ(five(got.A), five(want.A)) << c.name << ": A";
    }
}
} // namespace
