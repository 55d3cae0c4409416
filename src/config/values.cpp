// The grammar of each kind of setting value.
#include <array>
#include <optional>
#include <string>
#include <utility>

#include "config/config.hpp"

namespace tallyglass {
namespace {
bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

template <class T, std::size_t N>
std::optional<T> match_word(std::string_view text,
                            const std::array<std::pair<std::string_view, T>, N>& words) {
    const std::string_view word = trim(text);
    for (const auto& [spelling, value] : words) {
        if (same_letters(word, spelling)) {
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
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    std::int32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
        // Saturates before looking further, so "99999x" is the cap too.
        if (value > max_percent) {
            return max_percent;
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
} // namespace

bool same_letters(std::string_view text, std::string_view lower_case) {
    if (text.size() != lower_case.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != lower_case[i]) {
            return false;
        }
    }
    return true;
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && is_blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && is_blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

template <> std::optional<bool> read_value<bool>(std::string_view text) {
    return match_word(text, bool_words);
}
template <> std::optional<ValueDisplayMode> read_value<ValueDisplayMode>(std::string_view text) {
    return match_word(text, display_words);
}
template <> std::optional<HeatmapColorMode> read_value<HeatmapColorMode>(std::string_view text) {
    return match_word(text, heatmap_words);
}
template <> std::optional<std::int32_t> read_value<std::int32_t>(std::string_view text) {
    return try_percent(text);
}
template <> std::optional<LinearColor> read_value<LinearColor>(std::string_view text) {
    return try_color(text);
}

bool parse_bool(std::string_view text, bool fallback) {
    return read_value<bool>(text).value_or(fallback);
}
ValueDisplayMode parse_display_mode(std::string_view text, ValueDisplayMode fallback) {
    return read_value<ValueDisplayMode>(text).value_or(fallback);
}
HeatmapColorMode parse_heatmap_mode(std::string_view text, HeatmapColorMode fallback) {
    return read_value<HeatmapColorMode>(text).value_or(fallback);
}
std::int32_t parse_percent(std::string_view text, std::int32_t fallback) {
    return read_value<std::int32_t>(text).value_or(fallback);
}
LinearColor parse_color(std::string_view text, LinearColor fallback) {
    return read_value<LinearColor>(text).value_or(fallback);
}
} // namespace tallyglass
