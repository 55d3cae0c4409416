// Text files saved in an encoding the readers do not take, and the advice every reader gives for
// them alike.
#pragma once

#include <string_view>

namespace sim {
// Two-byte text: a UTF-16 byte-order mark, or ASCII with every other byte zero.
bool looks_like_utf16(std::string_view text);

inline constexpr std::string_view utf16_name = "UTF-16 (\"Unicode\" in Notepad)";
inline constexpr std::string_view save_as_utf8 =
    "Save it as UTF-8: in Notepad, File > Save As, Encoding \"UTF-8\".";
} // namespace sim
