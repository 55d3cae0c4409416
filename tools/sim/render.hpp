// What tallyglass-sim shows: the log and the panels as text tables, as one JSON document, or as
// an SVG picture of the trading screen with a legend of the heatmap's colours.
#pragma once

#include <iosfwd>
#include <string>

#include "session.hpp"

namespace sim {
// `color` adds a coloured swatch per slot (a terminal that takes colour, NO_COLOR unset).
void write_human(std::ostream& out, const SessionResult& result, bool color);
void write_json(std::ostream& out, const SessionResult& result);
void write_svg(std::ostream& out, const SessionResult& result);

// "#RRGGBB" or "#RRGGBBAA" when alpha is below 1.
std::string hex_color(const std::array<float, 4>& rgba);

// Explains each line of a settings file as the mod's loader takes it, then the settings in
// force. Returns the exit code: 0 when every key line was applied, 1 otherwise.
int check_ini(std::ostream& out, const std::string& text);
} // namespace sim
