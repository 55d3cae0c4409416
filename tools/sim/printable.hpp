// Bytes from users' files and command lines, made safe to print: what a terminal would not show
// as itself (control bytes, bytes that are no UTF-8, invisible marks and spaces) appears as
// \xNN escapes, and a backslash as "\\", so that nothing raw or invisible reaches the screen.
#pragma once

#include <string>
#include <string_view>

namespace sim {
std::string printable(std::string_view bytes);

// The columns a terminal gives printable text: two for each wide East Asian character, none for
// a combining mark, one for anything else.
std::size_t display_width(std::string_view text);
} // namespace sim
