// The value text and the heatmap colour: pure functions of the shown text, the row and the
// settings.
#pragma once

#include <cstdint>
#include <optional>

#include "config/config.hpp"
#include "host/text.hpp"
#include "ui/names.hpp"

namespace tallyglass {
// True when the text already carries a value: it contains "(".
bool has_appended_value(StringView shown);
// The plain integer the text shows, or none.
std::optional<std::int32_t> parse_shown_value(StringView shown);
std::int32_t display_base(std::int32_t base, std::int32_t base_value_percent);
// The shown text as it was, then " (", the value and ")".
String build_value_text(StringView shown, std::int32_t display_base);
std::int32_t heatmap_distance(std::int32_t observed, std::int32_t display_base);
// The blend of a toward b by t, limited to 0..1.
LinearColor blend(const LinearColor& a, const LinearColor& b, double t);
LinearColor heatmap_color(const Config& config, TradeSide side, std::int32_t observed,
                          std::int32_t display_base, std::int32_t heatmap_distance);
} // namespace tallyglass
