// tallyglass-sim: plays a trading screen of the game with the built mod loaded into the
// simulated host, and shows what the player would see and what the mod logged.
#include <cstdlib>
#include <iostream>
#include <nlohmann/json.hpp>
#include <optional>

#include "check_ini.hpp"
#include "files.hpp"
#include "interrupt.hpp"
#include "options.hpp"
#include "picture.hpp"
#include "printable.hpp"
#include "render.hpp"
#include "replay.hpp"
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
using sim::Options;
using sim::run_failed;
using sim::usage_error;

// A complaint about what the user asked for: exit 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// No settings file or scenario comes near this; a stray large file is refused unread.
constexpr std::size_t input_limit = sim::ScenarioLimits{}.bytes;
// A log holds a whole game session of every mod's lines; the mod's rows are a small part of it.
constexpr std::size_t log_limit = 256 * 1024 * 1024;

// What is played: a scenario, or a trade read back from a log.
struct Trade {
    sim::Scenario scenario;
    std::optional<sim::LogReading> reading;
    const sim::ReplayTrade* replayed = nullptr;
};

bool terminal_takes_color() {
    const char* no_color = std::getenv("NO_COLOR");
    if (no_color && *no_color) {
        return false;
    }
    const char* term = std::getenv("TERM");
    return isatty(fileno(stdout)) && !(term && std::string(term) == "dumb");
}

void report(const std::string& message) {
    std::cerr << "tallyglass-sim: " << sim::printable(message) << "\n";
}

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
    for (const auto& input : {options.scenario, options.from_log}) {
        if (input) {
            sim::check_input_file(*input, true);
        }
    }
    if (options.ini) {
        sim::check_input_file(*options.ini);
    }
    if (options.mods) {
        sim::check_input_folder(*options.mods);
    } else if (!options.list_trades) {
        sim::check_input_file({"the mod library", sim::default_library().string()});
    }
    for (const auto& output : {options.picture, options.log, options.scenario_out}) {
        if (output) {
            sim::check_output_file(*output);
        }
    }
    sim::check_standard_output();
}

std::string input_name(const sim::FileArgument& file) {
    return file.name == "-" ? "<stdin>" : file.name;
}

Trade load_trade(const Options& options) {
    Trade trade{sim::builtin_scenario(), std::nullopt, nullptr};
    if (options.from_log) {
        trade.reading = sim::read_log(sim::read_input(*options.from_log, log_limit),
                                      input_name(*options.from_log));
        if (options.list_trades) {
            return trade;
        }
        trade.replayed = &sim::select_trade(*trade.reading, options.trade);
        trade.scenario = trade.replayed->scenario;
    } else if (options.scenario) {
        const std::string name = input_name(*options.scenario);
        trade.scenario = sim::parse_scenario(sim::read_input(*options.scenario, input_limit), name);
        if (options.mods && trade.scenario.ini) {
            throw UsageError(name + ": \"ini\" cannot be used with --mods: the installed mod reads "
                                    "the Tallyglass.ini in its own folder");
        }
    }
    if (options.no_ini) {
        trade.scenario.ini.reset();
    } else if (options.ini) {
        trade.scenario.ini = sim::read_input(*options.ini, input_limit);
    }
    return trade;
}

// A signal during the run removes the temporary game folder, then ends the tool as it would
// have ended it at once.
sim::SessionResult play(const sim::Scenario& scenario, const Options& options) {
    sim::PlayOptions play_options;
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

void write_results(const Options& options, const Trade& trade, const sim::SessionResult& result) {
    if (options.picture) {
        sim::write_output(*options.picture,
                          [&](std::ostream& out) { sim::write_svg(out, result); });
    }
    const auto* replayed = trade.replayed;
    const auto stats = replayed ? sim::price_stats(replayed->scenario) : sim::PriceStats{};
    if (options.json) {
        nlohmann::ordered_json extra = nlohmann::ordered_json::object();
        if (replayed) {
            extra["trade"] = sim::trade_json(*replayed);
            extra["stats"] = sim::price_stats_json(stats);
        }
        sim::write_json(std::cout, result, extra);
    } else {
        sim::write_human(std::cout, result, terminal_takes_color());
        if (replayed) {
            std::cout << "\n";
            sim::write_trade_notes(std::cout, *trade.reading, *replayed);
            sim::write_price_stats(std::cout, stats);
        }
    }
}

int simulate(const Options& options) {
    Trade trade;
    try {
        check_files(options);
        trade = load_trade(options);
    } catch (const std::runtime_error& e) {
        report(e.what());
        return usage_error;
    }
    if (options.list_trades) {
        sim::write_trade_list(std::cout, *trade.reading, input_name(*options.from_log));
    } else {
        if (options.scenario_out) {
            sim::write_output(*options.scenario_out, [&](std::ostream& out) {
                out << sim::scenario_json(trade.scenario);
            });
        }
        write_results(options, trade, play(trade.scenario, options));
    }
    sim::finish_standard_output();
    return 0;
}
} // namespace

int main(int argc, char** argv) {
    try {
        Options options;
        if (auto code = sim::parse_options(argc, argv, options)) {
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
