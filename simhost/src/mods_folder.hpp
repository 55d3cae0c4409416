// How the host reads a Mods folder: its mod folders, the lines of mods.txt, and the texts of its
// log lines (paths and hexadecimal codes).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include <File/Macros.hpp>

namespace simhost::detail {
using String = RC::StringType;

String text_of(const std::filesystem::path& path);
String hex(std::uint32_t value);

// Every folder of Mods but "shared", in name order.
std::vector<std::filesystem::path> mod_folders(const std::filesystem::path& mods);

struct ListEntry {
    String name;
    bool enabled;
};
// A line of mods.txt as the host's wide stream reads it, or none for a line the host skips.
std::optional<ListEntry> list_entry(std::string_view bytes);
} // namespace simhost::detail
