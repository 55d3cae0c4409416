// tallyglass-sim --picture: an SVG picture of the trading screen as the player sees it (each
// colour as the game draws the mod's), with a legend of what the heatmap does under the settings
// in force, and those settings named.
#pragma once

#include <iosfwd>
#include <string>

#include "session.hpp"

namespace sim {
// `title` heads the picture: which trade it shows.
void write_svg(std::ostream& out, const SessionResult& result, const std::string& title = "Trade");
} // namespace sim
