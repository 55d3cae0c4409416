// The mod as a player gets it, built in UE4SS's C++ mod layout: ue4ss/'s parent project over a
// stand-in for UE4SS's source folder whose target UE4SS is the simulated host (ue4ss_stand_in/).
// The repository builds there as the mod alone, its zip holds the mod's files of the README's
// install tree, and the zip unpacked into a game is found and started by the host's loader.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>

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

TEST(Package, BuiltInUE4SSsModLayoutItsZipIsTheReadmesTreeAndTheHostStartsIt) {
    const fs::path build = TALLYGLASS_STAND_IN_BUILD;
    const std::string cmake = quoted(TALLYGLASS_CMAKE);
    const std::string source = TALLYGLASS_SOURCE_DIR;
    const Ran configured =
        run(cmake + " -S " + quoted(source + "/ue4ss") + " -B " + quoted(build.string()) + " -G " +
            quoted(TALLYGLASS_GENERATOR) + " -DCMAKE_CXX_COMPILER=" + quoted(TALLYGLASS_CXX) +
            " -DUE4SS_SOURCE_DIR=" + quoted(source + "/tests/ue4ss_stand_in") +
            " -DTALLYGLASS_WERROR=ON");
    ASSERT_EQ(configured.status, 0) << configured.output;
    const Ran built =
        run(cmake + " --build " + quoted(build.string()) + " --target tallyglass_package");
    ASSERT_EQ(built.status, 0) << built.output;
    for (const char* part : {"simhost", "tests", "tools", "bench", "fuzz"}) {
        EXPECT_FALSE(fs::exists(build / "Tallyglass" / part)) << part << " was configured";
    }

    simhost::GameFolder game("package");
    const std::string version = testing_support::utf8(tallyglass::mod_version);
    const fs::path zip = build / ("Tallyglass-" + version + ".zip");
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
