#include "config/config.hpp"

#include <array>
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

bool apply_key(std::string_view key, std::string_view value, Config& c, bool& known) {
    known = true;
    if (key == "enabled") {
        return store(c.Enabled, match_word(value, bool_words));
    }
    if (key == "probevalues") {
        return store(c.ProbeValues, match_word(value, bool_words));
    }
    if (key == "debuglogging" || key == "debug") {
        return store(c.DebugLogging, match_word(value, bool_words));
    }
    if (key == "displaymode") {
        return store(c.DisplayMode, match_word(value, display_words));
    }
    if (key == "basevaluepercent" || key == "basevaluepercentage" ||
        key == "globalbasevaluepercent" || key == "globalbasevaluepercentage") {
        return store(c.BaseValuePercent, try_percent(value));
    }
    if (key == "heatmapenabled" || key == "heatmap") {
        return store(c.HeatmapEnabled, match_word(value, bool_words));
    }
    if (key == "heatmapmode") {
        return store(c.HeatmapMode, match_word(value, heatmap_words));
    }
    if (key == "heatmapmaxdistancepercent" || key == "heatmapmaxdistancepercentage") {
        return store(c.HeatmapMaxDistancePercent, try_percent(value));
    }
    if (key == "heatmapnearcolor") {
        return store(c.HeatmapNearColor, try_color(value));
    }
    if (key == "heatmapfarcolor" || key == "heatmapaccentcolor") {
        return store(c.HeatmapFarColor, try_color(value));
    }
    if (key == "heatmapgoodcolor" || key == "heatmapgreencolor") {
        return store(c.HeatmapGoodColor, try_color(value));
    }
    if (key == "heatmapbadcolor" || key == "heatmapredcolor") {
        return store(c.HeatmapBadColor, try_color(value));
    }
    if (key == "heatmapneutralcolor" || key == "heatmapdirectionalneutralcolor" ||
        key == "heatmapwhitecolor") {
        return store(c.HeatmapNeutralColor, try_color(value));
    }
    if (key == "heatmapzerocolor" || key == "heatmapgreycolor" || key == "heatmapgraycolor") {
        return store(c.HeatmapZeroColor, try_color(value));
    }
    known = false;
    return false;
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
        return {LineKind::Blank, {}, {}};
    }
    if (line.front() == ';' || line.front() == '#') {
        return {LineKind::Comment, {}, {}};
    }
    auto equals = line.find('=');
    if (equals == std::string_view::npos) {
        return {LineKind::NoEquals, {}, {}};
    }
    std::string_view key = trim(line.substr(0, equals));
    std::string_view value = trim(line.substr(equals + 1));
    bool known = false;
    bool applied = apply_key(fold(key), value, config, known);
    if (!known) {
        return {LineKind::UnknownKey, key, value};
    }
    return {applied ? LineKind::Applied : LineKind::Rejected, key, value};
}

void apply_config_text(std::string_view text, Config& config) {
    while (!text.empty()) {
        auto end = text.find('\n');
        apply_config_line(text.substr(0, end), config);
        if (end == std::string_view::npos) {
            break;
        }
        text.remove_prefix(end + 1);
    }
}

String config_summary(const Config& c) {
    String out = STR("Enabled=");
    out += flag_text(c.Enabled);
    out += STR(", DisplayMode=");
    out += c.DisplayMode == ValueDisplayMode::ValueTextAppend ? STR("ValueTextAppend") : STR("Off");
    out += STR(", BaseValuePercent=");
    out += to_text(c.BaseValuePercent);
    out += STR(", HeatmapEnabled=");
    out += flag_text(c.HeatmapEnabled);
    out += STR(", HeatmapMode=");
    out += c.HeatmapMode == HeatmapColorMode::Directional ? STR("Directional") : STR("Neutral");
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
