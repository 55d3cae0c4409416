// tallyglass-sim --picture: an SVG picture of the trading screen as the player sees it (each
// colour as the game draws the mod's), with a legend of what the heatmap does under the settings
// in force, and those settings named.
#pragma once

#include <iosfwd>

#include "session.hpp"

namespace sim {
void write_svg(std::ostream& out, const SessionResult& result);
} // namespace sim
