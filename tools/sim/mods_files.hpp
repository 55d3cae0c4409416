// The files the simulated host reads in a Mods folder a player installed, found as its loader
// finds them, so that the command line can look at each before the host opens it.
#pragma once

#include <filesystem>
#include <vector>

#include "files.hpp"

namespace sim {
struct ModsFiles {
    std::vector<FileArgument> read;        // mods.txt and each mod's files that exist
    std::vector<std::string> windows_dlls; // dlls/main.dll files built for Windows, below Mods
};

// Throws FileError when a file the host opens (mods.txt, a dlls/main.dll) is no regular file: the
// host would wait on a pipe forever. A Tallyglass.ini is left to the mod, which reads it safely
// and says what it made of it.
ModsFiles mods_files(const FileArgument& mods);
} // namespace sim
