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

void expect_color(const LinearColor& actual, const LinearColor& expected, const char* name) {
    EXPECT_EQ(five(actual.R), five(expected.R)) << name << ": R";
    EXPECT_EQ(five(actual.G), five(expected.G)) << name << ": G";
    EXPECT_EQ(five(actual.B), five(expected.B)) << name << ": B";
    EXPECT_EQ(five(actual.A), five(expected.A)) << name << ": A";
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

TEST(ValueText, ShownNumbers) {
    struct Case {
        const char* name;
        const char* text;
        std::optional<std::int32_t> value;
    };
    const Case cases[] = {
        {"plain", "120", 120},
        {"blanks and line end around", "  1250\r\n", 1250},
        {"negative", "-40", -40},
        {"leading zeros", "007", 7},
        {"largest", "2147483647", 2147483647},
        {"lowest accepted", "-2147483647", -2147483647},
        {"one above largest", "2147483648", std::nullopt},
        {"one above largest, negative", "-2147483648", std::nullopt},
        {"group separator", "1,250", std::nullopt},
        {"decimal point", "12.5", std::nullopt},
        {"plus sign", "+5", std::nullopt},
        {"blank after minus", "- 40", std::nullopt},
        {"lone minus", "-", std::nullopt},
        {"empty", "", std::nullopt},
        {"blanks only", " \t\r\n", std::nullopt},
        {"unit after", "120 g", std::nullopt},
        {"vertical tab is not a blank", "\v120", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parse_shown_value(wide(c.text)), c.value) << c.name;
    }
}

TEST(ValueText, AppendedValueIsAnyParenthesis) {
    struct Case {
        const char* name;
        const char* text;
        bool appended;
    };
    const Case cases[] = {
        {"extended", "120 (99)", true},
        {"parenthesis without number", "Sold (out)", true},
        {"plain number", "120", false},
        {"empty", "", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(has_appended_value(wide(c.text)), c.appended) << c.name;
    }
}

TEST(ValueText, DisplayBase) {
    struct Case {
        const char* name;
        std::int32_t base;
        std::int32_t percent;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"truncated", 133, 75, 99},
        {"below one", 1, 75, 0},
        {"capped", int32_max, 200, int32_max},
        {"zero base", 0, 75, 0},
        {"zero percent", 500, 0, 0},
        {"whole percent", 133, 100, 133},
        {"negative base kept", -7, 75, -7},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(display_base(c.base, c.percent), c.expected) << c.name;
    }
}

TEST(ValueText, NewTextKeepsTheShownText) {
    struct Case {
        const char* name;
        const char* shown;
        std::int32_t base;
        const char* expected;
    };
    const Case cases[] = {
        {"plain", "120", 99, "120 (99)"},
        {"own blanks kept", " 120 ", 99, " 120  (99)"},
        {"zero", "0", 0, "0 (0)"},
        {"negative value", "3", -7, "3 (-7)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(utf8(build_value_text(wide(c.shown), c.base)), c.expected) << c.name;
    }
}

TEST(ValueText, HeatmapDistance) {
    struct Case {
        const char* name;
        std::int32_t observed;
        std::int32_t base;
        std::int32_t expected;
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

TEST(HeatmapColor, WorkedExamples) {
    struct Case {
        const char* name;
        HeatmapColorMode mode;
        TradeSide side;
        std::int32_t observed;
        std::int32_t base;
        std::int32_t distance;
        long r, g, b, a; // hundred-thousandths
    };
    const Case cases[] = {
        {"directional buy above", HeatmapColorMode::Directional, TradeSide::Buy, 120, 99, 21, 98677,
         84607, 84607, 100000},
        {"directional buy below", HeatmapColorMode::Directional, TradeSide::Buy, 80, 99, 19, 88296,
         96789, 89417, 100000},
        {"directional sell below", HeatmapColorMode::Directional, TradeSide::Sell, 60, 99, 39,
         62667, 89758, 66242, 100000},
        {"neutral buy", HeatmapColorMode::Neutral, TradeSide::Buy, 120, 99, 21, 79488, 77094, 87178,
         100000},
        {"neutral sell", HeatmapColorMode::Neutral, TradeSide::Sell, 120, 99, 21, 79488, 77094,
         87178, 100000},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(heatmap_distance(c.observed, c.base), c.distance) << c.name;
        LinearColor color = heatmap_color(mode(c.mode), c.side, c.observed, c.base, c.distance);
        EXPECT_EQ(five(color.R), c.r) << c.name;
        EXPECT_EQ(five(color.G), c.g) << c.name;
        EXPECT_EQ(five(color.B), c.b) << c.name;
        EXPECT_EQ(five(color.A), c.a) << c.name;
    }
}

TEST(HeatmapColor, Limits) {
    const Config defaults;
    const LinearColor& neutral = defaults.HeatmapNeutralColor;
    const LinearColor& good = defaults.HeatmapGoodColor;
    const LinearColor& bad = defaults.HeatmapBadColor;
    const auto D = HeatmapColorMode::Directional;
    const auto N = HeatmapColorMode::Neutral;
    struct Case {
        const char* name;
        Config config;
        TradeSide side;
        std::int32_t observed;
        std::int32_t base;
        LinearColor expected;
    };
    const Case cases[] = {
        {"neutral at the value", mode(N), TradeSide::Buy, 99, 99, defaults.HeatmapNearColor},
        {"neutral at the maximum", mode(N), TradeSide::Sell, 200, 100, defaults.HeatmapFarColor},
        {"neutral beyond the maximum", mode(N), TradeSide::Buy, 1000, 100,
         defaults.HeatmapFarColor},
        {"neutral halfway", mode(N), TradeSide::Buy, 150, 100,
         midpoint(defaults.HeatmapNearColor, defaults.HeatmapFarColor)},
        {"neutral, maximum 0, distance 1", mode(N, 0), TradeSide::Buy, 101, 100,
         defaults.HeatmapFarColor},
        {"buy at the value", mode(D), TradeSide::Buy, 99, 99, neutral},
        {"buy at twice the value", mode(D), TradeSide::Buy, 198, 99, bad},
        {"buy at half the value", mode(D), TradeSide::Buy, 50, 100, midpoint(neutral, good)},
        {"buy far below", mode(D), TradeSide::Buy, -500, 100, good},
        {"buy, maximum 0, distance 1", mode(D, 0), TradeSide::Buy, 101, 100, bad},
        {"buy, maximum 0, at the value", mode(D, 0), TradeSide::Buy, 100, 100, neutral},
        {"sell at 0", mode(D), TradeSide::Sell, 0, 99, defaults.HeatmapZeroColor},
        {"sell at 0 against 0", mode(D), TradeSide::Sell, 0, 0, defaults.HeatmapZeroColor},
        {"sell at the value", mode(D), TradeSide::Sell, 99, 99, good},
        {"sell above the value", mode(D), TradeSide::Sell, 500, 99, good},
        {"sell below zero", mode(D), TradeSide::Sell, -5, 99, neutral},
        {"sell at half", mode(D), TradeSide::Sell, 50, 100, midpoint(neutral, good)},
        {"other side", mode(D), TradeSide::Other, 120, 99, neutral},
    };
    for (const auto& c : cases) {
        LinearColor color = heatmap_color(c.config, c.side, c.observed, c.base,
                                          heatmap_distance(c.observed, c.base));
        expect_color(color, c.expected, c.name);
    }
}
} // namespace
