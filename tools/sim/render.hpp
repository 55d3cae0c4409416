// What tallyglass-sim prints: the log and the panels as text tables, or one JSON document. The
// tables give each colour as the mod sets it and as the game shows it; the JSON keeps the mod's
// own components.
#pragma once

#include <iosfwd>
#include <nlohmann/json_fwd.hpp>
#include <string>
#include <string_view>

#include "session.hpp"

namespace sim {
// The panels in the order the screen shows them, and a heading for each.
inline constexpr std::string_view panel_order[] = {"trader", "player", "offer_buy", "offer_sell"};
const char* panel_title(std::string_view panel);

// `color` adds a coloured swatch of the on-screen colour per slot (a terminal that takes colour,
// NO_COLOR unset).
void write_human(std::ostream& out, const SessionResult& result, bool color);
void write_json(std::ostream& out, const SessionResult& result);
// `extra`, an object, adds its members after "log" and "slots".
void write_json(std::ostream& out, const SessionResult& result,
                const nlohmann::ordered_json& extra);
} // namespace sim
