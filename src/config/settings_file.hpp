// Reading a settings file at a path by the mod's rules: only a regular file of at most
// limits::max_settings_bytes, opened so that nothing blocks, read as text. It logs nothing: the
// mod logs from the outcome, and the tools learn the settings in force from the same outcome.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

#include "config/config.hpp"
#include "host/text.hpp"

namespace tallyglass {
// Why the defaults apply instead of the file's lines.
enum class SettingsFallback { None, NotFound, NotAFile, TooLarge };

struct SettingsRead {
    Config config; // the defaults, with the file's lines applied unless it fell back
    SettingsFallback fallback = SettingsFallback::None;
};

// The bytes of an open file up to its end or a read failure (which std::ferror then tells), no
// more than `limit` + 1: the one more tells a file that is too large.
std::string read_at_most(std::FILE* file, std::size_t limit);
// The same for a settings file, where a read failure ends the text at the last whole line.
std::string read_settings_text(std::FILE* file, std::size_t limit);

SettingsRead read_settings_file(const String& path);
} // namespace tallyglass
