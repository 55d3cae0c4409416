// The settings record and the grammar of Tallyglass.ini. Pure: no host, no file system.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "host/text.hpp"

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

// Strips space, tab, line feed and carriage return from both ends; nothing else.
std::string_view trim(std::string_view text);

bool parse_bool(std::string_view text, bool fallback);
ValueDisplayMode parse_display_mode(std::string_view text, ValueDisplayMode fallback);
HeatmapColorMode parse_heatmap_mode(std::string_view text, HeatmapColorMode fallback);
std::int32_t parse_percent(std::string_view text, std::int32_t fallback);
LinearColor parse_color(std::string_view text, LinearColor fallback);

// What the loader made of one line of the settings file.
enum class LineKind {
    Blank,
    Comment,
    NoEquals, // section headers and any other line without "="
    UnknownKey,
    Applied,
    Rejected, // the value did not parse; the field kept its value
};
struct LineOutcome {
    LineKind kind;
    std::string_view key;   // trimmed, as written (not lower-cased)
    std::string_view value; // trimmed
    std::string_view field; // the setting the key names, e.g. "BaseValuePercent"; else empty
};
LineOutcome apply_config_line(std::string_view line, Config& config);

// Applies every line of a whole file's bytes, split at line feeds; `observe`, when given, sees
// each line with what became of it.
using LineObserver = std::function<void(std::string_view line, const LineOutcome& outcome)>;
void apply_config_text(std::string_view text, Config& config, const LineObserver& observe = {});

// The names the start-up line and the log give the two modes.
const Char* display_mode_name(ValueDisplayMode mode);
const Char* heatmap_mode_name(HeatmapColorMode mode);

// A setting's value as text ("true", "75", "Directional", "(1.000, 0.000, 0.000, 1.000)"),
// by its field name; empty for an unknown name.
std::string setting_text(const Config& config, std::string_view field);

// "Enabled=true, DisplayMode=..., HeatmapMaxDistancePercent=100" and, when either is on,
// ", ProbeValues=..., DebugLogging=...": the settings as the start-up line shows them.
String config_summary(const Config& config);

// Windows path rules on every platform: "\" and "/" separate, a drive root stays.
String parent_directory(StringView path);
#ifdef _WIN32
inline constexpr Char native_separator = STR('\\');
#else
inline constexpr Char native_separator = STR('/');
#endif
String join_path(StringView directory, StringView file_name, Char separator = native_separator);
} // namespace tallyglass
