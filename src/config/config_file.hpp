// Finding and reading Tallyglass.ini: one directory above the directory of the mod's own file.
#pragma once

#include "config/config.hpp"

namespace tallyglass {
// The directory holding the mod library's own file; empty when it cannot be found.
String config_directory();
// Applies the file's lines to `config`; false when the file cannot be opened.
bool read_config_file(const String& path, Config& config);
// The settings in force: the defaults, then the file. Logs why it fell back to defaults.
Config load_config();
} // namespace tallyglass
