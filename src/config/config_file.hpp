// Finding and reading Tallyglass.ini: one directory above the directory of the mod's own file.
#pragma once

#include <cstdio>
#include <string>

#include "config/config.hpp"
#include "host/text.hpp"

namespace tallyglass {
// The directory holding the mod library's own file; empty when it cannot be found.
String config_directory();
// The bytes of an open settings file; a read failure ends them at the last whole line.
std::string read_settings_text(std::FILE* file);
// Applies the file's lines to `config`; false when the file cannot be opened.
bool read_config_file(const String& path, Config& config);
// The settings in force for a library in `library_directory`: the defaults, then the file one
// directory above. Logs why it fell back to the defaults.
Config load_config_in(const String& library_directory);
// The same for this library's own directory.
Config load_config();
} // namespace tallyglass
