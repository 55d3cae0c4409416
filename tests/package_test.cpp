// The mod as a player gets it, built by the release job's recipe: the cmake lines of
// docs/building.md, run as written from a MyMods folder whose RE-UE4SS is a stand-in for UE4SS's
// source whose target UE4SS is the simulated host (ue4ss_stand_in/). The repository builds there
// as the mod alone, its zip holds the mod's files of the README's install tree, and the zip
// unpacked into a game is found and started by the host's loader.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sstream>
#include <vector>

#include "mod/tallyglass.hpp"
#include "readme_tree.hpp"
#include "support.hpp"

namespace {
namespace fs = std::filesystem;
using testing_support::read_file;

std::string quoted(const std::string& word) {
    std::string out = "'";
    for (const char c : word) {
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return out + "'";
}

struct Ran {
    int status = -1;
    std::string output; // standard output and error
};

Ran run(const std::string& command) {
    Ran result;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) {
        return result;
    }
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        result.output.append(buffer, n);
    }
    result.status = pclose(pipe);
    return result;
}

std::set<std::string> files_below(const fs::path& folder) {
    std::set<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            files.insert(entry.path().lexically_relative(folder).generic_string());
        }
    }
    return files;
}

// The README's files that are the mod's: those that carry its name.
std::set<std::string> mod_files_in_readme() {
    std::set<std::string> files;
    for (const auto& file : testing_support::readme_tree(TALLYGLASS_README)) {
        if (file.find("Tallyglass") != std::string::npos) {
            files.insert(file);
        }
    }
    return files;
}

// The recipe's cmake lines: the shell block of docs/building.md's "Configure, build, zip" step.
std::vector<std::string> recipe() {
    const std::string page = read_file(TALLYGLASS_BUILDING_DOC);
    const auto step = page.find("**Configure, build, zip**");
    const auto start = page.find("```sh\n", step);
    const auto end = page.find("```", start + 6);
    std::vector<std::string> lines;
    if (step == std::string::npos || start == std::string::npos || end == std::string::npos) {
        return lines;
    }
    std::istringstream block(page.substr(start + 6, end - start - 6));
    for (std::string line; std::getline(block, line);) {
        line.erase(0, line.find_first_not_of(' '));
        if (line.starts_with("cmake ")) {
            lines.push_back(line);
        }
    }
    return lines;
}

TEST(Package, TheReleaseRecipeBuildsInUE4SSsModLayoutItsZipIsTheReadmesTreeAndTheHostStartsIt) {
    // MyMods/Tallyglass is this repository, MyMods/RE-UE4SS the stand-in, as the docs lay out.
    const fs::path my_mods = fs::path(TALLYGLASS_STAND_IN_BUILD) / "MyMods";
    fs::create_directories(my_mods);
    for (const auto& [name, target] :
         {std::pair<std::string, fs::path>{"Tallyglass", TALLYGLASS_SOURCE_DIR},
          {"RE-UE4SS", fs::path(TALLYGLASS_SOURCE_DIR) / "tests" / "ue4ss_stand_in"}}) {
        fs::remove(my_mods / name);
        fs::create_directory_symlink(target, my_mods / name);
    }
    const std::string cmake = quoted(TALLYGLASS_CMAKE);
    const auto lines = recipe();
    ASSERT_EQ(lines.size(), 3U) << "the recipe in " << TALLYGLASS_BUILDING_DOC;
    for (const auto& line : lines) {
        const Ran ran = run("cd " + quoted(my_mods.string()) + " && CXX=" + quoted(TALLYGLASS_CXX) +
                            " " + cmake + line.substr(5));
        ASSERT_EQ(ran.status, 0) << line << "\n" << ran.output;
    }
    const fs::path build = my_mods / "build";
    for (const char* part : {"simhost", "tests", "tools", "bench", "fuzz"}) {
        EXPECT_FALSE(fs::exists(build / "Tallyglass" / part)) << part << " was configured";
    }

    simhost::GameFolder game("package");
    const std::string version = testing_support::utf8(tallyglass::mod_version);
    const fs::path zip = build / ("Tallyglass-" + version + "-UE4SS-simulated.zip");
    const Ran unpacked = run(cmake + " -E chdir " + quoted(game.win64().string()) + " " + cmake +
                             " -E tar xf " + quoted(zip.string()));
    ASSERT_EQ(unpacked.status, 0) << unpacked.output;
    EXPECT_EQ(files_below(game.win64()), mod_files_in_readme());
    EXPECT_EQ(read_file(game.mods() / "Tallyglass" / "Tallyglass.ini"),
              read_file(TALLYGLASS_SAMPLE_INI));
    EXPECT_NE(read_file(game.win64() / "Tallyglass-README.txt")
                  .find("loads only into Tallyglass's simulated UE4SS"),
              std::string::npos);

    const Ran played = run(quoted(TALLYGLASS_SIM) + " --mods " + quoted(game.mods().string()));
    EXPECT_EQ(played.status, 0);
    for (const char* line : {testing_support::default_startup,
                             "Registered hook for /Script/UMG.TextBlock", "120 (99)"}) {
        EXPECT_NE(played.output.find(line), std::string::npos) << line << " not in\n"
                                                               << played.output;
    }
}
} // namespace
