#include "mods_files.hpp"

#include <algorithm>
#include <fstream>

namespace sim {
namespace {
namespace fs = std::filesystem;

// Every folder of Mods but "shared", as the host's loader takes them.
std::vector<fs::path> mod_folders(const fs::path& mods) {
    std::vector<fs::path> out;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(mods, error)) {
        std::error_code ignored;
        if (entry.is_directory(ignored) && entry.path().stem() != "shared") {
            out.push_back(entry.path());
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

// A Windows DLL starts with "MZ", the mark of every Windows executable.
bool windows_executable(const fs::path& file) {
    char mark[2] = {};
    std::ifstream in(file, std::ios::binary);
    return in.read(mark, 2) && mark[0] == 'M' && mark[1] == 'Z';
}
} // namespace

ModsFiles mods_files(const FileArgument& mods) {
    const fs::path folder(mods.name);
    ModsFiles files;
    auto take = [&](const fs::path& below, bool opened_by_host) {
        const FileArgument file{mods.option, (folder / below).string()};
        std::error_code error;
        if (!fs::exists(fs::status(folder / below, error))) {
            return false;
        }
        if (opened_by_host) {
            check_input_file(file);
        }
        files.read.push_back(file);
        return true;
    };
    take("mods.txt", true);
    for (const auto& mod : mod_folders(folder)) {
        const fs::path name = mod.filename();
        take(name / "enabled.txt", false);
        take(name / "Tallyglass.ini", false);
#ifndef _WIN32
        if (take(name / "dlls" / "main.dll", true) &&
            windows_executable(folder / name / "dlls" / "main.dll")) {
            files.windows_dlls.push_back((name / "dlls" / "main.dll").string());
        }
#else
        take(name / "dlls" / "main.dll", true);
#endif
    }
    return files;
}
} // namespace sim
