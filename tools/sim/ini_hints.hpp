// What a line of a settings file plainly means, beside what the mod's loader reads: the hints
// --check-ini gives when the two differ.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "config/settings.hpp"

namespace sim {
// Where a comment starts inside a value: any ";", or a "#" after a blank (a leading "#" is a
// colour's); npos when there is none.
std::size_t comment_at(std::string_view value);

// The values the setting takes, in words: "Neutral or Directional".
std::string expected_words(const tallyglass::Setting& setting);

// The setting whose key is a typo or two away from `key` ("HeatmapGoodColour"), if any.
const tallyglass::Setting* near_setting(std::string_view key);

// A number above the cap that the mod took as the cap: "20000", or "99999x" read up to the cap.
bool clamped_percent(std::string_view value, std::int32_t applied);
} // namespace sim
