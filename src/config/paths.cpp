#include "config/paths.hpp"

namespace tallyglass {
namespace {
bool is_separator(Char c) {
    return c == STR('\\') || c == STR('/');
}

// Length of the root that is never removed: "C:" and the separators after it, or the
// separators that begin a rooted path.
std::size_t root_length(StringView path) {
    std::size_t n = 0;
    if (path.size() >= 2 && path[1] == STR(':') &&
        ((path[0] >= STR('A') && path[0] <= STR('Z')) ||
         (path[0] >= STR('a') && path[0] <= STR('z')))) {
        n = 2;
    }
    while (n < path.size() && is_separator(path[n])) {
        ++n;
    }
    return n;
}
} // namespace

String parent_directory(StringView path) {
    std::size_t root = root_length(path);
    if (root >= path.size()) {
        return String(path);
    }
    // A trailing separator leaves an empty last element, so "a\\b\\" gives "a\\b".
    std::size_t end = path.size();
    while (end > root && !is_separator(path[end - 1])) {
        --end;
    }
    while (end > root && is_separator(path[end - 1])) {
        --end;
    }
    return String(path.substr(0, end));
}

String join_path(StringView directory, StringView file_name, Char separator) {
    String out(directory);
    bool bare_drive = directory.size() == 2 && directory[1] == STR(':');
    if (!directory.empty() && !bare_drive && !is_separator(directory.back())) {
        out.push_back(separator);
    }
    out += file_name;
    return out;
}
} // namespace tallyglass
