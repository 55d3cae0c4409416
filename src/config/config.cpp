#include "config/config.hpp"

#include <array>
#include <cstdio>
#include <optional>

namespace tallyglass {
namespace {
bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Lower-cases A to Z only; every other byte stays as it is.
std::string fold(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

template <class T, std::size_t N>
std::optional<T> match_word(std::string_view text,
                            const std::array<std::pair<std::string_view, T>, N>& words) {
    std::string word = fold(trim(text));
    for (const auto& [spelling, value] : words) {
        if (word == spelling) {
            return value;
        }
    }
    return std::nullopt;
}

constexpr std::array<std::pair<std::string_view, bool>, 8> bool_words{{
    {"1", true},
    {"true", true},
    {"yes", true},
    {"on", true},
    {"0", false},
    {"false", false},
    {"no", false},
    {"off", false},
}};

constexpr std::array<std::pair<std::string_view, ValueDisplayMode>, 6> display_words{{
    {"off", ValueDisplayMode::Off},
    {"0", ValueDisplayMode::Off},
    {"false", ValueDisplayMode::Off},
    {"valuetextappend", ValueDisplayMode::ValueTextAppend},
    {"value_text_append", ValueDisplayMode::ValueTextAppend},
    {"value-text-append", ValueDisplayMode::ValueTextAppend},
}};

constexpr std::array<std::pair<std::string_view, HeatmapColorMode>, 7> heatmap_words{{
    {"neutral", HeatmapColorMode::Neutral},
    {"distance", HeatmapColorMode::Neutral},
    {"heatmap", HeatmapColorMode::Neutral},
    {"directional", HeatmapColorMode::Directional},
    {"positive_negative", HeatmapColorMode::Directional},
    {"positive-negative", HeatmapColorMode::Directional},
    {"positivenegative", HeatmapColorMode::Directional},
}};

std::optional<std::int32_t> try_percent(std::string_view text) {
    text = trim(text);
    if (!text.empty() && text.back() == '%') {
        text = trim(text.substr(0, text.size() - 1));
    }
    if (text.empty()) {
        return std::nullopt;
    }
    if (text.front() == '+') {
        text.remove_prefix(1);
        if (text.empty()) {
            return std::nullopt;
        }
    }
    std::int32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
        // Saturates before looking further, so "99999x" is 10000 too.
        if (value > 10000) {
            return 10000;
        }
    }
    return value;
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::optional<LinearColor> try_color(std::string_view text) {
    text = trim(text);
    if (!text.empty() && text.front() == '#') {
        text.remove_prefix(1);
    }
    if (text.size() != 6 && text.size() != 8) {
        return std::nullopt;
    }
    float channels[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    for (std::size_t i = 0; i < text.size() / 2; ++i) {
        int high = hex_digit(text[2 * i]);
        int low = hex_digit(text[2 * i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        channels[i] = static_cast<float>(high * 16 + low) / 255.0f;
    }
    return LinearColor{channels[0], channels[1], channels[2], channels[3]};
}

// Stores the parsed value; false when the text was not understood and the field kept its value.
template <class T> bool store(T& field, std::optional<T> parsed) {
    if (!parsed) {
        return false;
    }
    field = *parsed;
    return true;
}

enum class Field {
    Enabled,
    ProbeValues,
    DebugLogging,
    DisplayMode,
    BaseValuePercent,
    HeatmapEnabled,
    HeatmapMode,
    HeatmapMaxDistancePercent,
    HeatmapNearColor,
    HeatmapFarColor,
    HeatmapGoodColor,
    HeatmapBadColor,
    HeatmapNeutralColor,
    HeatmapZeroColor,
};

constexpr std::string_view field_names[] = {
    "Enabled",
    "ProbeValues",
    "DebugLogging",
    "DisplayMode",
    "BaseValuePercent",
    "HeatmapEnabled",
    "HeatmapMode",
    "HeatmapMaxDistancePercent",
    "HeatmapNearColor",
    "HeatmapFarColor",
    "HeatmapGoodColor",
    "HeatmapBadColor",
    "HeatmapNeutralColor",
    "HeatmapZeroColor",
};

// Keys as they compare after lower-casing; several spellings name one field.
constexpr std::array<std::pair<std::string_view, Field>, 27> keys{{
    {"enabled", Field::Enabled},
    {"probevalues", Field::ProbeValues},
    {"debuglogging", Field::DebugLogging},
    {"debug", Field::DebugLogging},
    {"displaymode", Field::DisplayMode},
    {"basevaluepercent", Field::BaseValuePercent},
    {"basevaluepercentage", Field::BaseValuePercent},
    {"globalbasevaluepercent", Field::BaseValuePercent},
    {"globalbasevaluepercentage", Field::BaseValuePercent},
    {"heatmapenabled", Field::HeatmapEnabled},
    {"heatmap", Field::HeatmapEnabled},
    {"heatmapmode", Field::HeatmapMode},
    {"heatmapmaxdistancepercent", Field::HeatmapMaxDistancePercent},
    {"heatmapmaxdistancepercentage", Field::HeatmapMaxDistancePercent},
    {"heatmapnearcolor", Field::HeatmapNearColor},
    {"heatmapfarcolor", Field::HeatmapFarColor},
    {"heatmapaccentcolor", Field::HeatmapFarColor},
    {"heatmapgoodcolor", Field::HeatmapGoodColor},
    {"heatmapgreencolor", Field::HeatmapGoodColor},
    {"heatmapbadcolor", Field::HeatmapBadColor},
    {"heatmapredcolor", Field::HeatmapBadColor},
    {"heatmapneutralcolor", Field::HeatmapNeutralColor},
    {"heatmapdirectionalneutralcolor", Field::HeatmapNeutralColor},
    {"heatmapwhitecolor", Field::HeatmapNeutralColor},
    {"heatmapzerocolor", Field::HeatmapZeroColor},
    {"heatmapgreycolor", Field::HeatmapZeroColor},
    {"heatmapgraycolor", Field::HeatmapZeroColor},
}};

bool apply_field(Field field, std::string_view value, Config& c) {
    switch (field) {
    case Field::Enabled:
        return store(c.Enabled, match_word(value, bool_words));
    case Field::ProbeValues:
        return store(c.ProbeValues, match_word(value, bool_words));
    case Field::DebugLogging:
        return store(c.DebugLogging, match_word(value, bool_words));
    case Field::DisplayMode:
        return store(c.DisplayMode, match_word(value, display_words));
    case Field::BaseValuePercent:
        return store(c.BaseValuePercent, try_percent(value));
    case Field::HeatmapEnabled:
        return store(c.HeatmapEnabled, match_word(value, bool_words));
    case Field::HeatmapMode:
        return store(c.HeatmapMode, match_word(value, heatmap_words));
    case Field::HeatmapMaxDistancePercent:
        return store(c.HeatmapMaxDistancePercent, try_percent(value));
    case Field::HeatmapNearColor:
        return store(c.HeatmapNearColor, try_color(value));
    case Field::HeatmapFarColor:
        return store(c.HeatmapFarColor, try_color(value));
    case Field::HeatmapGoodColor:
        return store(c.HeatmapGoodColor, try_color(value));
    case Field::HeatmapBadColor:
        return store(c.HeatmapBadColor, try_color(value));
    case Field::HeatmapNeutralColor:
        return store(c.HeatmapNeutralColor, try_color(value));
    case Field::HeatmapZeroColor:
        return store(c.HeatmapZeroColor, try_color(value));
    }
    return false;
}

std::string color_text(const LinearColor& color) {
    std::string out = "(";
    for (float channel : {color.R, color.G, color.B, color.A}) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.3f", static_cast<double>(channel));
        out += (out.size() > 1 ? ", " : "") + std::string(buffer);
    }
    return out + ")";
}
} // namespace

std::string_view trim(std::string_view text) {
    while (!text.empty() && is_blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && is_blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool parse_bool(std::string_view text, bool fallback) {
    return match_word(text, bool_words).value_or(fallback);
}
ValueDisplayMode parse_display_mode(std::string_view text, ValueDisplayMode fallback) {
    return match_word(text, display_words).value_or(fallback);
}
HeatmapColorMode parse_heatmap_mode(std::string_view text, HeatmapColorMode fallback) {
    return match_word(text, heatmap_words).value_or(fallback);
}
std::int32_t parse_percent(std::string_view text, std::int32_t fallback) {
    return try_percent(text).value_or(fallback);
}
LinearColor parse_color(std::string_view text, LinearColor fallback) {
    return try_color(text).value_or(fallback);
}

LineOutcome apply_config_line(std::string_view line, Config& config) {
    line = trim(line);
    if (line.empty()) {
        return {LineKind::Blank, {}, {}, {}};
    }
    if (line.front() == ';' || line.front() == '#') {
        return {LineKind::Comment, {}, {}, {}};
    }
    auto equals = line.find('=');
    if (equals == std::string_view::npos) {
        return {LineKind::NoEquals, {}, {}, {}};
    }
    std::string_view key = trim(line.substr(0, equals));
    std::string_view value = trim(line.substr(equals + 1));
    std::string folded = fold(key);
    for (const auto& [spelling, field] : keys) {
        if (folded == spelling) {
            bool applied = apply_field(field, value, config);
            return {applied ? LineKind::Applied : LineKind::Rejected, key, value,
                    field_names[static_cast<int>(field)]};
        }
    }
    return {LineKind::UnknownKey, key, value, {}};
}

void apply_config_text(std::string_view text, Config& config, const LineObserver& observe) {
    while (!text.empty()) {
        auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        LineOutcome outcome = apply_config_line(line, config);
        if (observe) {
            observe(line, outcome);
        }
        if (end == std::string_view::npos) {
            break;
        }
        text.remove_prefix(end + 1);
    }
}

const Char* display_mode_name(ValueDisplayMode mode) {
    return mode == ValueDisplayMode::ValueTextAppend ? STR("ValueTextAppend") : STR("Off");
}

const Char* heatmap_mode_name(HeatmapColorMode mode) {
    return mode == HeatmapColorMode::Directional ? STR("Directional") : STR("Neutral");
}

std::string setting_text(const Config& c, std::string_view field) {
    for (std::size_t i = 0; i < std::size(field_names); ++i) {
        if (field_names[i] != field) {
            continue;
        }
        switch (static_cast<Field>(i)) {
        case Field::Enabled:
            return c.Enabled ? "true" : "false";
        case Field::ProbeValues:
            return c.ProbeValues ? "true" : "false";
        case Field::DebugLogging:
            return c.DebugLogging ? "true" : "false";
        case Field::DisplayMode:
            return to_utf8(display_mode_name(c.DisplayMode));
        case Field::BaseValuePercent:
            return std::to_string(c.BaseValuePercent);
        case Field::HeatmapEnabled:
            return c.HeatmapEnabled ? "true" : "false";
        case Field::HeatmapMode:
            return to_utf8(heatmap_mode_name(c.HeatmapMode));
        case Field::HeatmapMaxDistancePercent:
            return std::to_string(c.HeatmapMaxDistancePercent);
        case Field::HeatmapNearColor:
            return color_text(c.HeatmapNearColor);
        case Field::HeatmapFarColor:
            return color_text(c.HeatmapFarColor);
        case Field::HeatmapGoodColor:
            return color_text(c.HeatmapGoodColor);
        case Field::HeatmapBadColor:
            return color_text(c.HeatmapBadColor);
        case Field::HeatmapNeutralColor:
            return color_text(c.HeatmapNeutralColor);
        case Field::HeatmapZeroColor:
            return color_text(c.HeatmapZeroColor);
        }
    }
    return {};
}

String config_summary(const Config& c) {
    String out = STR("Enabled=");
    out += flag_text(c.Enabled);
    out += STR(", DisplayMode=");
    out += display_mode_name(c.DisplayMode);
    out += STR(", BaseValuePercent=");
    out += to_text(c.BaseValuePercent);
    out += STR(", HeatmapEnabled=");
    out += flag_text(c.HeatmapEnabled);
    out += STR(", HeatmapMode=");
    out += heatmap_mode_name(c.HeatmapMode);
    out += STR(", HeatmapMaxDistancePercent=");
    out += to_text(c.HeatmapMaxDistancePercent);
    if (c.ProbeValues || c.DebugLogging) {
        out += STR(", ProbeValues=");
        out += flag_text(c.ProbeValues);
        out += STR(", DebugLogging=");
        out += flag_text(c.DebugLogging);
    }
    return out;
}

namespace {
bool is_separator(Char c) {
    return c == STR('\\') || c == STR('/');
}

// Length of the root that is never removed: "C:" and the separators after it, or the
// separators that begin a rooted path.
std::size_t root_length(StringView path) {
    std::size_t n = 0;
    if (path.size() >= 2 && path[1] == STR(':') &&
        ((path[0] >= STR('A') && path[0] <= STR('Z')) ||
         (path[0] >= STR('a') && path[0] <= STR('z')))) {
        n = 2;
    }
    while (n < path.size() && is_separator(path[n])) {
        ++n;
    }
    return n;
}
} // namespace

String parent_directory(StringView path) {
    std::size_t root = root_length(path);
    if (root >= path.size()) {
        return String(path);
    }
    // A trailing separator leaves an empty last element, so "a\\b\\" gives "a\\b".
    std::size_t end = path.size();
    while (end > root && !is_separator(path[end - 1])) {
        --end;
    }
    while (end > root && is_separator(path[end - 1])) {
        --end;
    }
    return String(path.substr(0, end));
}

String join_path(StringView directory, StringView file_name, Char separator) {
    String out(directory);
    bool bare_drive = directory.size() == 2 && directory[1] == STR(':');
    if (!directory.empty() && !bare_drive && !is_separator(directory.back())) {
        out.push_back(separator);
    }
    out += file_name;
    return out;
}
} // namespace tallyglass
