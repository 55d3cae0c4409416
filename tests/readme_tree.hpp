// The install tree the README draws under "Binaries/Win64/", read the one way every test that
// holds something against it reads it.
#pragma once

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace testing_support {
// Four blanks per level, a folder's name ends in "/", a note may follow the name. Gives the
// files, e.g. "Mods/Tallyglass/enabled.txt".
inline std::set<std::string> readme_tree(const std::filesystem::path& readme) {
    std::ifstream in(readme);
    std::set<std::string> files;
    std::vector<std::string> folders; // those above the line
    bool inside = false;
    for (std::string line; std::getline(in, line) && !(inside && line == "```");) {
        const auto indent = line.find_first_not_of(' ');
        inside = inside || line.starts_with("Binaries/Win64/");
        if (inside && indent != std::string::npos && indent >= 4) {
            folders.resize(indent / 4 - 1);
            const auto name = line.substr(indent, line.find(' ', indent) - indent);
            std::string path;
            for (const auto& folder : folders) {
                path += folder;
            }
            name.ends_with('/') ? folders.push_back(name) : void(files.insert(path + name));
        }
    }
    return files;
}
} // namespace testing_support
