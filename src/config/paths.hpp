// Windows path rules for finding the settings file, on every platform: "\" and "/" separate, a
// drive root stays. Pure.
#pragma once

#include "host/text.hpp"

namespace tallyglass {
String parent_directory(StringView path);

#ifdef _WIN32
inline constexpr Char native_separator = STR('\\');
#else
inline constexpr Char native_separator = STR('/');
#endif
// One separator between the two, unless the directory is empty, a bare drive or ends in one.
String join_path(StringView directory, StringView file_name, Char separator = native_separator);
} // namespace tallyglass
