// tallyglass-sim --check-ini: what the mod's own loader makes of each line of a settings file, and,
// in words, every place where that differs from what the line plainly means (a byte-order mark, a
// UTF-16 file, a line without "=", a comment after a value, a number above the cap); then the
// settings in force and each colour as the game will show it.
#pragma once

#include <iosfwd>
#include <string_view>

namespace sim {
// Returns the exit code: 0 when the mod does what every line says, 1 otherwise.
int check_ini(std::ostream& out, std::string_view text);
} // namespace sim
