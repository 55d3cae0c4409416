// Finding and reading Tallyglass.ini: one directory above the directory of the mod's own file.
#pragma once

#include "config/config.hpp"
#include "host/text.hpp"

namespace tallyglass {
// The directory holding the mod library's own file; empty when it cannot be found.
String config_directory();
// The settings in force for a library in `library_directory`: the defaults, then the file one
// directory above (read by read_settings_file). Logs why it fell back to the defaults.
Config load_config_in(const String& library_directory);
// The same for this library's own directory.
Config load_config();
} // namespace tallyglass
