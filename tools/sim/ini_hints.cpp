#include "ini_hints.hpp"

#include <algorithm>
#include <vector>

namespace sim {
namespace {
using tallyglass::trim;

// Levenshtein distance, A to Z compared without case.
std::size_t distance(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) {
        row[j] = j;
    }
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1,
                               diagonal + (lower(a[i - 1]) == lower(b[j - 1]) ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

} // namespace

std::size_t comment_at(std::string_view value) {
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == ';' ||
            (value[i] == '#' && i > 0 && (value[i - 1] == ' ' || value[i - 1] == '\t'))) {
            return i;
        }
    }
    return std::string_view::npos;
}

std::string expected_words(const tallyglass::Setting& setting) {
    struct Words {
        std::string operator()(bool tallyglass::Config::*) const {
            return "true, yes, on, 1, false, no, off or 0";
        }
        std::string operator()(std::int32_t tallyglass::Config::*) const {
            return "a whole number from 0 to " + std::to_string(tallyglass::max_percent) +
                   ", with or without \"%\"";
        }
        std::string operator()(tallyglass::ValueDisplayMode tallyglass::Config::*) const {
            return "Off or ValueTextAppend";
        }
        std::string operator()(tallyglass::HeatmapColorMode tallyglass::Config::*) const {
            return "Neutral or Directional";
        }
        std::string operator()(tallyglass::LinearColor tallyglass::Config::*) const {
            return "a colour, #RRGGBB or #RRGGBBAA";
        }
    };
    return std::visit(Words{}, setting.field);
}

const tallyglass::Setting* near_setting(std::string_view key) {
    for (const auto& setting : tallyglass::all_settings) {
        for (std::string_view spelling : setting.keys) {
            if (!spelling.empty() && distance(key, spelling) <= 2) {
                return &setting;
            }
        }
    }
    return nullptr;
}

bool clamped_percent(std::string_view value, std::int32_t applied) {
    value = trim(value);
    if (value.ends_with('%')) {
        value = trim(value.substr(0, value.size() - 1));
    }
    if (value.starts_with('+')) {
        value.remove_prefix(1);
    }
    while (value.size() > 1 && value.front() == '0') {
        value.remove_prefix(1);
    }
    return applied == tallyglass::max_percent && value != std::to_string(tallyglass::max_percent);
}

} // namespace sim
