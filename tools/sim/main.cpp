// tallyglass-sim: plays a trading screen of the game with the built mod loaded into the
// simulated host, and shows what the player would see and what the mod logged.
#include <CLI/CLI.hpp>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>

#include "render.hpp"
#include "scenario.hpp"
#include "session.hpp"

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace {
// Exit codes: 0 done, 1 --check-ini found lines it could not apply, 2 a bad command line or
// scenario (the mod is not loaded then).
constexpr int usage_error = 2;

std::optional<std::string> read_file(const std::string& path) {
    if (path == "-") {
        return std::string(std::istreambuf_iterator<char>(std::cin), {});
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool terminal_takes_color() {
    const char* no_color = std::getenv("NO_COLOR");
    if (no_color && *no_color) {
        return false;
    }
    const char* term = std::getenv("TERM");
    return isatty(fileno(stdout)) && !(term && std::string(term) == "dumb");
}
} // namespace

int main(int argc, char** argv) {
    CLI::App app{"Plays the game's trading screen with the Tallyglass mod loaded into a simulated "
                 "UE4SS host."};
    std::string scenario_file;
    std::string ini_file;
    bool no_ini = false;
    bool json = false;
    std::string picture;
    std::string check_file;
    std::string log_file;
    std::string mods_folder;
    app.add_option("SCENARIO", scenario_file,
                   "scenario JSON file (- for standard input); default: the built-in trade");
    auto* ini_opt = app.add_option("--ini", ini_file, "use this settings file");
    auto* no_ini_opt = app.add_flag("--no-ini", no_ini, "use no settings file (the defaults)");
    ini_opt->excludes(no_ini_opt);
    app.add_flag("--json", json, "print one JSON document: {\"log\": [...], \"slots\": [...]}");
    app.add_option("--picture", picture, "also draw the trading screen to this SVG file");
    app.add_option("--log", log_file,
                   "also write the whole log to this file, as UE4SS.log holds it");
    app.add_option("--mods", mods_folder,
                   "play with the mods of this Mods folder as a player installed them, instead of "
                   "installing the built mod");
    auto* check_opt =
        app.add_option("--check-ini", check_file,
                       "explain what the mod makes of each line of a settings file, then exit");
    for (auto* other : {ini_opt, no_ini_opt}) {
        check_opt->excludes(other);
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::cerr << "tallyglass-sim: " << e.what() << " (see --help)\n";
        return usage_error;
    }

    if (!check_file.empty()) {
        auto text = read_file(check_file);
        if (!text) {
            std::cerr << "tallyglass-sim: " << check_file << ": cannot be read\n";
            return usage_error;
        }
        return sim::check_ini(std::cout, *text);
    }

    sim::Scenario scenario = sim::builtin_scenario();
    if (!scenario_file.empty()) {
        auto text = read_file(scenario_file);
        std::string name = scenario_file == "-" ? "<stdin>" : scenario_file;
        if (!text) {
            std::cerr << "tallyglass-sim: " << name << ": cannot be read\n";
            return usage_error;
        }
        try {
            scenario = sim::parse_scenario(*text, name);
        } catch (const sim::ScenarioError& e) {
            std::cerr << "tallyglass-sim: " << e.what() << "\n";
            return usage_error;
        }
    }
    if (!mods_folder.empty() && (scenario.ini || !ini_file.empty() || no_ini)) {
        std::cerr << "tallyglass-sim: --mods plays the mod with the Tallyglass.ini of its own "
                     "folder, so a scenario's \"ini\", --ini and --no-ini cannot apply\n";
        return usage_error;
    }
    if (no_ini) {
        scenario.ini.reset();
    } else if (!ini_file.empty()) {
        auto text = read_file(ini_file);
        if (!text) {
            std::cerr << "tallyglass-sim: " << ini_file << ": cannot be read\n";
            return usage_error;
        }
        scenario.ini = *text;
    }

    sim::SessionResult result;
    try {
        sim::PlayOptions options{sim::default_library(), std::nullopt, std::nullopt};
        if (!mods_folder.empty()) {
            options.mods = mods_folder;
        }
        if (!log_file.empty()) {
            options.log = log_file;
        }
        result = sim::play(scenario, options);
    } catch (const std::exception& e) {
        std::cerr << "tallyglass-sim: " << e.what() << "\n";
        return usage_error;
    }

    if (!picture.empty()) {
        std::ofstream out(picture, std::ios::binary);
        sim::write_svg(out, result);
        if (!out) {
            std::cerr << "tallyglass-sim: " << picture << ": cannot be written\n";
            return usage_error;
        }
    }
    if (json) {
        sim::write_json(std::cout, result);
    } else {
        sim::write_human(std::cout, result, terminal_takes_color());
    }
    return 0;
}
