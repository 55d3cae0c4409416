// tallyglass-sim: plays a trading screen of the game with the built mod loaded into the
// simulated host, and shows what the player would see and what the mod logged.
#include <CLI/CLI.hpp>
#include <cstdlib>
#include <iostream>
#include <optional>

#include "check_ini.hpp"
#include "files.hpp"
#include "interrupt.hpp"
#include "picture.hpp"
#include "printable.hpp"
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
// Exit codes: 0 done; 1 --check-ini found lines the mod does not read as written; 2 a bad command
// line, file or scenario (the mod is not loaded then); 3 the run or a write failed. A run
// stopped by a signal dies of that signal.
constexpr int usage_error = 2;
constexpr int run_failed = 3;

// A complaint about what the user asked for: exit 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Options {
    std::optional<sim::FileArgument> scenario, ini, check, picture, mods, log;
    bool no_ini = false;
    bool json = false;
};

bool terminal_takes_color() {
    const char* no_color = std::getenv("NO_COLOR");
    if (no_color && *no_color) {
        return false;
    }
    const char* term = std::getenv("TERM");
    return isatty(fileno(stdout)) && !(term && std::string(term) == "dumb");
}

// Returns the exit code when the command line settles the run (help, or a mistake).
std::optional<int> parse(int argc, char** argv, Options& options) {
    CLI::App app{"Plays the game's trading screen with the Tallyglass mod loaded into a simulated "
                 "UE4SS host."};
    app.footer("Exit status: 0 done; 1 --check-ini found problems; 2 a bad command line, file or "
               "scenario; 3 the run or writing its output failed.");
    std::string scenario, ini, check, picture, mods, log;
    auto* scenario_opt =
        app.add_option("SCENARIO", scenario,
                       "scenario JSON file (- for standard input); default: the built-in trade");
    auto* ini_opt = app.add_option("--ini", ini, "use this settings file");
    auto* no_ini_opt =
        app.add_flag("--no-ini", options.no_ini, "use no settings file (the defaults)");
    auto* mods_opt = app.add_option(
        "--mods", mods, "play with the mods this installed Mods folder holds, and their settings");
    auto* json_opt = app.add_flag("--json", options.json,
                                  "print one JSON document: {\"log\": [...], \"slots\": [...]}");
    auto* picture_opt =
        app.add_option("--picture", picture, "also draw the trading screen to this SVG file");
    auto* log_opt = app.add_option("--log", log, "also write the whole session log to this file");
    auto* check_opt =
        app.add_option("--check-ini", check,
                       "explain what the mod makes of each line of a settings file, then exit");
    for (auto* file : {scenario_opt, ini_opt, picture_opt, log_opt, check_opt}) {
        file->type_name("FILE");
    }
    mods_opt->type_name("DIR");
    ini_opt->excludes(no_ini_opt);
    for (auto* settings : {ini_opt, no_ini_opt}) {
        mods_opt->excludes(settings);
    }
    for (auto* other :
         {scenario_opt, ini_opt, no_ini_opt, mods_opt, json_opt, picture_opt, log_opt}) {
        check_opt->excludes(other);
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::cerr << "tallyglass-sim: " << sim::printable(e.what()) << " (see --help)\n";
        return usage_error;
    }
    auto take = [](CLI::Option* option, const std::string& value, const char* label) {
        return option->count() ? std::optional<sim::FileArgument>({label, value}) : std::nullopt;
    };
    options.scenario = take(scenario_opt, scenario, "SCENARIO");
    options.ini = take(ini_opt, ini, "--ini");
    options.check = take(check_opt, check, "--check-ini");
    options.picture = take(picture_opt, picture, "--picture");
    options.mods = take(mods_opt, mods, "--mods");
    options.log = take(log_opt, log, "--log");
    return std::nullopt;
}

void report(const std::string& message) {
    std::cerr << "tallyglass-sim: " << sim::printable(message) << "\n";
}

// No settings file or scenario comes near this; a stray large file is refused unread.
constexpr std::size_t input_limit = sim::ScenarioLimits{}.bytes;

int check_settings(const sim::FileArgument& file) {
    std::string text;
    try {
        sim::check_input_file(file);
        sim::check_standard_output();
        text = sim::read_input(file, input_limit);
    } catch (const sim::FileError& e) {
        report(e.what());
        return usage_error;
    }
    const int code = sim::check_ini(std::cout, text);
    sim::finish_standard_output();
    return code;
}

// Every file named is looked at before anything is read, run or written.
void check_files(const Options& options) {
    if (options.scenario) {
        sim::check_input_file(*options.scenario, true);
    }
    if (options.ini) {
        sim::check_input_file(*options.ini);
    }
    if (options.mods) {
        sim::check_input_folder(*options.mods);
    } else {
        sim::check_input_file({"the mod library", sim::default_library().string()});
    }
    for (const auto& output : {options.picture, options.log}) {
        if (output) {
            sim::check_output_file(*output);
        }
    }
    sim::check_standard_output();
}

sim::Scenario load_scenario(const Options& options) {
    sim::Scenario scenario = sim::builtin_scenario();
    if (options.scenario) {
        const auto& file = *options.scenario;
        const std::string name = file.name == "-" ? "<stdin>" : file.name;
        scenario = sim::parse_scenario(sim::read_input(file, input_limit), name);
        if (options.mods && scenario.ini) {
            throw UsageError(name + ": \"ini\" cannot be used with --mods: the installed mod reads "
                                    "the Tallyglass.ini in its own folder");
        }
    }
    if (options.no_ini) {
        scenario.ini.reset();
    } else if (options.ini) {
        scenario.ini = sim::read_input(*options.ini, input_limit);
    }
    return scenario;
}

// A signal during the run removes the temporary game folder, then ends the tool as it would
// have ended it at once.
sim::SessionResult play(const sim::Scenario& scenario, const Options& options) {
    sim::PlayOptions play_options{sim::default_library(), std::nullopt, std::nullopt};
    if (options.mods) {
        play_options.mods = options.mods->name;
    }
    if (options.log) {
        play_options.log = options.log->name;
    }
    sim::InterruptGuard guard;
    try {
        auto result = sim::play(scenario, play_options);
        sim::throw_if_interrupted();
        return result;
    } catch (const sim::Interrupted& e) {
        sim::die_of(e.signal_number);
        throw;
    }
}

int simulate(const Options& options) {
    sim::Scenario scenario;
    try {
        check_files(options);
        scenario = load_scenario(options);
    } catch (const std::runtime_error& e) {
        report(e.what());
        return usage_error;
    }
    const sim::SessionResult result = play(scenario, options);
    if (options.picture) {
        sim::write_output(*options.picture,
                          [&](std::ostream& out) { sim::write_svg(out, result); });
    }
    if (options.json) {
        sim::write_json(std::cout, result);
    } else {
        sim::write_human(std::cout, result, terminal_takes_color());
    }
    sim::finish_standard_output();
    return 0;
}
} // namespace

int main(int argc, char** argv) {
    try {
        Options options;
        if (auto code = parse(argc, argv, options)) {
            sim::finish_standard_output(); // --help
            return *code;
        }
        return options.check ? check_settings(*options.check) : simulate(options);
    } catch (const sim::Interrupted& e) {
        report(e.what());
        return 128 + e.signal_number;
    } catch (const std::exception& e) {
        report(e.what());
        return run_failed;
    } catch (...) {
        report("an unexpected failure");
        return run_failed;
    }
}
