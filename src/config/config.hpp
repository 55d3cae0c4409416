// The settings record and the parsers of its values. Pure: no host, no file system.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tallyglass {
enum class ValueDisplayMode : std::int32_t { Off = 0, ValueTextAppend = 1 };
enum class HeatmapColorMode : std::int32_t { Neutral = 0, Directional = 1 };

struct LinearColor {
    float R;
    float G;
    float B;
    float A;
    friend bool operator==(const LinearColor&, const LinearColor&) = default;
};

struct Config {
    bool Enabled = true;
    bool ProbeValues = false;
    bool DebugLogging = false;
    ValueDisplayMode DisplayMode = ValueDisplayMode::ValueTextAppend;
    std::int32_t BaseValuePercent = 75;
    bool HeatmapEnabled = true;
    HeatmapColorMode HeatmapMode = HeatmapColorMode::Directional;
    std::int32_t HeatmapMaxDistancePercent = 100;
    LinearColor HeatmapNearColor{0.831f, 0.831f, 0.847f, 1.0f};
    LinearColor HeatmapFarColor{0.659f, 0.545f, 0.965f, 1.0f};
    LinearColor HeatmapGoodColor{0.384f, 0.831f, 0.443f, 1.0f};
    LinearColor HeatmapBadColor{0.937f, 0.267f, 0.267f, 1.0f};
    LinearColor HeatmapNeutralColor{1.0f, 1.0f, 1.0f, 1.0f};
    LinearColor HeatmapZeroColor{0.373f, 0.373f, 0.373f, 1.0f};
    friend bool operator==(const Config&, const Config&) = default;
};

// Percentages above this count as this: a hundred times the base value is surely a typo already.
inline constexpr std::int32_t max_percent = 10000;

// Whether `text` is `lower_case` once A to Z are lower-cased; no other byte is changed, so only
// ASCII letters match regardless of case.
bool same_letters(std::string_view text, std::string_view lower_case);

// Strips space, tab, line feed and carriage return from both ends; nothing else.
std::string_view trim(std::string_view text);

// The value a text gives for a setting of type T (bool, the two modes, a percentage as int32, a
// colour), or none when the text is not one of its words or numbers.
template <class T> std::optional<T> read_value(std::string_view text);
template <> std::optional<bool> read_value<bool>(std::string_view text);
template <> std::optional<ValueDisplayMode> read_value<ValueDisplayMode>(std::string_view text);
template <> std::optional<HeatmapColorMode> read_value<HeatmapColorMode>(std::string_view text);
template <> std::optional<std::int32_t> read_value<std::int32_t>(std::string_view text);
template <> std::optional<LinearColor> read_value<LinearColor>(std::string_view text);

// Each gives the fallback for a text it does not recognise.
bool parse_bool(std::string_view text, bool fallback);
ValueDisplayMode parse_display_mode(std::string_view text, ValueDisplayMode fallback);
HeatmapColorMode parse_heatmap_mode(std::string_view text, HeatmapColorMode fallback);
std::int32_t parse_percent(std::string_view text, std::int32_t fallback);
LinearColor parse_color(std::string_view text, LinearColor fallback);
} // namespace tallyglass
