#include "mods_folder.hpp"

#include <algorithm>
#include <cstdio>

#include "internal.hpp"

namespace simhost::detail {
using RC::CharType;

String text_of(const std::filesystem::path& path) {
#ifdef _WIN32
    return path.wstring();
#else
    try {
        return path.u16string();
    } catch (const std::exception&) {
        return widen(path.string());
    }
#endif
}

String hex(std::uint32_t value) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%x", static_cast<unsigned>(value));
    return widen(digits);
}

std::vector<std::filesystem::path> mod_folders(const std::filesystem::path& mods) {
    std::vector<std::filesystem::path> out;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(mods, error)) {
        std::error_code ignored;
        if (entry.is_directory(ignored) && entry.path().stem() != "shared") {
            out.push_back(entry.path());
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

// Each byte becomes one code unit, so a byte-order mark stays part of the first name.
std::optional<ListEntry> list_entry(std::string_view bytes) {
    if (bytes.find(';') != std::string_view::npos || bytes.size() <= 4) {
        return std::nullopt;
    }
    String line = widen(bytes);
    std::erase(line, STR(' '));
    const auto last = line.rfind(STR(':'));
    const String value = last == String::npos ? line : line.substr(last + 1);
    return ListEntry{line.substr(0, line.find(STR(':'))), value.starts_with(STR('1'))};
}
} // namespace simhost::detail
