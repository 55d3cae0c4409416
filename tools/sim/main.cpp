// tallyglass-sim: plays a trading screen of the game with the built mod loaded into the
// simulated host, and shows what the player would see and what the mod logged.
#include <cstdlib>
#include <iostream>
#include <nlohmann/json.hpp>
#include <optional>
#include <vector>

#include "check_ini.hpp"
#include "files.hpp"
#include "interrupt.hpp"
#include "mods_files.hpp"
#include "options.hpp"
#include "outputs.hpp"
#include "picture.hpp"
#include "printable.hpp"
#include "progress.hpp"
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
class UsageError : public sim::Error {
public:
    using sim::Error::Error;
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

// The whole message: one of the tool's own errors may hold a NUL from a file.
void report(const std::exception& error) {
    const auto* own = dynamic_cast<const sim::Error*>(&error);
    report(own ? own->message() : std::string(error.what()));
}

int check_settings(const sim::FileArgument& file) {
    std::string text;
    try {
        sim::check_input_file(file);
        text = sim::read_input(file, input_limit);
    } catch (const sim::FileError& e) {
        report(e);
        return usage_error;
    }
    const int code = sim::check_ini(std::cout, text);
    sim::finish_standard_output();
    return code;
}

// Every file named, and every file the host reads under --mods, is looked at before anything is
// read, run or written; no output may replace one of them.
std::optional<sim::ModsFiles> check_files(const Options& options) {
    std::vector<sim::FileArgument> inputs, outputs;
    for (const auto& input : {options.scenario, options.from_log, options.ini}) {
        if (input) {
            sim::check_input_file(*input);
            for (const auto& earlier : inputs) {
                if (input->name == "-" && earlier.name == "-") {
                    throw UsageError(input->option + " -: standard input is " + earlier.option +
                                     "'s already");
                }
            }
            inputs.push_back(*input);
        }
    }
    std::optional<sim::ModsFiles> mods;
    if (options.mods) {
        sim::check_input_folder(*options.mods);
        mods = sim::mods_files(*options.mods);
        inputs.insert(inputs.end(), mods->read.begin(), mods->read.end());
    } else if (!options.list_trades) {
        inputs.push_back({"the mod library", sim::default_library().string()});
        sim::check_input_file(inputs.back());
    }
    for (const auto& output : {options.picture, options.log, options.scenario_out}) {
        if (output) {
            sim::check_output_file(*output);
            outputs.push_back(*output);
        }
    }
    sim::check_distinct(inputs, outputs);
    return mods;
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

std::string picture_title(const Options& options, const Trade& trade) {
    if (!trade.replayed) {
        return "Trade";
    }
    const auto& t = *trade.replayed;
    return "Trade " + std::to_string(t.number) + " of " +
           std::to_string(trade.reading->trades.size()) + " in " + input_name(*options.from_log) +
           ", from line " + std::to_string(t.line) + (t.stamp.empty() ? "" : " (" + t.stamp + ")");
}

void write_results(const Options& options, const Trade& trade, const sim::SessionResult& result) {
    const auto* replayed = trade.replayed;
    const auto stats = replayed ? sim::price_stats(replayed->scenario) : sim::PriceStats{};
    if (options.json) {
        nlohmann::ordered_json extra = nlohmann::ordered_json::object();
        if (replayed) {
            extra["trade"] = sim::trade_json(*replayed);
            extra["stats"] = sim::price_stats_json(stats);
            extra["skipped"] = sim::skipped_json(*trade.reading);
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

// What the host's loader says of a mod it did not start is in the log; a Windows DLL it cannot
// even try, which only the tool can tell.
void report_no_mod(const Options& options, const std::optional<sim::ModsFiles>& mods) {
    std::string line =
        options.mods ? sim::label(*options.mods) + ": no mod started" : "the mod did not start";
    if (mods && !mods->windows_dlls.empty()) {
        line += " (" + mods->windows_dlls.front() +
                " is a Windows DLL; this simulator loads the library built here, " +
                sim::default_library().string() + ", installed as main.dll)";
    }
    report(line + "; the trade was played without it");
}

// The run proper: the outputs are written beside their files and put in place only at the end,
// so that a failed or interrupted run leaves every one as it was. A signal removes the temporary
// game folder and the unfinished outputs, then ends the tool as it would have ended it at once.
void play_and_write(const Options& options, const Trade& trade,
                    const std::optional<sim::ModsFiles>& mods) {
    sim::PlayOptions play_options;
    if (options.mods) {
        play_options.mods = options.mods->name;
    }
    play_options.progress = sim::Progress(std::cerr, isatty(fileno(stderr)) != 0);
    sim::PendingOutputs outputs;
    if (options.scenario_out) {
        outputs.write(*options.scenario_out,
                      [&](std::ostream& out) { out << sim::scenario_json(trade.scenario); });
    }
    const auto result = sim::play(trade.scenario, play_options);
    if (options.picture) {
        outputs.write(*options.picture, [&](std::ostream& out) {
            sim::write_svg(out, result, picture_title(options, trade));
        });
    }
    if (options.log) {
        outputs.write(*options.log, [&](std::ostream& out) { out << result.log_file; });
    }
    write_results(options, trade, result);
    try {
        sim::finish_standard_output();
    } catch (const sim::FileError&) {
        sim::throw_if_interrupted(); // a closed pipe: SIGPIPE tells it
        throw;
    }
    sim::throw_if_interrupted();
    outputs.commit();
    if (result.started == 0) {
        report_no_mod(options, mods);
    }
}

int simulate(const Options& options) {
    Trade trade;
    std::optional<sim::ModsFiles> mods;
    try {
        mods = check_files(options);
        trade = load_trade(options);
    } catch (const std::runtime_error& e) {
        report(e);
        return usage_error;
    }
    if (options.picture && !options.picture->name.ends_with(".svg")) {
        report("note: " + sim::label(*options.picture) + ": the picture is written as SVG");
    }
    if (options.list_trades) {
        sim::write_trade_list(std::cout, *trade.reading, input_name(*options.from_log));
        sim::finish_standard_output();
        return 0;
    }
    try {
        sim::InterruptGuard guard;
        play_and_write(options, trade, mods);
    } catch (const sim::Interrupted& e) {
        sim::die_of(e.signal_number);
        throw;
    }
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
        sim::check_standard_output();
        return options.check ? check_settings(*options.check) : simulate(options);
    } catch (const sim::Interrupted& e) {
        report(e);
        return 128 + e.signal_number;
    } catch (const std::exception& e) {
        report(e);
        return run_failed;
    } catch (...) {
        report("an unexpected failure");
        return run_failed;
    }
}
